// The output buffer: the server receives the same bytes whether requests are
// buffered or written one by one, also through a socket that cuts the writes
// at arbitrary points, and a whole redraw leaves in a handful of writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <thread>

#include "egui.h"
#include "gl_window.h"
#include "gui/nc_capture.h"

// Every writer with its expected bytes comes from the writer byte test. Its
// TESTs become plain unused functions here, so that they run only in their
// own program.
#undef TEST
#define TEST(suite, name) [[maybe_unused]] static void suite##_##name()
#include "gui/nc_writers_test.cpp"
#undef TEST
#define TEST(suite, name) GTEST_TEST(suite, name)

namespace {

// The recorded run: every writer, then requests that exercise the buffer's
// edges (pixel rows short enough to be copied, rows long enough to go out
// uncopied in gathered writes, and a message larger than the buffer).
struct Recording {
    Bytes bytes;
    std::vector<long> returns;
};

using Calls = std::vector<std::function<long()>>;

Calls WriterCalls() {
    Calls calls;
    for (const Case& c : Cases())
        calls.push_back(c.call);
    return calls;
}

Calls WriterAndEdgeCalls() {
    Calls calls = WriterCalls();
    static std::vector<unsigned char> rows(400 * 600);
    static std::vector<unsigned char> data(100000);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = uint8_t(i * 7);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 13);
    calls.insert(calls.begin() + 10, [] { return NC_UpdatePixmap(ID, rows.data(), 0, 0, 10, 3, 8); });
    calls.insert(calls.begin() + 20, [] { return NC_UpdatePixmap(ID, rows.data(), 0, 0, 600, 400, 8); });
    calls.insert(calls.begin() + 25, [] { return NC_UpdatePixmap(ID, rows.data(), 0, 0, 5000, 48, 8); });
    calls.insert(calls.begin() + 30, [] { return NC_UserMessage("a", "b", 1, 2, 3, int(data.size()), data.data()); });
    calls.push_back([] { return NC_UpdatePixmap(ID2, rows.data(), 0, 0, 6, 5, 4); });
    // Unbuffered, 512 rows in one gathered write (as many pieces as one
    // write takes).
    calls.push_back([] { return NC_UpdatePixmap(ID3, rows.data(), 0, 0, 100, 600, 8); });
    return calls;
}

// Runs every call with connFd on one end of a socket pair whose sending side
// holds at most `sendBuffer` bytes (0: a large one), while a reader drains the
// other end in pieces of random size; returns what arrived.
Recording Record(const Calls& calls, bool buffered, int sendBuffer) {
    Recording run;
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    int size = sendBuffer ? sendBuffer : 1 << 20;
    setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    setsockopt(fds[1], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    std::thread reader([&] {
        std::mt19937 random(unsigned(sendBuffer) + (buffered ? 1 : 0));
        unsigned char buf[8192];
        for (;;) {
            ssize_t n = read(fds[1], buf, 1 + random() % 700);
            if (n <= 0) break;
            run.bytes.insert(run.bytes.end(), buf, buf + n);
        }
    });
    int saved = connFd;
    connFd = fds[0];
    GL_SetBuffered(buffered ? 1 : 0);
    for (auto& call : calls)
        run.returns.push_back(call());
    EXPECT_GE(GL_Flush(), 0);
    // A full socket made the writes wait; the event loop still needs it
    // non-blocking afterwards.
    EXPECT_TRUE(fcntl(fds[0], F_GETFL) & O_NONBLOCK);
    connFd = saved;
    GL_SetBuffered(1);
    shutdown(fds[0], SHUT_WR);
    reader.join();
    close(fds[0]);
    close(fds[1]);
    return run;
}

} // namespace

TEST(Batching, TheServerGetsTheSameBytesBufferedOrNotAlsoThroughASmallSocket) {
    Bytes expected;
    for (const Case& c : Cases())
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());

    // The writers alone give the bytes of the writer byte test, both ways.
    EXPECT_TRUE(Record(WriterCalls(), false, 0).bytes == expected);
    EXPECT_TRUE(Record(WriterCalls(), true, 0).bytes == expected);

    const Calls calls = WriterAndEdgeCalls();
    Recording reference = Record(calls, false, 0);
    for (bool buffered : {true, false}) {
        for (int sendBuffer : {0, 4096}) {
            SCOPED_TRACE(std::string(buffered ? "buffered" : "unbuffered") + " send buffer " +
                         std::to_string(sendBuffer));
            Recording run = Record(calls, buffered, sendBuffer);
            EXPECT_TRUE(run.bytes == reference.bytes)
                << run.bytes.size() << " bytes against " << reference.bytes.size();
            EXPECT_EQ(run.returns, reference.returns) << "writers return the same, buffered or not";
        }
    }
}

TEST(Batching, RequestsWaitInTheBufferUntilAFlushOrAReplyIsAwaited) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    GL_SetBuffered(1);
    EXPECT_EQ(GL_IsBuffered(), 1);
    const int peer = cap.peer();
    auto pending = [&] {
        pollfd p{peer, POLLIN, 0};
        return poll(&p, 1, 0) == 1;
    };
    EXPECT_EQ(NC_FillRect(ID, 1, 2, 3, 4, PIX), 28);
    EXPECT_FALSE(pending()) << "a request alone is not written";
    EXPECT_EQ(GL_Flush(), 28);
    EXPECT_EQ(cap.Take().size(), 28u);
    EXPECT_EQ(GL_Flush(), 0) << "nothing left";

    // Reading (a reply, an event) writes what is buffered first.
    NC_FillRect(ID, 1, 2, 3, 4, PIX);
    ASSERT_TRUE(cap.Inject(Bytes{4, 8, 0, 0, 0, 0, 0, 0}));
    EXPECT_NE(GotEvent(), nullptr);
    EXPECT_TRUE(pending());
    cap.Take();

    // A raw write keeps its place after the buffered requests.
    NC_FillRect(ID, 1, 2, 3, 4, PIX);
    const unsigned char raw[4] = {9, 9, 9, 9};
    EXPECT_EQ(NetWrite(connFd, raw, 4), 4);
    Bytes got = cap.Take();
    ASSERT_EQ(got.size(), 32u);
    EXPECT_EQ(got[0], 20);
    EXPECT_EQ(got[28], 9);

    // Unbuffered: each request is on the wire when its writer returns, and
    // switching writes what was pending.
    NC_FillRect(ID, 1, 2, 3, 4, PIX);
    GL_SetBuffered(0);
    EXPECT_EQ(GL_IsBuffered(), 0);
    EXPECT_TRUE(pending());
    cap.Take();
    NC_FillRect(ID, 1, 2, 3, 4, PIX);
    EXPECT_TRUE(pending());
    cap.Take();
    GL_SetBuffered(1);
}

namespace {

// connFd on a packet socket: every write the library makes arrives as one
// record, so the records count the system calls.
struct PacketServer {
    PacketServer() {
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
        int size = 1 << 20;
        setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(fds[1], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
        saved = connFd;
        connFd = fds[0];
    }
    ~PacketServer() {
        GL_Flush();
        connFd = saved;
        close(fds[0]);
        close(fds[1]);
    }
    // Writes since the last call, and their bytes.
    int Take(Bytes* bytes) {
        static unsigned char buf[1 << 18];
        int writes = 0;
        ssize_t n;
        while ((n = recv(fds[1], buf, sizeof buf, 0)) > 0) {
            ++writes;
            bytes->insert(bytes->end(), buf, buf + n);
        }
        return writes;
    }
    int fds[2] = {-1, -1};
    int saved = -1;
};

// Requests in a byte stream, by the framing rule.
int CountRequests(const Bytes& b) {
    int n = 0;
    for (size_t at = 0; at + 4 <= b.size(); ++n)
        at += size_t(b[at + 1] | b[at + 2] << 8 | b[at + 3] << 16);
    return n;
}

} // namespace

TEST(Batching, AFortyWidgetRedrawTakesAHandfulOfWritesInsteadOfOnePerRequest) {
    PacketServer server;
    std::memset(gSysInfo, 0, 64);
    gSysInfo[34] = 0x10; // identifier base 1 << 20
    iDepth = 8;
    InitColorS();
    GL_Window main(nullptr, "main", 0, 0, 600, 800, iWhiteS, 0);
    std::vector<GL_Window*> widgets;
    for (int i = 0; i < 40; ++i) {
        widgets.push_back(new GL_Window(&main, "w", 10 + (i % 4) * 140, 10 + (i / 4) * 75, 130, 70, iGreyS, 0));
        widgets.back()->SetBorderType(1 + i % 2);
    }
    main.ShowWindow(0);
    Bytes ignored;
    GL_Flush();
    server.Take(&ignored);

    auto redraw = [&](bool buffered, Bytes* bytes) {
        GL_SetBuffered(buffered ? 1 : 0);
        gSysInfo[40] = 100; // the same pixmap identifiers each time
        main.Draw(nullptr);
        for (GL_Window* w : widgets)
            w->Draw(nullptr);
        GL_Flush();
        GL_SetBuffered(1);
        return server.Take(bytes);
    };
    Bytes one, batched;
    int unbufferedWrites = redraw(false, &one);
    int batchedWrites = redraw(true, &batched);
    const int requests = CountRequests(one);
    EXPECT_GE(requests, 41 * 4) << "pixmap, fill, copy and free for every window";
    EXPECT_EQ(unbufferedWrites, requests);
    EXPECT_LE(batchedWrites, 3) << "for " << requests << " requests";
    EXPECT_TRUE(batched == one) << "the same requests, in the same order";
}
