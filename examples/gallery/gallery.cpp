// gallery: shows the toolkit's widgets on the panel, one screen at a time.
//
//   gallery [--screen NAME] [--list]
//
// The page keys (event codes 104 and 109) step back and forth through the
// screens. `--list` prints the screen names, one a line, and exits without
// connecting. When a screen is on the panel the gallery prints
// "gallery: shown NAME", which the scripts that take its pictures wait for.
#include "gallery.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

std::vector<GalleryScreen>& Screens() {
    static std::vector<GalleryScreen> screens;
    return screens;
}

constexpr unsigned kPageBack = 104, kPageForward = 109;
constexpr int kTitleHeight = 56;

class TitleBar : public GL_Window {
public:
    TitleBar(GL_Window* parent, int w) : GL_Window(parent, "gallerytitle", 0, 0, w, kTitleHeight, iDarkGreyS, 0) {}
    int Draw(_GS_Region*) override {
        if (!IsViewable()) return -1;
        unsigned long pix = BeginPixmap(w, h, iDepth);
        DrawBackground(pix);
        char page[32];
        snprintf(page, sizeof page, "%d / %d", index + 1, int(Screens().size()));
        NC_TextOutSingle(pix, 0, 24, 14, 38, "Gallery", 0, iWhiteS);
        NC_TextOutSingle(pix, 0, 20, 130, 37, title, 0, iLightGreyS);
        NC_TextOutSingle(pix, 0, 16, w - 70, 36, page, 0, iLightGreyS);
        EndPixmap(pix, this);
        return 0;
    }
    const char* title = "";
    int index = 0;
};

class Gallery : public GL_Window {
public:
    Gallery(int w, int h) : GL_Window(nullptr, "gallery", 0, 0, w, h, iWhiteS, 0) { bar = new TitleBar(this, w); }

    void Show(int i) {
        int n = int(Screens().size());
        if (n == 0) return;
        index = ((i % n) + n) % n;
        delete page;
        page = new GL_Window(this, "gallerypage", 0, kTitleHeight, w, h - kTitleHeight, iWhiteS, 0);
        GalleryScreen const& s = Screens()[index];
        bar->title = s.title;
        bar->index = index;
        s.build(page);
        page->ShowWindow(0);
        bar->UpdateWindow(nullptr);
        printf("gallery: shown %s\n", s.name);
        fflush(stdout);
    }

    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        if (released && code == kPageForward)
            Show(index + 1);
        else if (released && code == kPageBack)
            Show(index - 1);
        return GL_Window::KeyIn(text, len, code, code2, mod, released);
    }

private:
    TitleBar* bar = nullptr;
    GL_Window* page = nullptr;
    int index = 0;
};

void SortScreens() {
    std::sort(Screens().begin(), Screens().end(),
              [](GalleryScreen const& a, GalleryScreen const& b) { return strcmp(a.name, b.name) < 0; });
}

} // namespace

namespace {

class Face : public GL_Window {
public:
    Face(GL_Window* page, std::vector<GalleryCaption> captions)
        : GL_Window(page, "captions", 0, 0, page->GetWidth(), page->GetHeight(), iWhiteS, 0),
          captions_(std::move(captions)) {}
    int Draw(_GS_Region*) override {
        if (!IsViewable()) return -1;
        unsigned long pix = BeginPixmap(w, h, iDepth);
        DrawBackground(pix);
        for (const GalleryCaption& c : captions_)
            NC_TextOutSingle(pix, 0, c.size, c.x, c.y, c.text, 0, c.dim ? iDarkGreyS : iBlackS);
        EndPixmap(pix, this);
        return 0;
    }

private:
    std::vector<GalleryCaption> captions_;
};

} // namespace

GL_Window* GalleryFace(GL_Window* page, std::vector<GalleryCaption> captions) {
    return new Face(page, std::move(captions));
}

int GalleryRegister(GalleryScreen const& screen) {
    Screens().push_back(screen);
    return int(Screens().size()) - 1;
}

int main(int argc, char** argv) {
    SortScreens();
    const char* wanted = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--list")) {
            for (auto const& s : Screens())
                printf("%s\n", s.name);
            return 0;
        }
        if (!strcmp(argv[i], "--screen") && i + 1 < argc) wanted = argv[++i];
    }
    int first = 0;
    if (wanted) {
        auto it = std::find_if(Screens().begin(), Screens().end(),
                               [&](GalleryScreen const& s) { return !strcmp(s.name, wanted); });
        if (it == Screens().end()) {
            fprintf(stderr, "gallery: no screen named %s (try --list)\n", wanted);
            return 2;
        }
        first = int(it - Screens().begin());
    }
    if (!egui_init(argc, argv)) {
        fprintf(stderr, "gallery: no server\n");
        return 1;
    }
    const int W = iDisplayWidth > 0 ? iDisplayWidth : 600, H = iDisplayHeight > 0 ? iDisplayHeight : 800;
    auto* gallery = new Gallery(W, H);
    gallery->ShowWindow(0);
    gallery->Show(first);
    egui_loop();
}
