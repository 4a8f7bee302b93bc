// What the basic widgets share for their captions: measuring one line of
// text, centring it vertically, and the colour it is drawn in.
#pragma once

#include "gl_window.h"

struct WidgetTextBox {
    int width;      // 0 without text
    int lineHeight; // 0 without text
    int ascent;
};

// One line of text in font (null: the default font), as GL_GetTextInfo measures it.
WidgetTextBox MeasureCaption(GL_Font* font, char const* text);
// Baseline of a line centred in height h: its top at (h - line height) / 2,
// the difference clamped at 0 before halving.
int CentredBaseline(int h, WidgetTextBox const& box);
// The window's text colour, iDarkGreyS while it is disabled.
unsigned long CaptionColor(GL_Window* window);
// A text copy, or null for a null or empty text.
char* CopyCaption(char const* text);
// Draws text (through GL_TextOutUtf82) when there is any.
void DrawCaption(unsigned long pixmap, GL_Font* font, int x, int baseline, char const* text, unsigned long pixel);
