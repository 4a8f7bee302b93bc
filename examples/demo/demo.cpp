// demo: the main client program of the emulated device. The server starts it
// ("velmora -ws") when the lock key is held; it puts a full-screen main window
// with a raised border on the panel, with child windows of other colours, a
// panel of shapes (boxes, gradients, circles, arcs, polygons) and a panel of
// Latin and Chinese text, all drawn off-screen through the request writers.
// Keys pressed on the device are counted in the status line at the bottom.
#include <cstdio>
#include <cstring>

#include <egui.h>

namespace {

// Off-screen drawing of one window: a pixmap of the window's size filled
// with its background, handed to `paint`, then copied to the window at once.
template <class Paint> int PaintWindow(GL_Window* w, Paint paint) {
    if (!w->IsViewable()) return -1;
    unsigned long pix = BeginPixmap(w->GetWidth(), w->GetHeight(), iDepth);
    w->DrawBackground(pix);
    paint(pix);
    EndPixmap(pix, w);
    return 0;
}

// Font index 0 is the server's default font; text is UTF-8.
void Text(unsigned long pix, int x, int y, int size, const char* text, unsigned long pixel) {
    NC_TextOutSingle(pix, 0, size, x, y, text, 0, pixel);
}
void WideText(unsigned long pix, int x, int y, int size, const char* text, unsigned long pixel) {
    NC_TextOutDouble(pix, 0, size, x, y, text, 0, pixel);
}

class TitleBar : public GL_Window {
public:
    TitleBar(GL_Window* parent, int x, int y, int w, int h) : GL_Window(parent, "title", x, y, w, h, iDarkGreyS, 0) {}
    int Draw(_GS_Region*) override {
        return PaintWindow(this, [&](unsigned long pix) {
            NC_DrawDownBoxS(pix, 0, 0, w, h);
            Text(pix, 18, 44, 30, "Velmora", iWhiteS);
            Text(pix, 170, 44, 18, "libgui on the emulated e-ink panel", iLightGreyS);
        });
    }
};

class ShapesPanel : public GL_Window {
public:
    ShapesPanel(GL_Window* parent, int x, int y, int w, int h) : GL_Window(parent, "shapes", x, y, w, h, iWhiteS, 0) {}
    int Draw(_GS_Region*) override {
        return PaintWindow(this, [&](unsigned long pix) {
            NC_DrawUpBoxS(pix, 0, 0, w, h);
            Text(pix, 12, 24, 16, "Boxes", iBlackS);
            NC_FillUpBox(pix, 12, 34, 80, 50, iLightGreyS);
            NC_DrawDownBox(pix, 100, 34, 80, 50, 0);
            NC_FillRect(pix, 12, 92, 80, 40, iBlackS);
            NC_DrawRect(pix, 100, 92, 80, 40, iBlackS);
            NC_DrawWRect(pix, 104, 96, 72, 32, 3, iDarkGreyS);

            Text(pix, 200, 24, 16, "Gradients", iBlackS);
            _GL_Color black = NewColor(0, 0, 0, 255), white = NewColor(255, 255, 255, 255);
            _GL_Color dark = NewColor(60, 60, 60, 255), light = NewColor(230, 230, 230, 255);
            NC_FillRectWGradient(pix, 200, 34, 160, 50, 4, dark, light, black, white, 0, 0);
            NC_FillRectWGradient(pix, 200, 92, 160, 40, 2, black, black, white, black, 1, 1);
            for (int i = 0; i < 8; ++i)
                NC_DrawHLineWGradient(pix, 200, 359, 140 + i * 3, 2, black, white);

            Text(pix, 380, 24, 16, "Circles", iBlackS);
            NC_DrawCircle(pix, 410, 70, 28, black);
            NC_FillCircle(pix, 475, 70, 28, NewColor(127, 127, 127, 255));
            NC_FillCircleGradient(pix, 540, 70, 28, white, black);
            NC_FillEllipseGradient(pix, 440, 140, 60, 24, black, light);

            Text(pix, 12, 190, 16, "Arcs", iBlackS);
            NC_DrawArc(pix, 60, 250, 40, 0, 270 * 16, iBlackS);
            NC_FillArcDouble(pix, 150, 250, 40.0, 45.0, 270.0, iDarkGreyS);
            NC_DrawArcDouble(pix, 150, 250, 46.0, 0.0, 360.0, iBlackS);

            Text(pix, 220, 190, 16, "Polygons", iBlackS);
            int starX[10], starY[10];
            static const int kOuter[2] = {45, 18};
            for (int i = 0; i < 10; ++i) {
                // A five-pointed star: corners every 36 degrees from the top,
                // alternately on the outer and the inner radius.
                int r = kOuter[i % 2];
                static const double c[10] = {0, 0.5878, 0.9511, 0.9511, 0.5878, 0, -0.5878, -0.9511, -0.9511, -0.5878};
                static const double s[10] = {-1, -0.8090, -0.3090, 0.3090, 0.8090, 1, 0.8090, 0.3090, -0.3090, -0.8090};
                starX[i] = 280 + int(r * c[i]);
                starY[i] = 250 + int(r * s[i]);
            }
            NC_FillPolygon(pix, 10, starX, starY, iBlackS);
            int triX[3] = {350, 420, 380}, triY[3] = {290, 280, 210};
            NC_FillPolygon(pix, 3, triX, triY, iLightGreyS);
            NC_DrawPolygon(pix, 3, triX, triY, iBlackS);
            NC_DrawLineW(pix, 440, 290, 560, 210, 4, iDarkGreyS);
            NC_DrawLine(pix, 440, 210, 560, 290, iBlackS);
        });
    }
};

class TextPanel : public GL_Window {
public:
    TextPanel(GL_Window* parent, int x, int y, int w, int h) : GL_Window(parent, "text", x, y, w, h, iWhiteS, 0) {}
    int Draw(_GS_Region*) override {
        return PaintWindow(this, [&](unsigned long pix) {
            NC_DrawUpBoxS(pix, 0, 0, w, h);
            Text(pix, 12, 30, 16, "The quick brown fox jumps over the lazy dog.", iBlackS);
            Text(pix, 12, 64, 24, "Sphinx of black quartz, judge my vow!", iBlackS);
            WideText(pix, 12, 108, 28, "你好，世界！电子墨水屏", iBlackS);
            WideText(pix, 12, 146, 20, "中文与 Latin 混排：阅读器 e-book", iDarkGreyS);
            Text(pix, 12, 180, 12, "0123456789 !\"#$%&'()*+,-./:;<=>?@[]^_{|}~", iDarkGreyS);
        });
    }
};

class StatusLine : public GL_Window {
public:
    StatusLine(GL_Window* parent, int x, int y, int w, int h)
        : GL_Window(parent, "status", x, y, w, h, iLightGreyS, 0) {}
    int Draw(_GS_Region*) override {
        return PaintWindow(this, [&](unsigned long pix) {
            NC_DrawDownBoxS(pix, 0, 0, w, h);
            char line[96];
            if (keys == 0)
                snprintf(line, sizeof line, "Press a key: it is counted here.");
            else
                snprintf(line, sizeof line, "Keys: %d   last code: %u", keys, lastCode);
            Text(pix, 14, h / 2 + 7, 18, line, iBlackS);
        });
    }
    void Count(unsigned code) {
        ++keys;
        lastCode = code;
        UpdateWindow(nullptr);
    }
    int keys = 0;
    unsigned lastCode = 0;
};

class MainWindow : public GL_Window {
public:
    MainWindow(int w, int h) : GL_Window(nullptr, "velmora", 0, 0, w, h, iLightGreyS, 0) {}
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        if (released && status) status->Count(code);
        return GL_Window::KeyIn(text, len, code, code2, mod, released);
    }
    StatusLine* status = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    if (!egui_init(argc, argv)) {
        fprintf(stderr, "demo: no server\n");
        return 1;
    }
    const int W = iDisplayWidth > 0 ? iDisplayWidth : 600, H = iDisplayHeight > 0 ? iDisplayHeight : 800;
    auto* main = new MainWindow(W, H);
    main->SetBorderType(1);
    new TitleBar(main, 12, 12, W - 24, 64);
    // Three swatches: plain child windows of other colours with sunken borders.
    const int sw = (W - 24 - 2 * 12) / 3;
    unsigned long colours[3] = {iBlackS, iWhiteS, iDarkGreyS};
    for (int i = 0; i < 3; ++i) {
        auto* swatch = new GL_Window(main, "swatch", 12 + i * (sw + 12), 88, sw, 56, colours[i], 0);
        swatch->SetBorderType(2);
    }
    new ShapesPanel(main, 12, 156, W - 24, 310);
    new TextPanel(main, 12, 478, W - 24, 196);
    main->status = new StatusLine(main, 12, H - 114, W - 24, 100);
    main->ShowWindow(0);
    printf("demo: window %lu shown on a %dx%d screen\n", main->GetWindowId(), W, H);
    fflush(stdout);
    egui_loop();
}
