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
int NC_DestroyWindow(unsigned long window);
int NC_RaiseWindow(unsigned long window);
int NC_LowerWindow(unsigned long window);
int NC_MapWindow(unsigned long window, unsigned char noExpose);
int NC_UnmapWindow(unsigned long window, unsigned char noExpose);
int NC_ResizeWindow(unsigned long window, int w, int h);
int NC_MoveWindow(unsigned long window, int dx, int dy, unsigned char noExpose);
int NC_MoveResizeWindow(unsigned long window, int x, int y, int w, int h, unsigned char noExpose);
int NC_CreatePixmap(unsigned long pixmap, int w, int h, int depth);
int NC_FreePixmap(unsigned long pixmap);
// One UpdatePixmap message per row (0 .. rows-1), each carrying (w * depth) / 8
// bytes taken from data at byte (row * w * depth) / 8. The two unnamed integers
// are not sent. Returns the total bytes written; 0 when nothing could be sent
// (bad geometry, null data, a row too long for one message), -1 or 0 when a
// write failed part-way.
int NC_UpdatePixmap(unsigned long pixmap, const unsigned char* data, int, int, int w, int rows, int depth);
int NC_CopyAreaP2W(unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h, int dx,
                   int dy);
int NC_CopyAreaP2P(unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f);
int NC_SetWidgetPopFlag(unsigned long window, int on);
int NC_SetWidgetFlag(unsigned long window, int on);
int NC_SetClientExposed(unsigned long window, int on);
int NC_SetTopWindowFlag(unsigned long window, int on);
int NC_SetTransientFlag(unsigned long window, unsigned long owner);
int NC_SetWinShapeSizeOffset(unsigned long window, unsigned long shapePixmap, int x, int y);
int NC_SetDesktopFlag(unsigned long window, int x, int y, int w, int h);
int NC_SetBackColor(unsigned long window, unsigned long pixel);
int NC_SetBackPixmap(unsigned long window, unsigned long pixmap);
// Asks the server to load w x rows bytes from the file at path into the
// pixmap (and delete the file). A null path or one of 128 characters or more
// is refused (0, nothing sent). The two unnamed integers are not sent.
int NC_UpdateBigPixmap(unsigned long pixmap, const char* path, int, int, int w, int rows, int depth);
int NC_InvertPixmap(unsigned long pixmap, int x, int y, int w, int h);
int NC_CopyAreaP2P2(unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f);
int NC_CopyAreaP2WNormal(unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h,
                         int dx, int dy);
int NC_CopyAreaP2WLeft(unsigned long src, unsigned long window, unsigned long mask, int sx, int sy, int w, int h,
                       int dx, int dy);
int NC_CopyAreaP2P3(unsigned long src, unsigned long dst, unsigned long mask, int a, int b, int c, int d, int e, int f);
int NC_SavePixmap(unsigned long pixmap);
// Does nothing (windows have no border on this server).
int SetWindowNoBorder(unsigned long window);

// ---- Drawing into a pixmap ------------------------------------------------------------

int NC_FillRect(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_DrawPoint(unsigned long pixmap, int x, int y, unsigned long pixel);
int NC_DrawPointLeftCustom(unsigned long pixmap, int x, int y, _GL_Color color);
int NC_DrawPointRightCustom(unsigned long pixmap, int x, int y, _GL_Color color);
int NC_DrawDashHLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
int NC_DrawDashVLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
int NC_DrawDashRect(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_DrawHLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
int NC_DrawVLine(unsigned long pixmap, int a, int b, int c, unsigned long pixel);
int NC_DrawWHLine(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
int NC_DrawWVLine(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
int NC_DrawHLineW(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
int NC_DrawVLineW(unsigned long pixmap, int a, int b, int c, int d, unsigned long pixel);
int NC_DrawHLineWGradient(unsigned long pixmap, int a, int b, int c, int d, _GL_Color c1, _GL_Color c2);
int NC_DrawVLineWGradient(unsigned long pixmap, int a, int b, int c, int d, _GL_Color c1, _GL_Color c2);
int NC_DrawHLineCustom(unsigned long pixmap, int a, int b, int c, _GL_Color color);
int NC_DrawLine(unsigned long pixmap, int x1, int y1, int x2, int y2, unsigned long pixel);
int NC_DrawUpBoxS(unsigned long pixmap, int x, int y, int w, int h);
int NC_DrawDownBoxS(unsigned long pixmap, int x, int y, int w, int h);
int NC_DrawUpBox(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_DrawDownBox(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_DrawUpBoxRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color);
int NC_DrawDownBoxRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color);
int NC_FillUpBoxS(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_FillDownBoxS(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_FillUpBox(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_DrawUpBoxCustom(unsigned long pixmap, int x, int y, int w, int h, unsigned long word, unsigned char mask);
int NC_DrawDownBoxCustom(unsigned long pixmap, int x, int y, int w, int h, unsigned long word, unsigned char mask);
int NC_DrawUpBoxCustomRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color, unsigned char mask);
int NC_DrawDownBoxCustomRGB(unsigned long pixmap, int x, int y, int w, int h, _GL_Color color, unsigned char mask);
int NC_DrawHSeperator2(unsigned long pixmap, int x1, int x2, int y);
int NC_DrawHSeperator3D2(unsigned long pixmap, int x1, int x2, int y);
int NC_DrawVSeperator2(unsigned long pixmap, int x, int y1, int y2);
int NC_DrawVSeperator3D2(unsigned long pixmap, int x, int y1, int y2);
int NC_DrawRect(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel);
int NC_DrawWRect(unsigned long pixmap, int x, int y, int w, int h, int t, unsigned long pixel);
int NC_DrawRectW(unsigned long pixmap, int x, int y, int w, int h, int t, unsigned long pixel);
int NC_FillRectW(unsigned long pixmap, int x, int y, int w, int h, int t, unsigned long pixel, unsigned long pixel2);
// c1 = (v1, v2, v3), c2 = (v4, v5, v6); v7..v9 are carried but not used.
int NC_DrawGradientRect(unsigned long pixmap, int x, int y, int w, int h, unsigned short v1, unsigned short v2,
                        unsigned short v3, unsigned short v4, unsigned short v5, unsigned short v6, unsigned short v7,
                        unsigned short v8, unsigned short v9, unsigned char direction, unsigned char mirror);
int NC_DrawRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int t, _GL_Color c1, _GL_Color c2);
int NC_FillRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int t, _GL_Color c1, _GL_Color c2,
                         _GL_Color c3, _GL_Color c4, unsigned char direction, unsigned char mirror);
int NC_DrawSmallArrow(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel, unsigned char direction);
int NC_DrawSmallEndArrow(unsigned long pixmap, int x, int y, int w, int h, unsigned long pixel,
                         unsigned char direction);
int NC_DrawCheckBox(unsigned long pixmap, int x, int y, int w, int h, unsigned char mark, unsigned long pixel,
                    unsigned char noFrame);
// The flag word at 24 is 1 when color is given (its record then follows at
// 28), else 0 with a zero record.
int NC_DrawTabTitleBox(unsigned long pixmap, int x, int y, int w, int h, _GL_Color* color);
// n points; xs and ys hold n coordinates each. Refused for n < 0, for null
// arrays with n > 0, and when 16 + 8n exceeds 131072.
int NC_DrawPolygon(unsigned long pixmap, int n, const int* xs, const int* ys, unsigned long pixel);
int NC_FillPolygon(unsigned long pixmap, int n, const int* xs, const int* ys, unsigned long pixel);
int NC_DrawCircle(unsigned long pixmap, int cx, int cy, int r, _GL_Color color);
int NC_FillCircle(unsigned long pixmap, int cx, int cy, int r, _GL_Color color);
int NC_FillCircleW(unsigned long pixmap, int cx, int cy, int r, int t, _GL_Color color);
int NC_FillCircleGradient(unsigned long pixmap, int cx, int cy, int r, _GL_Color c1, _GL_Color c2);
int NC_FillCircleGradientW(unsigned long pixmap, int cx, int cy, int r, int t, _GL_Color c1, _GL_Color c2);
int NC_FillCircleGradientW2(unsigned long pixmap, int cx, int cy, int r, int t, _GL_Color c1, _GL_Color c2,
                            _GL_Color c3, _GL_Color c4);
int NC_DrawEllipse(unsigned long pixmap, int cx, int cy, int a, int b, unsigned long pixel);
int NC_FillEllipse(unsigned long pixmap, int cx, int cy, int a, int b, unsigned long pixel);
int NC_FillEllipseGradient(unsigned long pixmap, int cx, int cy, int a, int b, _GL_Color c1, _GL_Color c2);
int NC_DrawEllipseW(unsigned long pixmap, int cx, int cy, int a, int b, int t, unsigned long pixel);
int NC_DrawEllipseWGradient(unsigned long pixmap, int cx, int cy, int a, int b, int t, _GL_Color c1, _GL_Color c2);
int NC_FillEllipseW(unsigned long pixmap, int cx, int cy, int a, int b, int t, unsigned long pixel,
                    unsigned long pixel2);
int NC_FillEllipseWGradient(unsigned long pixmap, int cx, int cy, int a, int b, int t, _GL_Color c1, _GL_Color c2,
                            _GL_Color c3, _GL_Color c4);
int NC_DrawRoundRect(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, unsigned long pixel);
int NC_DrawRoundRectW(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, unsigned long pixel);
int NC_DrawRoundRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                              _GL_Color c2);
int NC_FillRoundRectWGradientBase(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                                  _GL_Color c2);
int NC_FillRoundRect(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, unsigned long pixel);
int NC_FillRoundRectWGradient(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                              _GL_Color c2, unsigned long pixel);
int NC_FillRoundRectWGradient2(unsigned long pixmap, int x, int y, int w, int h, int rx, int ry, int t, _GL_Color c1,
                               _GL_Color c2, _GL_Color c3, _GL_Color c4);
int NC_DrawArcAera(unsigned long pixmap, int cx, int cy, int r, int a1, int a2, unsigned long pixel);
int NC_DrawArc(unsigned long pixmap, int cx, int cy, int r, int a1, int a2, unsigned long pixel);
int NC_FillArc(unsigned long pixmap, int cx, int cy, int r, int a1, int a2, unsigned long pixel);
int NC_DrawArcDouble(unsigned long pixmap, int cx, int cy, double r, double a1, double a2, unsigned long pixel);
int NC_FillArcDouble(unsigned long pixmap, int cx, int cy, double r, double a1, double a2, unsigned long pixel);
int NC_DrawLineW(unsigned long pixmap, int x1, int y1, int x2, int y2, int t, unsigned long pixel);
int NC_DrawLineWPolygon(unsigned long pixmap, int x1, int y1, int x2, int y2, int t, unsigned long pixel);

// ---- Drawing straight onto the screen (no target) ---------------------------------------

int NC_DrawPointXorScreen(int x, int y, unsigned long pixel);
int NC_DrawWHLineXorScreen(int a, int b, int c, int d, unsigned long pixel);
int NC_DrawWVLineXorScreen(int a, int b, int c, int d, unsigned long pixel);
int NC_DrawWRectXorScreen(int x, int y, int w, int h, int t, unsigned long pixel);
int NC_DrawPointScreen(int x, int y, unsigned long pixel);
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

int NC_InsertPointerGrab(unsigned long window);
int NC_AddPointerGrab(unsigned long window);
int NC_RemovePointerGrab(unsigned long window);
int NC_KeyFilter(unsigned long window, int on);

// ---- Display refresh and modes -----------------------------------------------------------

// Sets iRotateMode, then sends the mode.
int NC_SetRotateMode(int mode);
int NC_GrabUpdate();
int NC_UnGrabUpdate();
int NC_SwitchDisplayMode(int mode);
int NC_SetUpdateWaitTime(int ms);
int NC_SetDefaultRefreshMode(int mode);
int NC_SetOnceRefreshMode(int mode);
int NC_DiscardUpdate(int word);
int NC_GrabUpdateRotate(int a, int b);
int NC_UngrabUpdateRotate(int a, int b);
int NC_UpdateLock(int word, int on);
int NC_UpdatePop(int word, int on);
int NC_SetMsgMode(int mode);
int NC_SetForceUpdate(int word);
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
int NC_RequestCloseServer();
int NC_RequestClose();

#endif // NC_REQUEST_H
