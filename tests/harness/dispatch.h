// Requests run through the server's dispatcher inside the test process, for
// unit tests of the handlers. Header-only: the harness library itself does
// not link the server.
#pragma once

#include <cstdint>
#include <vector>

#include "core/handlers.h"
#include "harness/wire_client.h"

namespace testing_eink {

// Runs a message through the dispatcher the way the server does: the buffer
// holds zero bytes past the message.
inline void Dispatch(const Bytes& m) {
    std::vector<uint8_t> buf(m);
    buf.resize(m.size() + 256, 0);
    SS_Dispatch(nullptr, buf.data(), uint32_t(m.size()));
}

} // namespace testing_eink
