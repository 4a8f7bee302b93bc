// Status lines and scrolling text: a GL_NavigateStatus2 with its images and
// battery level, a GL_Statusbar with icon panes in the three alignments, and
// GL_Marquee in its four directions (each stops after a few steps so that the
// panel comes to rest for the picture).
#include "gallery.h"

namespace {

GL_Font* TextFont() {
    static GL_Font* font = NC_NewFont("", 20, 0, 0);
    return font;
}

// A marquee that scrolls `steps` times on its timer and then rests.
class RestingMarquee : public GL_Marquee {
public:
    RestingMarquee(GL_Window* parent, int x, int y, int w, int h, char const* text, unsigned long step,
                   unsigned char direction, int steps)
        : GL_Marquee(parent, "marquee", x, y, w, h, text, step, 100, direction, 0), left(steps) {
        SetBackColor(iLightGreyS);
        SetFont(TextFont());
    }
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override {
        int r = GL_Marquee::ExecCallback(sender, event, a, b, c, d, e);
        // Steps count once the first draw has placed the text.
        if (sender == timer && posX != kUnset && --left <= 0) timer->Stop();
        return r;
    }

private:
    int left;
};

void Build(GL_Window* page) {
    GalleryFace(page, {{12, 22, 16, "GL_NavigateStatus2: texts, middle and right images, battery level 4"},
                       {12, 132, 16, "GL_Statusbar: flexible first pane, centred and right-aligned panes"},
                       {12, 222, 16, "GL_Marquee: scrolling left and right"},
                       {12, 352, 16, "GL_Marquee: scrolling up and down"}});
    int const w = page->GetWidth();

    auto* status = new GL_NavigateStatus2(page);
    status->MoveResizeWindow(0, 34, w, 50, 0);
    status->SetColors(iBlackS, iLightGreyS);
    status->SetLeftText("第 3 / 12 页");
    status->SetMidImage(const_cast<char*>("/Kora/res/ebookmark.jpg"));
    status->SetMidText("Bookmark");
    status->SetRightText("12:30");
    status->SetRightImage(const_cast<char*>("/Kora/res/music.jpg"));
    status->SetRightImagePower(4);

    static GL_ImageList icons;
    icons.AddImageFile(const_cast<char*>("battery"), const_cast<char*>("/Kora/res/power04.jpg"));
    icons.AddImageFile(const_cast<char*>("music"), const_cast<char*>("/Kora/res/music.jpg"));
    auto* bar = new GL_Statusbar(page, "statusbar", 10, 146, w - 20, 40, &icons, 0);
    bar->SetFont(TextFont());
    bar->AddPane(100, -1, 0, 0);
    bar->AddPane(150, 1, 1, 0);
    bar->AddPane(130, 0, 2, 0);
    bar->SetPaneText(0, const_cast<char*>("就绪 Ready"));
    bar->SetPaneText(1, const_cast<char*>("MP3"));
    bar->SetPaneText(2, const_cast<char*>("67%"));

    new RestingMarquee(page, 10, 236, w - 20, 40, "← 新书到了：红楼梦 · New arrivals", 20, GL_MARQUEE_LEFT, 15);
    new RestingMarquee(page, 10, 286, w - 20, 40, "Reading Moby-Dick: 12% →", 20, GL_MARQUEE_RIGHT, 15);
    char const* poem = "Before my bed the moonlight glows, like frost upon the ground. I raise my head to "
                       "watch the moon, and lower it, thinking of home.";
    new RestingMarquee(page, 10, 366, (w - 30) / 2, 170, poem, 6, GL_MARQUEE_UP, 15);
    new RestingMarquee(page, 20 + (w - 30) / 2, 366, (w - 30) / 2, 170, poem, 6, GL_MARQUEE_DOWN, 15);
}

} // namespace

GALLERY_SCREEN("h-status", "Status lines and marquees", Build);
