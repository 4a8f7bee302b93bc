// Images: one picture of every file format the readers take, shown in
// GL_Image widgets on a light grey ground (the PNG's alpha is blended over
// white; the XPM is transparent outside its ring and between the ring and
// its centre), and a few of the library's built-in images.
//
// The sample files are made on the device when it is set up
// (scripts/device.sh, make_sample_images) under
// /mnt/us/velmora/res/samples/; on a desktop EINK_ROOT names the emulated
// device's root.
#include "gallery.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kCellW = 176, kCellH = 132, kGap = 24, kLeft = 12;

struct Sample {
    const char* file;
    const char* caption;
};
Sample const kSamples[] = {
    {"sample.gif", "GIF"},          {"sample.jpg", "JPEG"},           {"sample.png", "PNG, alpha over white"},
    {"sample.bmp", "BMP, 24 bits"}, {"sample.xpm", "XPM, with None"},
};

struct Builtin {
    const char* name;
    int x, y;
};
// Placed on the page below the samples; each widget is its image's size plus
// a 4-pixel frame.
Builtin const kBuiltins[] = {
    {"power00", 12, 470},  {"power02", 68, 470},  {"power04", 124, 470}, {"power06", 180, 470},
    {"Music00", 248, 470}, {"Music02", 282, 470}, {"Music04", 316, 470}, {"folder", 360, 466},
    {"help", 417, 466},    {"info", 474, 466},    {"left", 531, 468},    {"wait", 12, 548},
};

int CellX(int i) { return kLeft + (i % 3) * (kCellW + kGap); }
int CellY(int i) { return 40 + (i / 3) * (kCellH + 52); }

void Build(GL_Window* page) {
    std::vector<GalleryCaption> texts = {{kLeft, 26, 18, "Picture files, one of every format"},
                                         {kLeft, 448, 18, "Built-in images (/Kora/res/...)"},
                                         {kLeft, 530, 14, "power00..06, Music00..04, folder, help, info, left", true},
                                         {kLeft, 620, 14, "wait", true}};
    for (int i = 0; i < int(sizeof kSamples / sizeof kSamples[0]); ++i)
        texts.push_back({CellX(i) + 2, CellY(i) + kCellH + 20, 14, kSamples[i].caption});
    GL_Window* captions = GalleryFace(page, texts);
    const char* root = getenv("EINK_ROOT");
    const std::string dir = std::string(root ? root : "") + "/mnt/us/velmora/res/samples/";
    for (int i = 0; i < int(sizeof kSamples / sizeof kSamples[0]); ++i) {
        auto* image = new GL_Image(captions, kSamples[i].file, CellX(i), CellY(i), kCellW, kCellH, 0);
        image->SetBackColor(iLightGreyS);
        std::string path = dir + kSamples[i].file;
        if (image->SetImageFile(&path[0], 0) != 0) fprintf(stderr, "gallery: cannot show %s\n", path.c_str());
    }
    for (Builtin const& b : kBuiltins) {
        std::string path = std::string("/Kora/res/") + b.name + ".jpg";
        GL_BuiltinImage const* found = GL_FindBuiltinImage(path.c_str());
        if (!found) continue;
        const int w = int(found->width) + 8, h = int(found->height) + 8;
        auto* image = new GL_Image(captions, b.name, b.x, b.y, w, h, 0);
        image->SetBackColor(iLightGreyS);
        if (image->SetImageFile(&path[0], 0) != 0) fprintf(stderr, "gallery: no built-in %s\n", path.c_str());
    }
}

} // namespace

GALLERY_SCREEN("c-images", "Images", Build);
