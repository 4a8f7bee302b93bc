// Glyph rendering and blending, with a cache of rendered glyphs per face.
//
// A face renders the same glyph to the same coverage bitmap every time, so
// keeping FreeType's bitmap and blending it again gives exactly the pixels
// that rendering it anew would give; only the FreeType work is saved.
#include <cstdlib>
#include <cstring>

#include "protocol/protocol.h"
#include "render/fonts.h"

namespace {

// All caches together stay under this; a cache that would pass it is emptied
// and starts again.
size_t g_cacheBudget = 16u * 1024 * 1024;
size_t g_cacheBytes = 0;

enum GlyphState : uint8_t { GLYPH_UNKNOWN = 0, GLYPH_DRAWN, GLYPH_NOTHING };

struct CachedGlyph {
    uint8_t state;
    int32_t left, top; // bitmap offset from the pen, top upwards
    int32_t width, rows;
    int32_t advance;   // whole pixels
    uint8_t* coverage; // width x rows, rows top to bottom
};

constexpr int kPageSize = 256;

} // namespace

struct SSGlyphCache {
    CachedGlyph* pages[65536 / kPageSize];
    size_t bytes;
};

namespace {

void ClearCache(SSGlyphCache* cache) {
    for (CachedGlyph*& page : cache->pages) {
        if (!page) continue;
        for (int i = 0; i < kPageSize; i++)
            free(page[i].coverage);
        delete[] page;
        page = nullptr;
    }
    g_cacheBytes -= cache->bytes;
    cache->bytes = 0;
}

void ClearAllCaches() {
    for (SSFont* f = g_fontList; f; f = f->next)
        for (SSFontFace* slot : f->faces)
            if (slot && slot->cache) ClearCache(slot->cache);
}

// Renders one character as a text request draws it: its own glyph, else
// that of U+56D7, else nothing.
void RenderGlyph(FT_Face face, uint16_t code, CachedGlyph* g) {
    g->state = GLYPH_NOTHING;
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (!index) index = FT_Get_Char_Index(face, kFallbackChar);
    if (!index) return;
    g_ftError = FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP);
    if (g_ftError) return;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP) {
        g_ftError = FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL);
        if (g_ftError) return;
    }
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return;
    g->left = slot->bitmap_left;
    g->top = slot->bitmap_top;
    g->width = int32_t(bm.width);
    g->rows = int32_t(bm.rows);
    g->advance = int32_t(slot->advance.x >> 6);
    g->coverage = nullptr;
    size_t n = size_t(g->width) * size_t(g->rows);
    if (n > 0) {
        g->coverage = static_cast<uint8_t*>(malloc(n));
        if (!g->coverage) return;
        for (int32_t i = 0; i < g->rows; i++) {
            const uint8_t* src = bm.buffer + (bm.pitch >= 0 ? i * bm.pitch : (g->rows - 1 - i) * -bm.pitch);
            uint8_t* dst = g->coverage + size_t(i) * size_t(g->width);
            if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
                memcpy(dst, src, size_t(g->width));
            } else {
                for (int32_t j = 0; j < g->width; j++)
                    dst[j] = (src[j >> 3] & (0x80 >> (j & 7))) ? 255 : 0;
            }
        }
    }
    g->state = GLYPH_DRAWN;
}

const CachedGlyph* Glyph(SSFontFace* slot, uint16_t code) {
    if (!slot->cache) {
        slot->cache = new SSGlyphCache();
    }
    SSGlyphCache* cache = slot->cache;
    CachedGlyph*& page = cache->pages[code / kPageSize];
    if (!page) {
        page = new CachedGlyph[kPageSize]();
        cache->bytes += sizeof(CachedGlyph) * kPageSize;
        g_cacheBytes += sizeof(CachedGlyph) * kPageSize;
    }
    CachedGlyph* g = &page[code % kPageSize];
    if (g->state != GLYPH_UNKNOWN) return g;
    RenderGlyph(slot->face, code, g);
    size_t n = g->coverage ? size_t(g->width) * size_t(g->rows) : 0;
    if (g_cacheBytes + n > g_cacheBudget) {
        // Over budget: every cache starts again. The new glyph is kept out of
        // the clearing and put back in a fresh page.
        CachedGlyph kept = *g;
        g->coverage = nullptr;
        ClearAllCaches();
        page = new CachedGlyph[kPageSize]();
        cache->bytes += sizeof(CachedGlyph) * kPageSize;
        g_cacheBytes += sizeof(CachedGlyph) * kPageSize;
        g = &page[code % kPageSize];
        *g = kept;
    }
    cache->bytes += n;
    g_cacheBytes += n;
    return g;
}

void BlendGlyph(const SSTextTarget& t, const CachedGlyph* g, int64_t penX, int64_t y, uint8_t pixel) {
    int64_t x0 = penX + g->left;
    int64_t y0 = y - g->top;
    int64_t jBegin = x0 < 0 ? -x0 : 0;
    int64_t jEnd = g->width;
    if (x0 + jEnd > t.width) jEnd = int64_t(t.width) - x0;
    int64_t iBegin = y0 < 0 ? -y0 : 0;
    int64_t iEnd = g->rows;
    if (y0 + iEnd > t.height) iEnd = int64_t(t.height) - y0;
    if (jBegin >= jEnd || iBegin >= iEnd) return;
    for (int64_t i = iBegin; i < iEnd; i++) {
        const uint8_t* cov = g->coverage + i * g->width;
        uint8_t* row = t.pixels + (y0 + i) * int64_t(t.stride);
        for (int64_t j = jBegin; j < jEnd; j++) {
            uint8_t a = cov[j];
            if (a) row[x0 + j] = BlendCoverage(row[x0 + j], pixel, a);
        }
    }
}

} // namespace

size_t SetGlyphCacheBudget(size_t bytes) {
    size_t old = g_cacheBudget;
    g_cacheBudget = bytes;
    return old;
}

size_t GlyphCacheBytes() { return g_cacheBytes; }

void FreeGlyphCache(SSGlyphCache* cache) {
    if (!cache) return;
    ClearCache(cache);
    delete cache;
}

int DecodeTextUtf8(const uint8_t* text, int64_t count, uint32_t available, uint16_t* out) {
    uint32_t n;
    if (count > 0) {
        n = count < int64_t(available) ? uint32_t(count) : available;
    } else {
        n = 0;
        while (n < available && text[n])
            n++;
    }
    if (n > uint32_t(kMaxTextChars)) n = kMaxTextChars;

    int chars = 0;
    uint32_t i = 0;
    while (i < n && chars < kMaxTextChars) {
        uint8_t b = text[i++];
        uint32_t code;
        int more;
        if (b < 128) {
            code = b;
            more = 0;
        } else if (b >= 192 && b <= 223) {
            code = b & 0x1F;
            more = 1;
        } else if (b >= 224 && b <= 239) {
            code = b & 0x0F;
            more = 2;
        } else if (b >= 240 && b <= 247) {
            code = b & 0x07;
            more = 3;
        } else {
            continue; // a stray continuation byte or 248..255 starts nothing
        }
        bool complete = true;
        for (; more > 0; more--) {
            if (i >= n || text[i] < 128 || text[i] > 191) {
                complete = false; // cut short: the sequence is dropped, the byte read anew
                break;
            }
            code = code << 6 | (text[i++] & 0x3F);
        }
        if (!complete) continue;
        code &= 0xFFFF;
        // Control characters (C0 and C1) are dropped; Latin-1 letters are
        // drawn, as clients measure them with their own advances.
        if ((code >= 32 && code <= 127) || code >= 160) out[chars++] = uint16_t(code);
    }
    return chars;
}

int64_t DrawTextFace(const SSTextTarget& target, SSFontFace* slot, int64_t x, int64_t y, const uint16_t* chars, int n,
                     uint32_t pixel) {
    if (!slot || !slot->face) return x;
    bool drawable = target.pixels && target.width > 0 && target.height > 0 && target.stride >= target.width;
    // Characters above 255 sit centred in cells of the published wide
    // advance, the width clients measure them with, so that text ends where
    // it was measured whatever the glyphs' own advances.
    int32_t cell = int32_t(proto::GetU32(slot->record + metric::kWideAdvance));
    int64_t pen = x;
    for (int k = 0; k < n; k++) {
        const CachedGlyph* g = Glyph(slot, chars[k]);
        bool wide = chars[k] > 255;
        if (g->state == GLYPH_DRAWN && drawable && g->coverage) {
            int64_t inset = wide && g->advance < cell ? (cell - g->advance) / 2 : 0;
            BlendGlyph(target, g, pen + inset, y, uint8_t(pixel & 0xFF));
        }
        if (wide)
            pen += cell;
        else if (g->state == GLYPH_DRAWN)
            pen += g->advance;
    }
    return pen;
}
