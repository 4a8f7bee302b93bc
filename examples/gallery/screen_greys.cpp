// The panel's sixteen grey levels and the toolkit's named colours, as they
// come out on the panel: what an application writer chooses colours from.
#include "gallery.h"

#include <cstdio>

namespace {

class Swatches : public GL_Window {
public:
    Swatches(GL_Window* parent, int x, int y, int w, int h) : GL_Window(parent, "swatches", x, y, w, h, iWhiteS, 0) {}
    int Draw(_GS_Region*) override {
        if (!IsViewable()) return -1;
        unsigned long pix = BeginPixmap(w, h, iDepth);
        DrawBackground(pix);
        NC_TextOutSingle(pix, 0, 18, 10, 24, "Sixteen levels: nibble n shows 255 - 17n", 0, iBlackS);
        int cw = (w - 20) / 8;
        for (int n = 0; n < 16; ++n) {
            int x = 10 + (n % 8) * cw, y = 40 + (n / 8) * 80;
            NC_FillRect(pix, x, y, cw - 6, 50, 255 - 17 * n);
            NC_DrawRect(pix, x, y, cw - 6, 50, iBlackS);
            char label[8];
            snprintf(label, sizeof label, "%d", 255 - 17 * n);
            NC_TextOutSingle(pix, 0, 14, x + 4, y + 70, label, 0, iBlackS);
        }
        struct Named {
            const char* name;
            unsigned long pixel;
        } const named[] = {{"iBlackS", iBlackS},         {"iDarkGreyS", iDarkGreyS}, {"iGreyS", iGreyS},
                           {"iLightGreyS", iLightGreyS}, {"iWhiteS", iWhiteS},       {"iRedS", iRedS},
                           {"iGreenS", iGreenS},         {"iBlueS", iBlueS},         {"iYellowS", iYellowS}};
        NC_TextOutSingle(pix, 0, 18, 10, 230, "Named colours, in grey", 0, iBlackS);
        int i = 0;
        for (auto const& c : named) {
            int x = 10 + (i % 3) * ((w - 20) / 3), y = 246 + (i / 3) * 56;
            NC_FillRect(pix, x, y, 40, 40, c.pixel);
            NC_DrawRect(pix, x, y, 40, 40, iBlackS);
            NC_TextOutSingle(pix, 0, 14, x + 48, y + 26, c.name, 0, iBlackS);
            ++i;
        }
        EndPixmap(pix, this);
        return 0;
    }
};

void Build(GL_Window* page) { new Swatches(page, 12, 12, page->GetWidth() - 24, page->GetHeight() - 24); }

} // namespace

GALLERY_SCREEN("a-greys", "Grey levels and colours", Build);
