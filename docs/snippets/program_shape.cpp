#include <cstdio>
#include <egui.h>

int main(int argc, char** argv) {
    // Connects to winserver (with "-ws" as first argument it waits for the
    // server), reads the display size and registers the program.
    if (!egui_init(argc, argv)) {
        fprintf(stderr, "no server\n");
        return 1;
    }
    // The first window created without a parent is the main window.
    auto* window = new GL_Window(nullptr, "main", 0, 0, iDisplayWidth, iDisplayHeight, iWhiteS, 0);
    new GL_Label(window, "hello", "Hello, reader", 20, 20, 300, 40, 0);
    window->ShowWindow(0); // maps the window and its children; they draw themselves
    egui_loop();           // never returns: the program ends when the server says Close
}
