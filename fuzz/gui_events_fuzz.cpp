// libgui's reading side against a hostile server. The input is what the
// server sends on a fresh connection, in a compact form:
//   bytes 0-1  n, little-endian: how many bytes of the SysInfo fixed part
//              follow (the rest of the 99092-byte fixed part is zero);
//   byte 2     the reply type the program first waits for (WaitEvent);
//   byte 3     bit 0: a dialog is transient for the main window (input to
//              other windows is then ignored); bit 1: keys go to the top
//              window; bit 2: keys are ignored for a while;
//   then n bytes of SysInfo, then everything that follows it on the wire
//   (the character-information block its header announces, then events).
// The program reads SysInfo with GetSysInfoFromServer, builds a small window
// tree, waits for the reply with WaitEvent, dispatches the messages saved
// meanwhile and then every further message through Handle_Event, as its
// event loop would. The windows pass what they receive to a listener
// through the object base's callbacks, and the listener deletes a window
// from inside a callback, as widgets do.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "egui_conn.h"
#include "eventloop.h"
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "gl_window.h"
#include "runtime/connection_hooks.h"

namespace {

constexpr size_t kFixed = EGUI_SYSINFO_SIZE;

// Plays the server's end: writes the stream, then closes its sending side so
// that the client reads end of file after it; reads and drops the requests
// the client sends, until the client closes.
void Serve(int fd, std::vector<uint8_t> wire) {
    static thread_local uint8_t sink[1 << 16];
    size_t off = 0;
    bool shut = false;
    for (;;) {
        if (!shut && off == wire.size()) {
            shutdown(fd, SHUT_WR);
            shut = true;
        }
        pollfd p{fd, short(POLLIN | (shut ? 0 : POLLOUT)), 0};
        if (poll(&p, 1, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (p.revents & POLLIN) {
            ssize_t n = read(fd, sink, sizeof sink);
            if (n == 0) break;
            if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            break;
        }
        if (!shut && (p.revents & POLLOUT)) {
            ssize_t n = write(fd, wire.data() + off, wire.size() - off);
            if (n > 0)
                off += size_t(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                shut = true;
        }
    }
    close(fd);
}

class FuzzWindow;

// Receives every window's callbacks and reads what they carry in full, so
// that a field handed on past the end of its message shows up.
class Listener : public GL_Object {
public:
    Listener() : GL_Object(nullptr, "listener", 0) {}
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void*, void*, void*) override;
    FuzzWindow* doomed = nullptr; // deleted by the next MouseOut! it sends
    unsigned sum = 0;
};

Listener* g_listener = nullptr;

class FuzzWindow : public GL_Window {
public:
    FuzzWindow(GL_Window* parent, const char* name, int x, int y, int w, int h)
        : GL_Window(parent, name, x, y, w, h, 255, 0) {
        for (const char* ev : {"MouseDown!", "MouseUp!", "MouseIn!", "MouseOut!", "Key!", "User!", "Delete!"})
            AddCallback(g_listener, ev, nullptr);
    }
    int KeyIn(char* text, int length, unsigned code, unsigned code2, unsigned modifier,
              unsigned char released) override {
        if (gCallback("Key!", text, &length)) return 0;
        return GL_Window::KeyIn(text, length, code, code2, modifier, released);
    }
    int GotUserMessage(char const* sender, unsigned long w1, unsigned long w2, unsigned long type, char* data,
                       unsigned long length) override {
        gCallback("User!", data, &length, const_cast<char*>(sender));
        return GL_Window::GotUserMessage(sender, w1, w2, type, data, length);
    }
    int ScreenSizeChange(int width, int height, _ROATE_MODE mode) override {
        // What a real program does: take the new size and repaint.
        if (width > 0 && height > 0 && width <= 4096 && height <= 4096) MoveResizeWindow(0, 0, width, height, 0);
        Draw(nullptr);
        return GL_Window::ScreenSizeChange(width, height, mode);
    }
};

int Listener::ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void*, void*) {
    if (!strcmp(event, "Key!") && a) {
        const char* text = static_cast<const char*>(a);
        int length = *static_cast<int*>(b);
        if (length < 0 || text[length] != '\0') abort(); // the text must be terminated where its length says
        for (int i = 0; i < length; ++i)
            sum += uint8_t(text[i]);
    } else if (!strcmp(event, "User!")) {
        const char* data = static_cast<const char*>(a);
        unsigned long length = *static_cast<unsigned long*>(b);
        for (unsigned long i = 0; i < length; ++i)
            sum += uint8_t(data[i]);
        if (strlen(static_cast<const char*>(c)) > 32) abort();
    } else if (!strcmp(event, "MouseOut!") && sender == doomed) {
        doomed = nullptr;
        delete sender; // a widget closing itself from its own callback
    } else if (!strcmp(event, "Delete!") && sender == doomed) {
        doomed = nullptr;
    }
    return 0;
}

void Setup() {
    fuzz::Root();
    signal(SIGPIPE, SIG_IGN);
    egui_internal::InitModules();
    g_listener = new Listener;
}

} // namespace

EINK_FUZZ_TARGET(gui_events) {
    static const bool ready = (Setup(), true);
    (void)ready;
    if (size < 4) return 0;
    size_t n = size_t(data[0]) | size_t(data[1]) << 8;
    const uint8_t awaited = data[2], flags = data[3];
    data += 4, size -= 4;
    if (n > size) n = size;
    if (n > kFixed) n = kFixed;
    std::vector<uint8_t> wire(kFixed, 0);
    memcpy(wire.data(), data, n);
    wire.insert(wire.end(), data + n, data + size);

    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) abort();
    fcntl(sv[0], F_SETFL, O_NONBLOCK);
    fcntl(sv[1], F_SETFL, O_NONBLOCK);
    std::thread server(Serve, sv[1], std::move(wire));
    connFd = sv[0];
    bQuitProgram = 0;

    GetSysInfoFromServer();

    auto* main = new FuzzWindow(nullptr, "main", 0, 0, 600, 800);
    auto* child = new FuzzWindow(main, "child", 10, 10, 200, 100);
    auto* leaf = new FuzzWindow(child, "leaf", 5, 5, 50, 20);
    (void)leaf;
    main->ShowWindow();
    g_listener->doomed = leaf;
    FuzzWindow* dialog = nullptr;
    if (flags & 1) {
        dialog = new FuzzWindow(nullptr, "dialog", 100, 100, 300, 200);
        dialog->windowFlags |= GL_WIN_DIALOG;
        dialog->SetTransientFlag(main);
        dialog->ShowWindow();
    }
    SetKeyProxyToTopWindow(flags & 2 ? 1 : 0);
    SetKeyIgnoreTime(flags & 4 ? 60000 : 0);

    if (GS_GeneralEvent_st* reply = WaitEvent(awaited)) Handle_Event(reply);
    while (GS_GeneralEvent_st* saved = CheckWaitEvent()) {
        Handle_Event(saved);
        FreeEventData(saved);
    }
    while (!bQuitProgram) {
        GS_GeneralEvent_st* ev = GotEvent();
        if (!ev) break;
        Handle_Event(ev);
    }

    delete dialog;
    delete main;
    g_listener->doomed = nullptr;
    SetKeyIgnoreTime(0);
    SetKeyProxyToTopWindow(0);
    CloseConnection();
    server.join();
    bQuitProgram = 0;
    return 0;
}
