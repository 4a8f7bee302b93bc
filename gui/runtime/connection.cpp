// Start-up of a libgui program: the connection to winserver, the SysInfo
// record, registration, identifier allocation and the signal handler that
// ends the program cleanly.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "egui_conn.h"
#include "nc_request.h"
#include "platform/einkroot.h"
#include "protocol/protocol.h"
#include "runtime/connection_hooks.h"

namespace si = proto::sysinfo;

// ---- Exported state -----------------------------------------------------------------

int connFd = -1;
alignas(8) unsigned char gReqBuffer[EGUI_REQ_BUFFER_SIZE];
alignas(8) unsigned char gSysInfo[EGUI_SYSINFO_SIZE];
alignas(8) unsigned char iDataInfo[EGUI_CHARINFO_SIZE];
int iTotalCharInfoSize = 0;
int iDisplayWidth = 0, iDisplayHeight = 0;
int iDepth = 0, iDepthBytes = 0;
int iRotateMode = 0;
unsigned char bVerticalScreen = 0;
int iErrLine = 0;
char* pProgName = nullptr;
char* pProgNameFile = nullptr;
unsigned char bWaitForServer = 0;
unsigned char bQuitProgram = 0;
char* progname = nullptr;
void (*pClientCloseFunc)(int) = nullptr;
int bSleepCan = 0;
int iCharset = 0;

static_assert(EGUI_REQ_BUFFER_SIZE == proto::kMaxMessage, "request buffer size");
static_assert(EGUI_SYSINFO_SIZE == si::kFixedSize, "SysInfo size");
static_assert(EGUI_CHARINFO_SIZE == si::kMaxCharInfo, "character-information block size");

static void FlushAtExit() { GL_Flush(); }

// ---- Connection -----------------------------------------------------------------------

int OpenConnection() {
    if (connFd >= 0) return connFd;
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) {
        printf("client[%d]:create socket failed.\n", int(getpid()));
        return -1;
    }
    printf("client[%d]:create socket succ.sockfd=%d\n", int(getpid()), fd);

    sockaddr_un addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::string path = eink::Path("/tmp/.commfile");
    // A path that does not fit the address (a deep emulation root) cannot be
    // connected to; copying it anyway would overrun the address.
    bool fits = path.size() < sizeof addr.sun_path;
    if (fits) std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    socklen_t len = socklen_t(offsetof(sockaddr_un, sun_path) + path.size());
    if (!fits || connect(fd, reinterpret_cast<sockaddr*>(&addr), len) < 0) {
        printf("client[%d]:connect server failed.\n", int(getpid()));
        close(fd);
        return -1;
    }

    connFd = fd;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    // A program that simply returns from main still gets its last requests out.
    static bool flushAtExit = atexit(FlushAtExit) == 0;
    (void)flushAtExit;
    GetSysInfoFromServer();
    return fd;
}

int CloseConnection() {
    if (connFd >= 0) {
        GL_Flush();
        close(connFd);
        connFd = -1;
    }
    return 0;
}

int GetSysInfoFromServer() {
    int got = NetRead(connFd, gSysInfo, int(si::kFixedSize));
    if (got < int(si::kFixedSize)) {
        printf("Got sysinfo failed bRtnState=%d sysinfo=%ld size2=%d.\n", got, long(si::kFixedSize),
               int(si::kFixedSize));
        exit(1);
    }
    printf("Got sysinfo ok bRtnState=%d sysinfo=%ld size2=%d.\n", got, long(got), got);

    iDepth = proto::GetS32(gSysInfo + si::kDepth);
    iDepthBytes = iDepth / 8;
    iDisplayWidth = proto::GetS32(gSysInfo + si::kLogicalWidth);
    iDisplayHeight = proto::GetS32(gSysInfo + si::kLogicalHeight);
    iRotateMode = proto::GetS32(gSysInfo + si::kRotation);

    // The block after the fixed part: a header claiming more than the buffer
    // holds must not overrun it, so the excess is read and dropped to keep
    // the stream in step.
    long total = long(proto::HeaderLength(proto::GetU32(gSysInfo)));
    long block = total - long(si::kFixedSize);
    if (block < 0) block = 0;
    long kept = block > long(si::kMaxCharInfo) ? long(si::kMaxCharInfo) : block;
    iTotalCharInfoSize = int(kept);
    if (kept > 0) NetRead(connFd, iDataInfo, int(kept));
    for (long rest = block - kept; rest > 0;) {
        int chunk = int(rest > long(sizeof gReqBuffer) ? long(sizeof gReqBuffer) : rest);
        int n = NetRead(connFd, gReqBuffer, chunk);
        if (n < chunk) break;
        rest -= n;
    }
    bVerticalScreen = gSysInfo[si::kOrientation] == 0 ? 1 : 0;
    return 1;
}

unsigned long GetProgramIdBase() {
    uint32_t base = proto::GetU32(gSysInfo + si::kIdBase);
    uint32_t counter = proto::GetU32(gSysInfo + si::kIdCounter);
    proto::PutU32(gSysInfo + si::kIdCounter, counter + 1);
    return (unsigned long)(uint32_t(base + counter));
}

// ---- Signals and the end of the program ----------------------------------------------

void GL_SignalHandler(int code) {
    fprintf(stderr, "client signal int(%d) and exit %s...iErrLine=%d\n", code, progname ? progname : "(null)",
            iErrLine);
    if (code != SIGPIPE && code != SIGSEGV && pClientCloseFunc) pClientCloseFunc(0);
    // What the program drew (and its close hook sent) reaches the server
    // before the program ends.
    GL_Flush();
    if (code == 99) exit(0);
    fprintf(stderr, "request close\n");
    NC_RequestClose();
    GL_Flush();
    if (code == 33) sleep(1);
    exit(0);
}

void QuitProgram() {
    GL_SignalHandler(33);
    exit(0); // not reached
}

void setupSignalHandler() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = SIG_IGN;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGCHLD, &sa, nullptr);
}

static void InstallSignalHandler() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = GL_SignalHandler;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGSEGV})
        sigaction(sig, &sa, nullptr);
}

// ---- egui_init ------------------------------------------------------------------------------

int egui_init(int argc, char** argv) {
    const char* arg0 = argc > 0 && argv && argv[0] ? argv[0] : "";
    fprintf(stderr, "av00=%s\n", arg0);

    free(pProgName);
    pProgName = strdup(arg0);
    char* slash = pProgName ? strrchr(pProgName, '/') : nullptr;
    pProgNameFile = slash ? slash : pProgName;

    if (argc > 1 && argv[1] && std::strcmp(argv[1], "-ws") == 0) bWaitForServer = 1;

    while (OpenConnection() < 0) {
        if (!bWaitForServer) return 0;
        fprintf(stderr, "client wait 1 sec\n");
        GL_Flush();
        sleep(1);
    }

    InstallSignalHandler();
    setupSignalHandler();

    egui_internal::InitModules();
    gSavedEvent = nullptr;
    pSavedEventData = nullptr;

    NC_RegisterProgram(pProgName, int(getpid()), int(getpid()));
    return 1;
}

void egui_clear() {}
