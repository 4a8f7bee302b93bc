#include <egui.h>
#include <gui_conv.h> // text conversion
#include <gui_lang.h> // language tables
#include <gui_util.h> // GL_free and the other helpers

// Fonts, measuring and fitting text, and translated strings.
void TextExamples(GL_Window* page) {
    GL_Font* small = NC_NewFont("", 16, 0, 0); // sizes 7..36; the program deletes it
    auto* title = new GL_Label(page, "title", "", 10, 10, 200, 30, 0);
    title->SetFont(small);

    // Shorten a title to the label's width, with "..." where it was cut.
    static char text[] = "The Life and Strange Surprizing Adventures of Robinson Crusoe";
    static char dots[] = "...";
    char* shortTitle = CalcShortString(small, text, title->GetWidth() - 8, dots);
    title->SetText(shortTitle);
    GL_free(shortTitle);

    // Break a text into lines of at most 300 pixels: one list node per line.
    GL_List lines;
    SplitString(small, text, 300, 0, &lines);
    for (GL_ListData* line = lines.head; line; line = line->next)
        GL_free(line->data);

    // A user-visible string in the device's language ("/home/lang.txt").
    SwitchLang();
    static char open[] = "Open";
    new GL_Button(page, "open", getTransstr(open), 10, 50, 90, 32, 0);
}

// GB text from an old file, turned into UTF-8 for a label.
char* GbToUtf8(char* gb, int length) {
    int len = length;
    return MG2U8(gb, &len); // new buffer, free with GL_free
}
