#include "core/handlers.h"

#include "protocol/protocol.h"

namespace {

using Handler = void (*)(SSClient*, const uint8_t*, uint32_t);

struct HandlerTable {
    Handler handler[256];
    HandlerTable() : handler{} {
#define REQ(op, name, len, kind, sig) handler[op] = &Handle##name;
#define REQ_CLIENT(op, name, len, kind, sig)
#include "protocol/requests.def"
#undef REQ
#undef REQ_CLIENT
    }
};

const HandlerTable g_handlers;

} // namespace

void SS_Dispatch(SSClient* client, const uint8_t* msg, uint32_t length) {
    // Opcodes without a handler have been read in full; they are dropped.
    Handler h = g_handlers.handler[proto::HeaderType(proto::GetU32(msg))];
    if (h) h(client, msg, length);
}
