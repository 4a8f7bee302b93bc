// SetCharsetMode: the server keeps no character-set state of its own; the
// mode goes to every mapped child of the root as a CharsetChange event.
#include "core/handlers.h"
#include "protocol/protocol.h"
#include "window/routing.h"

void HandleSetCharsetMode(SSClient*, const uint8_t* msg, uint32_t) {
    SS_BroadcastCharsetChange(proto::GetU32(msg + 8));
}
