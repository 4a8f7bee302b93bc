// GL_HDC: a small drawing context around one server pixmap, with a font, a
// background and a text colour; and the kpx_* functions, the same operations
// for callers that hold the context as an untyped pointer (they do nothing,
// or return 0, for a null context). Every drawing member does nothing while
// the context has no pixmap.
#pragma once

#include "nc_font.h"

class GL_ImageListItem;

struct GL_HPOINT {
    int x;
    int y;
};

struct GL_HRECT {
    int x;
    int y;
    int w;
    int h;
};

class GL_HDC {
public:
    // No pixmap, no font, back colour iWhiteS, text colour iBlackS, alignment 1.
    GL_HDC();
    // Frees an owned pixmap and deletes an owned font.
    ~GL_HDC();
    GL_HDC(const GL_HDC&) = delete;
    GL_HDC& operator=(const GL_HDC&) = delete;

    // Attaches a pixmap the context does not own (an owned one is freed first).
    void setPixmap(unsigned long pixmap);
    unsigned long getPixmap();
    // Frees an owned pixmap, then owns a new w x h one (BeginPixmap); returns it.
    unsigned long createPixmap(int w, int h, int depth);
    // Frees the pixmap if owned; the context has none afterwards either way.
    void deletePixmap();
    // Deletes an owned font, then owns NC_NewFont(name, size, style); returns it.
    GL_Font* createFont(char const* name, int size, int style);
    // Deletes the font if owned; the context has none afterwards either way.
    void deleteFont();
    // Attaches a font that is not owned (an owned one is deleted first, then
    // null is returned); returns the previous one.
    GL_Font* set_logFont(GL_Font* font);
    GL_Font* get_logFont();
    // Field access; each setter returns the previous value. The alignment is
    // stored only.
    unsigned long set_back_color(unsigned long pixel);
    unsigned long get_back_color();
    unsigned long set_text_color(unsigned long pixel);
    unsigned long get_text_color();
    unsigned char set_text_align(unsigned char align);
    unsigned char get_text_align();

    // w == h: a point at (x, y); w 1: a vertical line of h; h 1: a horizontal
    // line of w; otherwise a filled rectangle when w and h are positive.
    void fill_rect(GL_HRECT rect, unsigned long pixel);
    // Corners p1 and p2 inclusive: a point or line when they share x or y;
    // otherwise the rectangle when p2 is right-below p1 or p1 right-below p2,
    // nothing for mixed directions. In pixel, or the back colour.
    void fill_rect(GL_HPOINT p1, GL_HPOINT p2, unsigned long pixel);
    void fill_rect(GL_HPOINT p1, GL_HPOINT p2);
    // As the two-point fill, as an outline in the text colour.
    void draw_rect(GL_HPOINT p1, GL_HPOINT p2);
    // A point, a vertical or horizontal line, or a line, in the text colour.
    void draw_line(GL_HPOINT p1, GL_HPOINT p2);
    // Ellipse centred at (cx, cy) with half-axes a and b: filled in the back
    // colour, outlined in the text colour.
    void fill_ellipse(int cx, int cy, int a, int b);
    void draw_ellipse(int cx, int cy, int a, int b);
    // n points, both coordinate arrays required.
    void fill_polygon(int n, int* xs, int* ys);
    void draw_polygon(int n, int* xs, int* ys);
    // Arc of radius r around (cx, cy) from angle a1 to a2.
    void fill_arc(int cx, int cy, double r, double a1, double a2);
    void draw_arc(int cx, int cy, double r, double a1, double a2);
    // Do nothing.
    void draw_ellipse(GL_HPOINT p1, GL_HPOINT p2);
    void draw_polygon(GL_HPOINT* points, int n);
    void draw_polyline(GL_HPOINT* points, int n);
    int stretchblt(int x, int y, int w, int h, GL_HDC* other, int ox, int oy, int ow, int oh, int rop);
    // UTF-16 text (in the processor's byte order) of length units, converted
    // to what the server reads (UTF-8 with scalable fonts, else GB18030) and
    // drawn with GL_TextOut at (x, y) in the text colour and font. Returns GL_TextOut's result, 0
    // when nothing was drawn.
    int draw_text(int x, int y, unsigned short* text, int length);
    // Copies w x h at (x, y) of this pixmap to (ox, oy) of the other
    // context's pixmap; rop is not used. 1 when copied, else 0.
    int bitblt(int x, int y, int w, int h, GL_HDC* other, int ox, int oy, int rop);
    // Copies w x h of the image's pixmap (through its mask) to (x, y). 1 when
    // copied, 0 when there is nothing to copy.
    int draw_bitmap(int x, int y, int w, int h, GL_ImageListItem* image);
    // A new image item for the file (any of the readable formats, or a
    // built-in image's path); the caller deletes it. A file that cannot be
    // read gives an item that is not IsGood().
    GL_ImageListItem* load_jpg_from_file(char* path);
    GL_ImageListItem* load_png_from_file(char* path);
    GL_ImageListItem* load_bitmap_from_file(char* path);

    unsigned long pixmap;
    GL_Font* logFont;
    unsigned long backColor;
    unsigned long textColor;
    unsigned char textAlign;
    unsigned char ownsPixmap;
    unsigned char ownsFont;
};

// The GL_HDC members above for a context held as void* (a GL_HDC*): each
// does what its member does, and nothing (or returns 0) for a null context.
void kpx_draw_ellipse(void* hdc, GL_HPOINT p1, GL_HPOINT p2);
void kpx_draw_polygon(void* hdc, GL_HPOINT* points, int n);
void kpx_draw_polyline(void* hdc, GL_HPOINT* points, int n);
int kpx_stretchblt(void* hdc, int x, int y, int w, int h, void* other, int ox, int oy, int ow, int oh, int rop);
unsigned long kpx_get_back_color(void* hdc);
unsigned long kpx_set_back_color(void* hdc, unsigned long pixel);
unsigned long kpx_get_text_color(void* hdc);
unsigned long kpx_set_text_color(void* hdc, unsigned long pixel);
GL_Font* kpx_set_logFont(void* hdc, GL_Font* font);
GL_Font* kpx_get_logFont(void* hdc);
unsigned char kpx_set_text_align(void* hdc, unsigned char align);
int kpx_draw_text(void* hdc, int x, int y, unsigned short* text, int length);
int kpx_bitblt(void* hdc, int x, int y, int w, int h, void* other, int ox, int oy, int rop);
int kpx_draw_bitmap(void* hdc, int x, int y, int w, int h, GL_ImageListItem* image);
void kpx_fill_rect(void* hdc, GL_HRECT rect, unsigned long pixel);
void kpx_draw_rect(void* hdc, GL_HPOINT p1, GL_HPOINT p2);
void kpx_draw_line(void* hdc, GL_HPOINT p1, GL_HPOINT p2);
// A new image item for the file, as the members above.
GL_ImageListItem* kpx_load_jpg_from_file(char* path);
GL_ImageListItem* kpx_load_png_from_file(char* path);
GL_ImageListItem* kpx_load_bitmap_from_file(char* path);
