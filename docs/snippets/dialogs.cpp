#include <cstring>
#include <egui.h>

// Asks for a bookmark's name. A dialog is a top-level window of its own
// (created without a parent); while it exists, input for the program's other
// windows is ignored. It deletes itself when one of its buttons is pressed
// and, as it goes, sends "DialogData!" with the address of the result record.
class BookmarkNamer : public GL_Object {
public:
    BookmarkNamer() : GL_Object(nullptr, "namer", 0) {}

    void Ask() {
        auto* prompt = new GL_Prompt(nullptr, "name", "Name of the bookmark:", "Chapter 1", 100, 300, 400, 160, 0);
        prompt->AddCallback(this, "DialogData!", nullptr);
        prompt->ShowWindow(0);
    }

    int ExecCallback(GL_Object*, char const* event, void* a, void*, void*, void*, void*) override {
        if (strcmp(event, "DialogData!")) return 0;
        // Read the record now: the next dialog created clears it.
        auto* data = static_cast<GL_DialogData*>(a);
        if (data->result == 1) // 1 "OK", 2 "Cancel", 0 none
            strncpy(name, data->text, sizeof name - 1);
        return 0;
    }

    char name[64] = "";
};

// GL_Confirm asks a question with "OK" and "Cancel", GL_Alert tells something
// with "OK" alone (its result stays 0).
void Warn() { (new GL_Alert(nullptr, "full", "The memory card is full.", 150, 320, 300, 130, 0))->ShowWindow(0); }
