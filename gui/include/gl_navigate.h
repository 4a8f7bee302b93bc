// Paged list screens of a reading device: GL_NavigateWindow (title bar with
// battery and sound pictures, a column of framed items, a status line with a
// page indicator) and GL_NavigateWindow2 (the same with a GL_NavigateStatus2
// as its status line), their items GL_NavigateItem (an icon and text
// columns), the stand-alone status lines GL_NavigateStatus and
// GL_NavigateStatus2, and the battery-level file that the indicator pictures
// follow.
#pragma once

#include "gl_imagewidget.h"
#include "gl_label.h"

class GL_Font;

// One framed item: an icon followed by `columns` text columns.
class GL_NavigateItem : public GL_Label {
public:
    // parent, columns, x, y, w, h, style.
    GL_NavigateItem(GL_Window* parent, int columns, int x, int y, int w, int h, int style);
    // parent, columns, image file, up to four column texts (null for none), x, y, w, h, style.
    GL_NavigateItem(GL_Window* parent, int columns, char const* image, char const* text0, char const* text1,
                    char const* text2, char const* text3, int x, int y, int w, int h, int style);
    ~GL_NavigateItem() override;
    const char* GetClassName() override; // "GL_NavigateItem"
    int Draw(_GS_Region* region) override;
    int WindowSizeChange(int w, int h) override;

    // Columns outside 0..columns-1 are ignored (-1).
    int SetItemText(int column, char const* text);
    char* GetItemText(int column);
    GL_Label* GetItemTextObject(int column);
    // Fixes the column's width (negative gives 0).
    int SetItemWidth(int column, int width);
    int SetItemAlign(int column, int align);
    int SetItemFont(int column, GL_Font* font);
    int SetItemMargin(int x, int y);
    int SetImageWidth(int width);
    int SetItemImage(char* file);
    char* GetItemImage() { return imageFile; }
    GL_Image* GetItemImageObject() { return image; }
    int GetColumns() { return columns; }

    // Places the image and the columns (done on resize and before a draw
    // after a change of widths or margins).
    void Layout();

    // Fields after those of GL_Label, in this order.
    int columns;
    GL_Image* image;
    GL_Label** columnLabels;
    char** columnTexts;
    int* columnWidths;
    int* columnAligns;
    unsigned char* fixedWidth;
    int imageWidth;
    int marginX;
    int marginY;
    unsigned char itemRelayout;
    char* imageFile; // owned copy of the last image file given

private:
    void InitItem(int columns, char const* image, char const* const* texts);
};

class GL_NavigateWindow : public GL_Label {
public:
    // parent, title, items per page (at least 5).
    GL_NavigateWindow(GL_Window* parent, char const* title, int perPage);
    ~GL_NavigateWindow() override;
    const char* GetClassName() override; // "GL_NavigateWindow"
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
              unsigned char released) override;
    int ScreenSizeChange(int width, int height, _ROATE_MODE mode) override;
    int WindowSizeChange(int w, int h) override;

    int AppendItem(GL_NavigateItem* item);
    int DisplayPage(int page);
    int SetCurrItemNum(int index);
    int GetCurrItemNum() { return currentItem; }
    int SetBorderFocus(unsigned char on);
    int GetItemCount() { return itemCount; }
    int GetPageCount() { return pageCount; }
    int GetCurrentPage() { return currentPage; }
    int GetPerPage() { return perPage; }
    GL_NavigateItem* GetItem(int index) { return index >= 0 && index < itemCount ? items[index] : nullptr; }

    // Fields after those of GL_Label, in this order.
    char* title;
    GL_Label* titleLabel;
    GL_Image* batteryImage;
    GL_Image* soundImage;
    GL_Label* statusLabel;
    GL_NavigateItem** items;
    int itemCapacity;
    int itemCount;
    int perPage;
    int pageCount;
    int currentPage;
    int currentItem;
    int marginX;
    int topGap;
    int itemSpacing;
    int itemHeight;
    unsigned char borderFocus;
    GL_Font* fonts[4];
    // The status bar's left, middle and right labels.
    GL_Label* statusLeft;
    GL_Label* statusMid;
    GL_Label* statusRight;

protected:
    // For GL_NavigateWindow2: the four font sizes, and whether the window
    // builds its own status bar (null statusLabel and status labels when not).
    GL_NavigateWindow(GL_Window* parent, char const* title, int perPage, int const fontSizes[4], bool statusBar);

private:
    void InitWindow(char const* title, int perPage, int const fontSizes[4], bool statusBar);
    void PlaceItem(int index);
    void Refocus(int from, int to); // recolours the two frames
    // Moves the focus to index, turning to its page when needed; 1 when it moved.
    int MoveFocus(int index);
};

// Redraws the window's status bar and its three labels (the status line of a
// GL_NavigateWindow2).
int UpdateNavigateWindowStatus(GL_NavigateWindow* window);

// A status line: left, middle and right texts and an image on the right.
class GL_NavigateStatus : public GL_Label {
public:
    GL_NavigateStatus(GL_Window* parent);
    ~GL_NavigateStatus() override;
    const char* GetClassName() override; // "GL_NavigateStatus"
    int WindowSizeChange(int w, int h) override;

    int SetLeftText(char const* text);
    int SetMidText(char const* text);
    int SetRightText(char const* text);
    int SetLeftAlign(int align);
    int SetMidAlign(int align);
    int SetRightAlign(int align);
    int SetRightImage(char* file);
    int SetRightImageVisible(unsigned char visible);
    int UpdateNavigateStatus();

    // Fields after those of GL_Label, in this order.
    GL_Label* leftLabel;
    GL_Label* midLabel;
    GL_Label* rightLabel;
    GL_Image* rightImage;
    GL_Font* statusFont;
};

// A status line with, besides the texts, an image before the middle text and
// a battery picture at the right end.
class GL_NavigateStatus2 : public GL_Label {
public:
    GL_NavigateStatus2(GL_Window* parent);
    ~GL_NavigateStatus2() override;
    const char* GetClassName() override; // "GL_NavigateStatus2"
    int WindowSizeChange(int w, int h) override;

    int SetLeftText(char const* text);
    int SetMidText(char const* text);
    int SetRightText(char const* text);
    int SetLeftAlign(int align);
    int SetMidAlign(int align);
    int SetRightAlign(int align);
    int SetMidImage(char* file);
    int SetRightImage(char* file);
    // The battery picture of a level 0..6; a negative level reads the level
    // from the battery file. -1 (nothing changed) when no level 0..6 results.
    int SetRightImagePower(int level);
    int SetRightImageVisible(unsigned char visible);
    int UpdateNavigateStatus();
    // Text and background colours of the line and all its parts.
    void SetColors(unsigned long fore, unsigned long back);
    void SetTextFont(GL_Font* font);

    // Fields after those of GL_Label, in this order.
    GL_Label* leftLabel;
    GL_Label* midLabel;
    GL_Label* rightLabel;
    GL_Image* rightImage;
    GL_Font* statusFont;
    GL_Image* midImage;
    GL_Image* powerImage;
};

// GL_NavigateWindow with a GL_NavigateStatus2 as its status line (fonts 30,
// 26, 22 and 24); paging, items and keys as in GL_NavigateWindow.
class GL_NavigateWindow2 : public GL_NavigateWindow {
public:
    GL_NavigateWindow2(GL_Window* parent, char const* title, int perPage);
    ~GL_NavigateWindow2() override;
    const char* GetClassName() override; // "GL_NavigateWindow2"
    int WindowSizeChange(int w, int h) override;

    // Forwarded to the status line.
    int SetLeftText(char const* text);
    int SetMidImage(char* file);
    int SetRightImage(char* file);
    int SetRightImagePower(int level);
    int SetRightImageVisible(unsigned char visible);
    GL_NavigateStatus2* GetStatus() { return status2; }

    // Field after those of GL_NavigateWindow.
    GL_NavigateStatus2* status2;
};

// The battery level (0..6) kept in "/home/power.txt" for the indicator.
// 1 when written; 0 for a level outside 0..6 or a file that cannot be opened.
int savePowerState(int level);
// The level, or -1 for a missing file or one whose first line does not
// start with a digit 0..6.
int getPowerState();
