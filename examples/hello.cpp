// hello: the smallest libgui program that talks to another program. Start two
// of them (in any order, with any labels as arguments): each connects to
// winserver, registers under a name made from its connection's serial
// number, looks for the other, and the older one sends a greeting that the
// younger one answers. Both print what happened and exit 0; a missing peer
// or answer ends the program with status 2 after 15 seconds.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include <egui.h>

namespace {

constexpr int kGreeting = 1; // user message types of this program
constexpr int kAnswer = 2;
constexpr unsigned kProbeRange = 16; // serials looked at above our own

unsigned gSerial = 0;
const char* gLabel = "";

void GiveUp(int) {
    static const char msg[] = "hello: no peer or no answer in time, giving up\n";
    ssize_t ignored = write(2, msg, sizeof msg - 1);
    (void)ignored;
    _exit(2);
}

std::string NameOf(unsigned serial) {
    char name[32];
    snprintf(name, sizeof name, "hello.%06u.", serial);
    return name;
}

// The next user message: first from those saved while a query waited, then
// from the connection. Null when the connection failed.
GS_GeneralEvent_st* NextUserMessage(bool* saved) {
    while (GS_GeneralEvent_st* ev = CheckWaitEvent()) {
        if (GL_EventType(ev) == 122) {
            *saved = true;
            return ev;
        }
        FreeEventData(ev);
    }
    *saved = false;
    return WaitEvent(122);
}

// Fields of a user message (sender at 4, type at 76, length at 80, data at 84).
struct UserMessage {
    std::string sender, data;
    unsigned type = 0;
};

bool Receive(UserMessage* out) {
    bool saved = false;
    GS_GeneralEvent_st* ev = NextUserMessage(&saved);
    if (!ev) return false;
    const unsigned char* b = GL_EventBytes(ev);
    unsigned length = GL_EventLength(ev);
    out->sender.assign(reinterpret_cast<const char*>(b + 4), strnlen(reinterpret_cast<const char*>(b + 4), 32));
    out->type = b[76];
    unsigned n = GL_EventWord(ev, 80);
    if (length >= 89 && n <= length - 89) out->data.assign(reinterpret_cast<const char*>(b + 84), n);
    if (saved) FreeEventData(ev);
    return true;
}

void Say(const char* fmt, const std::string& a = "", const std::string& b = "") {
    printf("hello[%u%s%s]: ", gSerial, *gLabel ? " " : "", gLabel);
    printf(fmt, a.c_str(), b.c_str());
    printf("\n");
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    signal(SIGALRM, GiveUp);
    alarm(15);
    for (int i = 1; i < argc; ++i)
        if (strcmp(argv[i], "-ws") != 0) gLabel = argv[i];

    if (!egui_init(argc, argv)) {
        fprintf(stderr, "hello: winserver is not running (start it, or pass -ws to wait for it)\n");
        return 1;
    }
    // Identifiers of this connection start at its serial number << 20.
    unsigned long firstId = GetProgramIdBase();
    gSerial = unsigned(firstId >> 20);
    char facts[128];
    snprintf(facts, sizeof facts, "screen %dx%d, depth %d, identifiers from 0x%lx", iDisplayWidth, iDisplayHeight,
             iDepth, firstId);
    Say("connected to winserver: %s", facts);

    const std::string me = NameOf(gSerial);
    NC_RegisterProgram(me.c_str(), int(getpid()), int(getpid()));
    Say("registered as %s", me);

    // Look for another hello among the nearby serials until one answers.
    unsigned peer = 0;
    while (peer == 0) {
        for (unsigned s = 1; s <= gSerial + kProbeRange && peer == 0; ++s)
            if (s != gSerial && NC_QueryProgram(NameOf(s).c_str()) == 1) peer = s;
        if (peer == 0) usleep(50000);
    }
    const std::string other = NameOf(peer);
    Say("found %s", other);

    UserMessage m;
    if (gSerial < peer) {
        const std::string text = "greetings from " + me;
        NC_UserMessage(me.c_str(), other.c_str(), 0, 0, kGreeting, int(text.size()), text.c_str());
        Say("sent \"%s\" to %s", text, other);
        do {
            if (!Receive(&m)) return 3;
        } while (m.type != kAnswer);
        Say("received \"%s\" from %s", m.data, m.sender);
    } else {
        do {
            if (!Receive(&m)) return 3;
        } while (m.type != kGreeting);
        Say("received \"%s\" from %s", m.data, m.sender);
        const std::string text = "and greetings back from " + me;
        NC_UserMessage(me.c_str(), m.sender.c_str(), 0, 0, kAnswer, int(text.size()), text.c_str());
        Say("answered \"%s\" to %s", text, m.sender);
    }
    Say("done%s");
    NC_RequestClose();
    CloseConnection();
    return 0;
}
