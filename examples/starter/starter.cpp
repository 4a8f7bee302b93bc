// starter: the smallest complete libgui program. A main window with a title,
// a list of three books, a button that asks through a confirm dialog whether
// to remove the chosen book, and a label that shows the answer.
//
// Tapping a book chooses it; tapping "Remove..." opens the dialog. The
// program prints "starter: ready" once its window is up and one line for
// each answer, which the scripts that drive it wait for.
#include <egui.h>

#include <cstdio>
#include <cstring>

namespace {

char const* const kBooks[] = {"Pride and Prejudice", "Moby-Dick", "Faust"};
constexpr int kBookCount = 3;

class Starter : public GL_Window {
public:
    Starter(int w, int h) : GL_Window(nullptr, "starter", 0, 0, w, h, iWhiteS, 0) {
        auto* title = new GL_Label(this, "title", "My books", 0, 0, w, 60, 0);
        title->SetBackColor(iBlackS);
        title->SetForeColor(iWhiteS);
        title->SetAlign(1);
        for (int i = 0; i < kBookCount; ++i) {
            books[i] = new GL_NavigateItem(this, 1, nullptr, kBooks[i], nullptr, nullptr, nullptr, 20, 80 + i * 70,
                                           w - 40, 60, 0);
            // The book's text covers the row: it is what a tap reaches.
            GL_Label* text = books[i]->GetItemTextObject(0);
            text->SetMouseEnabled(1);
            text->AddCallback(this, "Clicked!", nullptr);
        }
        remove = new GL_Button(this, "remove", "Remove...", 20, 300, 180, 44, 0);
        remove->SetFont(body);
        remove->AddCallback(this, "Clicked!", nullptr);
        answer = new GL_Label(this, "answer", "No answer yet", 20, 360, w - 40, 40, 0);
        answer->SetFont(body);
        answer->SetBackColor(iWhiteS);
        Choose(0);
    }

    // Callbacks of the books, the button and the dialog all arrive here.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void*, void*, void*, void*) override {
        if (!strcmp(event, "Clicked!") && sender == remove) return Ask();
        if (!strcmp(event, "DialogData!")) {
            // The dialog is closing; the answer is in the shared record.
            auto* data = static_cast<GL_DialogData*>(a);
            char text[80];
            snprintf(text, sizeof text, "Remove %s? %s", kBooks[chosen], data->result == 1 ? "OK" : "Cancel");
            answer->SetText(text);
            printf("starter: answer %s\n", data->result == 1 ? "OK" : "Cancel");
            fflush(stdout);
            return 0;
        }
        if (!strcmp(event, "Clicked!")) {
            for (int i = 0; i < kBookCount; ++i)
                if (sender == books[i]->GetItemTextObject(0)) {
                    Choose(i);
                    printf("starter: chose %s\n", kBooks[i]);
                    fflush(stdout);
                }
            return 0;
        }
        return 0;
    }

private:
    // The chosen book gets a black frame.
    void Choose(int index) {
        chosen = index;
        for (int i = 0; i < kBookCount; ++i)
            books[i]->SetBorderColor(i == chosen ? iBlackS : iLightGreyS);
    }

    // A dialog is a top-level window of its own (no parent); it deletes
    // itself when one of its buttons is pressed.
    int Ask() {
        char question[80];
        snprintf(question, sizeof question, "Remove %s?", kBooks[chosen]);
        auto* confirm = new GL_Confirm(nullptr, "confirm", question, 100, 440, 400, 150, 0);
        confirm->SetBorderType(1);
        confirm->label->SetFont(body);
        confirm->okButton->SetFont(body);
        confirm->cancelButton->SetFont(body);
        confirm->AddCallback(this, "DialogData!", nullptr);
        confirm->ShowWindow(0);
        printf("starter: asking\n");
        fflush(stdout);
        return 0;
    }

    GL_Font* body = NC_NewFont("", 20, 0, 0); // the default font is the largest
    GL_NavigateItem* books[kBookCount] = {};
    GL_Button* remove = nullptr;
    GL_Label* answer = nullptr;
    int chosen = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (!egui_init(argc, argv)) {
        fprintf(stderr, "starter: no server\n");
        return 1;
    }
    auto* window = new Starter(iDisplayWidth, iDisplayHeight);
    window->ShowWindow(0);
    printf("starter: ready\n");
    fflush(stdout);
    egui_loop(); // runs until the server closes the program
}
