#include "gl_dialog.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "nc_font.h"
#include "nc_request.h"

#include <cstring>

namespace {

// The defaults, in the device's GB2312: 提示, 请插入SD卡！, 按OK键关闭此窗口.
char const* const kDefaultTitle = "\xcc\xe1\xca\xbe";
char const* const kDefaultMessage = "\xc7\xeb\xb2\xe5\xc8\xeb\x53\x44\xbf\xa8\xa3\xa1";
char const* const kDefaultHint = "\xb0\xb4\x4f\x4b\xbc\xfc\xb9\xd8\xb1\xd5\xb4\xcb\xb4\xb0\xbf\xda";

// Keys whose release leaves the box open: broadcast, home and system keys
// that are meant for other programs or the server.
constexpr unsigned kKeptKeys[] = {28, 33, 34, 35, 36, 37, 38, 39, 102, 103, 106, 107, 115, 116, 122, 123};

bool IsKept(unsigned code) {
    for (unsigned k : kKeptKeys)
        if (k == code) return true;
    return false;
}

bool IsMode(unsigned char mode) { return mode >= 1 && mode <= 3; }

GL_Label* NewLine(GL_Window* box, char const* name, char const* text, int x, int y, int w, int h, GL_Font* font) {
    auto* label = new GL_Label(box, name, text, x, y, w, h, 0);
    label->SetAlign(1);
    label->SetFont(font);
    label->SetBackColor(iWhiteS);
    return label;
}

} // namespace

// The box's own window is created with style 0, not 3: the server shows a
// window of kind 3 only inside the notice area (130, 220, 370, 200), which
// would cut the box's face and frame wherever the box is placed. The frame
// is the label's style 3, set after construction.
GL_MsgBox::GL_MsgBox(GL_Window* parent, char const* title, char const* message, char const* hint,
                     unsigned char newOpenMode, unsigned char newCloseMode)
    : GL_Label(parent, "msgbox", nullptr, 0) {
    openMode = newOpenMode;
    closeMode = newCloseMode;
    if (IsMode(openMode)) NC_SwitchDisplayMode(openMode);
    titleText[0] = messageText[0] = hintText[0] = '\0';
    labelStyle = 3;
    borderWidth = 2;
    borderColor = static_cast<unsigned int>(iGreyS);
    SetBackColor(iWhiteS);
    sharedFont = NC_NewFont(nullptr, 20, 0, 0);

    GL_CopyTextCut(titleText, int(sizeof titleText), title);
    GL_CopyTextCut(messageText, int(sizeof messageText), message);
    GL_CopyTextCut(hintText, int(sizeof hintText), hint);
    int const W = iDisplayWidth;
    titleLabel = NewLine(this, "title", titleText[0] ? titleText : kDefaultTitle, 2, 0, W - 4, 50, sharedFont);
    titleLabel->SetForeColor(iWhiteS);
    titleLabel->SetBackColor(iBlackS);
    messageLabel =
        NewLine(this, "message", messageText[0] ? messageText : kDefaultMessage, 2, 50, W - 6, 50, sharedFont);
    hintLabel = NewLine(this, "hint", hintText[0] ? hintText : kDefaultHint, 2, 100, W - 6, 48, sharedFont);
}

GL_MsgBox::~GL_MsgBox() {
    if (IsMode(closeMode)) NC_SetOnceRefreshMode(closeMode);
    // The labels go before the font they share.
    delete titleLabel;
    delete messageLabel;
    delete hintLabel;
    delete sharedFont;
}

int GL_MsgBox::KeyIn(char*, int, unsigned int code, unsigned int, unsigned int, unsigned char released) {
    if (released && !IsKept(code)) delete this;
    return 0;
}

int GL_MsgBox::WindowSizeChange(int newW, int newH) {
    GL_Label::WindowSizeChange(newW, newH);
    titleLabel->MoveResizeWindow(2, 0, newW - 4, 50, 0);
    messageLabel->MoveResizeWindow(2, newH / 3, newW - 6, 50, 0);
    hintLabel->MoveResizeWindow(2, 2 * newH / 3, newW - 6, 48, 0);
    return 0;
}
