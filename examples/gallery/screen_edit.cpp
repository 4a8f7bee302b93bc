// The edit widgets: single-line edits (plain, with a selection, scrolled to
// the end of a long text), a picture edit, and a multi-line edit whose rows
// wrap and scroll, with a selection across rows.
#include "gallery.h"

#include <string>

namespace {

// The edits measure and draw with their window's font; rows of a GL_MEdit are
// 20 pixels apart, which a 16-pixel font fits.
GL_Font* EditFont() {
    static GL_Font* font = NC_NewFont("edit", 16, 0, 0);
    return font;
}

template <class E> E* WithFont(E* edit) {
    edit->SetFont(EditFont());
    std::string text = edit->GetText() ? edit->GetText() : "";
    edit->SetText(text.c_str()); // measured again with the font
    return edit;
}

void Build(GL_Window* page) {
    int w = page->GetWidth() - 24;
    GalleryFace(page, {{12, 24, 16, "GL_SEdit"},
                       {12, 84, 16, "GL_SEdit with a selection"},
                       {12, 144, 16, "GL_SEdit scrolled to the caret"},
                       {12, 204, 16, "GL_PictureSEdit"},
                       {12, 264, 16, "GL_MEdit with its scroll bar"}});
    WithFont(new GL_SEdit(page, "plain", "Type here", 12, 32, w, 30, 0));

    auto* sel = WithFont(new GL_SEdit(page, "selected", "hello wonderful world", 12, 92, w, 30, 0));
    int from = sel->CharPosX(6), to = sel->CharPosX(15);
    sel->MouseDown(from, 15, 1);
    sel->MouseMove(to, 15, 1);
    sel->MouseUp(to, 15, 1);

    WithFont(new GL_SEdit(page, "long", "A single line longer than the edit shows its end, where the caret is", 12, 152,
                          w / 2, 30, 0));

    auto* pic = WithFont(new GL_PictureSEdit(page, "picture", "on its background", 12, 212, w, 30, nullptr, 0));
    pic->SetBackColor(iLightGreyS);

    const char* text = "A multi-line edit divides each paragraph into rows that fit its width.\n"
                       "\n"
                       "Rows are 20 pixels apart; when there are more than fit, the scroll bar on the "
                       "right moves through them. A selection may span rows.";
    auto* m = WithFont(new GL_MEdit(page, "multi", text, 12, 272, w, 110, 0));
    m->MouseDown(40, 12, 1);
    m->MouseMove(60, 52, 1);
    m->MouseUp(60, 52, 1);
}

} // namespace

GALLERY_SCREEN("d-edit", "Edit widgets", Build);
