// The request writers of libgui: one function per request of the wire
// protocol. Each builds its request in gReqBuffer and writes it on connFd,
// returning the bytes written (count on success, 0 or -1 on failure, see
// NetWrite) unless its comment says otherwise. Arguments go on the wire in
// parameter order; identifiers and pixels are sent as 32-bit words, bytes in
// a 4-byte slot, colours as 8-byte records, doubles at 8-aligned offsets.
// A request that would exceed 131072 bytes is refused: nothing is sent, 0 is
// returned.
#ifndef NC_REQUEST_H
#define NC_REQUEST_H

// Colour record, also the wire layout of a colour argument.
struct _GL_Color {
    unsigned char r, g, b, a;
    unsigned int pixel;
};

// ---- Windows and pixmaps ---------------------------------------------------------

// Takes a new identifier (GetProgramIdBase) and creates an unmapped window
// under parent (0 = root). Returns the identifier when the whole request was
// written, else 0.
unsigned long NC_CreateWindow(unsigned long parent, int x, int y, int w, int h, unsigned long pixel,
                              unsigned char kind);
// Destroys the window and its subwindows on the server.
int NC_DestroyWindow(unsigned long window);
// Puts the window on top of its siblings.
int NC_RaiseWindow(unsigned long window);
// Accepted; the server leaves the stacking order as it is.
int NC_LowerWindow(unsigned long window);
// Shows the window; with noExpose 0 the server recomputes what is visible and sends Draw
// events, otherwise that waits for the next recomputation that covers the window.
int NC_MapWindow(unsigned long window, unsigned char noExpose);
// Hides the window; with noExpose 0 what it uncovers is exposed at once.
int NC_UnmapWindow(unsigned long window, unsigned char noExpose);
// New size; the position stays.
int NC_ResizeWindow(unsigned long window, int w, int h);
// Moves the window by (dx, dy) relative to where it is.
int NC_MoveWindow(unsigned long window, int dx, int dy, unsigned char noExpose);
// New position (relative to the parent) and size in one request.
int NC_MoveResizeWindow(unsigned long window, int x, int y, int w, int h, unsigned char noExpose);
// Creates an off-screen pixmap of w x h under an identifier taken with GetProgramIdBase.
int NC_CreatePixmap(unsigned long pixmap, int w, int h, int depth);
// Frees a pixmap; the identifier may not be used afterwards.
int NC_FreePixmap(unsigned long pixmap);
// One UpdatePixmap message per row (0 .. rows-1), each carrying (w * depth) / 8
// bytes taken from data at byte (row * w * depth) / 8. The two unnamed integers
// are not sent. Returns the total bytes written; 0 when nothing could be sent
// (bad geometry, null data, a row too long for one message), -1 or 0 when a
// write failed part-way.
int NC_UpdatePixmap(unsigned long pixmap, const unsigned char* data, int, int, int w, int rows, int depth);
// Copies w x h at (sx, sy) of a pixmap to (dx, dy) of a window, through an optional
// 1-bit mask pixmap (0: none); clipped to what is visible of the window.
int NC_CopyAreaP2W(unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h, int dx,
                   int dy);
// The same copy from pixmap to pixmap: (src, dst, mask, sx, sy, w, h, dx, dy).
int NC_CopyAreaP2P(unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f);
// These three set a flag of the window to bit 0 of on; the server records it and does nothing else.
int NC_SetWidgetPopFlag(unsigned long window, int on);
int NC_SetWidgetFlag(unsigned long window, int on);
int NC_SetClientExposed(unsigned long window, int on);
// Sets the window's top-window flag to bit 0 of on.
int NC_SetTopWindowFlag(unsigned long window, int on);
// Makes the window (a dialog) transient for owner.
int NC_SetTransientFlag(unsigned long window, unsigned long owner);
// Shapes the window by a 1-bit pixmap (set bits are inside) placed at (x, y).
int NC_SetWinShapeSizeOffset(unsigned long window, unsigned long shapePixmap, int x, int y);
// Makes the top-level window the desktop, with the work area (x, y, w, h).
int NC_SetDesktopFlag(unsigned long window, int x, int y, int w, int h);
// Background colour the server fills exposed parts of the window with; no repaint.
int NC_SetBackColor(unsigned long window, unsigned long pixel);
// Background pixmap of the window (0: the root); no repaint.
int NC_SetBackPixmap(unsigned long window, unsigned long pixmap);
// Asks the server to load w x rows bytes from the file at path into the
// pixmap (and delete the file). A null path or one of 128 characters or more
// is refused (0, nothing sent). The two unnamed integers are not sent.
int NC_UpdateBigPixmap(unsigned long pixmap, const char* path, int, int, int w, int rows, int depth);
// Inverts an area of the pixmap to four grey levels.
int NC_InvertPixmap(unsigned long pixmap, int x, int y, int w, int h);
// Scales the whole source pixmap to fit the destination and dithers it; the integers and
// the mask are not used.
int NC_CopyAreaP2P2(unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f);
// Copies the whole pixmap to the window's place on the screen, not clipped by other windows.
int NC_CopyAreaP2WNormal(unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h,
                         int dx, int dy);
// Copies the pixmap turned by a quarter turn onto the screen (landscape views).
int NC_CopyAreaP2WLeft(unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h,
                       int dx, int dy);
// As NC_CopyAreaP2P, then dithers the whole destination.
int NC_CopyAreaP2P3(unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f);
// Debugging: the server writes the pixmap as a C byte array to "/tmp/pix.txt".
int NC_SavePixmap(unsigned long pixmap);
// Does nothing (windows have no border on this server).
int SetWindowNoBorder(unsigned long window);

// ---- Drawing into a pixmap ------------------------------------------------------------

// Fills w x h at (x, y) with the pixel; nothing for w or h <= 0.
int NC_FillRect(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// One pixel.
int NC_DrawPoint(unsigned long pixmap, int x, int y, unsigned long pixel);
// A 2 x 2 block of the colour's light and bright shades (left edge of a 3D frame).
int NC_DrawPointLeftCustom(unsigned long pixmap, int x, int y, _GL_Color color);
// A 2 x 2 block of the colour's dark shade and the colour (right edge of a 3D frame).
int NC_DrawPointRightCustom(unsigned long pixmap, int x, int y, _GL_Color color);
// Dotted horizontal line: every second pixel of x1 = a .. x2 = b in row c.
int NC_DrawDashHLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
// Dotted vertical line: every second pixel of y1 = b .. y2 = c in column a.
int NC_DrawDashVLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
// Dotted outline of w x h at (x, y).
int NC_DrawDashRect(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// Horizontal line from x1 = a to x2 = b in row c, ends included.
int NC_DrawHLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
// Vertical line in column a from y1 = b to y2 = c, ends included.
int NC_DrawVLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
// The server draws a dotted horizontal line: x1 = a .. x2 = b in row c, in the grey of the
// low byte of d; pixel is not used.
int NC_DrawWHLine(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
// The server draws a dotted vertical line: column a, rows b .. c, in the grey of d.
int NC_DrawWVLine(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
// Thick horizontal line: x1 = a .. x2 = b in the d rows from y = c.
int NC_DrawHLineW(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
// The server draws a dotted vertical line: column a, rows b .. c, in the grey of d.
int NC_DrawVLineW(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
// The server draws a dotted horizontal line (a .. b in row c) in the grey of d; the
// colours are not used.
int NC_DrawHLineWGradient(unsigned long pixmap, int a, int b, int c, int d, _GL_Color c1, _GL_Color c2);
// The server draws a dotted vertical line (column a, rows b .. c) in the grey of d.
int NC_DrawVLineWGradient(unsigned long pixmap, int a, int b, int c, int d, _GL_Color c1, _GL_Color c2);
// The server draws a dotted horizontal line (a .. b in row c) in the grey of the colour's red byte.
int NC_DrawHLineCustom(unsigned long pixmap, int a, int b, int c, _GL_Color color);
// Thin line between two points, both ends included.
int NC_DrawLine(unsigned long pixmap, int x1, int y1, int x2, int y2, unsigned long pixel);
// Raised frame: top and left edges white, bottom and right black. Boxes need w and h above 4.
int NC_DrawUpBoxS(unsigned long pixmap, int x, int y, int w, int h);
// Sunken frame: top and left edges black, bottom and right white.
int NC_DrawDownBoxS(unsigned long pixmap, int x, int y, int w, int h);
// Raised two-pixel 3D frame in the standard greys when pixel is 0 (another value asks for
// shades of a colour this writer sends as black: use NC_DrawUpBoxRGB). Needs w and h above 3.
int NC_DrawUpBox(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// Sunken two-pixel 3D frame, as NC_DrawUpBox.
int NC_DrawDownBox(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// Raised 3D frame in shades of the colour.
int NC_DrawUpBoxRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color);
// Sunken 3D frame in shades of the colour.
int NC_DrawDownBoxRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color);
// Fills the rectangle with the pixel, then NC_DrawUpBoxS.
int NC_FillUpBoxS(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// Fills the rectangle with the pixel, then NC_DrawDownBoxS.
int NC_FillDownBoxS(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// Fills the rectangle with the pixel inside a raised two-pixel 3D frame.
int NC_FillUpBox(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// NC_DrawUpBox in the standard greys leaving out sides by mask: bit 0 top, 1 bottom, 2 left,
// 3 right.
int NC_DrawUpBoxCustom(unsigned long pixmap, int x, int y, int w, int h, unsigned long word, unsigned char mask);
// NC_DrawDownBox leaving out sides by mask, as NC_DrawUpBoxCustom.
int NC_DrawDownBoxCustom(unsigned long pixmap, int x, int y, int w, int h, unsigned long word, unsigned char mask);
// NC_DrawUpBoxRGB leaving out sides by mask.
int NC_DrawUpBoxCustomRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color, unsigned char mask);
// NC_DrawDownBoxRGB leaving out sides by mask.
int NC_DrawDownBoxCustomRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color, unsigned char mask);
// Etched horizontal line x1 .. x2: a grey row over a white one.
int NC_DrawHSeperator2(unsigned long pixmap, int x1, int x2, int y);
// Three-row 3D horizontal separator from x1 to x2 at row y.
int NC_DrawHSeperator3D2(unsigned long pixmap, int x1, int x2, int y);
// Etched vertical line y1 .. y2: a grey column beside a white one.
int NC_DrawVSeperator2(unsigned long pixmap, int x, int y1, int y2);
// Three-column 3D vertical separator from y1 to y2 at column x.
int NC_DrawVSeperator3D2(unsigned long pixmap, int x, int y1, int y2);
// Outline of w x h at (x, y) (one pixel); nothing for w or h <= 0.
int NC_DrawRect(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
// Outline band of thickness t inside w x h at (x, y).
int NC_DrawWRect(unsigned long pixmap, int x, int y, int w, int h, int t, unsigned long pixel);
// The same band as NC_DrawWRect.
int NC_DrawRectW(unsigned long pixmap, int x, int y, int w, int h, int t, unsigned long pixel);
// Band of thickness t in pixel, the inside filled with pixel2 (all pixel when t is half the
// smaller side or more).
int NC_FillRectW(unsigned long pixmap, int x, int y, int w, int h, int t, unsigned long pixel, unsigned long pixel2);
// Fills the rectangle with a gradient from c1 = (v1, v2, v3) to c2 = (v4, v5, v6) (red,
// green, blue; v7..v9 are carried but not used): direction non-zero gives rows with c1 at
// the bottom, 0 columns with c1 at the right; mirror puts c1 at both edges, c2 in the middle.
int NC_DrawGradientRect(unsigned long pixmap, int x, int y, int w, int h, unsigned short v1, unsigned short v2,
                        unsigned short v3, unsigned short v4, unsigned short v5, unsigned short v6, unsigned short v7,
                        unsigned short v8, unsigned short v9, unsigned char direction, unsigned char mirror);
// Band of thickness t shading from c1 at the outside to c2 at the inside.
int NC_DrawRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int t, _GL_Color c1, _GL_Color c2);
// Gradient band (c1 to c2) of thickness t around a gradient fill (c3 to c4) in direction,
// mirrored when mirror is set.
int NC_FillRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int t, _GL_Color c1, _GL_Color c2,
                         _GL_Color c3, _GL_Color c4, unsigned char direction, unsigned char mirror);
// Small arrow head centred in the rectangle; direction 0 left, 1 up, 2 down, 3 right.
int NC_DrawSmallArrow(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel, unsigned char direction);
// NC_DrawSmallArrow with a bar beyond the tip for left and right (first / last page).
int NC_DrawSmallEndArrow(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel,
                         unsigned char direction);
// A 13 x 13 check box at (x, y), with a check mark when mark is set and without frame when
// noFrame is set; w and h are not used.
int NC_DrawCheckBox(unsigned long pixmap, int x, int y, int w, int h, unsigned char mark, unsigned long pixel,
                    unsigned char noFrame);
// The flag word at 24 is 1 when color is given (its record then follows at
// 28), else 0 with a zero record.
int NC_DrawTabTitleBox(unsigned long pixmap, int x, int y, int w, int h, _GL_Color* color);
// n points; xs and ys hold n coordinates each. Refused for n < 0, for null
// arrays with n > 0, and when 16 + 8n exceeds 131072.
int NC_DrawPolygon(unsigned long pixmap, int n, const int* xs, const int* ys, unsigned long pixel);
// Filled polygon (scan lines) through the n points.
int NC_FillPolygon(unsigned long pixmap, int n, const int* xs, const int* ys, unsigned long pixel);
// Circle outline of radius r in the colour's grey.
int NC_DrawCircle(unsigned long pixmap, int cx, int cy, int r, _GL_Color color);
// Filled circle of radius r.
int NC_FillCircle(unsigned long pixmap, int cx, int cy, int r, _GL_Color color);
// Ring of thickness t at the edge of a circle of radius r (a filled circle when t >= r).
int NC_FillCircleW(unsigned long pixmap, int cx, int cy, int r, int t, _GL_Color color);
// Filled circle shading from c2 at the centre to c1 at the edge.
int NC_FillCircleGradient(unsigned long pixmap, int cx, int cy, int r, _GL_Color c1, _GL_Color c2);
// Ring of thickness t shading from c1 at the edge inwards to c2.
int NC_FillCircleGradientW(unsigned long pixmap, int cx, int cy, int r, int t, _GL_Color c1, _GL_Color c2);
// Gradient ring (c1 to c2) of thickness t around a gradient disc (c3 to c4).
int NC_FillCircleGradientW2(unsigned long pixmap, int cx, int cy, int r, int t, _GL_Color c1, _GL_Color c2,
                            _GL_Color c3, _GL_Color c4);
// Ellipse outline with half-axes a (horizontal) and b (vertical) around (cx, cy).
int NC_DrawEllipse(unsigned long pixmap, int cx, int cy, int a, int b, unsigned long pixel);
// Filled ellipse.
int NC_FillEllipse(unsigned long pixmap, int cx, int cy, int a, int b, unsigned long pixel);
// Filled ellipse shading from c1 at the edge to c2 at the centre.
int NC_FillEllipseGradient(unsigned long pixmap, int cx, int cy, int a, int b, _GL_Color c1, _GL_Color c2);
// Ellipse outline t pixels thick, inwards (a filled ellipse when t >= min(a, b)).
int NC_DrawEllipseW(unsigned long pixmap, int cx, int cy, int a, int b, int t, unsigned long pixel);
// Outline t pixels thick shading from c1 at the outside to c2.
int NC_DrawEllipseWGradient(unsigned long pixmap, int cx, int cy, int a, int b, int t, _GL_Color c1, _GL_Color c2);
// Outline of thickness t in pixel around a fill in pixel2.
int NC_FillEllipseW(unsigned long pixmap, int cx, int cy, int a, int b, int t, unsigned long pixel,
                    unsigned long pixel2);
// Gradient outline (c1 to c2) of thickness t around a gradient fill (c3 to c4).
int NC_FillEllipseWGradient(unsigned long pixmap, int cx, int cy, int a, int b, int t, _GL_Color c1, _GL_Color c2,
                            _GL_Color c3, _GL_Color c4);
// Rectangle outline with corners rounded by rx and ry.
int NC_DrawRoundRect(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, unsigned long pixel);
// Rounded outline band of thickness t.
int NC_DrawRoundRectW(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, unsigned long pixel);
// Rounded band of thickness t shading from c1 at the outside to c2.
int NC_DrawRoundRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                              _GL_Color c2);
// Rounded rectangle filled by rings from c1 at the outline to c2 inside.
int NC_FillRoundRectWGradientBase(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                                  _GL_Color c2);
// Filled rounded rectangle.
int NC_FillRoundRect(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, unsigned long pixel);
// NC_FillRoundRect in pixel, then the gradient band of NC_DrawRoundRectWGradient.
int NC_FillRoundRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                              _GL_Color c2, unsigned long pixel);
// Gradient band (c1 to c2) around a ring-shaded inside (c3 to c4).
int NC_FillRoundRectWGradient2(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                               _GL_Color c2, _GL_Color c3, _GL_Color c4);
// One quadrant piece of a circle outline between the angles a1 and a2 (sixteenths of a degree).
int NC_DrawArcAera(unsigned long pixmap, int cx, int cy, int r, int a1, int a2, unsigned long pixel);
// Arc of radius r from angle a1 over the extent a2, both in sixteenths of a degree.
int NC_DrawArc(unsigned long pixmap, int cx, int cy, int r, int a1, int a2, unsigned long pixel);
// Filled sector: the arc at every radius from r down, and the centre.
int NC_FillArc(unsigned long pixmap, int cx, int cy, int r, int a1, int a2, unsigned long pixel);
// NC_DrawArc with the radius, start and extent in (whole) degrees.
int NC_DrawArcDouble(unsigned long pixmap, int cx, int cy, double r, double a1, double a2, unsigned long pixel);
// NC_FillArc with the radius, start and extent in (whole) degrees.
int NC_FillArcDouble(unsigned long pixmap, int cx, int cy, double r, double a1, double a2, unsigned long pixel);
// Thick line: t x t squares along the line.
int NC_DrawLineW(unsigned long pixmap, int x1, int y1, int x2, int y2, int t, unsigned long pixel);
// Thick line drawn as a filled quadrilateral t pixels wide.
int NC_DrawLineWPolygon(unsigned long pixmap, int x1, int y1, int x2, int y2, int t, unsigned long pixel);

// ---- Drawing straight onto the screen (no target) ---------------------------------------

// Exclusive-or of one screen pixel with the pixel's low byte (drag outlines); screen
// coordinates, no window clipping.
int NC_DrawPointXorScreen(int x, int y, unsigned long pixel);
// Exclusive-or of the rows c .. c + d - 1 from column a to b on the screen.
int NC_DrawWHLineXorScreen(int a, int b, int c, int d, unsigned long pixel);
// Exclusive-or of the columns a .. a + d - 1 from row b to c on the screen.
int NC_DrawWVLineXorScreen(int a, int b, int c, int d, unsigned long pixel);
// Exclusive-or frame of thickness t on the screen.
int NC_DrawWRectXorScreen(int x, int y, int w, int h, int t, unsigned long pixel);
// Sets one screen pixel, with no window clipping.
int NC_DrawPointScreen(int x, int y, unsigned long pixel);
// Fills a rectangle of the screen, with no window clipping.
int NC_FillRectScreen(int x, int y, int w, int h, unsigned long pixel);

// ---- Text ---------------------------------------------------------------------------------

// Single-byte (TextOutS) and double-byte (TextOutD) text. Nothing is sent and
// 0 returned for a target of 0 or an absent or empty text; a count of 0 means
// the text's length; the count is cut to 510. Returns the bytes written when
// the whole request was written, else 0.
int NC_TextOutS(unsigned long pixmap, int x, int y, const char* text, unsigned long count, unsigned long pixel);
int NC_TextOutD(unsigned long pixmap, int x, int y, const char* text, unsigned long count, unsigned long pixel);
// The same guards and cut, with a font index and a size code.
int NC_TextOutSingle(unsigned long pixmap, int font, int size, int x, int y, const char* text, unsigned long count,
                     unsigned long pixel);
int NC_TextOutDouble(unsigned long pixmap, int font, int size, int x, int y, const char* text, unsigned long count,
                     unsigned long pixel);
// count 16-bit Unicode characters (cut to 510). Nothing is sent for a target
// of 0, an absent text or a count below 1. Returns 0.
int NC_TextOutSimple(unsigned long pixmap, int size, int x, int y, const unsigned short* text, int count,
                     unsigned long pixel);
// The server ignores it; same guards and cut as NC_TextOutS.
int NC_TextOutDemo(unsigned long pixmap, int a, int b, int c, int d, int e, const char* text, unsigned long count,
                   unsigned long pixel);
// Takes a new identifier and sends it (twice) with the name cut to 31
// characters; returns the identifier when all 48 bytes were written, else 0.
unsigned long NC_CreateFont(const char* name, unsigned short size, unsigned char a, unsigned char b);
// Sends nothing and returns 12 when iCharset already is mode; otherwise sets
// iCharset and sends the mode.
int NC_SetCharsetMode(int mode);

// ---- Input, focus and pointer grabs ------------------------------------------------------

// Puts the window at the head of the server's pointer grab list (windows that take the
// pointer events first); a window already in the list is not added twice.
int NC_InsertPointerGrab(unsigned long window);
// Appends the window to the pointer grab list.
int NC_AddPointerGrab(unsigned long window);
// Removes the window from the pointer grab list.
int NC_RemovePointerGrab(unsigned long window);
// Key filter switch of the server (on exactly when on is 1); the window is not used.
int NC_KeyFilter(unsigned long window, int on);

// ---- Display refresh and modes -----------------------------------------------------------

// Sets iRotateMode, then sends the mode.
int NC_SetRotateMode(int mode);
// No panel update happens until NC_UnGrabUpdate (drawing still goes on): draw a whole
// screen, then show it at once.
int NC_GrabUpdate();
// Ends the grab; pending drawing reaches the panel at the next evaluation.
int NC_UnGrabUpdate();
// Accepted; the server has no display modes and ignores it.
int NC_SwitchDisplayMode(int mode);
// Quiet time in milliseconds (100 .. 9999, else ignored) before drawing is pushed to the panel;
// back to 500 after the next push.
int NC_SetUpdateWaitTime(int ms);
// Accepted and ignored by the server (refresh modes are the server's own choice).
int NC_SetDefaultRefreshMode(int mode);
// Accepted and ignored by the server.
int NC_SetOnceRefreshMode(int mode);
// Forgets what was drawn so far: no update until something is drawn again.
int NC_DiscardUpdate(int word);
// Holds panel updates during a rotation until NC_UngrabUpdateRotate.
int NC_GrabUpdateRotate(int a, int b);
// Ends the rotation grab; pending drawing is pushed.
int NC_UngrabUpdateRotate(int a, int b);
// Update lock of the server: on exactly when on is 1.
int NC_UpdateLock(int word, int on);
// Switch of the server, on exactly when on is 1; word is not used.
int NC_UpdatePop(int word, int on);
// Message-notice mode of the server (keys are locked while the notice shows).
int NC_SetMsgMode(int mode);
// The panel is updated at the next evaluation, even with nothing drawn or under a grab.
int NC_SetForceUpdate(int word);
// Storage-card mode of the server.
int NC_SetSDMode(int mode);

// ---- Programs and power ------------------------------------------------------------------

// Registers the program under name (cut to 31 characters).
int NC_RegisterProgram(const char* name, int word1, int word2);
// Sends length bytes of data from sender to the program registered as target
// (both names cut to 31). Refused for a negative length, null data with a
// length above 0, or a message above 131072 bytes.
int NC_UserMessage(const char* sender, const char* target, int word1, int word2, unsigned char type, int length,
                   const void* data);
// Sends the query only (name cut to 31).
int NC_QueryProgramInternal(const char* name);
// 1 when a program registered under a name containing name is connected, else
// 0 (also for an absent or empty name, which sends nothing, and when the
// connection fails). Messages that arrive meanwhile are saved for CheckWaitEvent.
int NC_QueryProgram(const char* name);
// Sleep answers (0, 9, 1), sent only when pProgName is set and not empty;
// bSleepCan records the answer.
int NC_SleepOk();
int NC_SleepOkDelay();
int NC_SleepCancel();
// Asks the server to end: it hands the keys back, closes every client and exits.
int NC_RequestCloseServer();
// Tells the server this program is leaving (the signal handler sends it).
int NC_RequestClose();

#endif // NC_REQUEST_H
