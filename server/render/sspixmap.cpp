// The pixmap table and the requests that create, fill, free, invert and save
// pixmaps. The copies live in copy_p2p.cpp and copy_p2w.cpp.
#include "render/sspixmap.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/handlers.h"
#include "core/idtable.h"
#include "platform/einkroot.h"
#include "protocol/protocol.h"
#include "window/ssregion.h"
#include "window/sswindow.h"

namespace {

SSIdTable<SSPixmap> g_pixmaps;
int64_t g_totalBytes = 0;

// All pixmaps together may not take more than this.
constexpr int64_t kMaxTotalBytes = 768ll << 20;

int64_t BufferSize(const SSPixmap* p) { return int64_t(p->d.bytesPerLine) * p->d.height; }

void Destroy(SSPixmap* p) {
    SS_ForgetPixmap(p); // windows drop it as their background
    g_totalBytes -= BufferSize(p);
    SS_FreeRegion(p->maskRegion);
    free(p->d.pixels);
    delete p;
}

} // namespace

SSPixmap* SS_FindPixmap(uint32_t id) { return g_pixmaps.Find(id); }

SSPixmap* SS_CreatePixmap(uint32_t id, int32_t width, int32_t height, int32_t depth, SSClient* owner) {
    if (id == 0 || width <= 0 || height <= 0) return nullptr;
    if (depth <= 0) depth = 8;
    if (width > kMaxPixmapSide || height > kMaxPixmapSide || depth > kMaxPixmapDepth) return nullptr;
    int64_t bytesPerRow = (int64_t(width) * depth + 7) / 8;
    int64_t bytes = bytesPerRow * height;
    if (bytes > kMaxPixmapBytes || g_totalBytes + bytes > kMaxTotalBytes) return nullptr;
    uint8_t* pixels = static_cast<uint8_t*>(calloc(size_t(bytes), 1));
    if (!pixels) return nullptr;
    SSPixmap* p = new SSPixmap{};
    p->d.pixels = pixels;
    p->d.id = id;
    p->d.width = width;
    p->d.height = height;
    p->d.bitsPerPixel = uint32_t(depth);
    p->d.bytesPerLine = uint32_t(bytesPerRow);
    p->d.kind = DRAWABLE_PIXMAP;
    p->depth = depth;
    p->refCount = 1;
    p->owner = owner;
    g_totalBytes += bytes;

    g_pixmaps.Insert(id, p);
    return p;
}

void SS_ReleasePixmap(SSPixmap* p) {
    if (p && --p->refCount <= 0) Destroy(p);
}

void SS_FreePixmap(uint32_t id) {
    if (id != 0) SS_ReleasePixmap(g_pixmaps.RemoveId(id));
}

void SS_FreeClientPixmaps(SSClient* client) {
    g_pixmaps.ForEach([client](SSPixmap* p) {
        if (p->owner != client) return;
        g_pixmaps.Remove(p->d.id, p);
        p->owner = nullptr;
        SS_ReleasePixmap(p);
    });
}

void SS_FreeAllPixmaps() {
    g_pixmaps.ForEach([](SSPixmap* p) {
        g_pixmaps.Remove(p->d.id, p);
        SS_ReleasePixmap(p);
    });
}

int SS_PixmapCount() { return g_pixmaps.Count(); }

const SSRegion* SS_PixmapMaskRegion(SSPixmap* p) {
    if (!p || !p->d.pixels) return nullptr;
    if (!p->maskRegion) {
        // A row holds at most 8 x bytes-per-row bits whatever the depth.
        int32_t w = int32_t(std::min<int64_t>(p->d.width, int64_t(p->d.bytesPerLine) * 8));
        p->maskRegion = SS_MaskToRegion(p->d.pixels, w, p->d.height, int32_t(p->d.bytesPerLine));
    }
    return p->maskRegion;
}

// ---- Requests ---------------------------------------------------------------------------

void HandleCreatePixmap(SSClient* client, const uint8_t* msg, uint32_t length) {
    proto::ArgReader r(msg, length);
    uint32_t id = r.u32();
    int32_t w = r.s32(), h = r.s32(), depth = r.s32();
    SS_CreatePixmap(id, w, h, depth, client);
}

void HandleFreePixmap(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader r(msg, length);
    SS_FreePixmap(r.u32());
}

// One row of pixels follows the 24 body bytes; the whole message has been
// received, so a pixmap that does not exist, or bytes outside it, simply
// leave the rest of the message unused.
void HandleUpdatePixmap(SSClient*, const uint8_t* msg, uint32_t length) {
    constexpr uint32_t kRowData = proto::kUpdatePixmapRow;
    proto::ArgReader r(msg, length);
    SSPixmap* p = SS_FindPixmap(r.u32());
    if (!p || !p->d.pixels || length <= kRowData) return;
    int64_t xOffset = r.s32(), row = r.s32(), width = r.s32();
    r.s32(); // row count: every message carries one row
    int64_t depth = r.s32();
    // The request's own geometry: it is not compared with the pixmap's, so
    // every byte is checked against the buffer instead. A product that does
    // not fit 64 bits lies far outside any pixmap.
    int64_t bits;
    if (__builtin_mul_overflow(depth * width, row, &bits)) return;
    const int64_t start = bits / 8 + xOffset;
    const int64_t count = std::min<int64_t>(depth * width / 8, length - kRowData);
    const int64_t from = std::max<int64_t>(start, 0), to = std::min(start + count, BufferSize(p));
    if (count <= 0 || from >= to) return;
    memcpy(p->d.pixels + from, msg + kRowData + (from - start), size_t(to - from));
}

// The client wrote the pixels to a file and names it; the server reads it
// into the pixmap from the start and deletes it. Only regular files are
// read (a pipe would stall the server).
void HandleUpdateBigPixmap(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader r(msg, length);
    SSPixmap* p = SS_FindPixmap(r.u32());
    r.s32(), r.s32();
    int64_t bytesPerRow = r.s32(), rows = r.s32();
    if (!p || !p->d.pixels) return;
    char path[proto::kPathSize + 1] = {};
    if (length > 28) memcpy(path, msg + 28, std::min<uint32_t>(proto::kPathSize, length - 28));
    if (path[0] == '\0') return;
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return;
    }
    int64_t want = std::min<int64_t>(std::max<int64_t>(bytesPerRow, 0) * std::max<int64_t>(rows, 0), BufferSize(p));
    int64_t done = 0;
    while (done < want) {
        ssize_t n = read(fd, p->d.pixels + done, size_t(want - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    close(fd);
    unlink(path);
}

// Each byte keeps only its top two bits, inverted: 11 -> 00, 10 -> 01,
// 01 -> 10, 00 -> 11.
void HandleInvertPixmap(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader r(msg, length);
    SSPixmap* p = SS_FindPixmap(r.u32());
    if (!p || !p->d.pixels) return;
    int64_t x = r.s32(), y = r.s32(), w = r.s32(), h = r.s32();
    if (x < 0) w += x, x = 0;
    if (y < 0) h += y, y = 0;
    if (x >= p->d.width || y >= p->d.height) return;
    int64_t startByte = x * p->depth / 8;
    w = std::min<int64_t>(w, int64_t(p->d.bytesPerLine) - startByte);
    h = std::min<int64_t>(h, p->d.height - y);
    if (w <= 0 || h <= 0) return;
    for (int64_t row = y; row < y + h; ++row) {
        uint8_t* q = p->d.pixels + row * p->d.bytesPerLine + startByte;
        for (int64_t i = 0; i < w; ++i)
            q[i] = uint8_t((3 - (q[i] >> 6)) << 6);
    }
}

void HandleSavePixmap(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader r(msg, length);
    SSPixmap* p = SS_FindPixmap(r.u32());
    if (!p || !p->d.pixels) return;
    FILE* f = fopen(eink::Path("/tmp/pix.txt").c_str(), "w");
    if (!f) return;
    fprintf(f, "/* w =%d h = %d len=%d */\n", p->d.width, p->d.height, int(p->d.bytesPerLine));
    fprintf(f, "unsigned char pix_data[]={\n");
    for (int32_t row = 0; row < p->d.height; ++row) {
        const uint8_t* q = p->d.pixels + int64_t(row) * p->d.bytesPerLine;
        for (uint32_t i = 0; i < p->d.bytesPerLine; ++i)
            fprintf(f, "0x%02x,", q[i]);
        fputc('\n', f);
    }
    fprintf(f, "};\n");
    fclose(f);
}
