#include <egui.h>
#include <unistd.h>

// Requests are buffered and leave when the program waits in the library.
// Work that blocks outside it flushes first, or the panel shows nothing new.
void CopyWithNotice(GL_Label* status) {
    status->SetText("Copying...");
    GL_Flush();              // the label's drawing goes to the server now
    sleep(2);                // stands for work that blocks without the event loop
    status->SetText("Done"); // goes out when egui_loop next waits
}
