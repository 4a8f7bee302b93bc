#include "platform/rows.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace eink {
namespace {

// Rows no longer than two Words take two moves of a Word that may overlap:
// cheaper than a library call per row, which is most of the cost of small
// rectangles.
template <typename Word>
void CopyNarrow(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t bytes, size_t rows) {
    for (size_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) {
        Word head, tail;
        memcpy(&head, src, sizeof head);
        memcpy(&tail, src + bytes - sizeof tail, sizeof tail);
        memcpy(dst, &head, sizeof head);
        memcpy(dst + bytes - sizeof tail, &tail, sizeof tail);
    }
}

// `pattern` holds the value in every byte.
template <typename Word> void FillNarrow(uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows, Word pattern) {
    for (size_t r = 0; r < rows; ++r, dst += stride) {
        memcpy(dst, &pattern, sizeof pattern);
        memcpy(dst + bytes - sizeof pattern, &pattern, sizeof pattern);
    }
}

void CopyPlain(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t bytes, size_t rows) {
    if (bytes >= 8 && bytes <= 16) return CopyNarrow<uint64_t>(dst, dstStride, src, srcStride, bytes, rows);
    if (bytes >= 4 && bytes < 8) return CopyNarrow<uint32_t>(dst, dstStride, src, srcStride, bytes, rows);
    for (size_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride)
        memcpy(dst, src, bytes);
}

void FillPlain(uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows, uint8_t value) {
    if (bytes >= 8 && bytes <= 16) return FillNarrow(dst, stride, bytes, rows, uint64_t(0x0101010101010101ull * value));
    if (bytes >= 4 && bytes < 8) return FillNarrow(dst, stride, bytes, rows, uint32_t(0x01010101u * value));
    for (size_t r = 0; r < rows; ++r, dst += stride)
        memset(dst, value, bytes);
}

#if defined(__x86_64__)

// Masked loads and stores take the ragged end of each row, so a row costs
// no call and no branch on its length.
__attribute__((target("avx512f,avx512bw"))) void CopyAvx512(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src,
                                                            ptrdiff_t srcStride, size_t bytes, size_t rows) {
    const size_t full = bytes / 64;
    const __mmask64 tail = (bytes % 64) ? (~0ull >> (64 - bytes % 64)) : 0;
    for (size_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) {
        for (size_t i = 0; i < full; ++i)
            _mm512_storeu_si512(dst + 64 * i, _mm512_loadu_si512(src + 64 * i));
        if (tail) _mm512_mask_storeu_epi8(dst + 64 * full, tail, _mm512_maskz_loadu_epi8(tail, src + 64 * full));
    }
}

__attribute__((target("avx512f,avx512bw"))) void FillAvx512(uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows,
                                                            uint8_t value) {
    const __m512i v = _mm512_set1_epi8(char(value));
    const size_t full = bytes / 64;
    const __mmask64 tail = (bytes % 64) ? (~0ull >> (64 - bytes % 64)) : 0;
    for (size_t r = 0; r < rows; ++r, dst += stride) {
        for (size_t i = 0; i < full; ++i)
            _mm512_storeu_si512(dst + 64 * i, v);
        if (tail) _mm512_mask_storeu_epi8(dst + 64 * full, tail, v);
    }
}

// Rows of 32 bytes or more end with one move that overlaps the previous;
// rows of 16 to 31 bytes are two 16-byte moves.
__attribute__((target("avx2"))) void CopyAvx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src,
                                              ptrdiff_t srcStride, size_t bytes, size_t rows) {
    if (bytes < 16) return CopyPlain(dst, dstStride, src, srcStride, bytes, rows);
    if (bytes < 32) return CopyNarrow<__m128i>(dst, dstStride, src, srcStride, bytes, rows);
    for (size_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) {
        size_t i = 0;
        for (; i + 32 <= bytes; i += 32)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)));
        if (i < bytes)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + bytes - 32),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + bytes - 32)));
    }
}

__attribute__((target("avx2"))) void FillAvx2(uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows,
                                              uint8_t value) {
    if (bytes < 16) return FillPlain(dst, stride, bytes, rows, value);
    if (bytes < 32) return FillNarrow(dst, stride, bytes, rows, _mm_set1_epi8(char(value)));
    const __m256i v = _mm256_set1_epi8(char(value));
    for (size_t r = 0; r < rows; ++r, dst += stride) {
        size_t i = 0;
        for (; i + 32 <= bytes; i += 32)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), v);
        if (i < bytes) _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + bytes - 32), v);
    }
}

#endif

} // namespace

int VectorBits() {
#if defined(__x86_64__)
    static const int bits = __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512f") ? 512
                            : __builtin_cpu_supports("avx2")                                        ? 256
                                                                                                    : 0;
    return bits;
#else
    return 0;
#endif
}

bool CopyRowsAt(int level, uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t bytes,
                size_t rows) {
    if (level > VectorBits() || bytes == 0 || rows == 0) return level <= VectorBits();
#if defined(__x86_64__)
    if (level == 512) return CopyAvx512(dst, dstStride, src, srcStride, bytes, rows), true;
    if (level == 256) return CopyAvx2(dst, dstStride, src, srcStride, bytes, rows), true;
#endif
    if (level != 0) return false;
    CopyPlain(dst, dstStride, src, srcStride, bytes, rows);
    return true;
}

bool FillRowsAt(int level, uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows, uint8_t value) {
    if (level > VectorBits() || bytes == 0 || rows == 0) return level <= VectorBits();
#if defined(__x86_64__)
    if (level == 512) return FillAvx512(dst, stride, bytes, rows, value), true;
    if (level == 256) return FillAvx2(dst, stride, bytes, rows, value), true;
#endif
    if (level != 0) return false;
    FillPlain(dst, stride, bytes, rows, value);
    return true;
}

void CopyRows(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t bytes, size_t rows) {
    CopyRowsAt(VectorBits(), dst, dstStride, src, srcStride, bytes, rows);
}

void FillRows(uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows, uint8_t value) {
    FillRowsAt(VectorBits(), dst, stride, bytes, rows, value);
}

} // namespace eink
