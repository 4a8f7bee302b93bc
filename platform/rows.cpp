#include "platform/rows.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace eink {
namespace {

// Rows of 4 to 16 bytes take two moves that may overlap: cheaper than a
// library call per row, which is most of the cost of small rectangles.
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

template <typename Word> void FillNarrow(uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows, uint8_t value) {
    const Word pattern = Word(~Word(0) / 0xFF) * value;
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
    if (bytes >= 8 && bytes <= 16) return FillNarrow<uint64_t>(dst, stride, bytes, rows, value);
    if (bytes >= 4 && bytes < 8) return FillNarrow<uint32_t>(dst, stride, bytes, rows, value);
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
    if (bytes < 32) {
        for (size_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) {
            const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + bytes - 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), head);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + bytes - 16), tail);
        }
        return;
    }
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
    if (bytes < 32) {
        const __m128i v = _mm_set1_epi8(char(value));
        for (size_t r = 0; r < rows; ++r, dst += stride) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), v);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + bytes - 16), v);
        }
        return;
    }
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
