// The range widgets: scroll bars, sliders, progress bars and spin boxes, each
// in a few states.
#include "gallery.h"

#include <cstdio>

namespace {

void Pages(char* out, unsigned long value, unsigned long max) {
    snprintf(out, kProgressTextSize, "page %lu of %lu", value, max);
}

// The widgets' text: 16 pixels.
GL_Font* TextFont() {
    static GL_Font* font = NC_NewFont("", 16, 0, 0);
    return font;
}

// A still bar for the picture: its timer would redraw it every 450 ms.
GL_ProgressBar* StillBar(GL_Window* parent, int y, unsigned long value, unsigned long max) {
    auto* bar = new GL_ProgressBar(parent, "progress", 20, y, 400, 24, 10, max, value, 0);
    bar->GetTimer()->Stop();
    bar->SetFont(TextFont());
    return bar;
}

void Build(GL_Window* page) {
    GL_Window* face =
        GalleryFace(page, {{12, 22, 16, "GL_Scroll: 0, 50 and 100 of 0..100; a short bar; horizontal"},
                           {12, 272, 16, "GL_Slider: plain, with marks, vertical"},
                           {12, 402, 16, "GL_ProgressBar: percent, bar only, default text, own text, max 0"},
                           {12, 632, 16, "GL_Spin: edit with arrows, wide arrows, no edit"}});

    int values[] = {0, 50, 100};
    for (int i = 0; i < 3; ++i)
        (new GL_Scroll(face, "vscroll", 20 + 30 * i, 34, 20, 200, 0, 100, 1))->SetValue(values[i]);
    new GL_Scroll(face, "short", 120, 34, 20, 36, 0, 100, 1);
    auto* h1 = new GL_Scroll(face, "hscroll", 160, 34, 400, 20, 0, 100, 0);
    h1->SetValue(30);
    auto* h2 = new GL_Scroll(face, "hscroll", 160, 74, 400, 24, 0, 5, 0);
    h2->SetValue(5);
    auto* h3 = new GL_Scroll(face, "hscroll", 160, 118, 300, 16, -1000, 1000, 0);
    h3->SetStepPage(10, 100);
    h3->SetValue(-250);

    auto* s1 = new GL_Slider(face, "slider", 20, 284, 400, 21, 0, 100, 0);
    s1->SetValue(25);
    auto* s2 = new GL_Slider(face, "slider", 20, 320, 400, 25, 0, 100, 0);
    s2->SetDrawMark(1, 11);
    s2->SetValue(75);
    auto* s3 = new GL_Slider(face, "slider", 450, 284, 25, 100, 0, 10, 1);
    s3->SetDrawMark(1, 6);
    s3->SetValue(4);

    StillBar(face, 414, 40, 100);
    StillBar(face, 446, 70, 100)->SetDisplayMode(1);
    StillBar(face, 478, 55, 100)->SetDisplayMode(3);
    StillBar(face, 510, 3, 12)->SetDisplayCustomProc(Pages);
    StillBar(face, 542, 0, 0);

    GL_Spin* spins[] = {new GL_Spin(face, "spin", 20, 646, 100, 30, 0, 99, 42, 0),
                        new GL_Spin(face, "spin", 140, 646, 120, 30, -50, 50, -7, GL_SPIN_WIDE_ARROWS),
                        new GL_Spin(face, "spin", 280, 646, 100, 30, 1, 12, 12, GL_SPIN_NO_EDIT | GL_SPIN_WRAP)};
    for (GL_Spin* spin : spins) {
        spin->SetFont(TextFont());
        if (spin->GetEdit()) spin->GetEdit()->SetFont(TextFont());
    }
}

} // namespace

GALLERY_SCREEN("c-range", "Range widgets", Build);
