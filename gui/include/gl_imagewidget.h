// The image widget and the GIF animator behind it.
#pragma once

#include "gl_image.h"
#include "gl_object.h"
#include "gl_timeout.h"
#include "gl_window.h"

// Plays a GIF: one image per step, composed into a frame of the GIF's logical
// screen size with its mask, uploaded and announced with "GifData!". Steps
// run on a repeating timer of the frame delay; a GIF of one image is shown
// once, longer ones repeat for ever.
class GL_AGif : public GL_Object {
public:
    // No data and no timer until SetAGifFile or ReadGifData; the destructor
    // frees the data, the frame pixmaps and the timer.
    GL_AGif();
    ~GL_AGif() override;
    const char* GetClassName() override; // "GL_AGif"
    // "Timeout!" of its timer advances one frame.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;

    // Reads a file (0, or -1 when it cannot be read or is empty) or takes a
    // GL_malloc'd buffer (kept and freed by the animator), and shows the
    // first frame at once.
    int SetAGifFile(char* path);
    int ReadGifData(char* data, int length);
    // Milliseconds between frames: a new positive period starts a repeating
    // timer of it; a value <= 0 stops it (period -1). Returns 0.
    int setFramePeriod(int milliseconds);
    // Stops the timer and drops the decoding state.
    void Reset();

    // The composed frame and its mask (owned by the animator), their size,
    // and the frame period (-1 when stopped).
    GL_ImagePixmap* GetFrame() { return frame; }
    GL_ImagePixmap* GetFrameMask() { return frameMask; }
    int GetFrameWidth() { return frameWidth; }
    int GetFrameHeight() { return frameHeight; }
    int GetFramePeriod() { return framePeriod; }

    // Fields, in this order.
    char* data;
    int length;
    int readPos;    // 0 at the start of a pass
    void* decoder;  // decoder state of the pass under way
    int imageCount; // images decoded in this pass
    int disposal;
    unsigned char transparent;
    int transparentIndex;
    int framePeriod; // milliseconds, -1 = stopped
    GL_Timeout* timer;
    int frameWidth, frameHeight;
    GL_ImagePixmap* frame;     // depth 8, owned
    GL_ImagePixmap* frameMask; // depth 1, owned

private:
    void Step(); // one frame (the first one at load)
};

// The image widget: shows one image centred on its background, or plays a GIF.
class GL_Image : public GL_Window {
public:
    // The short form is 70 x 25 at (0, 0); both have background iGreyS.
    GL_Image(GL_Window* parent, char const* name, int style);
    GL_Image(GL_Window* parent, char const* name, int x, int y, int w, int h, int style);
    ~GL_Image() override;
    const char* GetClassName() override; // "GL_Image"
    // "GifData!" from its animator redraws the new frame.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    // Each pointer handler sends its event ("MouseDown!" ...) with the
    // addresses of x, y and the button byte, whatever the state; returns 0.
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int MouseMove(int x, int y, unsigned char button) override;
    int MouseIn(int x, int y, unsigned char button) override;
    int MouseOut(int x, int y, unsigned char button) override;
    // A name registered in pRootImageList (shared, not owned), a built-in
    // image or a file (owned); "" removes the image (1). A GIF file plays
    // through an animator. 0 when shown; -1 for a file that cannot be read
    // (the image shown stays) or decoded (the widget is left empty; 0 then
    // when an image was dropped). The second argument is not used.
    int SetImageFile(char* name, unsigned char second) override;
    // The image (or the current frame) centred, through its mask.
    int Draw(_GS_Region* region) override;

    // The animator of a GIF being shown, else null.
    GL_AGif* GetAnimator() { return agif; }

    GL_AGif* agif; // owned, null unless a GIF was loaded

private:
    void DropImage1();
    void DropAnimation();
};
