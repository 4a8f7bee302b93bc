// Copying and filling rectangles of bytes, row by row, with the widest
// vector moves the processor has. Rows of a few hundred bytes are the common
// case in drawing, and there the per-call cost of memcpy and memset is a
// large part of the work.
#pragma once
#include <cstddef>
#include <cstdint>

namespace eink {

// Copies `rows` rows of `bytes` bytes. The strides may be negative. Within
// one row the source and destination must not overlap (rows of one image
// at different heights never do; for a row onto itself use memmove).
void CopyRows(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t bytes, size_t rows);

// Sets `rows` rows of `bytes` bytes to `value`.
void FillRows(uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows, uint8_t value);

// The widest vector moves this processor has, in bits: 512, 256, or 0 when
// it has neither (x86-64 always has 128).
int VectorBits();

// The same at a given vector width in bits (512, 256, or 0 for the plain
// library calls), so that tests can check each; false when this processor
// lacks it.
bool CopyRowsAt(int level, uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t bytes,
                size_t rows);
bool FillRowsAt(int level, uint8_t* dst, ptrdiff_t stride, size_t bytes, size_t rows, uint8_t value);

} // namespace eink
