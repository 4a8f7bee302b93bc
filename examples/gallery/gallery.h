// The widget gallery: one screen per widget family. Each screen file registers
// itself with GALLERY_SCREEN, so adding a screen is adding a file; the
// screens are shown in the order of their names.
#ifndef GALLERY_H
#define GALLERY_H

#include <egui.h>

#include <vector>

struct GalleryScreen {
    const char* name;               // short name, used on the command line and in picture names
    const char* title;              // shown in the gallery's title bar
    void (*build)(GL_Window* page); // creates the screen's widgets as children of `page`
};

// Registers a screen at start-up; returns its index.
int GalleryRegister(GalleryScreen const& screen);

// One caption on a screen's face, on its baseline at (x, y), in black or,
// when `dim`, in dark grey.
struct GalleryCaption {
    int x, y, size;
    const char* text; // not copied: a literal
    bool dim = false;
};

// A white window covering `page` with the captions drawn on it; the screen's
// widgets go on it or on the page.
GL_Window* GalleryFace(GL_Window* page, std::vector<GalleryCaption> captions);

#define GALLERY_CAT2(a, b) a##b
#define GALLERY_CAT(a, b) GALLERY_CAT2(a, b)
#define GALLERY_SCREEN(name, title, build)                                                                             \
    static int const GALLERY_CAT(galleryScreen_, __LINE__) = GalleryRegister(GalleryScreen{name, title, build})

#endif // GALLERY_H
