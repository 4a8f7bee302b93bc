// Requests the connection layer answers itself: program registration and
// lookup, user messages between programs, closing.
#include <cstdio>
#include <cstring>

#include "core/handlers.h"
#include "core/server.h"
#include "input/input.h"
#include "render/apollo.h"
#include "window/routing.h"

namespace {

// A fixed 32-byte name field as a C string, whatever the client put there.
void NameField(const uint8_t* msg, uint32_t offset, char out[proto::kNameSize]) {
    memcpy(out, msg + offset, proto::kNameSize);
    out[proto::kNameSize - 1] = '\0';
}

} // namespace

void HandleRegisterProgram(SSClient* client, const uint8_t* msg, uint32_t) {
    char name[proto::kNameSize];
    NameField(msg, 4, name);
    if (!name[0]) return;
    memcpy(client->name, name, sizeof client->name);
    client->processWord = proto::GetU32(msg + 40);
}

void HandleQueryProgram(SSClient* client, const uint8_t* msg, uint32_t) {
    char name[proto::kNameSize];
    NameField(msg, 4, name);
    uint32_t length = proto::BuildQueryReply(g_sendBuffer, SS_FindProgram(name) != nullptr);
    SS_Send(client, g_sendBuffer, length);
}

void HandleUserMessage(SSClient* client, const uint8_t* msg, uint32_t length) {
    using namespace proto::usermsg;
    if (msg[kType] == 140) {
        g_powerOffPending = 1;
        g_sleepTimeout = 20000;
        SS_RequestSleep();
        return;
    }
    char target[proto::kNameSize];
    NameField(msg, kTarget, target);
    if (!target[0]) return;

    // The data length the client claims is bounded by what it really sent.
    uint32_t dataLength = proto::GetU32(msg + kDataLength);
    uint32_t available = length > kData ? length - kData : 0;
    if (dataLength > available) dataLength = available;
    if (dataLength > proto::kMaxMessage - kMinLength) dataLength = proto::kMaxMessage - kMinLength;

    if (strstr(target, "eserver")) {
        g_verticalScreen = (dataLength > 0 && msg[kData] == 1) ? 1 : 0;
        uint32_t out = kMinLength + dataLength;
        memset(g_sendBuffer, 0, out);
        memcpy(g_sendBuffer, msg, kData + dataLength);
        proto::PutU32(g_sendBuffer, proto::PackHeader(proto::EV_UserMessage, out));
        g_sendBuffer[kType] = 170;
        proto::PutU32(g_sendBuffer + kDataLength, dataLength);
        for (SSClient* c = g_clientHead; c; c = c->next)
            if (c != client) SS_Send(c, g_sendBuffer, out);
        return;
    }
    if (strstr(target, "rserver")) {
        SS_RserverMessage();
        return;
    }
    if (strstr(target, "sdin")) {
        SS_BroadcastTopWindowKey(102, "f");
        return;
    }
    if (strstr(target, "sdout")) {
        SS_BroadcastTopWindowKey(103, "g");
        return;
    }

    SSClient* to = SS_FindProgram(target);
    if (!to) return;
    uint32_t out = kMinLength + dataLength;
    memset(g_sendBuffer, 0, out);
    memcpy(g_sendBuffer, msg, kData + dataLength);
    proto::PutU32(g_sendBuffer, proto::PackHeader(proto::EV_UserMessage, out));
    g_sendBuffer[kSender + proto::kNameSize - 1] = '\0';
    g_sendBuffer[kTarget + proto::kNameSize - 1] = '\0';
    proto::PutU32(g_sendBuffer + kDataLength, dataLength);
    SS_Send(to, g_sendBuffer, out);
}

void HandleSleepReply(SSClient* client, const uint8_t* msg, uint32_t) {
    char name[proto::kNameSize];
    NameField(msg, 4, name);
    if (!name[0]) return;
    SS_SleepReply(client, proto::GetU32(msg + 36));
}

void HandleRequestClose(SSClient* client, const uint8_t*, uint32_t) { SS_ClientGone(client); }

void HandleRequestCloseServer(SSClient*, const uint8_t*, uint32_t) {
    SS_ReleaseHost();
    g_shutdownTimer = 1;
}
