// The server's core against the real process: SysInfo, programs and user
// messages, fairness between clients, robustness against hostile ones, and
// the orderly shutdown.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "harness/eink_root.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

class ServerCore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()) << server.Output(); }

    std::unique_ptr<WireClient> Client() {
        auto c = std::make_unique<WireClient>();
        EXPECT_TRUE(c->Open(server.socketPath()));
        return c;
    }

    EinkRoot root;
    ServerProcess server{root};
};

TEST_F(ServerCore, SysInfoCarriesGeometryAndTheConnectionsIdentifierBase) {
    auto a = Client();
    auto b = Client();
    auto c = Client();
    const Bytes& s = a->sysinfo();
    ASSERT_GE(s.size(), 99092u);
    EXPECT_EQ(s[0], 1);
    EXPECT_EQ(LengthOf(s), s.size());
    std::vector<uint32_t> words;
    for (size_t off = 8; off <= 40; off += 4)
        words.push_back(U32At(s, off));
    // Width, height, physical width and height, depth, rotation, identifier base, mask, counter.
    EXPECT_EQ(words, (std::vector<uint32_t>{600, 800, 600, 800, 8, 0, 1u << 20, 0xFFFFF, 1}));
    EXPECT_EQ(s[44] | s[45] << 8, 20);
    EXPECT_EQ(s[68] | s[69] << 8, 10);
    EXPECT_EQ(s[1168], 0) << "vertical screen on";
    EXPECT_EQ(U32At(b->sysinfo(), 32), 2u << 20);
    EXPECT_EQ(U32At(c->sysinfo(), 32), 3u << 20);
}

TEST_F(ServerCore, ProgramsAreFoundByNameOrSubstringAndMessagesRouted) {
    auto reader = Client();
    auto helper = Client();
    auto other = Client();
    ASSERT_TRUE(reader->Register("reader", 0, 111));
    ASSERT_TRUE(helper->Register("readerhelper", 0, 222));
    ASSERT_TRUE(reader->Sync());
    ASSERT_TRUE(helper->Sync());

    EXPECT_EQ(other->Query("reader"), 1);
    EXPECT_EQ(other->Query("helper"), 1) << "a name that contains the query matches";
    EXPECT_EQ(other->Query("nobody"), 0);
    EXPECT_EQ(other->Query(""), 0);

    // "reader" reaches the first accepted of the two, byte for byte as sent.
    ASSERT_TRUE(other->UserMessage("other", "reader", 7, "", 0x11, 0x22));
    auto m = reader->ReadType(122);
    ASSERT_TRUE(m);
    Bytes want = Msg(122).text("other", 32).text("reader", 32).u32(0x11).u32(0x22).byte(7).u32(0).pad(5).done();
    ASSERT_EQ(m->size(), 89u);
    EXPECT_EQ(*m, want);
    EXPECT_FALSE(helper->Read(300)) << "only one program receives it";

    ASSERT_TRUE(other->UserMessage("other", "helper", 9, "hello"));
    m = helper->ReadType(122);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->size(), 94u);
    EXPECT_EQ(std::string(m->begin() + 84, m->begin() + 89), "hello");
    EXPECT_EQ((*m)[89], 0);

    // Unregistered targets: dropped, and the server goes on.
    ASSERT_TRUE(other->UserMessage("other", "ghost", 7, "x"));
    EXPECT_EQ(other->Query("reader"), 1);
    EXPECT_FALSE(reader->Read(200));
    EXPECT_FALSE(helper->Read(200));
}

TEST_F(ServerCore, EserverAnywhereInTheTargetBroadcastsType170ToAllOthers) {
    auto a = Client();
    auto b = Client();
    auto sender = Client();
    ASSERT_TRUE(sender->UserMessage("me", "xx-eserver-yy", 5, std::string(1, '\0')));
    for (WireClient* c : {a.get(), b.get()}) {
        auto m = c->ReadType(122);
        ASSERT_TRUE(m);
        EXPECT_EQ((*m)[76], 170);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(m->data() + 36)), "xx-eserver-yy");
    }
    EXPECT_FALSE(sender->Read(300)) << "the sender does not receive its own broadcast";
    // The vertical-screen flag follows the first data byte: 0 turns it off.
    auto late = Client();
    EXPECT_EQ(late->sysinfo()[1168], 1);
}

TEST_F(ServerCore, HeaderOnlyAndUnknownRequestsAreReadAndDropped) {
    auto c = Client();
    ASSERT_TRUE(c->Send(Msg(255).done()));               // RequestClose, header only: not executed
    ASSERT_TRUE(c->Send(Msg(200).u32(1).u32(2).done())); // no handler
    ASSERT_TRUE(c->Send(Msg(124).u32(0).done()));        // QueryProgram cut short: name reads as ""
    auto r = c->ReadType(124);
    ASSERT_TRUE(r);
    EXPECT_EQ(U32At(*r, 36), 0u);
    EXPECT_EQ(c->Query("x"), 0) << "the connection is still served";
}

TEST_F(ServerCore, AShortRequestReadsZerosPastItsEnd) {
    auto named = Client();
    ASSERT_TRUE(named->Register("ab"));
    ASSERT_TRUE(named->Sync());
    auto c = Client();
    // A long QueryProgram, then one that carries only "ab": what the first
    // left behind must not lengthen the second's name.
    ASSERT_TRUE(c->Send(Msg(124).text("xxxxxxxx", 32).u32(0).done()));
    ASSERT_TRUE(c->Send(Msg(124).raw('a').raw('b').done()));
    for (uint32_t want : {0u, 1u}) {
        auto r = c->ReadType(124);
        ASSERT_TRUE(r);
        EXPECT_EQ(U32At(*r, 36), want);
    }
}

TEST_F(ServerCore, BadLengthsCloseOnlyThatConnection) {
    auto good = Client();
    for (uint32_t length : {0u, 3u, 131073u, 0xFFFFFFu}) {
        auto bad = Client();
        Bytes b = Msg(124).text("x", 32).u32(0).withLength(length);
        ASSERT_TRUE(bad->Send(b));
        EXPECT_TRUE(bad->WaitClosed()) << length;
        EXPECT_EQ(good->Query("x"), 0) << length;
    }
}

TEST_F(ServerCore, TwoClientsWithQueuedRequestsAreServedOneRequestEachPerPass) {
    auto target = Client();
    ASSERT_TRUE(target->Register("target"));
    ASSERT_TRUE(target->Sync());
    auto a = Client();
    auto b = Client();
    // Freeze the server so that both batches are waiting in one pass.
    server.Signal(SIGSTOP);
    Bytes batchA, batchB;
    for (int i = 0; i < 3; ++i) {
        for (auto [batch, tag] : {std::pair{&batchA, 'A'}, std::pair{&batchB, 'B'}}) {
            Msg m(122);
            m.text("s", 32).text("target", 32).u32(0).u32(0).byte(1).u32(1).raw(uint8_t(tag)).pad(5);
            Bytes one = m.done();
            batch->insert(batch->end(), one.begin(), one.end());
        }
    }
    ASSERT_TRUE(a->Send(batchA));
    ASSERT_TRUE(b->Send(batchB));
    SleepMs(50);
    server.Signal(SIGCONT);
    std::string order;
    for (int i = 0; i < 6; ++i) {
        auto m = target->ReadType(122);
        ASSERT_TRUE(m) << order;
        order += char((*m)[84]);
    }
    EXPECT_EQ(order, "ABABAB");
}

TEST_F(ServerCore, AClientThatLeavesMidRequestIsTornDownWithoutExecutingIt) {
    auto target = Client();
    ASSERT_TRUE(target->Register("target"));
    ASSERT_TRUE(target->Sync());
    {
        auto quitter = Client();
        Msg m(122);
        m.text("q", 32).text("target", 32).u32(0).u32(0).byte(1).u32(4).bytes("data", 4).pad(5);
        Bytes whole = m.done();
        ASSERT_TRUE(quitter->Send(Bytes(whole.begin(), whole.begin() + 50)));
    }
    EXPECT_TRUE(server.WaitForOutput("client num:1", 3000)) << server.Output();
    EXPECT_FALSE(target->Read(300));
    EXPECT_EQ(target->Query("target"), 1);
}

TEST_F(ServerCore, NothingWrittenAfterRequestCloseRuns) {
    auto target = Client();
    ASSERT_TRUE(target->Register("target"));
    ASSERT_TRUE(target->Sync());
    auto closer = Client();
    ASSERT_TRUE(closer->Sync());
    // One write: a message, the close, then a message that must never
    // arrive (the last two run from the buffer, without a read between).
    auto message = [](char tag) {
        Msg m(122);
        m.text("c", 32).text("target", 32).u32(0).u32(0).byte(1).u32(1).raw(uint8_t(tag)).pad(5);
        return m.done();
    };
    Bytes b = message('A'), close = Msg(255).u32(0).done(), after = message('Z');
    b.insert(b.end(), close.begin(), close.end());
    b.insert(b.end(), after.begin(), after.end());
    ASSERT_TRUE(closer->Send(b));
    EXPECT_TRUE(closer->WaitClosed());
    auto m = target->ReadType(122);
    ASSERT_TRUE(m);
    EXPECT_EQ((*m)[84], 'A');
    EXPECT_FALSE(target->Read(300));
    EXPECT_EQ(target->Query("target"), 1);
}

TEST_F(ServerCore, AStalledClientDoesNotDelayAnother) {
    auto staller = Client();
    Bytes query = Msg(124).text("x", 32).u32(0).done();
    ASSERT_TRUE(staller->Send(Bytes(query.begin(), query.begin() + 10)));
    auto other = Client();
    long long start = MonoMs();
    EXPECT_EQ(other->Query("x", 2000), 0);
    long long elapsed = MonoMs() - start;
    // The reply does not wait for the staller (the select tick is 300 ms).
    EXPECT_LT(elapsed, 1000) << "reply took " << elapsed << " ms";
    // The staller's request completes later and is answered.
    ASSERT_TRUE(staller->Send(Bytes(query.begin() + 10, query.end())));
    EXPECT_TRUE(staller->ReadType(124));
}

TEST_F(ServerCore, AFloodingClientLeavesOthersAcceptedAndAnsweredMeanwhile) {
    auto flooder = Client();
    const uint32_t src = flooder->NewId(), dst = flooder->NewId();
    ASSERT_TRUE(flooder->Send(Msg(10).u32(src).s32(600).s32(800).s32(8)));
    ASSERT_TRUE(flooder->Send(Msg(10).u32(dst).s32(600).s32(800).s32(8)));
    // Whole-screen scaled copies that the server holds in its buffer all at
    // once, then a query whose answer marks the flood's end. The verdict is
    // the order of the answers, not a time: load slows both sides alike.
    Bytes scale = Msg(130).u32(src).u32(dst).u32(0).s32(0).s32(0).s32(0).s32(0).s32(0).s32(0).done();
    Bytes flood;
    for (int i = 0; i < 6000; ++i)
        flood.insert(flood.end(), scale.begin(), scale.end());
    Bytes marker = Msg(124).text("", 32).u32(0).done();
    flood.insert(flood.end(), marker.begin(), marker.end());
    ASSERT_TRUE(flooder->Send(flood));
    WireClient late;
    ASSERT_TRUE(late.Open(server.socketPath(), 60000));
    EXPECT_EQ(late.Query("nobody", 60000), 0);
    EXPECT_FALSE(flooder->Read(1)) << "the flood ended before a new client was accepted and answered";
}

TEST_F(ServerCore, TwoHundredClientsComeAndGoWithoutLeakingDescriptors) {
    auto anchor = Client();
    ASSERT_TRUE(anchor->Sync());
    int before = server.OpenDescriptors();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 200; ++i) {
        WireClient c;
        ASSERT_TRUE(c.Open(server.socketPath())) << i;
        ASSERT_EQ(c.Query("nobody"), 0) << i;
    }
    ASSERT_TRUE(server.WaitForOutput("client num:1\n", 5000));
    long long until = MonoMs() + 5000;
    while (server.OpenDescriptors() != before && MonoMs() < until) {
        anchor->Sync();
        SleepMs(20);
    }
    EXPECT_EQ(server.OpenDescriptors(), before);
}

TEST_F(ServerCore, GarbageFromHostileClientsNeverStopsTheServer) {
    auto good = Client();
    ASSERT_TRUE(good->Register("good"));
    std::mt19937 rng(12345);
    std::unique_ptr<WireClient> hostile;
    for (int i = 0; i < 1000; ++i) {
        if (!hostile || i % 50 == 0) hostile = Client();
        uint8_t op = uint8_t(rng() & 0xFF);
        // Requests that legitimately end the server or the device's power
        // are not garbage; everything else is fair game.
        if (op == 253) op = 124;
        uint32_t length = 4 + (rng() % 200);
        if (rng() % 10 == 0) length = rng(); // wild lengths
        Bytes b(4 + (rng() % 220));
        for (auto& x : b)
            x = uint8_t(rng());
        uint32_t header = (length << 8) | op;
        for (int k = 0; k < 4; ++k)
            b[size_t(k)] = uint8_t(header >> (8 * k));
        if (op == 122 && b.size() > 76) b[76] = 0; // no power-off request
        if (!hostile->Send(b)) hostile = Client();
        if (i % 100 == 99) {
            ASSERT_EQ(good->Query("good", 5000), 1) << "after " << i << " messages";
        }
    }
    hostile.reset();
    EXPECT_EQ(good->Query("good", 5000), 1);
    EXPECT_TRUE(server.Running());
}

TEST_F(ServerCore, RequestCloseServerServesOnThenClosesEveryClientAndExitsZero) {
    auto a = Client();
    auto b = Client();
    long long start = MonoMs();
    ASSERT_TRUE(a->Send(Msg(253).u32(0)));
    // Requests are still answered for at least 600 ms.
    while (MonoMs() - start < 550) {
        ASSERT_EQ(b->Query("x", 1000), 0);
        SleepMs(50);
    }
    for (WireClient* c : {a.get(), b.get()}) {
        auto m = c->ReadType(255, 8000);
        ASSERT_TRUE(m);
        EXPECT_EQ(*m, Msg(255).u32(0).done());
    }
    EXPECT_GE(MonoMs() - start, 600);
    int status = 0;
    ASSERT_TRUE(server.WaitExit(10000, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(ServerCore, SigtermExitsZeroAfterClosingClients) {
    auto a = Client();
    server.Signal(SIGTERM);
    EXPECT_TRUE(a->ReadType(255, 8000));
    int status = 0;
    ASSERT_TRUE(server.WaitExit(10000, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ServerEndpoints, WithoutTheLocalEndpointTheServerEndsWithAMessageAndNonZeroStatus) {
    EinkRoot root;
    // "/tmp" is a plain file: the socket cannot be bound under it.
    ASSERT_EQ(system(("rm -rf " + root.Path("/tmp")).c_str()), 0);
    root.Write("/tmp", "not a directory");
    ServerProcess server(root);
    EXPECT_FALSE(server.Start({}, {}, 3000));
    int status = 0;
    ASSERT_TRUE(server.WaitExit(5000, &status));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(server.Output().find("cannot listen on"), std::string::npos) << server.Output();
}

TEST(ServerEndpoints, BusyTcpPortsLeaveTheLocalEndpointServing) {
    EinkRoot root;
    // Hold both ports so that the server cannot bind them.
    int held[2];
    int ports[2];
    for (int i = 0; i < 2; ++i) {
        held[i] = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_ANY);
        addr.sin_port = 0;
        ASSERT_EQ(bind(held[i], reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ASSERT_EQ(listen(held[i], 1), 0);
        socklen_t len = sizeof addr;
        getsockname(held[i], reinterpret_cast<sockaddr*>(&addr), &len);
        ports[i] = ntohs(addr.sin_port);
    }
    ServerProcess server(root);
    ASSERT_TRUE(
        server.Start({}, {"EINK_PORT=" + std::to_string(ports[0]), "EINK_KEY_PORT=" + std::to_string(ports[1])}))
        << server.Output();
    WireClient c;
    ASSERT_TRUE(c.Open(server.socketPath()));
    EXPECT_EQ(c.Query("x"), 0);
    EXPECT_NE(server.Output().find("unavailable"), std::string::npos) << server.Output();
    for (int fd : held)
        close(fd);
}

TEST(ServerEndpoints, NetworkClientsGetTheSameServiceOverTcp) {
    EinkRoot root;
    ServerProcess server(root);
    ASSERT_TRUE(server.Start());
    WireClient local;
    ASSERT_TRUE(local.Open(server.socketPath()));
    ASSERT_TRUE(local.Register("local"));
    ASSERT_TRUE(local.Sync());
    WireClient net;
    long long until = MonoMs() + 3000;
    while (!net.ConnectTcp(server.port()) && MonoMs() < until)
        SleepMs(20);
    auto info = net.Read();
    ASSERT_TRUE(info);
    EXPECT_EQ(TypeOf(*info), 1);
    EXPECT_EQ(U32At(*info, 32), 2u << 20);
    EXPECT_EQ(net.Query("local"), 1);
    // A network client that stalls half-way does not hold the others up.
    Bytes query = Msg(124).text("x", 32).u32(0).done();
    ASSERT_TRUE(net.Send(Bytes(query.begin(), query.begin() + 7)));
    EXPECT_EQ(local.Query("local", 1000), 1);
}

} // namespace
