#include "gl_navigate.h"

#include "gl_color.h"
#include "gui_util.h"
#include "nc_font.h"
#include "nc_request.h"
#include "platform/einkroot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Columns past this are refused: each one is a child window on the server.
constexpr int kMaxColumns = 16;

int AtLeast0(int v) { return v > 0 ? v : 0; }

constexpr int kStatusTextHeight = 34;

// Child windows of the title and status bars.
GL_Label* BarLabel(GL_Window* parent, char const* name, char const* text, GL_Font* font) {
    auto* label = new GL_Label(parent, name, text, 0, 0, 1, 1, 0);
    label->SetBackColor(iBlackS);
    label->SetForeColor(iWhiteS);
    label->SetFont(font);
    return label;
}

GL_Image* FixedImage(GL_Window* parent, char const* name, char const* fixedPath, unsigned long back) {
    auto* image = new GL_Image(parent, name, 0, 0, 1, 1, 0);
    image->SetBackColor(back);
    if (fixedPath) {
        char path[4096];
        if (eink::Path(fixedPath, path, sizeof path)) image->SetImageFile(path, 0);
    }
    return image;
}

// The texts of the stand-alone status lines: black on white.
GL_Label* StatusPart(GL_Window* parent, char const* name, GL_Font* font) {
    auto* label = new GL_Label(parent, name, nullptr, 0, 0, 1, 1, 0);
    label->SetBackColor(iWhiteS);
    label->SetForeColor(iBlackS);
    label->SetFont(font);
    return label;
}

int ShowOrHide(GL_Window* window, unsigned char visible) {
    return visible ? window->ShowWindow(0) : window->HideWindow(0);
}

} // namespace

// ---- GL_NavigateItem ---------------------------------------------------------------------

GL_NavigateItem::GL_NavigateItem(GL_Window* parent, int cols, int x, int y, int w, int h, int style)
    : GL_Label(parent, "navigateitem", nullptr, x, y, w, h, style) {
    InitItem(cols, nullptr, nullptr);
}

GL_NavigateItem::GL_NavigateItem(GL_Window* parent, int cols, char const* imagePath, char const* text0,
                                 char const* text1, char const* text2, char const* text3, int x, int y, int w, int h,
                                 int style)
    : GL_Label(parent, "navigateitem", nullptr, x, y, w, h, style) {
    char const* texts[4] = {text0, text1, text2, text3};
    InitItem(cols, imagePath, texts);
}

void GL_NavigateItem::InitItem(int cols, char const* imagePath, char const* const* texts) {
    // The item is a framed label on white.
    labelStyle = 3;
    borderWidth = 2;
    borderColor = static_cast<unsigned int>(iGreyS);
    SetBackColor(iWhiteS);
    columns = cols < 0 ? 1 : (cols > kMaxColumns ? kMaxColumns : cols);
    imageWidth = 50;
    marginX = 10;
    marginY = 5;
    itemRelayout = 1;
    imageFile = nullptr;
    int n = columns > 0 ? columns : 1;
    columnLabels = static_cast<GL_Label**>(GL_cmalloc(n * int(sizeof(GL_Label*))));
    columnTexts = static_cast<char**>(GL_cmalloc(n * int(sizeof(char*))));
    columnWidths = static_cast<int*>(GL_cmalloc(n * int(sizeof(int))));
    columnAligns = static_cast<int*>(GL_cmalloc(n * int(sizeof(int))));
    fixedWidth = static_cast<unsigned char*>(GL_cmalloc(n));
    image = new GL_Image(this, "itemimage", 0, 0, 1, 1, 0);
    image->SetBackColor(iWhiteS);
    for (int i = 0; i < columns; ++i) {
        char const* text = texts && i < 4 ? texts[i] : nullptr;
        columnTexts[i] = GL_CopyString(text);
        auto* label = new GL_Label(this, "itemtext", text, 0, 0, 1, 1, 0);
        label->SetBackColor(iWhiteS);
        label->SetForeColor(iBlackS);
        columnLabels[i] = label;
    }
    if (imagePath && *imagePath) SetItemImage(const_cast<char*>(imagePath));
    Layout();
}

GL_NavigateItem::~GL_NavigateItem() {
    for (int i = 0; i < columns; ++i)
        GL_free(columnTexts[i]);
    GL_free(columnTexts);
    GL_free(columnLabels); // the labels are children: the base frees them
    GL_free(columnWidths);
    GL_free(columnAligns);
    GL_free(fixedWidth);
    GL_free(imageFile);
}

const char* GL_NavigateItem::GetClassName() { return "GL_NavigateItem"; }

void GL_NavigateItem::Layout() {
    itemRelayout = 0;
    int contentH = AtLeast0(h - 2 * marginY);
    int room = AtLeast0(w - (2 * marginX + imageWidth));
    int freeColumns = 0;
    for (int i = 0; i < columns; ++i) {
        if (fixedWidth[i])
            room -= columnWidths[i];
        else
            ++freeColumns;
    }
    room = AtLeast0(room);
    int share = freeColumns ? room / freeColumns : 0;
    int lastFree = -1;
    for (int i = 0; i < columns; ++i)
        if (!fixedWidth[i]) lastFree = i;
    image->MoveResizeWindow(marginX, marginY, imageWidth, contentH, 0);
    int x = marginX + imageWidth;
    for (int i = 0; i < columns; ++i) {
        int cw = fixedWidth[i] ? columnWidths[i] : share + (i == lastFree ? room - share * freeColumns : 0);
        if (!fixedWidth[i]) columnWidths[i] = cw;
        columnLabels[i]->MoveResizeWindow(x, marginY, cw, contentH, 0);
        x += cw;
    }
}

int GL_NavigateItem::WindowSizeChange(int nw, int nh) {
    GL_Label::WindowSizeChange(nw, nh);
    Layout();
    return 0;
}

int GL_NavigateItem::Draw(_GS_Region* region) {
    if (itemRelayout) Layout();
    return GL_Label::Draw(region);
}

int GL_NavigateItem::SetItemText(int column, char const* newText) {
    if (column < 0 || column >= columns) return -1;
    GL_free(columnTexts[column]);
    columnTexts[column] = GL_CopyString(newText);
    columnLabels[column]->SetText(newText);
    return 0;
}

char* GL_NavigateItem::GetItemText(int column) {
    return column >= 0 && column < columns ? columnTexts[column] : nullptr;
}

GL_Label* GL_NavigateItem::GetItemTextObject(int column) {
    return column >= 0 && column < columns ? columnLabels[column] : nullptr;
}

int GL_NavigateItem::SetItemWidth(int column, int width) {
    if (column < 0 || column >= columns) return -1;
    columnWidths[column] = AtLeast0(width);
    fixedWidth[column] = 1;
    itemRelayout = 1;
    return 0;
}

int GL_NavigateItem::SetItemAlign(int column, int a) {
    if (column < 0 || column >= columns) return -1;
    columnAligns[column] = a;
    columnLabels[column]->SetAlign(static_cast<unsigned char>(a));
    return 0;
}

int GL_NavigateItem::SetItemFont(int column, GL_Font* f) {
    if (column < 0 || column >= columns) return -1;
    columnLabels[column]->SetFont(f);
    return 0;
}

int GL_NavigateItem::SetItemMargin(int mx, int my) {
    marginX = AtLeast0(mx);
    marginY = AtLeast0(my);
    itemRelayout = 1;
    return 0;
}

int GL_NavigateItem::SetImageWidth(int width) {
    imageWidth = AtLeast0(width);
    itemRelayout = 1;
    return 0;
}

int GL_NavigateItem::SetItemImage(char* file) {
    GL_free(imageFile);
    imageFile = GL_CopyString(file);
    return image->SetImageFile(file ? file : const_cast<char*>(""), 0);
}

// ---- GL_NavigateWindow -------------------------------------------------------------------

GL_NavigateWindow::GL_NavigateWindow(GL_Window* parent, char const* newTitle, int newPerPage)
    : GL_Label(parent, "navigatewindow", nullptr, 3) {
    int const sizes[4] = {30, 24, 22, 22};
    InitWindow(newTitle, newPerPage, sizes, true);
}

GL_NavigateWindow::GL_NavigateWindow(GL_Window* parent, char const* newTitle, int newPerPage, int const fontSizes[4],
                                     bool statusBar)
    : GL_Label(parent, "navigatewindow", nullptr, 3) {
    InitWindow(newTitle, newPerPage, fontSizes, statusBar);
}

void GL_NavigateWindow::InitWindow(char const* newTitle, int newPerPage, int const fontSizes[4], bool statusBar) {
    borderWidth = 2;
    borderColor = static_cast<unsigned int>(iGreyS);
    SetBackColor(iWhiteS);
    SetWindowNoBorder(windowId);
    title = GL_CopyString(newTitle);
    itemCapacity = 30;
    items = static_cast<GL_NavigateItem**>(GL_cmalloc(itemCapacity * int(sizeof(GL_NavigateItem*))));
    itemCount = 0;
    perPage = newPerPage < 5 ? 5 : newPerPage;
    pageCount = 0;
    currentPage = 0;
    currentItem = -1;
    marginX = 12;
    topGap = 5;
    itemSpacing = 12;
    itemHeight = 65;
    borderFocus = 1;
    for (int i = 0; i < 4; ++i)
        fonts[i] = NC_NewFont("", fontSizes[i], 0, 0);
    titleLabel = BarLabel(this, "title", newTitle, fonts[0]);
    titleLabel->SetAlign(1);
    batteryImage = FixedImage(titleLabel, "battery", "/mnt/bookmainbattery.jpg", iBlackS);
    soundImage = FixedImage(titleLabel, "sound", "/mnt/bookmainvoice.jpg", iBlackS);
    statusLabel = statusLeft = statusMid = statusRight = nullptr;
    if (statusBar) {
        statusLabel = BarLabel(this, "status", nullptr, fonts[2]);
        statusLeft = BarLabel(statusLabel, "statusleft", nullptr, fonts[3]);
        statusMid = BarLabel(statusLabel, "statusmid", "  ", fonts[3]);
        statusMid->SetAlign(2);
        statusRight = BarLabel(statusLabel, "statusright", nullptr, fonts[3]);
    }
    WindowSizeChange(w, h);
}

GL_NavigateWindow::~GL_NavigateWindow() {
    GL_free(items); // the items themselves belong to their parent
    GL_free(title);
    // Children still point at the fonts: they go before the fonts do.
    while (children && children->first)
        delete static_cast<GL_Object*>(children->first->data);
    for (GL_Font*& f : fonts) {
        delete f;
        f = nullptr;
    }
}

const char* GL_NavigateWindow::GetClassName() { return "GL_NavigateWindow"; }

int GL_NavigateWindow::ExecCallback(GL_Object*, char const*, void*, void*, void*, void*, void*) { return 0; }

int GL_NavigateWindow::ScreenSizeChange(int, int, _ROATE_MODE) { return 0; }

void GL_NavigateWindow::PlaceItem(int index) {
    int row = index % perPage;
    items[index]->MoveResizeWindow(marginX, topGap + 50 + row * (itemSpacing + itemHeight), AtLeast0(w - 2 * marginX),
                                   itemHeight, 0);
}

int GL_NavigateWindow::WindowSizeChange(int nw, int nh) {
    GL_Label::WindowSizeChange(nw, nh);
    nw = AtLeast0(nw);
    nh = AtLeast0(nh);
    titleLabel->MoveResizeWindow(0, 0, nw, 50, 0);
    batteryImage->MoveResizeWindow(nw - 74, 8, 40, 22, 0);
    soundImage->MoveResizeWindow(nw - 28, 8, 22, 22, 0);
    if (statusLabel) {
        statusLabel->MoveResizeWindow(0, nh - 50, nw, 50, 0);
        // A 22-point line is taller than 22 pixels: the labels take the
        // bar's height less 8 above and below, so no text is cut.
        int third = nw / 3;
        statusLeft->MoveResizeWindow(0, 8, third, kStatusTextHeight, 0);
        statusMid->MoveResizeWindow(third, 8, third, kStatusTextHeight, 0);
        statusRight->MoveResizeWindow(2 * third, 8, nw - 2 * third, kStatusTextHeight, 0);
    }
    itemHeight = AtLeast0((nh - itemSpacing * (perPage - 1) - 2 * topGap - 100) / perPage);
    for (int i = 0; i < itemCount; ++i)
        PlaceItem(i);
    // Shown again: the page's items may have moved.
    for (int i = 0; i < itemCount; ++i)
        if (i / perPage == currentPage)
            items[i]->ShowWindow(0);
        else
            items[i]->HideWindow(0);
    return 0;
}

int GL_NavigateWindow::AppendItem(GL_NavigateItem* item) {
    if (!item) return -1;
    if (itemCount == itemCapacity) {
        int grown = itemCapacity + 10;
        void* p = GL_realloc(items, grown * int(sizeof(GL_NavigateItem*)));
        if (!p) return -1;
        items = static_cast<GL_NavigateItem**>(p);
        itemCapacity = grown;
    }
    int index = itemCount;
    items[index] = item;
    itemCount = index + 1;
    pageCount = (itemCount + perPage - 1) / perPage;
    if (index == 0) {
        currentItem = 0;
        if (borderFocus) item->SetBorderColor(iBlackS);
    }
    PlaceItem(index);
    if (index / perPage == currentPage)
        item->ShowWindow(0);
    else
        item->HideWindow(0);
    return 0;
}

int GL_NavigateWindow::DisplayPage(int page) {
    if (page < 0 || page >= pageCount || page == currentPage) return -1;
    // The new page's items go up before the old ones come down: they cover
    // the same places, so the window behind is not exposed (and redrawn
    // whole) once for every item taken away.
    int const old = currentPage;
    currentPage = page;
    for (int i = page * perPage; i < itemCount && i < (page + 1) * perPage; ++i)
        items[i]->ShowWindow(0);
    for (int i = old * perPage; i < itemCount && i < (old + 1) * perPage; ++i)
        items[i]->HideWindow(0);
    return 0;
}

void GL_NavigateWindow::Refocus(int from, int to) {
    if (!borderFocus) return;
    if (from >= 0 && from < itemCount) items[from]->SetBorderColor(iGreyS);
    if (to >= 0 && to < itemCount) items[to]->SetBorderColor(iBlackS);
}

int GL_NavigateWindow::SetCurrItemNum(int index) {
    if (index < 0 || index >= itemCount || index == currentItem) return -1;
    Refocus(currentItem, index);
    currentItem = index;
    return 0;
}

int GL_NavigateWindow::SetBorderFocus(unsigned char on) {
    on = on ? 1 : 0;
    if (on == borderFocus) return -1;
    borderFocus = on;
    return 0;
}

int GL_NavigateWindow::MoveFocus(int index) {
    if (index < 0 || index >= itemCount || index == currentItem) return 0;
    // A focus on a hidden item would be invisible: its page comes first.
    DisplayPage(index / perPage);
    Refocus(currentItem, index);
    currentItem = index;
    return 1;
}

int GL_NavigateWindow::KeyIn(char*, int, unsigned int code, unsigned int, unsigned int, unsigned char released) {
    if (!released || itemCount <= 0) return 0;
    if (code == 0x14 || code == 0x15) {
        int to = currentItem + (code == 0x15 ? 1 : -1);
        if (to < 0 || to >= itemCount) return 0;
        // Both frames change in one panel update.
        if (borderFocus) NC_GrabUpdate();
        MoveFocus(to);
        if (borderFocus) NC_UnGrabUpdate();
    } else if (code >= '1' && code <= '9') {
        // The digit counts on the page shown.
        int row = int(code - '1');
        if (row < perPage) MoveFocus(currentPage * perPage + row);
    }
    return 0;
}

int UpdateNavigateWindowStatus(GL_NavigateWindow* window) {
    if (!window) return -1;
    if (auto* second = dynamic_cast<GL_NavigateWindow2*>(window)) return second->status2->UpdateNavigateStatus();
    if (!window->statusLabel) return -1;
    window->statusLabel->UpdateWindow(nullptr);
    window->statusLeft->UpdateWindow(nullptr);
    window->statusMid->UpdateWindow(nullptr);
    window->statusRight->UpdateWindow(nullptr);
    return 0;
}

// ---- GL_NavigateStatus -------------------------------------------------------------------

GL_NavigateStatus::GL_NavigateStatus(GL_Window* parent) : GL_Label(parent, "navigatestatus", nullptr, 0) {
    SetBackColor(iWhiteS);
    statusFont = NC_NewFont("", 22, 0, 0);
    leftLabel = StatusPart(this, "left", statusFont);
    midLabel = StatusPart(this, "mid", statusFont);
    rightLabel = StatusPart(this, "right", statusFont);
    rightImage = FixedImage(this, "rightimage", nullptr, iWhiteS);
    WindowSizeChange(w, h);
}

GL_NavigateStatus::~GL_NavigateStatus() {
    while (children && children->first)
        delete static_cast<GL_Object*>(children->first->data);
    delete statusFont;
}

const char* GL_NavigateStatus::GetClassName() { return "GL_NavigateStatus"; }

int GL_NavigateStatus::WindowSizeChange(int nw, int nh) {
    GL_Label::WindowSizeChange(nw, nh);
    nh = AtLeast0(nh);
    int third = AtLeast0(nw - 76) / 3;
    int hh = nh < 46 ? nh : 46;
    int top = nh > 46 ? (nh - hh) / 2 : 0;
    leftLabel->MoveResizeWindow(26, top, third + 100, hh, 0);
    midLabel->MoveResizeWindow(third + 26, top, AtLeast0(third - 120), hh, 0);
    rightLabel->MoveResizeWindow(2 * third + 6, top, third + 20, hh, 0);
    rightImage->MoveResizeWindow(3 * third + 31, 9, 39, 31, 0);
    return 0;
}

int GL_NavigateStatus::SetLeftText(char const* t) { return leftLabel->SetText(t); }
int GL_NavigateStatus::SetMidText(char const* t) { return midLabel->SetText(t); }
int GL_NavigateStatus::SetRightText(char const* t) { return rightLabel->SetText(t); }
int GL_NavigateStatus::SetLeftAlign(int a) { return leftLabel->SetAlign(static_cast<unsigned char>(a)); }
int GL_NavigateStatus::SetMidAlign(int a) { return midLabel->SetAlign(static_cast<unsigned char>(a)); }
int GL_NavigateStatus::SetRightAlign(int a) { return rightLabel->SetAlign(static_cast<unsigned char>(a)); }
int GL_NavigateStatus::SetRightImage(char* file) { return rightImage->SetImageFile(file, 0); }

int GL_NavigateStatus::SetRightImageVisible(unsigned char visible) { return ShowOrHide(rightImage, visible); }

int GL_NavigateStatus::UpdateNavigateStatus() {
    leftLabel->UpdateWindow(nullptr);
    midLabel->UpdateWindow(nullptr);
    rightLabel->UpdateWindow(nullptr);
    rightImage->UpdateWindow(nullptr);
    return 0;
}

// ---- GL_NavigateStatus2 ------------------------------------------------------------------

GL_NavigateStatus2::GL_NavigateStatus2(GL_Window* parent) : GL_Label(parent, "navigatestatus2", nullptr, 0) {
    SetBackColor(iWhiteS);
    SetForeColor(iBlackS);
    statusFont = NC_NewFont("", 22, 0, 0);
    leftLabel = StatusPart(this, "left", statusFont);
    midLabel = StatusPart(this, "mid", statusFont);
    rightLabel = StatusPart(this, "right", statusFont);
    rightLabel->SetAlign(2);
    rightImage = FixedImage(this, "rightimage", nullptr, iWhiteS);
    midImage = FixedImage(this, "midimage", nullptr, iWhiteS);
    powerImage = FixedImage(this, "powerimage", nullptr, iWhiteS);
    WindowSizeChange(w, h);
}

GL_NavigateStatus2::~GL_NavigateStatus2() {
    while (children && children->first)
        delete static_cast<GL_Object*>(children->first->data);
    delete statusFont;
}

const char* GL_NavigateStatus2::GetClassName() { return "GL_NavigateStatus2"; }

int GL_NavigateStatus2::WindowSizeChange(int nw, int nh) {
    GL_Label::WindowSizeChange(nw, nh);
    nh = AtLeast0(nh);
    // Left to right: the left text, the middle image and text, the right
    // text, the right image (39 x 31) and the battery picture (40 x 22).
    int const room = AtLeast0(nw - 10 - 96);
    int const third = room / 3;
    int const hh = nh < 46 ? nh : 46;
    int const top = nh > 46 ? (nh - hh) / 2 : 0;
    leftLabel->MoveResizeWindow(10, top, third, hh, 0);
    midImage->MoveResizeWindow(10 + third, AtLeast0(nh - 31) / 2, 39, 31, 0);
    midLabel->MoveResizeWindow(10 + third + 43, top, AtLeast0(third - 43), hh, 0);
    rightLabel->MoveResizeWindow(10 + 2 * third, top, room - 2 * third, hh, 0);
    rightImage->MoveResizeWindow(nw - 93, AtLeast0(nh - 31) / 2, 39, 31, 0);
    powerImage->MoveResizeWindow(nw - 50, AtLeast0(nh - 22) / 2, 40, 22, 0);
    return 0;
}

int GL_NavigateStatus2::SetLeftText(char const* t) { return leftLabel->SetText(t); }
int GL_NavigateStatus2::SetMidText(char const* t) { return midLabel->SetText(t); }
int GL_NavigateStatus2::SetRightText(char const* t) { return rightLabel->SetText(t); }
int GL_NavigateStatus2::SetLeftAlign(int a) { return leftLabel->SetAlign(static_cast<unsigned char>(a)); }
int GL_NavigateStatus2::SetMidAlign(int a) { return midLabel->SetAlign(static_cast<unsigned char>(a)); }
int GL_NavigateStatus2::SetRightAlign(int a) { return rightLabel->SetAlign(static_cast<unsigned char>(a)); }
int GL_NavigateStatus2::SetMidImage(char* file) { return midImage->SetImageFile(file, 0); }
int GL_NavigateStatus2::SetRightImage(char* file) { return rightImage->SetImageFile(file, 0); }
int GL_NavigateStatus2::SetRightImageVisible(unsigned char visible) { return ShowOrHide(rightImage, visible); }

int GL_NavigateStatus2::SetRightImagePower(int level) {
    if (level < 0) level = getPowerState();
    if (level < 0 || level > 6) return -1;
    char path[32];
    snprintf(path, sizeof path, "/Kora/res/power%02d.jpg", level);
    return powerImage->SetImageFile(path, 0);
}

int GL_NavigateStatus2::UpdateNavigateStatus() {
    UpdateWindow(nullptr);
    for (GL_Window* part :
         {static_cast<GL_Window*>(leftLabel), static_cast<GL_Window*>(midLabel), static_cast<GL_Window*>(rightLabel),
          static_cast<GL_Window*>(midImage), static_cast<GL_Window*>(rightImage), static_cast<GL_Window*>(powerImage)})
        part->UpdateWindow(nullptr);
    return 0;
}

void GL_NavigateStatus2::SetColors(unsigned long fore, unsigned long back) {
    SetBackColor(back);
    SetForeColor(fore);
    for (GL_Label* label : {leftLabel, midLabel, rightLabel}) {
        label->SetBackColor(back);
        label->SetForeColor(fore);
    }
    for (GL_Image* image : {midImage, rightImage, powerImage})
        image->SetBackColor(back);
}

void GL_NavigateStatus2::SetTextFont(GL_Font* f) {
    for (GL_Label* label : {leftLabel, midLabel, rightLabel})
        label->SetFont(f);
}

// ---- GL_NavigateWindow2 ------------------------------------------------------------------

namespace {
int const kWindow2Fonts[4] = {30, 26, 22, 24};
} // namespace

GL_NavigateWindow2::GL_NavigateWindow2(GL_Window* parent, char const* newTitle, int newPerPage)
    : GL_NavigateWindow(parent, newTitle, newPerPage, kWindow2Fonts, false), status2(nullptr) {
    status2 = new GL_NavigateStatus2(this);
    // Like the title bar: white on black.
    status2->SetColors(iWhiteS, iBlackS);
    status2->SetTextFont(fonts[3]);
    WindowSizeChange(w, h);
}

GL_NavigateWindow2::~GL_NavigateWindow2() = default; // the status line is a child

const char* GL_NavigateWindow2::GetClassName() { return "GL_NavigateWindow2"; }

int GL_NavigateWindow2::WindowSizeChange(int nw, int nh) {
    GL_NavigateWindow::WindowSizeChange(nw, nh);
    if (status2) status2->MoveResizeWindow(0, AtLeast0(nh) - 50, AtLeast0(nw), 50, 0);
    return 0;
}

int GL_NavigateWindow2::SetLeftText(char const* t) { return status2->SetLeftText(t); }
int GL_NavigateWindow2::SetMidImage(char* file) { return status2->SetMidImage(file); }
int GL_NavigateWindow2::SetRightImage(char* file) { return status2->SetRightImage(file); }
int GL_NavigateWindow2::SetRightImagePower(int level) { return status2->SetRightImagePower(level); }
int GL_NavigateWindow2::SetRightImageVisible(unsigned char visible) { return status2->SetRightImageVisible(visible); }

// ---- Battery level -----------------------------------------------------------------------

int savePowerState(int level) {
    if (level < 0 || level > 6) return 0;
    FILE* f = fopen(eink::Path("/home/power.txt").c_str(), "w+");
    if (!f) return 0;
    fprintf(f, "%d\n", level);
    fclose(f);
    return 1;
}

int getPowerState() {
    // The file is written by the user's system: only a regular file is read
    // (a pipe would block), and only its first 1024 bytes.
    int fd = open(eink::Path("/home/power.txt").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    char buf[1024];
    ssize_t n = -1;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) n = read(fd, buf, sizeof buf);
    close(fd);
    if (n < 1 || buf[0] < '0' || buf[0] > '6') return -1;
    // One digit is the whole first line: anything longer is not this file.
    if (n == 1 || buf[1] == '\n' || (buf[1] == '\r' && n > 2 && buf[2] == '\n')) return buf[0] - '0';
    return -1;
}
