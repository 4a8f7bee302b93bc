// GL_AGif, the GIF animator, and GL_Image, the image widget.
#include "gl_imagewidget.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gui_util.h"
#include "image/gif_stream.h"
#include "nc_request.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

using gui_image::GifStream;

// ---- GL_AGif ------------------------------------------------------------------------------

GL_AGif::GL_AGif()
    : GL_Object(nullptr, nullptr, 0), data(nullptr), length(0), readPos(0), decoder(nullptr), imageCount(0),
      disposal(0), transparent(0), transparentIndex(0), framePeriod(-1), timer(nullptr), frameWidth(0), frameHeight(0),
      frame(nullptr), frameMask(nullptr) {}

GL_AGif::~GL_AGif() {
    Reset();
    GL_free(data);
    delete frame;
    delete frameMask;
}

const char* GL_AGif::GetClassName() { return "GL_AGif"; }

void GL_AGif::Reset() {
    setFramePeriod(-1);
    delete static_cast<GifStream*>(decoder);
    decoder = nullptr;
    readPos = 0;
    imageCount = 0;
    disposal = 0;
    transparent = 0;
    transparentIndex = 0;
}

int GL_AGif::setFramePeriod(int milliseconds) {
    if (milliseconds <= 0) {
        delete timer;
        timer = nullptr;
        framePeriod = -1;
        return 0;
    }
    if (milliseconds == framePeriod && timer) return 0;
    delete timer;
    framePeriod = milliseconds;
    timer = new GL_Timeout(milliseconds / 1000, milliseconds % 1000 * 1000, 1);
    timer->AddCallback(this, "Timeout!", nullptr);
    timer->Run();
    return 0;
}

int GL_AGif::ReadGifData(char* gifData, int gifLength) {
    Reset();
    if (gifData != data) GL_free(data);
    data = gifData;
    length = gifData && gifLength > 0 ? gifLength : 0;
    if (!length) return -1;
    Step();
    return 0;
}

int GL_AGif::SetAGifFile(char* path) {
    char* fileData = nullptr;
    int fileLength = 0;
    if (GL_ReadFile(path, &fileData, &fileLength) != 0) return -1;
    return ReadGifData(fileData, fileLength);
}

int GL_AGif::ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) {
    if (!event || !*event) return -1;
    if (sender == timer && strcmp(event, "Timeout!") == 0) Step();
    return 0;
}

// One image of the pass under way; at the end of a pass of several images
// the next pass starts at once, so that every tick shows a frame.
void GL_AGif::Step() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* s = static_cast<GifStream*>(decoder);
        if (!s) {
            s = new GifStream();
            if (!s->Open(reinterpret_cast<const uint8_t*>(data), size_t(length))) {
                delete s;
                setFramePeriod(-1);
                return;
            }
            decoder = s;
            imageCount = 0;
            transparent = 0;
            transparentIndex = 0;
            if (!frame) {
                frameWidth = s->ScreenWidth();
                frameHeight = s->ScreenHeight();
                const size_t n = size_t(frameWidth) * size_t(frameHeight);
                char* pixels = static_cast<char*>(GL_malloc(int(n)));
                char* bits =
                    static_cast<char*>(GL_cmalloc(int(gui_image::MaskStride(frameWidth) * size_t(frameHeight))));
                if (!pixels || !bits) {
                    GL_free(pixels);
                    GL_free(bits);
                    Reset();
                    frameWidth = frameHeight = 0;
                    return;
                }
                memset(pixels, 255, n);
                frame = new GL_ImagePixmap(pixels, frameWidth, frameHeight, 8);
                frameMask = new GL_ImagePixmap(bits, frameWidth, frameHeight, 1);
            }
        }
        readPos = 1;
        // A later pass may meet another screen size only in broken data: its
        // frame pixmaps keep the first size.
        if (s->ScreenWidth() == frameWidth && s->ScreenHeight() == frameHeight &&
            s->NextImage(frame->data, frameMask->data, imageCount == 0)) {
            ++imageCount;
            disposal = s->disposal;
            transparent = s->transparent;
            transparentIndex = s->transparentIndex;
            if (s->delay > 0) setFramePeriod(s->delay * 10);
            frame->UpdatePixmap();
            frameMask->UpdatePixmap();
            gCallback("GifData!");
            return;
        }
        // End of the pass.
        const int images = imageCount;
        delete s;
        decoder = nullptr;
        readPos = 0;
        if (images <= 1) {
            setFramePeriod(-1);
            return;
        }
    }
}

// ---- GL_Image ------------------------------------------------------------------------------

GL_Image::GL_Image(GL_Window* parent, char const* objectName, int objectStyle)
    : GL_Window(parent, objectName, objectStyle), agif(nullptr) {}

GL_Image::GL_Image(GL_Window* parent, char const* objectName, int px, int py, int pw, int ph, int objectStyle)
    : GL_Window(parent, objectName, px, py, pw, ph, iGreyS, objectStyle), agif(nullptr) {}

GL_Image::~GL_Image() {
    delete agif;
    agif = nullptr;
}

const char* GL_Image::GetClassName() { return "GL_Image"; }

void GL_Image::DropImage1() {
    if (image1 && !image1->inList) delete image1;
    image1 = nullptr;
}

// A new still image replaces an animation too: Draw prefers the animator's
// frame, which would otherwise hide the new image for good.
void GL_Image::DropAnimation() {
    delete agif;
    agif = nullptr;
}

int GL_Image::SetImageFile(char* file, unsigned char) {
    if (!file) return 0;
    if (!*file) {
        DropAnimation();
        DropImage1();
        UpdateWindow(nullptr);
        return 1;
    }
    if (pRootImageList) {
        if (GL_ImageListItem* shared = pRootImageList->FindPixmapByName(file)) {
            DropAnimation();
            if (shared != image1) DropImage1();
            image1 = shared;
            UpdateWindow(nullptr);
            return 0;
        }
    }
    if (GL_FindBuiltinImage(file)) {
        DropAnimation();
        DropImage1();
        auto* item = new GL_ImageListItem(nullptr, file);
        if (item->IsGood())
            image1 = item;
        else
            delete item;
        UpdateWindow(nullptr);
        return 0;
    }
    char* fileData = nullptr;
    int fileLength = 0;
    if (GL_ReadFile(file, &fileData, &fileLength) != 0) return -1;
    if (fileLength >= 4 && strncasecmp(fileData, "GIF8", 4) == 0) {
        delete agif;
        agif = new GL_AGif();
        agif->AddCallback(this, "GifData!", nullptr);
        agif->ReadGifData(fileData, fileLength); // kept by the animator
        return 0;
    }
    auto* item = new GL_ImageListItem(const_cast<char*>("imgdata"), fileData, fileLength);
    GL_free(fileData);
    const bool hadImage = image1 != nullptr;
    DropImage1();
    if (item->IsGood()) {
        DropAnimation();
        image1 = item;
        UpdateWindow(nullptr);
        return 0;
    }
    delete item;
    if (hadImage) {
        UpdateWindow(nullptr);
        return 0;
    }
    return -1;
}

int GL_Image::ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) {
    if (!event || !*event) return -1;
    if (sender == agif && agif && strcmp(event, "GifData!") == 0) {
        UpdateWindow(nullptr);
        return 0;
    }
    GL_Window::ExecCallback(sender, event, a, b, c, d, e);
    return 0;
}

int GL_Image::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    DrawBackground(pixmap);
    unsigned long src = 0, mask = 0;
    int iw = 0, ih = 0;
    if (agif && agif->frameWidth > 0 && agif->frameHeight > 0 && agif->frame) {
        src = agif->frame->id;
        mask = agif->frameMask ? agif->frameMask->id : 0;
        iw = agif->frameWidth;
        ih = agif->frameHeight;
    } else if (image1 && image1->width > 0 && image1->height > 0 && image1->pixmap) {
        src = image1->pixmap->id;
        mask = image1->mask ? image1->mask->id : 0;
        iw = image1->width;
        ih = image1->height;
    }
    if (src) {
        const int dx = std::max(0, (w - iw) / 2), dy = std::max(0, (h - ih) / 2);
        GL_CopyAreaP2P(src, pixmap, mask, 0, 0, std::min(iw, w), std::min(ih, h), dx, dy);
    }
    EndPixmap(pixmap, this);
    return 0;
}

int GL_Image::MouseDown(int px, int py, unsigned char button) {
    gCallback("MouseDown!", &px, &py, &button);
    return 0;
}
int GL_Image::MouseUp(int px, int py, unsigned char button) {
    gCallback("MouseUp!", &px, &py, &button);
    return 0;
}
int GL_Image::MouseMove(int px, int py, unsigned char button) {
    gCallback("MouseMove!", &px, &py, &button);
    return 0;
}
int GL_Image::MouseIn(int px, int py, unsigned char button) {
    gCallback("MouseIn!", &px, &py, &button);
    return 0;
}
int GL_Image::MouseOut(int px, int py, unsigned char button) {
    gCallback("MouseOut!", &px, &py, &button);
    return 0;
}
