// Lighter and darker shades of a colour through HSV.
#include "gl_color.h"

#include <cmath>

void RGB2HSV(int r, int g, int b, double* h, double* s, double* v) {
    int max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    int min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    double delta = max - min;
    double hue = 0;
    if (delta > 0) {
        if (max == r)
            hue = 60.0 * ((g - b) / delta);
        else if (max == g)
            hue = 60.0 * ((b - r) / delta + 2);
        else
            hue = 60.0 * ((r - g) / delta + 4);
        if (hue < 0) hue += 360;
    }
    if (h) *h = hue;
    if (s) *s = max > 0 ? delta / max : 0;
    if (v) *v = max;
}

void HSV2RGB(double h, double s, double v, int* r, int* g, int* b) {
    double rr = v, gg = v, bb = v;
    if (s > 0) {
        double hh = std::fmod(h, 360.0);
        if (hh < 0) hh += 360;
        hh /= 60;
        int sector = int(hh);
        double f = hh - sector;
        double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
        switch (sector) {
        case 0: rr = v, gg = t, bb = p; break;
        case 1: rr = q, gg = v, bb = p; break;
        case 2: rr = p, gg = v, bb = t; break;
        case 3: rr = p, gg = q, bb = v; break;
        case 4: rr = t, gg = p, bb = v; break;
        default: rr = v, gg = p, bb = q; break;
        }
    }
    if (r) *r = int(std::lround(rr));
    if (g) *g = int(std::lround(gg));
    if (b) *b = int(std::lround(bb));
}

static int Clamp255(int c) { return c < 0 ? 0 : c > 255 ? 255 : c; }

int GetRelativeColor(int r, int g, int b, int* outR, int* outG, int* outB, double factor) {
    if (!outR || !outG || !outB || !(factor >= 0.01)) return 0;
    double h, s, v;
    RGB2HSV(Clamp255(r), Clamp255(g), Clamp255(b), &h, &s, &v);
    // Whole hundredths; the small bias keeps 0.29 from becoming 28.
    double hundredths = std::floor(factor * 100 + 1e-9);
    // Beyond 256 times any value but 0 is capped anyway; this keeps inf out.
    if (hundredths > 25600) hundredths = 25600;
    v = v * hundredths / 100;
    if (v > 255) v = 255;
    HSV2RGB(h, s, v, outR, outG, outB);
    *outR = Clamp255(*outR);
    *outG = Clamp255(*outG);
    *outB = Clamp255(*outB);
    return 1;
}
