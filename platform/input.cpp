#include "platform/input.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/kd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "platform/einkroot.h"

namespace eink {

static_assert(sizeof(termios) <= sizeof(ConsoleState::savedTermios), "termios fits the saved settings");

namespace {

const char* const kEventPaths[3] = {"/dev/input/event0", "/dev/input/event1", "/dev/input/event2"};

// The grab request as the 32-bit device kernel numbers it.
constexpr unsigned long kEvIocGrab = 0x40044590;
static_assert(kEvIocGrab == EVIOCGRAB, "EVIOCGRAB");

// Requests of the touch-screen driver "/dev/ts".
constexpr unsigned long kTsSetMode = 1, kTsReset = 0, kTsCalibrate = 3;

bool IsCharDevice(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode);
}

bool IsFifo(int fd) {
    struct stat st;
    return fd >= 0 && fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
}

// Closes a descriptor that read end of file; true when it was a stand-in FIFO
// worth opening again (a fresh read end reports nothing until a new writer
// comes and goes, so this never turns into a busy loop).
bool CloseAfterEof(int fd) {
    bool fifo = IsFifo(fd);
    if (fd >= 0) close(fd);
    return fifo;
}

} // namespace

InputRecord DecodeInputRecord(const uint8_t* b) {
    InputRecord r;
    r.type = uint16_t(b[8] | b[9] << 8);
    r.code = uint16_t(b[10] | b[11] << 8);
    r.value = int32_t(uint32_t(b[12]) | uint32_t(b[13]) << 8 | uint32_t(b[14]) << 16 | uint32_t(b[15]) << 24);
    return r;
}

void EncodeInputRecord(uint8_t* out, uint16_t type, uint16_t code, int32_t value) {
    memset(out, 0, kInputRecordSize);
    out[8] = uint8_t(type);
    out[9] = uint8_t(type >> 8);
    out[10] = uint8_t(code);
    out[11] = uint8_t(code >> 8);
    uint32_t v = uint32_t(value);
    for (int i = 0; i < 4; ++i)
        out[12 + i] = uint8_t(v >> (8 * i));
}

int OpenEventDevice(int index) {
    if (index < 0 || index > 2) return -1;
    return open(Path(kEventPaths[index]).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

int ReopenEventDeviceAfterEof(int fd, int index) { return CloseAfterEof(fd) ? OpenEventDevice(index) : -1; }
int ReopenMouseAfterEof(int fd) { return CloseAfterEof(fd) ? OpenMouse() : -1; }
int ReopenTouchAfterEof(int fd) {
    return CloseAfterEof(fd) ? open(Path("/dev/ts").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
}

void GrabEventDevice(int fd, bool on) {
    if (fd < 0) return;
    (void)ioctl(fd, kEvIocGrab, on ? 1 : 0);
}

int OpenKeypadFile() { return open(Path("/proc/keypad").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC); }
int OpenFivewayFile() { return open(Path("/proc/fiveway").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC); }

void WriteHostLine(int fd, const char* line) {
    if (fd < 0 || !line) return;
    ssize_t n = write(fd, line, strlen(line));
    (void)n;
}

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// Runs a command through the shell and waits for the shell to end. Unlike
// system(), the child does not inherit the server's descriptors: a program
// started in the background would otherwise keep the server's sockets and
// devices open after the server is gone.
void RunShell(const std::string& cmd) {
    pid_t pid = fork();
    if (pid == 0) {
        // close_range came with Linux 5.9; older device kernels refuse it.
        if (close_range(3, ~0u, 0) != 0)
            for (long fd = 3, max = sysconf(_SC_OPEN_MAX); fd < max; ++fd)
                close(int(fd));
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return;
    // SIGCHLD is ignored, so the child is reaped by the system and waitpid
    // only waits for it to end (then reports ECHILD).
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void LaunchMainClient() { RunShell(ShellQuote(Path("/mnt/us/velmora/bin/velmora")) + " -ws &"); }

void SuspendDevice() { RunShell("echo \"mem\" > " + ShellQuote(Path("/sys/power/state"))); }

bool OpenConsole(ConsoleState* console, bool* fatal) {
    *fatal = false;
    int fd = -1;
    const char* const paths[] = {"/dev/tty", "/dev/tty0", "/dev/vc/0", "/dev/console"};
    for (const char* p : paths) {
        std::string path = Path(p);
        int f = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (f < 0 && errno == EACCES) f = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (f < 0 && errno == EACCES) f = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (f < 0) continue;
        if (IsFifo(f)) {
            // A stand-in that a test writes medium-raw bytes into: there is
            // no keyboard mode to switch.
            console->fd = f;
            console->raw = false;
            return true;
        }
        char type = 0;
        if (ioctl(f, KDGKBTYPE, &type) == 0 && (type == KB_84 || type == KB_101)) {
            fd = f;
            break;
        }
        close(f);
    }
    for (int f = 0; fd < 0 && f <= 2; ++f) {
        char type = 0;
        if (ioctl(f, KDGKBTYPE, &type) == 0 && (type == KB_84 || type == KB_101)) fd = f;
    }
    if (fd < 0) return false;

    console->fd = fd;
    if (ioctl(fd, KDGKBMODE, &console->savedMode) < 0) perror("KDGKBMODE");
    termios saved;
    if (tcgetattr(fd, &saved) < 0) perror("tcgetattr");
    memcpy(console->savedTermios, &saved, sizeof saved);
    termios raw = saved;
    raw.c_iflag = 0;
    raw.c_lflag &= ~(ISIG | ICANON | ECHO);
    raw.c_cc[VMIN] = 18;
    raw.c_cc[VTIME] = 1;
    if (tcsetattr(fd, TCSAFLUSH, &raw) < 0) perror("tcsetattr");
    console->raw = true;
    if (ioctl(fd, KDSKBMODE, K_MEDIUMRAW) < 0) {
        perror("KDSKBMODE");
        *fatal = true;
    }
    return true;
}

void CloseConsole(ConsoleState* console, bool* fatal) {
    *fatal = false;
    if (console->fd < 0) return;
    if (console->raw) {
        if (ioctl(console->fd, KDSKBMODE, console->savedMode) < 0) {
            perror("KDSKBMODE");
            *fatal = true;
        }
        termios saved;
        memcpy(&saved, console->savedTermios, sizeof saved);
        if (tcsetattr(console->fd, TCSAFLUSH, &saved) < 0) perror("tcsetattr");
        console->raw = false;
    }
    if (console->fd > 2) close(console->fd);
    console->fd = -1;
}

int OpenMouse() {
    int fd = open(Path("/dev/psaux").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) fd = open(Path("/dev/input/mice").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return fd;
}

bool ReadTouchCalibration(TouchCalibration* out) {
    *out = TouchCalibration{0, 0, 0, 0, 0, 0, 0};
    std::string path = Path("/etc/sysconfig/touchpad");
    FILE* f = fopen(path.c_str(), "r");
    if (!f) {
        perror(path.c_str());
        return false;
    }
    struct Field {
        const char* key;
        uint16_t* dst;
    } fields[] = {{"res_x=", &out->resX}, {"res_y=", &out->resY}, {"min_x=", &out->minX},   {"max_x=", &out->maxX},
                  {"min_y=", &out->minY}, {"max_y=", &out->maxY}, {"xyswap=", &out->xySwap}};
    char line[256];
    while (fgets(line, sizeof line, f)) {
        if (!strchr(line, '\n') && !feof(f)) {
            // Longer than any line of ours: garbage, with its rest.
            int ch;
            while ((ch = fgetc(f)) != EOF && ch != '\n') {
            }
            continue;
        }
        for (const Field& fd : fields) {
            size_t n = strlen(fd.key);
            if (strncmp(line, fd.key, n) != 0) continue;
            // A number that is missing or does not fit the driver's 16 bits
            // makes the line garbage, and garbage lines are ignored.
            const char* p = line + n;
            if (*p < '0' || *p > '9') break;
            char* end = nullptr;
            errno = 0;
            unsigned long v = strtoul(p, &end, 10);
            if (errno == 0 && v <= 0xFFFF) *fd.dst = uint16_t(v);
            break;
        }
    }
    fclose(f);
    return true;
}

bool TouchCalibrationUsable(const TouchCalibration& c) {
    return c.resX && c.resY && c.minX && c.maxX && c.minY && c.maxY && c.minX != c.maxX && c.minY != c.maxY;
}

int OpenTouch(int screenWidth, int screenHeight, TouchCalibration* used) {
    std::string path = Path("/dev/ts");
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    // The driver's own mode requests; stand-ins refuse them harmlessly.
    (void)ioctl(fd, kTsSetMode, 1);
    (void)ioctl(fd, kTsReset);

    TouchCalibration cal;
    if (ReadTouchCalibration(&cal) && TouchCalibrationUsable(cal)) {
        if (IsCharDevice(fd)) {
            (void)ioctl(fd, kTsCalibrate, &cal);
        } else {
            FILE* log = fopen((path + ".calibration").c_str(), "a");
            if (log) {
                fprintf(log, "%u %u %u %u %u %u %u\n", cal.resX, cal.resY, cal.minX, cal.maxX, cal.minY, cal.maxY,
                        cal.xySwap);
                fclose(log);
            }
        }
        close(fd);
        fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    cal.resX = uint16_t(screenWidth);
    cal.resY = uint16_t(screenHeight);
    if (used) *used = cal;
    return fd;
}

} // namespace eink
