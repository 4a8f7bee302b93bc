#include "gl_button.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gui_util.h"
#include "nc_request.h"
#include "widget_caption.h"

// ---- GL_Button --------------------------------------------------------------------------

GL_Button::GL_Button(GL_Window* parent, char const* name, char const* text, int type) : GL_Window(parent, name, type) {
    Init(text, type);
}

GL_Button::GL_Button(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int type)
    : GL_Window(parent, name, x, y, w, h, iGreyS, type) {
    Init(text, type);
}

void GL_Button::Init(char const* newText, int type) {
    pressed = 0;
    pressMoved = 0;
    pressDirection = 0;
    text = CopyCaption(newText);
    buttonType = static_cast<unsigned char>(type);
    pressDX = 2;
    pressDY = 0;
}

GL_Button::~GL_Button() { GL_free(text); }

const char* GL_Button::GetClassName() { return "GL_Button"; }

int GL_Button::SetText(char const* newText) {
    GL_free(text);
    text = CopyCaption(newText);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Button::SetButtonType(unsigned char type) {
    buttonType = type;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Button::SetPressMoved(unsigned char on, unsigned char direction) {
    if ((on != 0) == (pressMoved != 0) && direction == pressDirection) return -1;
    pressMoved = on;
    pressDirection = direction;
    if (on) {
        static const int kOffsets[8][2] = {{2, 0}, {0, 2}, {-2, 0}, {0, -2}, {2, 2}, {2, -2}, {-2, 2}, {-2, -2}};
        int i = direction <= 7 ? direction : 0;
        pressDX = kOffsets[i][0];
        pressDY = kOffsets[i][1];
    }
    return 0;
}

void GL_Button::DrawFrame(unsigned long pixmap) {
    bool sunken = pressed && !pressMoved;
    if (windowFlags2 & GL_WIN2_RGBA_BACK) {
        if (sunken)
            NC_DrawDownBoxRGB(pixmap, 0, 0, w, h, backColorRec);
        else
            NC_DrawUpBoxRGB(pixmap, 0, 0, w, h, backColorRec);
    } else if (sunken) {
        NC_DrawDownBox(pixmap, 0, 0, w, h, 0);
    } else {
        NC_DrawUpBox(pixmap, 0, 0, w, h, 0);
    }
}

int GL_Button::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    DrawBackground(pixmap);
    // Images are not drawn yet: the caption is centred as without one.
    WidgetTextBox box = MeasureCaption(font, text);
    int room = w - box.width;
    DrawCaption(pixmap, font, (room > 0 ? room : 0) / 2, CentredBaseline(h, box), text, CaptionColor(this));
    if (!shapeImage && !canMove) DrawFrame(pixmap);
    EndPixmap(pixmap, this);
    return 0;
}

int GL_Button::MouseDown(int, int, unsigned char) {
    if (!IsEnabled() || pressed) return -1;
    if (gCallback("MouseDown!")) return 0; // a target deleted the button
    pressed = 1;
    if (pressMoved)
        MoveResizeWindow(x + pressDX, y + pressDY, w, h, 0);
    else
        UpdateWindow(nullptr);
    return 0;
}

int GL_Button::MouseUp(int px, int py, unsigned char) {
    if (!IsEnabled() || !pressed) return -1;
    if (gCallback("MouseUp!")) return 0;
    if (pressMoved) MoveResizeWindow(x - pressDX, y - pressDY, w, h, 0);
    pressed = 0;
    // A moved button was under the pointer at the press: a release just
    // left of it still counts.
    bool click = (px >= 0 && px < w && py >= 0 && py < h) || (pressMoved && px >= -2);
    if (!pressMoved) UpdateWindow(nullptr);
    // Last: a target may delete the button.
    if (click) gCallback("Clicked!");
    return 0;
}

// ---- GL_ArrowButton ---------------------------------------------------------------------

GL_ArrowButton::GL_ArrowButton(GL_Window* parent, char const* name, int type) : GL_Button(parent, name, nullptr, 0) {
    arrowType = (type >= 0 && type <= 3) ? static_cast<unsigned char>(type) : 3;
    arrowColor = static_cast<unsigned int>(iBlackS);
}

GL_ArrowButton::GL_ArrowButton(GL_Window* parent, char const* name, int x, int y, int w, int h, int type)
    : GL_Button(parent, name, nullptr, x, y, w, h, 0) {
    arrowType = (type >= 0 && type <= 3) ? static_cast<unsigned char>(type) : 3;
    arrowColor = static_cast<unsigned int>(iBlackS);
}

const char* GL_ArrowButton::GetClassName() { return "GL_ArrowButton"; }

int GL_ArrowButton::SetArrowType(unsigned char type) {
    if (type > 3) type = 0;
    if (type == arrowType) return -1;
    arrowType = type;
    UpdateWindow(nullptr);
    return 0;
}

int GL_ArrowButton::SetArrowColor(unsigned long pixel) {
    if (pixel == arrowColor) return -1;
    arrowColor = static_cast<unsigned int>(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_ArrowButton::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    NC_DrawSmallArrow(pixmap, 0, 0, w, h, IsEnabled() ? arrowColor : iDarkGreyS, arrowType);
    DrawFrame(pixmap);
    EndPixmap(pixmap, this);
    return 0;
}

// ---- GL_SwitchButton --------------------------------------------------------------------

GL_SwitchButton::GL_SwitchButton(GL_Window* parent, char const* name, char const* text, int type)
    : GL_Button(parent, name, text, type), down(0) {}

GL_SwitchButton::GL_SwitchButton(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h,
                                 int type)
    : GL_Button(parent, name, text, x, y, w, h, type), down(0) {}

const char* GL_SwitchButton::GetClassName() { return "GL_SwitchButton"; }

int GL_SwitchButton::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    WidgetTextBox box = MeasureCaption(nullptr, text);
    int room = w - box.width;
    DrawCaption(pixmap, nullptr, (room > 0 ? room : 0) / 2, CentredBaseline(h, box), text, CaptionColor(this));
    if (down)
        NC_DrawDownBox(pixmap, 0, 0, w, h, 0);
    else
        NC_DrawUpBox(pixmap, 0, 0, w, h, 0);
    EndPixmap(pixmap, this);
    return 0;
}

int GL_SwitchButton::MouseDown(int, int, unsigned char) {
    pressed = 1;
    return 0;
}

int GL_SwitchButton::MouseUp(int px, int py, unsigned char) {
    if (!pressed) return -1;
    pressed = 0;
    if (!IsPointInWindow(px, py, 0)) return 0;
    down = !down;
    if (IsViewable()) Draw(nullptr);
    gCallback("Clicked!", &down); // last: a target may delete the button
    return 0;
}

int GL_SwitchButton::SetDown(unsigned char on) {
    if ((on != 0) == (down != 0)) return -1;
    down = on;
    if (IsViewable()) Draw(nullptr);
    gCallback("Clicked!", &down);
    return 0;
}
