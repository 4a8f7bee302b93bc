#include "platform/framebuffer.h"

#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/pngwrite.h"
#include "platform/rows.h"

namespace eink {

namespace {

// The Linux frame buffer with the e-ink controller's update command.
class DeviceFrameBuffer : public FrameBuffer {
public:
    DeviceFrameBuffer(int fd, std::string path) : FrameBuffer(fd, std::move(path)) {}
    bool ReadFixedInfo() override {
        fb_fix_screeninfo fix;
        memset(&fix, 0, sizeof fix);
        return ioctl(fd_, FBIOGET_FSCREENINFO, &fix) == 0;
    }
    bool ReadResolution(PanelResolution* out) override {
        fb_var_screeninfo var;
        memset(&var, 0, sizeof var);
        if (ioctl(fd_, FBIOGET_VSCREENINFO, &var) != 0) return false;
        out->xres = int32_t(var.xres);
        out->yres = int32_t(var.yres);
        return true;
    }
    void Update(const PanelUpdate& record) override {
        PanelUpdate r = record;
        (void)ioctl(fd_, kPanelUpdateIoctl, &r);
    }
    bool Emulated() const override { return false; }

protected:
    size_t MappableLength() const override { return SIZE_MAX; }
};

// A regular file standing for the panel memory. The resolution comes from
// "<fb>.mode"; every update command leaves "<fb>.png" and a line in
// "<fb>.updates" for whoever watches the emulation.
class EmulatedFrameBuffer : public FrameBuffer {
public:
    EmulatedFrameBuffer(int fd, std::string path) : FrameBuffer(fd, std::move(path)) {}
    bool ReadFixedInfo() override { return true; }
    bool ReadResolution(PanelResolution* out) override {
        out->xres = 600;
        out->yres = 800;
        FILE* f = fopen((path_ + ".mode").c_str(), "r");
        if (!f) return true;
        int w = 0, h = 0;
        if (fscanf(f, "%d %d", &w, &h) == 2 && w > 0 && h > 0 && w <= 8192 && h <= 8192) {
            out->xres = w;
            out->yres = h;
        }
        fclose(f);
        return true;
    }
    void Update(const PanelUpdate& r) override {
        // The picture first, then the line: whoever sees the new line finds
        // the matching picture already in place.
        if (map_) {
            int width = int(r.right) - int(r.left), height = int(r.bottom) - int(r.top);
            if (width <= 0 || height <= 0 || (width & 1) || size_t(width) * size_t(height) / 2 > mapLength_) {
                PanelResolution res{600, 800};
                ReadResolution(&res);
                width = res.xres;
                height = res.yres;
            }
            if (size_t(width) * size_t(height) / 2 <= mapLength_) WritePanelPng(path_ + ".png", map_, width, height);
        }
        FILE* f = fopen((path_ + ".updates").c_str(), "a");
        if (!f) return;
        fprintf(f, "%u %u %u %u %u %u\n", r.left, r.top, r.right, r.bottom, r.word4, r.word5);
        fclose(f);
    }
    bool Emulated() const override { return true; }

protected:
    size_t MappableLength() const override {
        struct stat st;
        if (fstat(fd_, &st) != 0 || st.st_size < 0) return 0;
        return size_t(st.st_size);
    }
};

} // namespace

FrameBuffer::~FrameBuffer() {
    Unmap();
    if (fd_ >= 0) close(fd_);
}

std::unique_ptr<FrameBuffer> FrameBuffer::Open(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int e = errno;
        close(fd);
        errno = e;
        return nullptr;
    }
    if (S_ISREG(st.st_mode)) return std::unique_ptr<FrameBuffer>(new EmulatedFrameBuffer(fd, path));
    return std::unique_ptr<FrameBuffer>(new DeviceFrameBuffer(fd, path));
}

uint8_t* FrameBuffer::Map(size_t length) {
    Unmap();
    if (length == 0) {
        fprintf(stderr, "frame buffer %s: empty panel\n", path_.c_str());
        return nullptr;
    }
    size_t avail = MappableLength();
    if (avail < length) {
        fprintf(stderr, "frame buffer %s: %zu bytes, the panel needs %zu\n", path_.c_str(), avail, length);
        return nullptr;
    }
    void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (p == MAP_FAILED) {
        fprintf(stderr, "frame buffer %s: cannot map %zu bytes: %s\n", path_.c_str(), length, strerror(errno));
        return nullptr;
    }
    map_ = static_cast<uint8_t*>(p);
    mapLength_ = length;
    return map_;
}

void FrameBuffer::Unmap() {
    if (map_) munmap(map_, mapLength_);
    map_ = nullptr;
    mapLength_ = 0;
}

void ConvertToPanelReference(const uint8_t* src, uint8_t* dst, size_t pixels) {
    for (size_t i = 0; i + 1 < pixels; i += 2)
        dst[i / 2] = uint8_t(~((src[i] & 0xF0) | (src[i + 1] >> 4)));
}

namespace {

// Eight pixels per step in a 64-bit word: each 16-bit lane gets its output
// byte as below, then the lanes are squeezed together. Returns the pixels done.
size_t ConvertWords(const uint8_t* src, uint8_t* dst, size_t pixels) {
    size_t i = 0;
    for (; i + 8 <= pixels; i += 8) {
        uint64_t a;
        memcpy(&a, src + i, 8);
        uint64_t v = (a & 0x00F000F000F000F0ULL) | ((a >> 12) & 0x000F000F000F000FULL);
        v = (v | (v >> 8)) & 0x0000FFFF0000FFFFULL;
        v = (v | (v >> 16)) & 0x00000000FFFFFFFFULL;
        uint32_t out = ~uint32_t(v);
        uint8_t bytes[4] = {uint8_t(out), uint8_t(out >> 8), uint8_t(out >> 16), uint8_t(out >> 24)};
        memcpy(dst + i / 2, bytes, 4);
    }
    return i;
}

} // namespace

#if defined(__x86_64__)
namespace {

// Each 16-bit lane holds one output byte: the first pixel's top nibble stays
// in place, the second's comes down from bits 12-15; the lanes are then
// packed to bytes and complemented. Returns the pixels done.
__attribute__((target("avx2"))) size_t ConvertAvx2(const uint8_t* src, uint8_t* dst, size_t pixels) {
    const __m256i high = _mm256_set1_epi16(0x00F0);
    const __m256i ones = _mm256_set1_epi8(char(0xFF));
    size_t i = 0;
    for (; i + 64 <= pixels; i += 64) {
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 32));
        __m256i va = _mm256_or_si256(_mm256_and_si256(a, high), _mm256_srli_epi16(a, 12));
        __m256i vb = _mm256_or_si256(_mm256_and_si256(b, high), _mm256_srli_epi16(b, 12));
        // The pack works per 128-bit half: put the quarters back in order.
        __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(va, vb), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i / 2), _mm256_xor_si256(packed, ones));
    }
    return i;
}

// With AVX-512BW the 16-bit lanes are truncated to bytes directly, and one
// three-input logic operation does the mask, the merge and the complement
// (the lanes' high bytes, garbage here, are dropped by the truncation).
__attribute__((target("avx512f,avx512bw"))) size_t ConvertAvx512(const uint8_t* src, uint8_t* dst, size_t pixels) {
    const __m512i high = _mm512_set1_epi16(0x00F0);
    size_t i = 0;
    for (; i + 64 <= pixels; i += 64) {
        __m512i a = _mm512_loadu_si512(src + i);
        // Truth table of NOT ((a AND high) OR shifted), inputs in that order.
        // (The zero-masked truncation, with every lane kept, is the plain one
        // without GCC's false uninitialised-value warning.)
        __m512i v = _mm512_ternarylogic_epi32(a, high, _mm512_srli_epi16(a, 12), 0x15);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i / 2), _mm512_maskz_cvtepi16_epi8(__mmask32(~0u), v));
    }
    return i;
}

size_t ConvertSse2(const uint8_t* src, uint8_t* dst, size_t pixels) {
    const __m128i high = _mm_set1_epi16(0x00F0);
    const __m128i ones = _mm_set1_epi8(char(0xFF));
    size_t i = 0;
    for (; i + 32 <= pixels; i += 32) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16));
        __m128i va = _mm_or_si128(_mm_and_si128(a, high), _mm_srli_epi16(a, 12));
        __m128i vb = _mm_or_si128(_mm_and_si128(b, high), _mm_srli_epi16(b, 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i / 2), _mm_xor_si128(_mm_packus_epi16(va, vb), ones));
    }
    return i;
}

} // namespace
#endif

int PanelConversionLevel() {
#if defined(__x86_64__)
    return VectorBits() ? VectorBits() : 128;
#else
    return 64;
#endif
}

bool ConvertToPanelAt(int level, const uint8_t* src, uint8_t* dst, size_t pixels) {
    if (level > PanelConversionLevel()) return false;
    size_t i = 0;
    if (level == 64) i = ConvertWords(src, dst, pixels);
#if defined(__x86_64__)
    else if (level == 512)
        i = ConvertAvx512(src, dst, pixels);
    else if (level == 256)
        i = ConvertAvx2(src, dst, pixels);
    else if (level == 128)
        i = ConvertSse2(src, dst, pixels);
#endif
    else
        return false;
    ConvertToPanelReference(src + i, dst + i / 2, pixels - i);
    return true;
}

void ConvertToPanel(const uint8_t* src, uint8_t* dst, size_t pixels) {
    ConvertToPanelAt(PanelConversionLevel(), src, dst, pixels);
}

bool WritePanelPng(const std::string& path, const uint8_t* panel, int width, int height) {
    if (width <= 0 || height <= 0 || (width & 1)) return false;
    std::vector<uint8_t> grey(size_t(width) * size_t(height));
    size_t n = grey.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        grey[2 * i] = PanelNibbleToGrey(uint8_t(panel[i] >> 4));
        grey[2 * i + 1] = PanelNibbleToGrey(uint8_t(panel[i] & 15));
    }
    return WriteGreyPng(path, grey.data(), width, height, size_t(width));
}

} // namespace eink
