// SetCharsetMode: the server keeps no character-set state of its own; the
// mode goes to every mapped child of the root as a CharsetChange event.
#include "core/handlers.h"
#include "protocol/protocol.h"

void HandleSetCharsetMode(SSClient*, const uint8_t* msg, uint32_t) {
    (void)proto::GetU32(msg + 8); // forwarded once the event routing is in
}
