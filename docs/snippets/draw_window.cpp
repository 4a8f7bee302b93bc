#include <egui.h>

// A window that paints itself. Draw runs when the server reports the window
// exposed and whenever the program calls UpdateWindow.
class Gauge : public GL_Window {
public:
    Gauge(GL_Window* parent, int x, int y) : GL_Window(parent, "gauge", x, y, 200, 60, iWhiteS, 0) {}

    void SetLevel(int percent) {
        level = percent;
        UpdateWindow(nullptr); // draws again now, if the window is on screen
    }

    int Draw(_GS_Region*) override {
        if (!IsViewable()) return -1;
        unsigned long pix = BeginPixmap(w, h, iDepth); // off-screen, the window's size
        DrawBackground(pix);
        NC_DrawRect(pix, 0, 0, w, h, iBlackS);
        NC_FillRect(pix, 2, 2, (w - 4) * level / 100, h - 4, iDarkGreyS);
        GL_TextOut(pix, GetFont(), nullptr, 10, 38, "Battery", 0, iWhiteS, nullptr);
        EndPixmap(pix, this); // one copy to the window: one change on the panel
        return 0;
    }

private:
    int level = 50;
};

// The panel shows 16 grey levels: grey g (0 black .. 255 white) appears as
// level g / 16, so the greys 0, 17, 34 .. 255 are shown exactly.
void DrawGreyScale(unsigned long pix, int x, int y) {
    for (int level = 0; level < 16; ++level)
        NC_FillRect(pix, x + level * 20, y, 20, 40, level * 17);
    // A colour becomes its grey: (11 r + 16 g + 5 b) / 32.
    NC_FillRect(pix, x, y + 50, 320, 20, GL_RGB2Pixel(200, 40, 40));
}

Gauge* MakeGauge(GL_Window* parent) { return new Gauge(parent, 20, 100); }
