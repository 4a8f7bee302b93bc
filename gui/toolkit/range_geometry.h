// Geometry of the range widgets as pure functions: where a scroll bar's
// arrows and thumb go, and how a value maps to a thumb position and back, for
// the scroll bar and the slider. Every product is computed in 64 bits, so
// ranges that span the whole 32-bit int neither overflow nor divide by zero,
// and every result stays inside its bounds.
#pragma once

namespace range_geometry {

// The parts of a scroll bar along its length L with thickness T across.
struct ScrollBar {
    int arrow;     // arrow button length along the bar
    int thickness; // T
    int thumbMin;  // first thumb position (just after the first arrow)
    int thumbMax;  // last thumb position, never below thumbMin
    int thumbLen;  // thumb length
};

// Arrows are T long, or L / 2 each when the bar is not longer than two of
// them (the track then has 0 or 1 pixel). The thumb is page / (max + page)
// of a track longer than 30 pixels, at least 10 pixels; it fills the whole
// track when the range is empty, the track is 30 pixels or shorter, or
// max + page is not positive (there is no proportion to show then). A thumb
// never exceeds its track: on a track shorter than 10 pixels it is the track.
// Negative sizes count as 0.
ScrollBar CalcScrollBar(int length, int thickness, int min, int max, int page);

// Thumb position of value v: thumbMin at or below min, thumbMax at or above
// max, proportional in between (truncating).
int ScrollValue2Pixel(const ScrollBar& bar, int min, int max, int v);
// Value of thumb position p: the inverse proportion (truncating), min at or
// before thumbMin, max at or after thumbMax.
int ScrollPixel2Value(const ScrollBar& bar, int min, int max, int p);

// Slider along length L: the thumb (9 pixels) travels over 0 .. L - 9.
int SliderValue2Pixel(int length, int min, int max, int v);
int SliderPixel2Value(int length, int min, int max, int p);

} // namespace range_geometry
