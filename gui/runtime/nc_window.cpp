// Writers of the window and pixmap requests.
#include "runtime/nc_pack.h"

#define NC_PLAIN(Name, Params, Args)                                                                                   \
    int NC_##Name Params { return nc::Send<proto::OP_##Name> Args; }

unsigned long NC_CreateWindow(unsigned long parent, int x, int y, int w, int h, unsigned long pixel,
                              unsigned char kind) {
    unsigned long id = GetProgramIdBase();
    int n = nc::Send<proto::OP_CreateWindow>(id, parent, x, y, w, h, pixel, kind);
    return n == int(nc::Layout<proto::OP_CreateWindow>::length) ? id : 0;
}

NC_PLAIN(DestroyWindow, (unsigned long window), (window))
NC_PLAIN(RaiseWindow, (unsigned long window), (window))
NC_PLAIN(LowerWindow, (unsigned long window), (window))
NC_PLAIN(MapWindow, (unsigned long window, unsigned char noExpose), (window, noExpose))
NC_PLAIN(UnmapWindow, (unsigned long window, unsigned char noExpose), (window, noExpose))
NC_PLAIN(ResizeWindow, (unsigned long window, int w, int h), (window, w, h))
NC_PLAIN(MoveWindow, (unsigned long window, int dx, int dy, unsigned char noExpose), (window, dx, dy, noExpose))
NC_PLAIN(MoveResizeWindow, (unsigned long window, int x, int y, int w, int h, unsigned char noExpose),
         (window, x, y, w, h, noExpose))
NC_PLAIN(CreatePixmap, (unsigned long pixmap, int w, int h, int depth), (pixmap, w, h, depth))
NC_PLAIN(FreePixmap, (unsigned long pixmap), (pixmap))
NC_PLAIN(CopyAreaP2W,
         (unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h, int dx, int dy),
         (src, window, mask, sx, sy, w, h, dx, dy))
NC_PLAIN(CopyAreaP2P,
         (unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f),
         (src, dst, mask, a, b, c, d, e, f))
NC_PLAIN(SetWidgetPopFlag, (unsigned long window, int on), (window, on))
NC_PLAIN(SetWidgetFlag, (unsigned long window, int on), (window, on))
NC_PLAIN(SetClientExposed, (unsigned long window, int on), (window, on))
NC_PLAIN(SetTopWindowFlag, (unsigned long window, int on), (window, on))
NC_PLAIN(SetTransientFlag, (unsigned long window, unsigned long owner), (window, owner))
NC_PLAIN(SetWinShapeSizeOffset, (unsigned long window, unsigned long shapePixmap, int x, int y),
         (window, shapePixmap, x, y))
NC_PLAIN(SetDesktopFlag, (unsigned long window, int x, int y, int w, int h), (window, x, y, w, h))
NC_PLAIN(SetBackColor, (unsigned long window, unsigned long pixel), (window, pixel))
NC_PLAIN(SetBackPixmap, (unsigned long window, unsigned long pixmap), (window, pixmap))
NC_PLAIN(InvertPixmap, (unsigned long pixmap, int x, int y, int w, int h), (pixmap, x, y, w, h))
NC_PLAIN(CopyAreaP2P2,
         (unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f),
         (src, dst, mask, a, b, c, d, e, f))
NC_PLAIN(CopyAreaP2WNormal,
         (unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h, int dx, int dy),
         (src, window, mask, sx, sy, w, h, dx, dy))
NC_PLAIN(CopyAreaP2WLeft,
         (unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h, int dx, int dy),
         (src, window, mask, sx, sy, w, h, dx, dy))
NC_PLAIN(CopyAreaP2P3,
         (unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f),
         (src, dst, mask, a, b, c, d, e, f))
NC_PLAIN(SavePixmap, (unsigned long pixmap), (pixmap))

int SetWindowNoBorder(unsigned long) { return 0; }

int NC_UpdatePixmap(unsigned long pixmap, const unsigned char* data, int, int, int w, int rows, int depth) {
    if (!data || w < 1 || rows < 1 || depth < 1) return 0;
    const long long rowBits = (long long)w * depth;
    const long long rowBytes = rowBits / 8;
    const uint32_t fixed = nc::Layout<proto::OP_UpdatePixmap>::length;
    if (fixed + rowBytes > proto::kMaxMessage) return 0;
    const uint32_t length = fixed + uint32_t(rowBytes);
    // One message per row, many rows to a system call. Rows up to this size
    // are copied into the output buffer, since the kernel takes a gathered
    // piece more slowly than the copy; longer rows (and every row when the
    // buffer is off) go out as pieces of gathered writes, each header
    // followed by its row taken straight from the caller's data.
    constexpr uint32_t kCopiedRow = 4096;
    using proto::kBytesPerWrite, proto::kRowsPerWrite;
    static unsigned char headers[kRowsPerWrite][proto::kUpdatePixmapRow];
    static iovec pieces[2 * kRowsPerWrite];
    static_assert(nc::Layout<proto::OP_UpdatePixmap>::length == proto::kUpdatePixmapRow, "row offset");
    // The headers differ only in the row index.
    constexpr uint32_t kRowField = nc::ArgOffset(nc::Layout<proto::OP_UpdatePixmap>::sig, 2);
    nc::Pack<proto::OP_UpdatePixmap>(pixmap, 0, 0, w, 1, depth);
    proto::PutU32(gReqBuffer, proto::PackHeader(proto::OP_UpdatePixmap, length));
    long long total = 0;
    int row = 0;
    if (length <= kCopiedRow && GL_IsBuffered()) {
        for (; row < rows; ++row) {
            proto::PutU32(gReqBuffer + kRowField, uint32_t(row));
            iovec message[2] = {{gReqBuffer, fixed},
                                {const_cast<unsigned char*>(data + (row * rowBits) / 8), size_t(rowBytes)}};
            int written = nc::QueueGathered(connFd, message, 2);
            if (written != int(length)) return written;
            total += written;
        }
        return total > 0x7FFFFFFF ? 0x7FFFFFFF : int(total);
    }
    while (row < rows) {
        int n = 0;
        long long bytes = 0;
        for (; row < rows && n < kRowsPerWrite && (n == 0 || bytes + length <= kBytesPerWrite); ++row, ++n) {
            std::memcpy(headers[n], gReqBuffer, fixed);
            proto::PutU32(headers[n] + kRowField, uint32_t(row));
            pieces[2 * n] = iovec{headers[n], fixed};
            pieces[2 * n + 1] = iovec{const_cast<unsigned char*>(data + (row * rowBits) / 8), size_t(rowBytes)};
            bytes += length;
        }
        int written = nc::QueueGathered(connFd, pieces, 2 * n);
        if (written != bytes) return written;
        total += written;
    }
    // Large images can send more than an int counts: the count saturates.
    return total > 0x7FFFFFFF ? 0x7FFFFFFF : int(total);
}

int NC_UpdateBigPixmap(unsigned long pixmap, const char* path, int, int, int w, int rows, int depth) {
    // The path field holds 127 characters and its NUL: a longer path would be
    // cut to a different file, so it is refused.
    if (!path || strnlen(path, proto::kPathSize) >= proto::kPathSize) return 0;
    return nc::Send<proto::OP_UpdateBigPixmap>(pixmap, 0, 0, w, rows, depth, path);
}
