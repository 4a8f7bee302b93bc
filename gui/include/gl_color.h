// Colours of the toolkit. Pixels are 8-bit grey levels (0 black, 255 white)
// carried in a 32-bit word; colour records (_GL_Color) pair an RGB colour with
// its grey pixel.
#pragma once

#include "gl_types.h"

// Named colours, filled by InitColorS (egui_init calls it).
extern unsigned long iBlackS, iWhiteS, iDarkGreyS, iGreyS, iLightGreyS, iRedS, iGreenS, iBlueS, iYellowS, iDeskBlue,
    iMidRedS, iMidGreenS, iMidBlueS;
void InitColorS();

// Grey level of an RGB colour: r when r == g == b, else (11r + 16g + 5b) / 32.
unsigned long GL_RGB2Pixel(unsigned short r, unsigned short g, unsigned short b);
// Reads a pixel as 5-6-5 RGB into the present outputs; returns 0.
int GL_Pixel2RGB(unsigned long pixel, unsigned short* r, unsigned short* g, unsigned short* b);

// Fills a record from RGBA, with the grey pixel of the colour; null is ignored.
void GL_SetColor(_GL_Color* color, unsigned char r, unsigned char g, unsigned char b, unsigned char a);
// Fills a record from a pixel: the pixel and its 5-6-5 RGB; alpha unchanged.
void GL_SetColorByPixel(_GL_Color* color, unsigned long pixel);
// A record filled by GL_SetColor, by value.
_GL_Color NewColor(unsigned char r, unsigned char g, unsigned char b, unsigned char a);
extern _GL_Color stTmpColor;

// HSV of an RGB colour (components 0..255): hue in degrees 0..360, saturation
// 0..1, value 0..255 (the largest component). Null outputs are skipped.
void RGB2HSV(int r, int g, int b, double* h, double* s, double* v);
// The inverse of RGB2HSV; components rounded to the nearest integer, not
// clamped. Null outputs are skipped.
void HSV2RGB(double h, double s, double v, int* r, int* g, int* b);
// A lighter or darker shade: the HSV value is multiplied by the factor (taken
// in whole hundredths) and capped at 255, each component clamped to 0..255.
// Returns 0, writing nothing, for a null output or a factor below 0.01; else 1.
int GetRelativeColor(int r, int g, int b, int* outR, int* outG, int* outB, double factor);

// Fills x, y, width, height in this order; null is ignored.
void GL_SetRect(_GS_Rect* rect, int x, int y, int w, int h);
