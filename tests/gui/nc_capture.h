// The fake server seen as a byte stream, for the byte tests of libgui's
// writers (expected bytes are built with the harness's message builder).
#pragma once

#include "gui/fake_server.h"
#include "harness/wire_client.h"

namespace nc_test {

using testing_eink::Bytes;

struct Capture : FakeServer {
    bool ok() const { return serverFd() >= 0; }
    // The server's end, to write events for the library to read.
    int peer() const { return serverFd(); }
    Bytes Take() { return TakeBytes(); }
};

} // namespace nc_test
