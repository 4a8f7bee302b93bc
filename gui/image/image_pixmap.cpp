// GL_ImagePixmap: one server pixmap with the client's copy of its pixels, and
// the two ways those pixels reach the server.
#include "gl_image.h"

#include "egui_conn.h"
#include "gui_util.h"
#include "nc_request.h"
#include "platform/einkroot.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

// Counter of the temporary upload files of this process.
int pixno = 0;

namespace {

// Upload files this process handed to the server. The server deletes each
// after reading it; one it could not read (its pixmap vanished meanwhile) is
// removed here when the process ends, so that /tmp does not fill up.
std::vector<std::string>* gSentFiles = nullptr;

void RemoveSentFiles() {
    if (!gSentFiles) return;
    for (const std::string& path : *gSentFiles)
        unlink(path.c_str());
    gSentFiles->clear();
}

void RememberSentFile(const char* path) {
    if (!gSentFiles) {
        gSentFiles = new std::vector<std::string>();
        atexit(RemoveSentFiles);
    }
    // Old entries have long been read by the server: keep the list short.
    if (gSentFiles->size() >= 256) gSentFiles->erase(gSentFiles->begin(), gSentFiles->begin() + 128);
    gSentFiles->emplace_back(path);
}

bool WriteAll(int fd, const unsigned char* p, size_t n) {
    while (n > 0) {
        ssize_t k = write(fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        p += k;
        n -= size_t(k);
    }
    return true;
}

// Creates "/tmp/<program>_<pid in hex>_<counter>" for writing, never through
// an existing file or link (another user could have planted one under the
// predictable name): a name in use moves on to the next counter. -1 when no
// file can be made.
int CreateUploadFile(char* path, size_t size) {
    const std::string dir = eink::Path("/tmp");
    // The name travels in a 128-byte field: a long program name is cut.
    const char* prog = pProgNameFile ? pProgNameFile : "gui";
    if (*prog == '/') ++prog;
    for (int attempt = 0; attempt < 100; ++attempt) {
        int n = snprintf(path, size, "%s/%.32s_%lx_%05d", dir.c_str(), prog, (unsigned long)getpid(), pixno++);
        if (n < 0 || size_t(n) >= size) return -1;
        int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;
    }
    return -1;
}

} // namespace

void GL_ImagePixmap::Init(unsigned char borrowed, char* pixels, int w, int h, int d) {
    id = static_cast<unsigned int>(GetProgramIdBase());
    // A mask row holds whole bytes.
    width = d == 1 ? (w + 7) / 8 * 8 : w;
    height = h;
    depth = d;
    data = reinterpret_cast<unsigned char*>(pixels);
    dataBorrowed = borrowed;
    NC_CreatePixmap(id, width, height, depth);
}

GL_ImagePixmap::GL_ImagePixmap(int w, int h, int d) { Init(0, nullptr, w, h, d); }

GL_ImagePixmap::GL_ImagePixmap(char* pixels, int w, int h, int d) {
    if (!pixels) exit(0);
    Init(0, pixels, w, h, d);
}

GL_ImagePixmap::GL_ImagePixmap(unsigned char borrowed, char* pixels, int w, int h, int d) {
    if (!pixels) exit(0);
    Init(borrowed, pixels, w, h, d);
}

GL_ImagePixmap::~GL_ImagePixmap() {
    FreeData();
    NC_FreePixmap(id);
}

void GL_ImagePixmap::FreeData() {
    if (!dataBorrowed) GL_free(data);
    data = nullptr;
}

int GL_ImagePixmap::UpdatePixmap() {
    if (!id || !data || width < 1 || height < 1 || depth < 1) return -1;
    const long long pixels = (long long)width * height;
    const int rowBytes = BytesPerRow();
    if (width <= 100 || height <= 100 || pixels <= 40000)
        return NC_UpdatePixmap(id, data, 0, 0, width, height, depth) > 0 ? 0 : -1;

    char path[256];
    int fd = CreateUploadFile(path, sizeof path);
    // Without a file the pixels still reach the server, row by row.
    if (fd < 0) return NC_UpdatePixmap(id, data, 0, 0, width, height, depth) > 0 ? 0 : -1;
    bool written = WriteAll(fd, data, size_t(rowBytes) * size_t(height));
    if (close(fd) != 0) written = false;
    // The server reads bytes-per-row x rows bytes: for a mask that is the
    // packed row, not one byte per pixel.
    if (!written || NC_UpdateBigPixmap(id, path, 0, 0, rowBytes, height, depth) <= 0) {
        unlink(path);
        return -1;
    }
    RememberSentFile(path);
    return 0;
}

int GL_ImagePixmap::SetPixmapValue(int x, int y, unsigned long value) {
    if (!data || depth != 8 || x < 0 || y < 0 || x >= width || y >= height) return -1;
    data[size_t(y) * size_t(width) + size_t(x)] = static_cast<unsigned char>(value);
    return 0;
}

int GL_ImagePixmap::SetPixmapMask(int x, int y, unsigned char on) {
    if (!data || depth != 1 || x < 0 || y < 0 || x >= width || y >= height) return -1;
    unsigned char& byte = data[size_t(y) * size_t(width / 8) + size_t(x / 8)];
    const unsigned char bit = static_cast<unsigned char>(1u << (x % 8));
    byte = on ? byte | bit : byte & static_cast<unsigned char>(~bit);
    return 0;
}

namespace {

// Area averaging along one direction in 12-bit fixed point: each source
// element adds its weight (new size / old size in units of 1/4096) to the
// sums until 4096 units make one output element. `get(i, k)` reads source
// element i of line k, `put(j, k, v)` writes output element j of line k.
template <class Get, class Put> void ResampleLines(int from, int to, int lines, Get get, Put put) {
    const long long weight = (long long)to * 4096 / from; // units of one source element
    std::vector<unsigned int> sum(size_t(lines), 2048);
    long long filled = 0;
    int out = 0;
    for (int i = 0; i < from && out < to; ++i) {
        long long left = weight; // units of element i still to hand out
        while (left > 0 && out < to) {
            long long take = std::min(left, 4096 - filled);
            for (int k = 0; k < lines; ++k)
                sum[size_t(k)] += unsigned(get(i, k) * take);
            filled += take;
            left -= take;
            if (filled == 4096) {
                for (int k = 0; k < lines; ++k) {
                    put(out, k, std::min(sum[size_t(k)] / 4096u, 255u));
                    sum[size_t(k)] = 2048;
                }
                ++out;
                filled = 0;
            }
        }
    }
    // Rounding of the weight can leave the last output short: it takes what
    // it gathered, scaled up.
    for (; out < to; ++out)
        for (int k = 0; k < lines; ++k)
            put(out, k, filled ? std::min((sum[size_t(k)] - 2048) / unsigned(filled), 255u) : get(from - 1, k));
}

} // namespace

GL_ImagePixmap* GL_ImagePixmap::Zoom(int newWidth, int newHeight) {
    if (newWidth <= 0 || newHeight <= 0 || !data || depth != 8) return nullptr;
    if ((long long)newWidth * newHeight > 64ll * 1024 * 1024) return nullptr;
    std::vector<unsigned char> rows; // height changed first: width x newHeight
    const unsigned char* src = data;
    if (newHeight != height) {
        rows.resize(size_t(width) * size_t(newHeight));
        ResampleLines(
            height, newHeight, width,
            [&](int i, int k) { return unsigned(data[size_t(i) * size_t(width) + size_t(k)]); },
            [&](int j, int k, unsigned v) {
                rows[size_t(j) * size_t(width) + size_t(k)] = static_cast<unsigned char>(v);
            });
        src = rows.data();
    }
    char* out = static_cast<char*>(GL_malloc(newWidth * newHeight));
    if (!out) return nullptr;
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    if (newWidth != width) {
        ResampleLines(
            width, newWidth, newHeight,
            [&](int i, int k) { return unsigned(src[size_t(k) * size_t(width) + size_t(i)]); },
            [&](int j, int k, unsigned v) {
                o[size_t(k) * size_t(newWidth) + size_t(j)] = static_cast<unsigned char>(v);
            });
    } else {
        memcpy(o, src, size_t(newWidth) * size_t(newHeight));
    }
    return new GL_ImagePixmap(out, newWidth, newHeight, 8);
}

void GL_ImagePixmap::Dump(char const*) {
    if (!data) return;
    const int rowBytes = BytesPerRow();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < rowBytes; ++x)
            printf("0x%02x,", data[size_t(y) * size_t(rowBytes) + size_t(x)]);
        printf("\n");
    }
    printf("};\n");
}
