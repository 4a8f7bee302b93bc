// The packer behind every request writer: the layout of a request comes from
// its signature in protocol/requests.def, never from offsets written by hand.
// A writer passes its arguments in parameter order; the signature says where
// each goes and how wide it is, and the compiler checks that the count and
// the types of the arguments agree with the table.
#pragma once

#include <cstdint>
#include <cstring>
#include <sys/uio.h>
#include <type_traits>
#include <utility>

#include "egui_conn.h"
#include "nc_request.h"
#include "protocol/protocol.h"

namespace nc {

// The table entry of one request, usable in constant expressions.
template <int Op> struct Layout;
#define REQ(op, nm, len, kd, sg)                                                                                       \
    template <> struct Layout<op> {                                                                                    \
        static constexpr const char* sig = sg;                                                                         \
        static constexpr uint32_t length = len;                                                                        \
        static constexpr proto::RequestKind kind = proto::kd;                                                          \
    };
#include "protocol/requests.def"
#undef REQ

// Fields that take no argument: unset words and bytes, and the tail.
constexpr bool TakesArg(char k) { return k != 'x' && k != '_' && k != '*'; }

// Where a field of kind k starts when the previous field ended at off.
constexpr uint32_t FieldStart(char k, uint32_t off) { return k == 'd' ? ((off + 7) & ~7u) : off; }

constexpr uint32_t FieldWidth(char k) {
    switch (k) {
    case 'I':
    case 'i':
    case 'p':
    case 'b':
    case 'x': return 4;
    case 'c':
    case 'd': return 8;
    case 'h': return 2;
    case 'B':
    case '_': return 1;
    case 'N': return proto::kNameSize;
    case 'P': return proto::kPathSize;
    default: return 0;
    }
}

// End of the fixed fields (header included), i.e. where a tail begins.
constexpr uint32_t FixedEnd(const char* s) {
    uint32_t off = proto::kHeaderSize;
    for (; *s; ++s)
        off = FieldStart(*s, off) + FieldWidth(*s);
    return off;
}

constexpr int ArgCount(const char* s) {
    int n = 0;
    for (; *s; ++s)
        n += TakesArg(*s) ? 1 : 0;
    return n;
}

// Kind and offset of the k-th argument.
constexpr char ArgKind(const char* s, int k) {
    for (; *s; ++s)
        if (TakesArg(*s) && k-- == 0) return *s;
    return 0;
}
constexpr uint32_t ArgOffset(const char* s, int k) {
    uint32_t off = proto::kHeaderSize;
    for (; *s; ++s) {
        off = FieldStart(*s, off);
        if (TakesArg(*s) && k-- == 0) return off;
        off += FieldWidth(*s);
    }
    return 0;
}

// The C++ type a field of each kind is given as.
template <class T> constexpr bool Accepts(char k) {
    using U = std::decay_t<T>;
    switch (k) {
    case 'I':
    case 'p': return std::is_same_v<U, unsigned long>;
    case 'i': return std::is_same_v<U, int>;
    case 'b':
    case 'B': return std::is_same_v<U, unsigned char>;
    case 'h': return std::is_same_v<U, unsigned short>;
    case 'c': return std::is_same_v<U, _GL_Color>;
    case 'd': return std::is_same_v<U, double>;
    case 'N':
    case 'P': return std::is_same_v<U, const char*>;
    default: return false;
    }
}

inline void Put(uint8_t* p, char, unsigned long v) { proto::PutU32(p, uint32_t(v)); }
inline void Put(uint8_t* p, char, int v) { proto::PutU32(p, uint32_t(v)); }
inline void Put(uint8_t* p, char, unsigned char v) { p[0] = v; }
inline void Put(uint8_t* p, char, unsigned short v) { proto::PutU16(p, v); }
inline void Put(uint8_t* p, char, double v) { proto::PutF64(p, v); }
inline void Put(uint8_t* p, char, const _GL_Color& c) { proto::PutColor(p, proto::Color{c.r, c.g, c.b, c.a, c.pixel}); }
// Names and paths: at most width - 1 characters and a NUL.
inline void Put(uint8_t* p, char k, const char* s) {
    if (!s) return;
    size_t n = strnlen(s, FieldWidth(k) - 1);
    std::memcpy(p, s, n);
}

template <int Op, class... A, size_t... Is> uint32_t PackFields(std::index_sequence<Is...>, const A&... a) {
    constexpr const char* s = Layout<Op>::sig;
    static_assert(ArgCount(s) == int(sizeof...(A)), "argument count differs from the request table");
    static_assert((Accepts<A>(ArgKind(s, int(Is))) && ...), "argument type differs from the request table");
    constexpr uint32_t end = FixedEnd(s);
    static_assert(Layout<Op>::kind == proto::VARIABLE ? end <= Layout<Op>::length : end == Layout<Op>::length,
                  "signature and length of the request table disagree");
    std::memset(gReqBuffer, 0, end);
    (Put(gReqBuffer + ArgOffset(s, int(Is)), ArgKind(s, int(Is)), a), ...);
    return end;
}

// Writes the fixed fields of request Op into gReqBuffer (unset bytes are 0)
// and returns where its tail begins; the header is left to Finish.
template <int Op, class... A> uint32_t Pack(const A&... a) {
    return PackFields<Op>(std::index_sequence_for<A...>{}, a...);
}

// Writes the pieces in order with as few system calls as the socket allows,
// waiting while it is full; returns the bytes written, or NetWrite's 0 or -1.
// Not buffered: callers that send requests use Queue.
int WriteGathered(int fd, iovec* pieces, int count);
// True while WriteGathered runs (a signal handler may have interrupted it).
bool WriteInProgress();

// Appends one whole request for fd to the output buffer, or writes it at once
// when buffering is off. The buffer is written first when the request does
// not fit; a request larger than the buffer goes out with it in one gathered
// write. Returns count, or the failed write's 0 or -1.
int Queue(int fd, const void* data, int count);
// The same for a request, or several, given as pieces.
int QueueGathered(int fd, iovec* pieces, int count);
// Writes what is buffered when it is meant for fd; 0 or GL_Flush's result.
int FlushFor(int fd);

// Puts the header of a request of `length` bytes and sends it.
inline int Finish(int op, uint32_t length) {
    proto::PutU32(gReqBuffer, proto::PackHeader(uint32_t(op), length));
    return Queue(connFd, gReqBuffer, int(length));
}

// A request without a tail, built and written in one go.
template <int Op, class... A> int Send(const A&... a) {
    static_assert(Layout<Op>::kind != proto::VARIABLE, "variable requests are written by their own writer");
    return Finish(Op, Pack<Op>(a...));
}

} // namespace nc
