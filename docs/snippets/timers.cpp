#include <cstring>
#include <egui.h>
#include <unistd.h>

// A clock label that a repeating timer updates every minute, and a reader
// of a descriptor that egui_loop watches beside the server connection.
class Clock : public GL_Label {
public:
    explicit Clock(GL_Window* parent) : GL_Label(parent, "clock", "--:--", 500, 0, 100, 40, 0) {
        tick = new GL_Timeout(60, 0, 1); // 60 s, repeating
        tick->AddCallback(this, "Timeout!", nullptr);
        tick->Run();
    }
    ~Clock() override { delete tick; }

    int ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) override {
        if (sender == tick && !strcmp(event, "Timeout!")) SetText(Now());
        return 0;
    }

private:
    static char const* Now() { return "12:34"; } // the program's own time keeping
    GL_Timeout* tick;
};

class PipeReader : public GL_Object {
public:
    explicit PipeReader(int fd) : GL_Object(nullptr, "pipe", 0), fd(fd) { AddFDCallback(fd, this); }
    ~PipeReader() override { RemoveFDCallback(fd, this); }

    // "DataIn!" comes with no sender while the descriptor is readable.
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        if (strcmp(event, "DataIn!")) return 0;
        char buf[256];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) RemoveFDCallback(fd, this); // end of file: stop watching
        return 0;
    }

private:
    int fd;
};
