// One handler per request opcode. `msg` is the whole message, header
// included; bytes past `length` up to the longest fixed layout read as 0, so
// a request shorter than its layout runs with its missing fields as 0.
// Handlers look their identifiers up first and return quietly when missing.
#pragma once

#include <cstdint>

struct SSClient;

#define REQ(op, name, len, kind, sig) void Handle##name(SSClient* client, const uint8_t* msg, uint32_t length);
#define REQ_CLIENT(op, name, len, kind, sig)
#include "protocol/requests.def"
#undef REQ
#undef REQ_CLIENT

// Runs the handler of one complete request.
void SS_Dispatch(SSClient* client, const uint8_t* msg, uint32_t length);
