// GL_HDC and the kpx_* functions: drawing requests on one pixmap with the
// context's colours and font.
#include "gl_hdc.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_image.h"
#include "gl_pixmap.h"
#include "gl_text.h"
#include "gui_util.h"
#include "nc_request.h"

namespace {

// The text handed to draw_text is in the processor's own UTF-16 byte order.
const char* NativeUtf16() {
    const unsigned short probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 1 ? "UTF-16LE" : "UTF-16BE";
}

GL_HDC* Hdc(void* p) { return static_cast<GL_HDC*>(p); }

} // namespace

GL_HDC::GL_HDC()
    : pixmap(0), logFont(nullptr), backColor(iWhiteS), textColor(iBlackS), textAlign(1), ownsPixmap(0), ownsFont(0) {}

GL_HDC::~GL_HDC() {
    deletePixmap();
    deleteFont();
}

void GL_HDC::setPixmap(unsigned long pm) {
    deletePixmap();
    pixmap = pm;
    ownsPixmap = 0;
}

unsigned long GL_HDC::getPixmap() { return pixmap; }

unsigned long GL_HDC::createPixmap(int w, int h, int depth) {
    deletePixmap();
    pixmap = BeginPixmap(w, h, depth);
    ownsPixmap = 1;
    return pixmap;
}

void GL_HDC::deletePixmap() {
    if (ownsPixmap && pixmap) FreePixmap(pixmap);
    pixmap = 0;
    ownsPixmap = 0;
}

GL_Font* GL_HDC::createFont(char const* name, int size, int style) {
    deleteFont();
    logFont = NC_NewFont(name, size, style, 0);
    ownsFont = 1;
    return logFont;
}

void GL_HDC::deleteFont() {
    if (ownsFont) delete logFont;
    logFont = nullptr;
    ownsFont = 0;
}

GL_Font* GL_HDC::set_logFont(GL_Font* font) {
    // An owned font would be lost (or handed back after being freed): delete it.
    GL_Font* previous = ownsFont ? nullptr : logFont;
    deleteFont();
    logFont = font;
    return previous;
}

GL_Font* GL_HDC::get_logFont() { return logFont; }

unsigned long GL_HDC::set_back_color(unsigned long pixel) {
    unsigned long previous = backColor;
    backColor = pixel;
    return previous;
}

unsigned long GL_HDC::get_back_color() { return backColor; }

unsigned long GL_HDC::set_text_color(unsigned long pixel) {
    unsigned long previous = textColor;
    textColor = pixel;
    return previous;
}

unsigned long GL_HDC::get_text_color() { return textColor; }

unsigned char GL_HDC::set_text_align(unsigned char align) {
    unsigned char previous = textAlign;
    textAlign = align;
    return previous;
}

unsigned char GL_HDC::get_text_align() { return textAlign; }

void GL_HDC::fill_rect(GL_HRECT r, unsigned long pixel) {
    if (!pixmap) return;
    if (r.w == r.h)
        NC_DrawPoint(pixmap, r.x, r.y, pixel);
    else if (r.w == 1)
        NC_DrawVLine(pixmap, r.x, r.y, r.y + r.h - 1, pixel);
    else if (r.h == 1)
        NC_DrawHLine(pixmap, r.x, r.x + r.w - 1, r.y, pixel);
    else if (r.w > 0 && r.h > 0)
        NC_FillRect(pixmap, r.x, r.y, r.w, r.h, pixel);
}

namespace {

// The two-corner rule of fill_rect and draw_rect: a point or line when the
// corners share a coordinate, the rectangle when one corner is right-below
// the other, nothing otherwise.
template <class Box> void TwoCorners(unsigned long pm, GL_HPOINT a, GL_HPOINT b, unsigned long pixel, Box box) {
    if (a.x == b.x) {
        if (a.y == b.y)
            NC_DrawPoint(pm, a.x, a.y, pixel);
        else
            NC_DrawVLine(pm, a.x, a.y, b.y, pixel);
        return;
    }
    if (a.y == b.y) {
        NC_DrawHLine(pm, a.x, b.x, a.y, pixel);
        return;
    }
    long long w = (long long)b.x - a.x + 1, h = (long long)b.y - a.y + 1;
    if (w > 0 && h > 0)
        box(pm, a.x, a.y, int(w), int(h), pixel);
    else if (w < 0 && h < 0)
        // Both corners are inside either way: (10, 10) to (5, 5) is 6 x 6.
        box(pm, b.x, b.y, int(2 - w), int(2 - h), pixel);
}

} // namespace

void GL_HDC::fill_rect(GL_HPOINT a, GL_HPOINT b, unsigned long pixel) {
    if (pixmap) TwoCorners(pixmap, a, b, pixel, NC_FillRect);
}

void GL_HDC::fill_rect(GL_HPOINT a, GL_HPOINT b) { fill_rect(a, b, backColor); }

void GL_HDC::draw_rect(GL_HPOINT a, GL_HPOINT b) {
    if (pixmap) TwoCorners(pixmap, a, b, textColor, NC_DrawRect);
}

void GL_HDC::draw_line(GL_HPOINT a, GL_HPOINT b) {
    if (!pixmap) return;
    if (a.x == b.x && a.y == b.y)
        NC_DrawPoint(pixmap, a.x, a.y, textColor);
    else if (a.x == b.x)
        NC_DrawVLine(pixmap, a.x, a.y, b.y, textColor);
    else if (a.y == b.y)
        NC_DrawHLine(pixmap, a.x, b.x, a.y, textColor);
    else
        NC_DrawLine(pixmap, a.x, a.y, b.x, b.y, textColor);
}

void GL_HDC::fill_ellipse(int cx, int cy, int a, int b) {
    if (pixmap) NC_FillEllipse(pixmap, cx, cy, a, b, backColor);
}

void GL_HDC::draw_ellipse(int cx, int cy, int a, int b) {
    if (pixmap) NC_DrawEllipse(pixmap, cx, cy, a, b, textColor);
}

void GL_HDC::fill_polygon(int n, int* xs, int* ys) {
    if (pixmap && xs && ys) NC_FillPolygon(pixmap, n, xs, ys, backColor);
}

void GL_HDC::draw_polygon(int n, int* xs, int* ys) {
    if (pixmap && xs && ys) NC_DrawPolygon(pixmap, n, xs, ys, textColor);
}

void GL_HDC::fill_arc(int cx, int cy, double r, double a1, double a2) {
    if (pixmap) NC_FillArcDouble(pixmap, cx, cy, r, a1, a2, backColor);
}

void GL_HDC::draw_arc(int cx, int cy, double r, double a1, double a2) {
    if (pixmap) NC_DrawArcDouble(pixmap, cx, cy, r, a1, a2, textColor);
}

void GL_HDC::draw_ellipse(GL_HPOINT, GL_HPOINT) {}
void GL_HDC::draw_polygon(GL_HPOINT*, int) {}
void GL_HDC::draw_polyline(GL_HPOINT*, int) {}
int GL_HDC::stretchblt(int, int, int, int, GL_HDC*, int, int, int, int, int) { return 0; }

int GL_HDC::draw_text(int x, int y, unsigned short* text, int length) {
    if (!pixmap || !text || length < 1 || length > 0x1000000) return 0;
    // Scalable-font servers read text as UTF-8; bitmap fonts take GB18030.
    // Up to four bytes come out of one UTF-16 unit, so the buffer is sized in
    // bytes, not characters.
    const char* to = GL_ScalableFonts() ? "UTF-8" : "GB18030";
    unsigned size = 4u * unsigned(length);
    char* out = static_cast<char*>(GL_cmalloc(int(size + 1)));
    if (!out) return 0;
    int made = MyIconV(to, NativeUtf16(), out, size, reinterpret_cast<char*>(text), 2u * unsigned(length));
    int result = 0;
    if (made > 0) result = GL_TextOut(pixmap, logFont, nullptr, x, y, out, unsigned(made), textColor, nullptr);
    GL_free(out);
    return result;
}

int GL_HDC::bitblt(int x, int y, int w, int h, GL_HDC* other, int ox, int oy, int) {
    if (!pixmap || !other || !other->pixmap) return 0;
    return GL_CopyAreaP2P(pixmap, other->pixmap, 0, x, y, w, h, ox, oy);
}

int GL_HDC::draw_bitmap(int x, int y, int w, int h, GL_ImageListItem* image) {
    // An item whose file could not be read has no pixmap: nothing to copy.
    if (!pixmap || !image || !image->IsGood() || w < 1 || h < 1) return 0;
    return GL_CopyAreaP2P(image->GetPixmapId(), pixmap, image->GetMaskId(), 0, 0, w, h, x, y);
}

// The reader goes by the file's first bytes, so the three loaders are one;
// a file that cannot be read still gives an item, one that is not IsGood().
GL_ImageListItem* GL_HDC::load_jpg_from_file(char* path) { return new GL_ImageListItem(nullptr, path); }
GL_ImageListItem* GL_HDC::load_png_from_file(char* path) { return new GL_ImageListItem(nullptr, path); }
GL_ImageListItem* GL_HDC::load_bitmap_from_file(char* path) { return new GL_ImageListItem(nullptr, path); }

// ---- The flat interface -------------------------------------------------------------

void kpx_draw_ellipse(void* hdc, GL_HPOINT a, GL_HPOINT b) {
    if (hdc) Hdc(hdc)->draw_ellipse(a, b);
}
void kpx_draw_polygon(void* hdc, GL_HPOINT* points, int n) {
    if (hdc) Hdc(hdc)->draw_polygon(points, n);
}
void kpx_draw_polyline(void* hdc, GL_HPOINT* points, int n) {
    if (hdc) Hdc(hdc)->draw_polyline(points, n);
}
int kpx_stretchblt(void* hdc, int x, int y, int w, int h, void* other, int ox, int oy, int ow, int oh, int rop) {
    return hdc ? Hdc(hdc)->stretchblt(x, y, w, h, Hdc(other), ox, oy, ow, oh, rop) : 0;
}
unsigned long kpx_get_back_color(void* hdc) { return hdc ? Hdc(hdc)->get_back_color() : 0; }
unsigned long kpx_set_back_color(void* hdc, unsigned long pixel) { return hdc ? Hdc(hdc)->set_back_color(pixel) : 0; }
unsigned long kpx_get_text_color(void* hdc) { return hdc ? Hdc(hdc)->get_text_color() : 0; }
unsigned long kpx_set_text_color(void* hdc, unsigned long pixel) { return hdc ? Hdc(hdc)->set_text_color(pixel) : 0; }
GL_Font* kpx_set_logFont(void* hdc, GL_Font* font) { return hdc ? Hdc(hdc)->set_logFont(font) : nullptr; }
GL_Font* kpx_get_logFont(void* hdc) { return hdc ? Hdc(hdc)->get_logFont() : nullptr; }
unsigned char kpx_set_text_align(void* hdc, unsigned char align) { return hdc ? Hdc(hdc)->set_text_align(align) : 0; }
int kpx_draw_text(void* hdc, int x, int y, unsigned short* text, int length) {
    return hdc ? Hdc(hdc)->draw_text(x, y, text, length) : 0;
}
int kpx_bitblt(void* hdc, int x, int y, int w, int h, void* other, int ox, int oy, int rop) {
    return hdc ? Hdc(hdc)->bitblt(x, y, w, h, Hdc(other), ox, oy, rop) : 0;
}
int kpx_draw_bitmap(void* hdc, int x, int y, int w, int h, GL_ImageListItem* image) {
    return hdc ? Hdc(hdc)->draw_bitmap(x, y, w, h, image) : 0;
}
void kpx_fill_rect(void* hdc, GL_HRECT rect, unsigned long pixel) {
    if (hdc) Hdc(hdc)->fill_rect(rect, pixel);
}
void kpx_draw_rect(void* hdc, GL_HPOINT a, GL_HPOINT b) {
    if (hdc) Hdc(hdc)->draw_rect(a, b);
}
void kpx_draw_line(void* hdc, GL_HPOINT a, GL_HPOINT b) {
    if (hdc) Hdc(hdc)->draw_line(a, b);
}
GL_ImageListItem* kpx_load_jpg_from_file(char* path) { return new GL_ImageListItem(nullptr, path); }
GL_ImageListItem* kpx_load_png_from_file(char* path) { return new GL_ImageListItem(nullptr, path); }
GL_ImageListItem* kpx_load_bitmap_from_file(char* path) { return new GL_ImageListItem(nullptr, path); }
