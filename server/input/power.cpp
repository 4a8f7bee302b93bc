// Sleep and power: the SleepReply bookkeeping and the power-off request.
// The server starts no suspend of its own; the holds and times are kept for
// the clients' and the host system's sake.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "core/server.h"
#include "input/input.h"
#include "platform/einkroot.h"
#include "platform/input.h"
#include "window/routing.h"

long long g_sleepRequestMs = 0;
long long g_delayTimeMs = 0;

namespace {

void ReleaseHold(SSClient* client) {
    if (!client->hold) return;
    client->hold = 0;
    if (g_holdingCount > 0) --g_holdingCount;
}

} // namespace

void SS_SleepReply(SSClient* client, uint32_t code) {
    if (!client) return;
    if (g_reloadSwitch) {
        SS_ReadSleepTime();
        g_reloadSwitch = 0;
    }
    switch (code) {
    case 9: // SleepOkDelay
        g_delayTimeMs = eink::NowMs();
        ReleaseHold(client);
        break;
    case 0: // SleepOk
        ReleaseHold(client);
        break;
    default: // SleepCancel and anything else holds sleep off
        if (!client->hold) {
            client->hold = int32_t(code);
            ++g_holdingCount;
        }
        break;
    }
}

void SS_RequestSleep() {
    if (g_clientCount == 1) {
        // The last application is the one asking: nothing to wait for.
        SS_Cleanup();
        sleep(3);
        eink::SuspendDevice();
        fflush(stdout);
        exit(0);
    }
    g_sleepRequestMs = eink::NowMs();
    SS_BroadcastTopWindowKey(32, " ");
}
