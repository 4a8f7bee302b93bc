// eink-emu: a desktop window onto the emulated panel, with the device's keys
// and touch screen.
//
// The picture comes from the panel file itself ("/dev/fb0" under EINK_ROOT):
// each time the server appends an update record to "<fb>.updates" the window
// is repainted from the packed 4-bit panel memory, in the panel's 16 grey
// levels (nibble n shown as 255 - 17 n, as "<fb>.png" shows it). A thread
// blocked in inotify wakes the window; while nothing changes the program
// sleeps in the window system's event wait and uses no processor.
//
// Keys go to the emulated keypad ("/dev/input/event0", a FIFO) as 16-byte
// input records with the device's key codes; a key held longer than the
// long-press delay sends automatic repeats, as the keypad driver does, which
// is what makes a long press of the lock key. Mouse presses, drags and
// releases go to the emulated touch screen ("/dev/ts", a FIFO, read by the
// server when started with EINK_INPUT=touch) as touch records in panel
// coordinates.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/einkroot.h"
#include "platform/framebuffer.h"
#include "platform/input.h"

namespace {

// ---- The key table: the one place that says which desktop key is which device key ----

struct KeyBinding {
    SDL_Keycode key;
    const char* keyName; // as --help shows it
    uint16_t code;       // device key code written to the keypad
    const char* what;
};

// Five-way codes are the ones the toolkit's lists step with (20 back, 21
// forward) and that the key router never drops as repeated releases; 104 and
// 109 are the page keys (the gallery pages with them); 158 and 194 are what
// the large panel's back and select keys are turned into; 32 is the lock key;
// digits and letters are the characters the keypad produces.
constexpr uint16_t kLockKeyCode = 32;
const KeyBinding kKeys[] = {
    {SDLK_UP, "Up", 20, "five-way up"},
    {SDLK_DOWN, "Down", 21, "five-way down"},
    {SDLK_LEFT, "Left", 22, "five-way left"},
    {SDLK_RIGHT, "Right", 23, "five-way right"},
    {SDLK_RETURN, "Return", 194, "five-way centre"},
    {SDLK_KP_ENTER, "keypad Enter", 194, "five-way centre"},
    {SDLK_PAGEUP, "Page Up", 104, "previous page"},
    {SDLK_PAGEDOWN, "Page Down", 109, "next page"},
    {SDLK_ESCAPE, "Escape", 158, "back"},
    {SDLK_F12, "F12", kLockKeyCode, "lock / power key (hold for a long press)"},
    {SDLK_0, "0", '0', "digit 0"},
    {SDLK_1, "1", '1', "digit 1"},
    {SDLK_2, "2", '2', "digit 2"},
    {SDLK_3, "3", '3', "digit 3"},
    {SDLK_4, "4", '4', "digit 4"},
    {SDLK_5, "5", '5', "digit 5"},
    {SDLK_6, "6", '6', "digit 6"},
    {SDLK_7, "7", '7', "digit 7"},
    {SDLK_8, "8", '8', "digit 8"},
    {SDLK_9, "9", '9', "digit 9"},
    {SDLK_BACKQUOTE, "`", '`', "keypad letter `"},
    {SDLK_a, "a", 'a', "keypad letter a"},
    {SDLK_b, "b", 'b', "keypad letter b"},
    {SDLK_c, "c", 'c', "keypad letter c"},
    {SDLK_d, "d", 'd', "keypad letter d"},
    {SDLK_e, "e", 'e', "keypad letter e"},
    {SDLK_f, "f", 'f', "keypad letter f"},
    {SDLK_g, "g", 'g', "keypad letter g"},
    {SDLK_h, "h", 'h', "keypad letter h"},
    {SDLK_i, "i", 'i', "keypad letter i"},
};

const KeyBinding* FindKey(SDL_Keycode key) {
    // The keypad's digits work like the main row's.
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) key = SDLK_1 + (key - SDLK_KP_1);
    if (key == SDLK_KP_0) key = SDLK_0;
    for (const KeyBinding& k : kKeys)
        if (k.key == key) return &k;
    return nullptr;
}

// A key held this long starts repeating, this often: the keypad driver's pace.
constexpr int kLongPressMs = 500;
constexpr int kRepeatMs = 100;
// How long --flash shows the inverted picture.
constexpr int kFlashMs = 150;

void Usage(FILE* out) {
    fprintf(out, "usage: eink-emu [--scale N] [--flash] [--fb PATH] [--title TEXT]\n"
                 "\n"
                 "Shows the emulated e-ink panel of the device under EINK_ROOT and repaints it\n"
                 "on every panel update. Keys go to the emulated keypad (/dev/input/event0),\n"
                 "the mouse to the emulated touch screen (/dev/ts; start winserver with\n"
                 "EINK_INPUT=touch). Closing the window ends the program.\n"
                 "\n"
                 "  --scale N      show each panel pixel as N x N (1 to 8, default 1)\n"
                 "  --flash        invert the picture briefly on a full-screen update\n"
                 "  --fb PATH      the panel file (default: /dev/fb0 under EINK_ROOT)\n"
                 "  --title TEXT   window title\n"
                 "\n"
                 "Keys (desktop key -> device key code):\n");
    for (const KeyBinding& k : kKeys)
        if (k.key != SDLK_KP_ENTER) fprintf(out, "  %-12s %4u  %s\n", k.keyName, unsigned(k.code), k.what);
    fprintf(out,
            "  (keypad digits as the digits; keypad Enter as Return; a key held %d ms\n"
            "  repeats every %d ms, so holding F12 is the lock key's long press)\n"
            "Mouse: left button press, drag and release touch the panel at the pixel under\n"
            "the pointer (window position / scale).\n",
            kLongPressMs, kRepeatMs);
}

// ---- Writers into the emulated input devices ------------------------------------------

// One FIFO written by the emulator. Opened when first needed (the server may
// start after us), reopened after the server went away.
class FifoWriter {
public:
    explicit FifoWriter(std::string path) : path_(std::move(path)) {}
    ~FifoWriter() { Close(); }
    bool Write(const uint8_t* bytes, size_t n) {
        if (fd_ < 0) fd_ = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            Complain("cannot open");
            return false;
        }
        // Records are far smaller than PIPE_BUF, so each goes in whole or not at all.
        ssize_t w = write(fd_, bytes, n);
        if (w == ssize_t(n)) {
            complained_ = false;
            return true;
        }
        if (w < 0 && errno != EAGAIN) Close(); // no reader any more: try afresh next time
        Complain("cannot write");
        return false;
    }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    void Complain(const char* what) {
        if (!complained_) fprintf(stderr, "eink-emu: %s %s: %s\n", what, path_.c_str(), strerror(errno));
        complained_ = true;
    }
    std::string path_;
    int fd_ = -1;
    bool complained_ = false;
};

// ---- The panel file and its update log ---------------------------------------------------

struct UpdateRecord {
    long left, top, right, bottom;
};

// Watches "<fb>.updates" for new lines. A thread sleeps in poll() on an
// inotify descriptor and posts one SDL event per wake-up; the main thread
// then reads whatever complete lines have arrived.
class UpdateWatcher {
public:
    UpdateWatcher(const std::string& fbPath, Uint32 sdlEvent) : path_(fbPath + ".updates"), event_(sdlEvent) {
        size_t slash = path_.rfind('/');
        dir_ = slash == std::string::npos ? "." : path_.substr(0, slash == 0 ? 1 : slash);
        name_ = path_.substr(slash == std::string::npos ? 0 : slash + 1);
    }
    ~UpdateWatcher() { Stop(); }

    bool Start() {
        if (pipe2(stop_, O_CLOEXEC) != 0) return false;
        inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (inotify_ < 0) return false;
        // The directory tells when the log appears (the first update creates
        // it) and when a writer closes it, which covers a line written before
        // the watch on the new log was in place; the log itself when it grows.
        if (inotify_add_watch(inotify_, dir_.c_str(), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
            fprintf(stderr, "eink-emu: cannot watch %s: %s\n", dir_.c_str(), strerror(errno));
            return false;
        }
        WatchFile();
        // Earlier updates are already on the panel we show first.
        struct stat st;
        if (stat(path_.c_str(), &st) == 0) {
            offset_ = long(st.st_size);
            inode_ = st.st_ino;
        }
        if (pthread_create(&thread_, nullptr, &UpdateWatcher::Run, this) != 0) return false;
        running_ = true;
        return true;
    }

    void Stop() {
        if (running_) {
            (void)!write(stop_[1], "x", 1);
            pthread_join(thread_, nullptr);
            running_ = false;
        }
        for (int* fd : {&inotify_, &stop_[0], &stop_[1]}) {
            if (*fd >= 0) close(*fd);
            *fd = -1;
        }
    }

    // The complete lines that arrived since the last call (main thread).
    std::vector<UpdateRecord> NewRecords() {
        std::vector<UpdateRecord> out;
        WatchFile();
        int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return out;
        struct stat st;
        if (fstat(fd, &st) == 0 && (st.st_size < offset_ || st.st_ino != inode_)) {
            offset_ = 0; // a new log: start over
            inode_ = st.st_ino;
        }
        char buf[4096];
        for (;;) {
            ssize_t n = pread(fd, buf, sizeof buf, offset_);
            if (n <= 0) break;
            ssize_t used = 0;
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\n') continue;
                std::string line(buf + used, buf + i);
                UpdateRecord r{};
                if (sscanf(line.c_str(), "%ld %ld %ld %ld", &r.left, &r.top, &r.right, &r.bottom) == 4)
                    out.push_back(r);
                used = i + 1;
            }
            if (used == 0) {
                if (n == ssize_t(sizeof buf)) offset_ += n; // an absurd line: skip it
                break;
            }
            offset_ += used;
        }
        close(fd);
        return out;
    }

private:
    static void* Run(void* self) {
        static_cast<UpdateWatcher*>(self)->Loop();
        return nullptr;
    }
    void Loop() {
        alignas(inotify_event) char buf[4096];
        for (;;) {
            pollfd p[2] = {{inotify_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (poll(p, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (p[1].revents) return;
            bool relevant = false;
            ssize_t n;
            while ((n = read(inotify_, buf, sizeof buf)) > 0) {
                for (ssize_t i = 0; i < n;) {
                    auto* e = reinterpret_cast<inotify_event*>(buf + i);
                    // Events on the log itself, or its name appearing in the directory.
                    if (e->wd == fileWatch_.load() || (e->len && name_ == e->name)) relevant = true;
                    // A log that was removed is watched afresh once it is back.
                    if (e->wd == fileWatch_.load() && (e->mask & IN_IGNORED)) fileWatch_.store(-1);
                    i += ssize_t(sizeof(inotify_event) + e->len);
                }
            }
            if (relevant) {
                SDL_Event ev{};
                ev.type = event_;
                SDL_PushEvent(&ev);
            }
        }
    }
    void WatchFile() {
        if (fileWatch_.load() >= 0) return;
        int wd = inotify_add_watch(inotify_, path_.c_str(), IN_MODIFY | IN_DELETE_SELF | IN_MOVE_SELF);
        fileWatch_.store(wd);
    }

    std::string path_, dir_, name_;
    Uint32 event_;
    int inotify_ = -1;
    int stop_[2] = {-1, -1};
    std::atomic<int> fileWatch_{-1};
    long offset_ = 0;
    ino_t inode_ = 0;
    pthread_t thread_{};
    bool running_ = false;
};

// ---- The window ----------------------------------------------------------------------------

struct Options {
    int scale = 1;
    bool flash = false;
    std::string fb;
    std::string title = "eink-emu";
};

class Emulator {
public:
    explicit Emulator(const Options& o)
        : opt_(o), keypad_(eink::Path("/dev/input/event0")), touch_(eink::Path("/dev/ts")) {}
    ~Emulator() {
        if (canvas_) SDL_FreeSurface(canvas_);
        if (window_) SDL_DestroyWindow(window_);
    }

    bool Open() {
        if (!ReadPanelSize()) return false;
        window_ = SDL_CreateWindow(opt_.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                   width_ * opt_.scale, height_ * opt_.scale, 0);
        if (!window_) {
            fprintf(stderr, "eink-emu: cannot open a window: %s\n", SDL_GetError());
            return false;
        }
        Repaint(false);
        // Scripts and tests find the window by this line. Asked after the
        // first picture: making the window's frame buffer may recreate it.
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        unsigned long xid = 0;
        if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) xid = info.info.x11.window;
        printf("eink-emu: window 0x%lx, panel %dx%d, scale %d\n", xid, width_, height_, opt_.scale);
        fflush(stdout);
        return true;
    }

    int Run(UpdateWatcher& watcher, Uint32 updateEvent) {
        for (;;) {
            int timeout = NextTimeout();
            SDL_Event ev;
            int got = timeout < 0 ? SDL_WaitEvent(&ev) : SDL_WaitEventTimeout(&ev, timeout);
            if (got) {
                if (ev.type == SDL_QUIT) return 0;
                if (ev.type == updateEvent)
                    OnUpdates(watcher.NewRecords());
                else
                    Handle(ev);
            }
            Tick();
        }
    }

private:
    bool ReadPanelSize() {
        int w = 600, h = 800;
        if (FILE* f = fopen((opt_.fb + ".mode").c_str(), "r")) {
            int mw = 0, mh = 0;
            if (fscanf(f, "%d %d", &mw, &mh) == 2 && mw > 0 && mh > 0 && mw <= 8192 && mh <= 8192) {
                w = mw;
                h = mh;
            }
            fclose(f);
        }
        struct stat st;
        if (stat(opt_.fb.c_str(), &st) != 0) {
            fprintf(stderr, "eink-emu: no panel file %s: %s\n", opt_.fb.c_str(), strerror(errno));
            return false;
        }
        width_ = w;
        height_ = h;
        return true;
    }

    // Reads the panel memory and draws it, inverted while flashing.
    void Repaint(bool inverted) {
        const size_t bytes = size_t(width_) * size_t(height_) / 2;
        std::vector<uint8_t> panel(bytes, 0);
        int fd = open(opt_.fb.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            size_t got = 0;
            while (got < bytes) {
                ssize_t n = pread(fd, panel.data() + got, bytes - got, off_t(got));
                if (n <= 0) break; // a short file shows white beyond its end
                got += size_t(n);
            }
            close(fd);
        }
        const int s = opt_.scale, W = width_ * s, H = height_ * s;
        if (!canvas_ || canvas_->w != W || canvas_->h != H) {
            if (canvas_) SDL_FreeSurface(canvas_);
            canvas_ = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_XRGB8888);
            if (!canvas_) return;
        }
        Uint32 grey[16];
        for (int n = 0; n < 16; ++n) {
            Uint8 g = eink::PanelNibbleToGrey(uint8_t(n));
            if (inverted) g = Uint8(255 - g);
            grey[n] = SDL_MapRGB(canvas_->format, g, g, g);
        }
        SDL_LockSurface(canvas_);
        for (int y = 0; y < height_; ++y) {
            auto* row =
                reinterpret_cast<Uint32*>(static_cast<Uint8*>(canvas_->pixels) + size_t(y) * s * canvas_->pitch);
            const uint8_t* src = panel.data() + size_t(y) * width_ / 2;
            for (int x = 0; x < width_; ++x) {
                uint8_t b = src[x / 2];
                Uint32 p = grey[(x & 1) ? (b & 15) : (b >> 4)];
                for (int k = 0; k < s; ++k)
                    row[x * s + k] = p;
            }
            for (int k = 1; k < s; ++k)
                memcpy(static_cast<Uint8*>(canvas_->pixels) + (size_t(y) * s + k) * canvas_->pitch, row, size_t(W) * 4);
        }
        SDL_UnlockSurface(canvas_);
        Present();
    }

    void Present() {
        SDL_Surface* screen = SDL_GetWindowSurface(window_);
        if (!screen || !canvas_) return;
        SDL_BlitSurface(canvas_, nullptr, screen, nullptr);
        SDL_UpdateWindowSurface(window_);
    }

    void OnUpdates(const std::vector<UpdateRecord>& records) {
        if (records.empty()) return;
        // The last record names the panel's current row length and height
        // (they swap when the large panel turns to landscape).
        const UpdateRecord& r = records.back();
        long w = r.right - r.left, h = r.bottom - r.top;
        bool full = false;
        for (const UpdateRecord& u : records)
            if (u.left == 0 && u.top == 0) full = true;
        if (r.left == 0 && r.top == 0 && w > 0 && h > 0 && w % 2 == 0 && w <= 8192 && h <= 8192 &&
            (w != width_ || h != height_)) {
            struct stat st;
            if (stat(opt_.fb.c_str(), &st) == 0 && w * h / 2 <= st.st_size) {
                width_ = int(w);
                height_ = int(h);
                SDL_SetWindowSize(window_, width_ * opt_.scale, height_ * opt_.scale);
            }
        }
        if (opt_.flash && full) {
            Repaint(true);
            flashUntil_ = SDL_GetTicks64() + kFlashMs;
        } else {
            Repaint(false);
        }
    }

    void Handle(const SDL_Event& ev) {
        switch (ev.type) {
        case SDL_WINDOWEVENT:
            if (ev.window.event == SDL_WINDOWEVENT_EXPOSED || ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                Present();
            break;
        case SDL_KEYDOWN:
            if (ev.key.repeat) break; // the window system's repeat: ours goes at the keypad's pace
            if (const KeyBinding* k = FindKey(ev.key.keysym.sym)) {
                SendKey(k->code, eink::kKeyPress);
                held_ = k;
                heldSym_ = ev.key.keysym.sym;
                nextRepeat_ = SDL_GetTicks64() + kLongPressMs;
            }
            break;
        case SDL_KEYUP:
            if (const KeyBinding* k = FindKey(ev.key.keysym.sym)) {
                SendKey(k->code, eink::kKeyRelease);
                if (held_ && heldSym_ == ev.key.keysym.sym) held_ = nullptr;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (ev.button.button == SDL_BUTTON_LEFT) {
                touching_ = true;
                Touch(1, ev.button.x, ev.button.y);
            }
            break;
        case SDL_MOUSEMOTION:
            if (touching_) Touch(1, ev.motion.x, ev.motion.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (ev.button.button == SDL_BUTTON_LEFT && touching_) {
                touching_ = false;
                Touch(0, ev.button.x, ev.button.y);
            }
            break;
        default: break;
        }
    }

    // Milliseconds until the next timed action (key repeat, end of a flash),
    // or -1 to wait for events alone.
    int NextTimeout() const {
        Uint64 now = SDL_GetTicks64(), next = UINT64_MAX;
        if (held_) next = std::min(next, nextRepeat_);
        if (flashUntil_) next = std::min(next, flashUntil_);
        if (next == UINT64_MAX) return -1;
        return next <= now ? 0 : int(std::min<Uint64>(next - now, INT_MAX));
    }

    void Tick() {
        Uint64 now = SDL_GetTicks64();
        if (held_ && now >= nextRepeat_) {
            SendKey(held_->code, eink::kKeyRepeat);
            nextRepeat_ = now + kRepeatMs;
        }
        if (flashUntil_ && now >= flashUntil_) {
            flashUntil_ = 0;
            Repaint(false);
        }
    }

    void SendKey(uint16_t code, int32_t value) {
        uint8_t rec[eink::kInputRecordSize];
        eink::EncodeInputRecord(rec, eink::kEventTypeKey, code, value);
        keypad_.Write(rec, sizeof rec);
    }

    // One touch record {pressure, x, y, 0}, little-endian u16s, at the panel
    // pixel under the window position. Moves within one panel pixel are not
    // repeated.
    void Touch(int pressure, int wx, int wy) {
        int x = std::clamp(wx / opt_.scale, 0, width_ - 1), y = std::clamp(wy / opt_.scale, 0, height_ - 1);
        if (pressure && touchDown_ && x == lastX_ && y == lastY_) return;
        touchDown_ = pressure != 0;
        lastX_ = x;
        lastY_ = y;
        uint8_t rec[8] = {uint8_t(pressure), uint8_t(pressure >> 8), uint8_t(x), uint8_t(x >> 8),
                          uint8_t(y),        uint8_t(y >> 8),        0,          0};
        touch_.Write(rec, sizeof rec);
    }

    Options opt_;
    SDL_Window* window_ = nullptr;
    SDL_Surface* canvas_ = nullptr;
    int width_ = 600, height_ = 800;
    FifoWriter keypad_, touch_;
    const KeyBinding* held_ = nullptr;
    SDL_Keycode heldSym_ = 0;
    Uint64 nextRepeat_ = 0, flashUntil_ = 0;
    bool touching_ = false, touchDown_ = false;
    int lastX_ = -1, lastY_ = -1;
};

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--help" || a == "-h") {
            Usage(stdout);
            exit(0);
        } else if (a == "--flash") {
            o->flash = true;
        } else if (a == "--scale") {
            const char* v = value();
            char* end = nullptr;
            long s = v ? strtol(v, &end, 10) : 0;
            if (!v || *end || s < 1 || s > 8) return false;
            o->scale = int(s);
        } else if (a == "--fb") {
            const char* v = value();
            if (!v) return false;
            o->fb = v;
        } else if (a == "--title") {
            const char* v = value();
            if (!v) return false;
            o->title = v;
        } else {
            return false;
        }
    }
    if (o->fb.empty()) o->fb = eink::Path("/dev/fb0");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!ParseOptions(argc, argv, &opt)) {
        Usage(stderr);
        return 1;
    }
    signal(SIGPIPE, SIG_IGN); // a server that went away is noticed on the next write
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // The picture changes a few times a second at most: the window system's
    // own image transfer is enough, and needs no 3D driver.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        // Exit status 3 tells scripts and tests that there is no display.
        fprintf(stderr, "eink-emu: cannot open a display: %s\n", SDL_GetError());
        return 3;
    }
    // Without a display SDL falls back to drivers that show nothing; unless
    // one was asked for, that is no display either.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!getenv("SDL_VIDEODRIVER") && driver && (!strcmp(driver, "offscreen") || !strcmp(driver, "dummy"))) {
        fprintf(stderr, "eink-emu: cannot open a display (SDL found only its %s driver)\n", driver);
        SDL_Quit();
        return 3;
    }
    int status = 1;
    {
        Uint32 updateEvent = SDL_RegisterEvents(1);
        Emulator emu(opt);
        UpdateWatcher watcher(opt.fb, updateEvent);
        if (updateEvent != Uint32(-1) && emu.Open()) {
            if (watcher.Start())
                status = emu.Run(watcher, updateEvent);
            else
                fprintf(stderr, "eink-emu: cannot watch the panel updates: %s\n", strerror(errno));
        }
    }
    SDL_Quit();
    return status;
}
