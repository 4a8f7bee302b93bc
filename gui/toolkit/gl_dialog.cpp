#include "gl_dialog.h"

#include "gl_color.h"
#include "gui_util.h"
#include "nc_request.h"
#include "platform/einkroot.h"

#include <cstring>

GL_DialogData gDialogData;

namespace {

constexpr int kNoOutline = -9999;

int AtLeast0(int v) { return v > 0 ? v : 0; }

enum class Ready { Confirm, Prompt, Alert };

// Where the children of a ready-made dialog go for its size.
struct Layout {
    _GS_Rect icon, label, ok, cancel, edit;
};

Layout LayOut(Ready which, int w, int h) {
    Layout l{};
    l.icon = {25, 30, 16, 16};
    int labelW = w - 85 >= 0 ? w - 85 : (w - 65 >= 0 ? w - 65 : 0);
    int labelH = AtLeast0(h - (which == Ready::Prompt ? 90 : 55));
    if (which == Ready::Confirm && labelH > 60) labelH = 60;
    l.label = {60, 25, labelW, labelH};
    int top = AtLeast0(h - 40);
    int okX = which == Ready::Alert ? w - 95 : w - 170;
    if (okX < 0) okX = 25;
    l.ok = {okX, top, 70, 25};
    l.cancel = {okX + 75, top, 70, 25};
    l.edit = {60, top - 35, labelW, 20};
    return l;
}

void Place(GL_Window* child, const _GS_Rect& r) {
    if (child) child->MoveResizeWindow(r.x, r.y, r.width, r.height, 0);
}

GL_Image* NewIcon(GL_Window* dialog, const _GS_Rect& r, char const* fixedPath) {
    auto* icon = new GL_Image(dialog, "icon", r.x, r.y, r.width, r.height, 0);
    // A missing file leaves the icon empty.
    char path[4096];
    if (eink::Path(fixedPath, path, sizeof path)) icon->SetImageFile(path, 0);
    return icon;
}

GL_Label* NewMessage(GL_Window* dialog, const _GS_Rect& r, char const* message) {
    return new GL_Label(dialog, "message", message, r.x, r.y, r.width, r.height, 2);
}

GL_Button* NewButton(GL_Dialog* dialog, const _GS_Rect& r, char const* text) {
    auto* button = new GL_Button(dialog, text, text, r.x, r.y, r.width, r.height, 0);
    button->AddCallback(dialog, "Clicked!", nullptr);
    return button;
}

bool IsEmpty(char const* s) { return !s || !*s; }

} // namespace

int GL_CopyTextCut(char* dst, int size, char const* src) {
    if (!dst || size <= 0) return 0;
    int n = 0;
    if (src) {
        while (src[n]) {
            // A lead byte followed by the terminator stands alone.
            int len = static_cast<unsigned char>(src[n]) >= 0x80 && src[n + 1] ? 2 : 1;
            if (n + len > size - 1) break;
            n += len;
        }
        memcpy(dst, src, size_t(n));
    }
    dst[n] = '\0';
    return n;
}

// ---- GL_Dialog ----------------------------------------------------------------------------

GL_Dialog::GL_Dialog(GL_Window* parent, char const* name, int style) : GL_Window(parent, name, style) {
    windowFlags |= GL_WIN_DIALOG;
    kind = 0;
    Init();
}

GL_Dialog::GL_Dialog(GL_Window* parent, char const* name, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style) {
    windowFlags |= GL_WIN_DIALOG;
    kind = 0;
    Init();
}

void GL_Dialog::Init() {
    gDialogData.result = 0;
    gDialogData.reserved = 0;
    gDialogData.reserved2 = 0;
    gDialogData.text[0] = '\0';
    SetTransientFlag(__pMainW);
    SetCanMoved(1);
}

GL_Dialog::~GL_Dialog() {
    HideWindow(0);
    gCallback("DialogData!", &gDialogData);
}

const char* GL_Dialog::GetClassName() { return "GL_Dialog"; }

int GL_Dialog::MouseDown(int px, int py, unsigned char) {
    dragging = 1;
    pressX = px;
    pressY = py;
    pressWinX = x;
    pressWinY = y;
    outlineX = outlineY = kNoOutline;
    return 0;
}

int GL_Dialog::MouseMove(int, int, unsigned char) { return 0; }

int GL_Dialog::MouseUp(int px, int py, unsigned char) {
    if (!dragging) return 0;
    if (outlineX != kNoOutline) NC_DrawWRectXorScreen(outlineX, outlineY, w, h, 1, iYellowS);
    outlineX = outlineY = kNoOutline;
    dragging = 0;
    int dx = px - pressX, dy = py - pressY;
    if (dx == 0 && dy == 0) return -1;
    MoveResizeWindow(pressWinX + dx, pressWinY + dy, w, h, 0);
    return 0;
}

// ---- GL_Confirm ---------------------------------------------------------------------------

namespace {
char const* const kQuestionIcon = "/mnt/question.xpm";
char const* const kRedCheckIcon = "/mnt/redcheck.xpm";
char const* const kGreenCheckIcon = "/mnt/greencheck.xpm";
} // namespace

namespace {
// The children of each ready-made dialog, for the size it was created with.
void Build(GL_Confirm* d, char const* text) {
    d->kind = 1;
    d->message = GL_CopyString(text);
    Layout l = LayOut(Ready::Confirm, d->w, d->h);
    d->icon = NewIcon(d, l.icon, kQuestionIcon);
    d->label = NewMessage(d, l.label, d->message);
    d->okButton = NewButton(d, l.ok, "OK");
    d->cancelButton = NewButton(d, l.cancel, "Cancel");
}

void Build(GL_Prompt* d, char const* text, char const* editText) {
    d->kind = 1;
    d->message = GL_CopyString(text);
    d->initialText = GL_CopyString(editText);
    Layout l = LayOut(Ready::Prompt, d->w, d->h);
    d->icon = NewIcon(d, l.icon, kRedCheckIcon);
    d->label = NewMessage(d, l.label, d->message);
    d->edit = new GL_SEdit(d, "edit", d->initialText, l.edit.x, l.edit.y, l.edit.width, l.edit.height, 0);
    d->okButton = NewButton(d, l.ok, "OK");
    d->cancelButton = NewButton(d, l.cancel, "Cancel");
}

void Build(GL_Alert* d, char const* text) {
    d->kind = 1;
    d->message = GL_CopyString(text);
    Layout l = LayOut(Ready::Alert, d->w, d->h);
    d->icon = NewIcon(d, l.icon, kGreenCheckIcon);
    d->label = NewMessage(d, l.label, d->message);
    d->okButton = NewButton(d, l.ok, "OK");
}
} // namespace

GL_Confirm::GL_Confirm(GL_Window* parent, char const* name, char const* text, int style)
    : GL_Dialog(parent, name, style) {
    Build(this, text);
}

GL_Confirm::GL_Confirm(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style)
    : GL_Dialog(parent, name, x, y, w, h, style) {
    Build(this, text);
}

GL_Confirm::~GL_Confirm() {
    GL_free(message);
    delete label;
    delete okButton;
    delete cancelButton;
}

const char* GL_Confirm::GetClassName() { return "GL_Confirm"; }

int GL_Confirm::ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) {
    if (IsEmpty(event)) return -1;
    if (sender == okButton)
        gDialogData.result = 1;
    else if (sender == cancelButton)
        gDialogData.result = 2;
    else
        return 0;
    delete this; // the button that called sends nothing more after "Clicked!"
    return 0;
}

int GL_Confirm::WindowSizeChange(int newW, int newH) {
    Layout l = LayOut(Ready::Confirm, newW, newH);
    Place(icon, l.icon);
    Place(label, l.label);
    Place(okButton, l.ok);
    Place(cancelButton, l.cancel);
    return 0;
}

// ---- GL_Prompt ----------------------------------------------------------------------------

GL_Prompt::GL_Prompt(GL_Window* parent, char const* name, char const* text, char const* editText, int style)
    : GL_Dialog(parent, name, style) {
    Build(this, text, editText);
}

GL_Prompt::GL_Prompt(GL_Window* parent, char const* name, char const* text, char const* editText, int x, int y, int w,
                     int h, int style)
    : GL_Dialog(parent, name, x, y, w, h, style) {
    Build(this, text, editText);
}

GL_Prompt::~GL_Prompt() {
    GL_free(message);
    GL_free(initialText);
    delete label;
    delete edit;
    delete okButton;
    delete cancelButton;
}

const char* GL_Prompt::GetClassName() { return "GL_Prompt"; }

int GL_Prompt::KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
                     unsigned char released) {
    return edit ? edit->KeyIn(text, textLength, code, code2, modifier, released) : -1;
}

int GL_Prompt::ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) {
    if (IsEmpty(event)) return -1;
    if (sender == okButton)
        gDialogData.result = 1;
    else if (sender == cancelButton)
        gDialogData.result = 2;
    else
        return 0;
    GL_CopyTextCut(gDialogData.text, int(sizeof gDialogData.text), edit ? edit->GetText() : nullptr);
    delete this;
    return 0;
}

int GL_Prompt::WindowSizeChange(int newW, int newH) {
    Layout l = LayOut(Ready::Prompt, newW, newH);
    Place(icon, l.icon);
    Place(label, l.label);
    Place(edit, l.edit);
    Place(okButton, l.ok);
    Place(cancelButton, l.cancel);
    return 0;
}

// ---- GL_Alert -----------------------------------------------------------------------------

GL_Alert::GL_Alert(GL_Window* parent, char const* name, char const* text, int style) : GL_Dialog(parent, name, style) {
    Build(this, text);
}

GL_Alert::GL_Alert(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style)
    : GL_Dialog(parent, name, x, y, w, h, style) {
    Build(this, text);
}

GL_Alert::~GL_Alert() {
    GL_free(message);
    delete label;
    delete okButton;
}

const char* GL_Alert::GetClassName() { return "GL_Alert"; }

int GL_Alert::ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) {
    if (IsEmpty(event)) return -1;
    if (sender != okButton) return 0;
    delete this;
    return 0;
}

int GL_Alert::WindowSizeChange(int newW, int newH) {
    Layout l = LayOut(Ready::Alert, newW, newH);
    Place(icon, l.icon);
    Place(label, l.label);
    Place(okButton, l.ok);
    return 0;
}
