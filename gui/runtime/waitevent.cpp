// Reading whole messages from the server, and waiting for one type of reply
// while keeping every other message, in order, for later dispatch.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "egui_conn.h"
#include "protocol/protocol.h"
#include "zlist.h"

ZPSList* gSavedEventQueue = nullptr;
GS_GeneralEvent_st* gSavedEvent = nullptr;
unsigned char* pSavedEventData = nullptr;

GS_GeneralEvent_st* GotEvent() {
    if (NetRead(connFd, gReqBuffer, int(proto::kHeaderSize)) != int(proto::kHeaderSize)) return nullptr;
    uint32_t length = proto::HeaderLength(proto::GetU32(gReqBuffer));
    if (length < proto::kHeaderSize || length > proto::kMaxMessage) {
        // A length we cannot hold leaves no way to find the next message:
        // the stream is lost, so the program ends as if the server had gone.
        fprintf(stderr, "bad message from server: type %u length %u\n", unsigned(gReqBuffer[0]), unsigned(length));
        bQuitProgram = 1;
        return nullptr;
    }
    int body = int(length - proto::kHeaderSize);
    if (body > 0 && NetRead(connFd, gReqBuffer + proto::kHeaderSize, body) != body) return nullptr;
    return reinterpret_cast<GS_GeneralEvent_st*>(gReqBuffer);
}

GS_GeneralEvent_st* WaitEvent(int type) {
    for (;;) {
        GS_GeneralEvent_st* ev = GotEvent();
        if (!ev) return nullptr;
        if (int(GL_EventType(ev)) == type) return ev;
        uint32_t length = GL_EventLength(ev);
        unsigned char* copy = static_cast<unsigned char*>(malloc(length));
        if (!copy) continue; // out of memory: the message is lost, the wait goes on
        std::memcpy(copy, gReqBuffer, length);
        if (!gSavedEventQueue) gSavedEventQueue = new ZPSList(0);
        gSavedEventQueue->AppendItem(copy);
    }
}

GS_GeneralEvent_st* CheckWaitEvent() {
    // A program that polls for saved replies is waiting for an answer too.
    GL_Flush();
    if (!gSavedEventQueue || gSavedEventQueue->count < 1) return nullptr;
    void* oldest = gSavedEventQueue->FindDataByIndex(0);
    gSavedEventQueue->RemoveItemByIndex(0);
    return static_cast<GS_GeneralEvent_st*>(oldest);
}

void FreeEventData(GS_GeneralEvent_st* event) {
    if (!event || reinterpret_cast<unsigned char*>(event) == gReqBuffer) return;
    free(event);
}
