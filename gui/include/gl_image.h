// Images on the client: decoded pixels held as server pixmaps, the readers of
// GIF, JPEG, PNG, BMP and XPM data, named image items and lists, and the
// built-in images compiled into the library.
//
// Every decoded image becomes one server pixmap of grey pixels (GL_RGB2Pixel
// of each colour) and, for formats with transparency (GIF animations, XPM), a
// 1-bit mask pixmap. The readers trust nothing in the data: sizes are checked
// against the limits below before anything is allocated, and a broken file
// makes the reader return 0 without a pixmap.
#pragma once

#include "zlist.h"

// Largest picture a reader accepts (JPEG, PNG, BMP and still GIFs).
enum { GL_IMAGE_MAX_WIDTH = 2000, GL_IMAGE_MAX_HEIGHT = 1500 };

// Pixels of one server pixmap, with the client's copy of them.
// Rows are row-major: one byte per pixel at depth 8; at depth 1 (masks)
// width / 8 bytes per row, pixel x in bit (x mod 8) of byte x / 8, 1 = opaque.
class GL_ImagePixmap {
public:
    // Sends CreatePixmap; no client data.
    GL_ImagePixmap(int width, int height, int depth);
    // Takes data (allocated with GL_malloc) and sends CreatePixmap. Absent
    // data ends the process with status 0.
    GL_ImagePixmap(char* data, int width, int height, int depth);
    // The same; with borrowed = 1 the data belongs to somebody else.
    GL_ImagePixmap(unsigned char borrowed, char* data, int width, int height, int depth);
    ~GL_ImagePixmap(); // frees the data unless borrowed, sends FreePixmap
    GL_ImagePixmap(const GL_ImagePixmap&) = delete;
    GL_ImagePixmap& operator=(const GL_ImagePixmap&) = delete;

    // Sends the client data to the server: row by row in the request stream
    // when width <= 100, height <= 100 or width x height <= 40000; larger
    // images through a temporary file that the server reads and deletes.
    // 0 when sent, -1 without identifier or data, with an empty size, or
    // when nothing could be sent.
    int UpdatePixmap();
    // Low byte of value at (x, y) of a depth-8 buffer; -1 outside the image.
    int SetPixmapValue(int x, int y, unsigned long value);
    // Sets (on != 0) or clears the mask bit at (x, y); -1 outside the image.
    int SetPixmapMask(int x, int y, unsigned char on);
    // A new depth-8 pixmap (owning its data, not yet uploaded) resampled by
    // area averaging; null for a non-positive size or without data.
    GL_ImagePixmap* Zoom(int newWidth, int newHeight);
    // Prints every row as "0x%02x," entries and a last line "};".
    void Dump(char const* title);
    // Drops the client copy (after upload) unless borrowed.
    void FreeData();

    // Server identifier and geometry.
    unsigned long GetId() { return id; }
    int GetWidth() { return width; }
    int GetHeight() { return height; }
    int GetDepth() { return depth; }
    // Bytes of one row of the client data.
    int BytesPerRow() { return int((long long)width * depth / 8); }

    // Fields, in this order (binary contract).
    unsigned int id;
    int width;
    int height;
    int depth;
    unsigned char* data;
    unsigned char dataBorrowed;

private:
    void Init(unsigned char borrowed, char* pixels, int w, int h, int d);
};

// The readers: 1 with the size, the pixmap (uploaded) and the mask (or null)
// in the outputs; 0 and no pixmap on any failure. The format is found from the
// first bytes: "/* XPM */" and "GIF8" and "BM" in any letter case, 0xFF 0xD8
// for JPEG, the 8-byte PNG signature.
int GL_ReadImageFile(char* path, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask);
int GL_ReadImageData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask);
// Size of an image file without decoding its pixels; 1 when found. The
// second argument is not used.
int CheckFileInfo(char* path, char* unused, int* width, int* height);

// The readers by format, over a memory buffer (same results as above).
int SL_ReadXPMData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask);
int SL_ReadJPEGData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask);
int parseGIFData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask);
int parsePNGData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask);
int parseBMPData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask);
// Size only: 1 with width and height, else 0.
int CheckJPEGFileInfo(char* data, int length, int* width, int* height);
int parseGIFDataInfo(char* data, int length, int* width, int* height);
int CheckPNGInfo(char* data, int length, int* width, int* height);

// Decodes image data into a new GL_malloc'd buffer of one grey byte per
// pixel, without touching the server; 1 on success. The mask output (may be
// null) receives a depth-1 buffer for formats with transparency, else null.
// This is the decoding half of the readers above, for callers that process
// pixels before they are shown (and for tests).
int GL_DecodeImageData(char const* data, int length, int* width, int* height, unsigned char** pixels,
                       unsigned char** maskBits);

// JPEG to grey with libjpeg: a new buffer of width x height bytes (free with
// GL_free), or null on a decoder error. No size limit.
unsigned char* GetRawImageFromJPEG(char* path, int* width, int* height);
unsigned char* GetRawImageFromJPEGData(char* data, int length, int* width, int* height);
// The same for data in memory; null for a length below 1 or a decoding error.
unsigned char* decode_jpeg_gray(void* data, int length, int* width, int* height);
// Error diffusion (7/16, 3/16, 5/16, 1/16, serpentine rows) of an 8-bit buffer
// of width x height, in place, to `bits` bits per sample. The last argument
// is not used.
void DitherRawImage(unsigned char* buffer, int width, int height, int bits, int unused);
// Ordered 8 x 8 dithering of an 8-bit grey buffer, in place, to the eight
// levels 0, 37, 73, 110, 146, 183, 219, 255.
void smgDither8Gto8C(unsigned char* buffer, int width, int height);
// Packed RGB triples to grey bytes (GL_RGB2Pixel); *out is allocated when null.
// ConvertRGB32RGB565 writes two bytes per pixel (low first) at depth 16.
void ConvertRGB2RGB565(unsigned char* rgb, unsigned char** out, int width, int height);
void ConvertRGB32RGB565(unsigned char* rgb, unsigned char** out, int width, int height);
// BMP file to a new grey buffer (GL_free), or null; and its size only (1 when found).
unsigned char* ParseBMPFile(char* path, int* width, int* height);
int CheckBMPFile(char* path, int* width, int* height);

// A named image: a pixmap, its optional mask and its size.
class GL_ImageListItem {
public:
    // The image at path: a built-in image (no file read) or a decoded file.
    // Any failure leaves size 0 and no pixmap.
    GL_ImageListItem(char* name, char* path);
    // Decodes data of length bytes.
    GL_ImageListItem(char* name, char* data, int length);
    // Adopts the two pixmaps.
    GL_ImageListItem(char* name, GL_ImagePixmap* pixmap, GL_ImagePixmap* mask, int width, int height);
    ~GL_ImageListItem();
    GL_ImageListItem(const GL_ImageListItem&) = delete;
    GL_ImageListItem& operator=(const GL_ImageListItem&) = delete;

    int IsGood() { return width > 0 && height > 0 && pixmap; }
    // A new unnamed item holding the resampled image, or null.
    GL_ImageListItem* Zoom(int newWidth, int newHeight);
    unsigned long GetPixmapId() { return pixmap ? pixmap->id : 0; }
    unsigned long GetMaskId() { return mask ? mask->id : 0; }

    // Fields, in this order (binary contract).
    char* name;
    int width;
    int height;
    GL_ImagePixmap* pixmap;
    GL_ImagePixmap* mask;
    unsigned char inList;
};

// A list of image items that owns them, with size statistics.
class GL_ImageList {
public:
    // An empty list; the destructor deletes every item (ClearAll).
    GL_ImageList();
    ~GL_ImageList();
    GL_ImageList(const GL_ImageList&) = delete;
    GL_ImageList& operator=(const GL_ImageList&) = delete;

    // The item for path, appended under name; null (nothing kept) when the
    // image cannot be loaded.
    GL_ImageListItem* AddImageFile(char* name, char* path);
    // Does nothing; returns 0.
    GL_ImageListItem* AddImageData(char* name, char* data, int length);
    // Does nothing; returns 1.
    int SetImageListItem(GL_ImageListItem* item, char* name, GL_ImagePixmap* pixmap, GL_ImagePixmap* mask, int width,
                         int height, unsigned char flag);
    // First item whose name equals name exactly; null when none.
    GL_ImageListItem* FindPixmapByName(char* name);
    // Item at a zero-based position; null outside.
    GL_ImageListItem* FindPixmapByIndex(unsigned long index);
    // Deletes every item and resets the statistics.
    void ClearAll();

    // Fields, in this order.
    ZPSList* items;
    int count;
    int maxWidth, minWidth;
    int maxHeight, minHeight;
    unsigned char sameSize; // every item has the same size (1 when empty)
};

// Images registered by the program under names; widgets look names up here
// first. Created by InitImageList (later calls do nothing).
extern GL_ImageList* pRootImageList;
void InitImageList();

// One entry of the built-in image table.
struct GL_BuiltinImage {
    char const* path;          // "/Kora/res/<name>.jpg"; "" ends the table
    unsigned char const* data; // width x height grey bytes
    unsigned char const* mask; // always null
    long width;
    long height;
};
// The table (59 entries, the last one empty) and its look-up by exact path.
extern GL_BuiltinImage gBuiltinImages[59];
GL_BuiltinImage const* GL_FindBuiltinImage(char const* path);
