// Writers of the input, refresh, program and power requests.
#include <cstdio>

#include "runtime/nc_pack.h"

#define NC_PLAIN(Name, Params, Args)                                                                                   \
    int NC_##Name Params { return nc::Send<proto::OP_##Name> Args; }

NC_PLAIN(InsertPointerGrab, (unsigned long window), (window))
NC_PLAIN(AddPointerGrab, (unsigned long window), (window))
NC_PLAIN(RemovePointerGrab, (unsigned long window), (window))
NC_PLAIN(KeyFilter, (unsigned long window, int on), (window, on))

int NC_SetRotateMode(int mode) {
    iRotateMode = mode;
    return nc::Send<proto::OP_SetRotateMode>(mode);
}
NC_PLAIN(GrabUpdate, (), (0))
NC_PLAIN(UnGrabUpdate, (), (0))
NC_PLAIN(SwitchDisplayMode, (int mode), (mode))
NC_PLAIN(SetUpdateWaitTime, (int ms), (ms))
NC_PLAIN(SetDefaultRefreshMode, (int mode), (mode))
NC_PLAIN(SetOnceRefreshMode, (int mode), (mode))
NC_PLAIN(DiscardUpdate, (int word), (word))
NC_PLAIN(GrabUpdateRotate, (int a, int b), (a, b))
NC_PLAIN(UngrabUpdateRotate, (int a, int b), (a, b))
NC_PLAIN(UpdateLock, (int word, int on), (word, on))
NC_PLAIN(UpdatePop, (int word, int on), (word, on))
NC_PLAIN(SetMsgMode, (int mode), (mode))
NC_PLAIN(SetForceUpdate, (int word), (word))
NC_PLAIN(SetSDMode, (int mode), (mode))

NC_PLAIN(RegisterProgram, (const char* name, int word1, int word2), (name, word1, word2))
int NC_QueryProgramInternal(const char* name) { return nc::Send<proto::OP_QueryProgram>(name, 0); }
NC_PLAIN(RequestCloseServer, (), ())
NC_PLAIN(RequestClose, (), ())

int NC_UserMessage(const char* sender, const char* target, int word1, int word2, unsigned char type, int length,
                   const void* data) {
    const uint32_t fixed = nc::Layout<proto::OP_UserMessage>::length;
    if (length < 0 || (length > 0 && !data)) return 0;
    if (uint64_t(fixed) + uint64_t(length) > proto::kMaxMessage) return 0;
    uint32_t end = nc::Pack<proto::OP_UserMessage>(sender, target, word1, word2, type, length);
    // The data, its NUL and the unset bytes up to the full length.
    std::memset(gReqBuffer + end, 0, fixed - end + uint32_t(length));
    if (length > 0) std::memcpy(gReqBuffer + end, data, size_t(length));
    return nc::Finish(proto::OP_UserMessage, fixed + uint32_t(length));
}

int NC_QueryProgram(const char* name) {
    if (!name || !*name) return 0;
    if (NC_QueryProgramInternal(name) <= 0) return 0;
    GS_GeneralEvent_st* reply = WaitEvent(proto::EV_QueryReply);
    if (!reply) return 0;
    return GL_EventBytes(reply)[proto::kQueryReplyFound];
}

namespace {

int SleepReply(int code) {
    if (!pProgName || !*pProgName) return 0;
    bSleepCan = code;
    return nc::Send<proto::OP_SleepReply>(static_cast<const char*>(pProgName), code);
}

} // namespace

int NC_SleepOk() { return SleepReply(0); }
int NC_SleepOkDelay() { return SleepReply(9); }
int NC_SleepCancel() { return SleepReply(1); }
