// The off-screen drawing pattern of every toolkit Draw: BeginPixmap takes a
// server pixmap, the widget draws into it, EndPixmap copies it to the window
// at (0, 0) in one request and frees it, so the panel sees one update.
#pragma once

// New server pixmap of w x h at the given depth; returns its identifier.
unsigned long BeginPixmap(int w, int h, int depth);
// Copies the pixmap to the window (a GL_Window*) over the window's size, then
// frees the pixmap. Nothing happens for an absent window.
void EndPixmap(unsigned long pixmap, void* window);
// The same copy; the pixmap is kept.
void EndPixmapLeave(unsigned long pixmap, void* window);
// The same copy through a mask pixmap; the pixmap is kept.
void EndPixmapM(unsigned long pixmap, void* window, unsigned long mask);
// Frees a pixmap kept by EndPixmapLeave or EndPixmapM.
void FreePixmap(unsigned long pixmap);

// Pixmap-to-pixmap copies (source, destination, mask or 0, source x, y,
// width, height, destination x, y) with the three copy requests; return 1.
int GL_CopyAreaP2P(unsigned long src, unsigned long dst, unsigned long mask, int sx, int sy, int w, int h, int dx,
                   int dy);
int GL_CopyAreaP2P2(unsigned long src, unsigned long dst, unsigned long mask, int sx, int sy, int w, int h, int dx,
                    int dy);
int GL_CopyAreaP2P3(unsigned long src, unsigned long dst, unsigned long mask, int sx, int sy, int w, int h, int dx,
                    int dy);
