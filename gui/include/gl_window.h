// GL_Window: the client-side mirror of one server window. Every GL_Window
// creates its server window (hidden) at construction under an identifier the
// client picks, keeps geometry, colours, background and visibility here, and
// receives the server's events through the virtual operations below, which
// the event loop calls after finding the window by its identifier in the
// widget hash. All widgets derive from it.
//
// Virtual operations continue the slot order of GL_Object (binary contract).
#pragma once

#include "gl_object.h"
#include "gl_types.h"
#include "zlist.h"

class GL_ImageListItem;
class GL_Font;

// windowFlags bits.
enum {
    GL_WIN_SHOWN = 1,       // ShowWindow asked for it; cleared by HideWindow
    GL_WIN_VIEWABLE = 2,    // shown and every ancestor shown: drawing happens only then
    GL_WIN_HELD_HIDDEN = 4, // does not follow the parent's ShowWindow
    GL_WIN_REDRAW = 8,      // SetRedraw
    GL_WIN_GROUP = 16,      // set by GL_Group
    GL_WIN_DIALOG = 32,     // set by GL_Dialog: only dialogs can be transient
    GL_WIN_ENABLED = 64,    // EnableWindow / DisableWindow
    GL_WIN_TOP = 128,       // the main window, or SetTopWindowFlag(1)
};
// windowFlags2 bits.
enum { GL_WIN2_RGBA_BACK = 1 };

class GL_Window : public GL_Object {
public:
    // Position (0, 0), size 70 x 25, background iGreyS, style 0.
    GL_Window(GL_Window* parent, char const* name, int style);
    GL_Window(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long backColor, int style);

    // GL_Object slots.
    const char* GetClassName() override; // "GL_Window"
    // Sends "Delete3!", destroys the server window, leaves the widget hash;
    // then the GL_Object part deletes the children.
    ~GL_Window() override;
    int IsWindow() override; // 1

    // Slots 8 - 33: the event loop calls the pointer, key, focus, Draw, size,
    // charset and user-message operations; subclasses override what they need
    // and usually call the GL_Window version too.
    //
    // Pointer events carry window-relative coordinates. While enabled: sends
    // "MouseDown!" and starts a possible drag (-1 when disabled).
    virtual int MouseDown(int x, int y, unsigned char button);
    // While enabled: sends "MouseUp!"; a movable window (SetCanMoved) that was
    // dragged moves to the release point (0), -1 when it did not move.
    virtual int MouseUp(int x, int y, unsigned char button);
    // Draws the outline of a movable window being dragged; otherwise 0.
    virtual int MouseMove(int x, int y, unsigned char button);
    // "MouseIn!" / "MouseOut!" while enabled, as the pointer enters / leaves.
    virtual int MouseIn(int x, int y, unsigned char button);
    virtual int MouseOut(int x, int y, unsigned char button);
    // A key for this window: text (may be null), its length, key code, second
    // code, modifier word, released byte (1 on release). Returns 0 when text
    // is present and not empty, else -1.
    virtual int KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
                      unsigned char released);
    // Draw(0) now when viewable; the rectangle is ignored. Returns 0.
    virtual int UpdateWindow(_GS_Rect* rect);
    // Set / clear the enabled state (disabled widgets draw grey and ignore the
    // pointer); redraws when it changes, -1 when unchanged.
    virtual int EnableWindow();
    virtual int DisableWindow();
    // Window-relative point inside 0 <= x < w, 0 <= y < h; with needViewable
    // a window that is not viewable contains nothing.
    virtual int IsPointInWindow(int x, int y, unsigned char needViewable);
    // Does nothing; returns 0.
    virtual int SetImageData(char* data, int length);
    // Loads the first (second = 0) or second widget image from a file or a
    // built-in image path; the window owns it and redraws. -1 for an empty
    // name or an image that cannot be read (the previous one stays).
    virtual int SetImageFile(char* file, unsigned char second);
    // Do nothing here (0); for subclasses.
    virtual int ActiveWindow(GL_Window* from, unsigned char flag);
    virtual int DeactiveWindow(GL_Window* to);
    // The server moved the input focus to / away from this window; nothing here.
    virtual int GetFocus();
    virtual int LostFocus();
    // Returns 0; for subclasses that compute a preferred size.
    virtual int CalcSize(int* w, int* h);
    // Fills the pixmap (w x h) with the background colour, or puts the
    // background image centred on it; nothing for pixmap 0.
    virtual int DrawBackground(unsigned long pixmap);
    // Paints the window: background and border into an off-screen pixmap,
    // copied to the window in one request. Subclasses draw their own content
    // the same way (BeginPixmap, DrawBackground, ..., EndPixmap). The region
    // is always null.
    virtual int Draw(_GS_Region* region);
    // The screen size or rotation changed (new width, height, rotation); nothing here.
    virtual int ScreenSizeChange(int width, int height, _ROATE_MODE mode);
    // Called after every size change made through MoveResizeWindow or
    // ResizeWindow, with the new size; subclasses lay out their children here.
    virtual int WindowSizeChange(int w, int h);
    // Nothing here; for subclasses.
    virtual int DefaultFontChange(int a, int b);
    // The server's character-set mode changed; nothing here.
    virtual int CharsetChange(int mode);
    // A user message from another program (main window only): sender's name,
    // its two words, message type, data (valid during the call) and length.
    virtual int GotUserMessage(char const* sender, unsigned long word1, unsigned long word2, unsigned long type,
                               char* data, unsigned long length);
    // Called after every size change, beside WindowSizeChange; nothing here.
    virtual int ResizeWindowNotify();
    // Nothing here; for pop-up windows of subclasses.
    virtual int ResetPopWindow(void* arg);

    // Creates the server window (hidden) and sets every field; the
    // constructors call it. A window without a parent becomes a top-level
    // window (the first one is the main window, __pMainW); a window added to a
    // parent that is already on screen stays hidden until its own ShowWindow.
    void Init(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long backColor, int style);

    // Visibility. byParent is 0 for an explicit call: ShowWindow(0) clears
    // heldHidden, HideWindow(0) sets it. ShowWindow maps the window and every
    // child not hidden on purpose, when all ancestors are shown (-1 when it is
    // already viewable or an ancestor is hidden: it then shows with them).
    int ShowWindow(unsigned char byParent = 0);
    // Unmaps the window and its shown children; returns 0.
    int HideWindow(unsigned char byParent = 0);
    // Moves the window to the top / bottom of its siblings (the server raises
    // it; lowering changes only the client's order).
    int RaiseWindow();
    int LowerWindow();

    // Geometry. MoveWindow moves by a delta (the request is sent only with
    // send); returns 1.
    int MoveWindow(int dx, int dy, unsigned char flag, unsigned char send);
    // Moves only the client's idea of the screen position (absX, absY).
    int MoveWindowInternal(int dx, int dy);
    // New position (relative to the parent) and size; a size change calls
    // ResizeWindowNotify and WindowSizeChange. flag 0 lets the server expose
    // what changed. Returns 1.
    int MoveResizeWindow(int x, int y, int w, int h, unsigned char flag);
    // New size (-1 when unchanged); calls WindowSizeChange and ResizeWindowNotify.
    int ResizeWindow(int w, int h);

    // Colours and background. Setters redraw a viewable window and return -1
    // when nothing changes. SetBackColor also drops a background image and
    // tells the server the colour for exposed areas.
    int SetForeColor(unsigned long pixel);
    int SetBackColor(unsigned long pixel);
    // Background from a colour record (its grey is the pixel); always redraws.
    int SetBackColorByRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a);
    unsigned long GetForeColor() { return foreColor; }
    unsigned long GetBackColor() { return backColor; }
    // Widgets with two images show the second one while set.
    int SwitchToSecondImage(unsigned char second);
    // Background image (owned, centred; -1 for an empty name; an unreadable
    // file keeps the previous image and returns 0).
    int SetBackImageFile(char* file);
    // Shapes the window by the image's mask (transparent parts are outside);
    // -1 for an empty name or an unreadable image (no shape then).
    int SetShapeImageFile(char* file);
    // Do nothing; return 0.
    int SetShapeImageData(char* data, int length);
    int SetBackImageData(char* data, int length);
    // 0 none, 1 raised, 2 sunken; values above 4 are refused.
    int SetBorderType(unsigned char type);
    // Non-zero: the border box leaves out sides (bits 0 top, 1 bottom, 2 left, 3 right).
    int SetBorderEdgeState(unsigned char edge);
    // Font of the window's text (null: the default font). Not owned: the font
    // must outlive the window. No redraw.
    int SetFont(GL_Font* f);
    GL_Font* GetFont() { return font; }

    // Redraw flag for widgets that honour it (-1 when unchanged); setting it
    // redraws a viewable window.
    int SetRedraw(unsigned char on);
    // Client-side lock flag; UpdateUnLock clears it and redraws. No request is sent.
    int UpdateLock();
    int UpdateUnLock();
    int GetUpdateLockState() { return updateLocked; }
    // Only a window without parent window can be made movable.
    int SetCanMoved(unsigned char on);
    // Marks the window as a top window on both sides (the main window is one).
    int SetTopWindowFlag(unsigned char on);
    // Makes this dialog transient for owner (a top window).
    int SetTransientFlag(GL_Window* owner);
    // Records a window-manager property (low byte of property) and the window
    // in pWMList; text is not used.
    int SetWMProperty(int property, char* text);
    // The outermost ancestor window, or this window.
    GL_Window* GetTopWindow();

    // Field access: the server window's identifier, position relative to
    // the parent and size, position on the screen, state bits.
    unsigned long GetWindowId() { return windowId; }
    int GetX() { return x; }
    int GetY() { return y; }
    int GetWidth() { return w; }
    int GetHeight() { return h; }
    int GetAbsX() { return absX; }
    int GetAbsY() { return absY; }
    int IsViewable() { return (windowFlags & GL_WIN_VIEWABLE) != 0; }
    int IsEnabled() { return (windowFlags & GL_WIN_ENABLED) != 0; }
    GL_Window* GetParentWindow() { return parentWindow; }

    // Fields after those of GL_Object, in this order (binary contract).
    GL_Window* parentWindow;
    unsigned char wmProperty;
    unsigned char wmPropertySet;
    unsigned int wmSlots[7];
    unsigned char canMove;
    unsigned char dragging;
    int pressX, pressY;
    int pressWinX, pressWinY;
    int outlineX, outlineY; // screen position of the drag outline, -9999 when none
    unsigned int windowId;
    int x, y, w, h; // relative to the parent window
    int absX, absY; // on the screen
    unsigned int backColor;
    unsigned int foreColor;
    _GL_Color backColorRec;
    _GL_Color foreColorRec;
    unsigned int backgroundMode; // 0 plain colour, 1 background image
    unsigned char windowFlags;
    unsigned char windowFlags2;
    unsigned char shownState;
    GL_Window* transientFor;
    ZPSList transients; // dialogs transient for this top window
    unsigned char borderType;
    unsigned char borderEdge;
    unsigned char secondImage;
    GL_ImageListItem* shapeImage;
    GL_ImageListItem* image1;
    GL_ImageListItem* image2;
    GL_ImageListItem* backImage;
    GL_Font* font;
    unsigned char updateLocked;

private:
    void SendRedraw();   // Draw(0) when viewable
    void EraseOutline(); // XOR the drag outline away when one is drawn
    // Deletes an image unless an image list owns it, and clears the pointer.
    static void DropImage(GL_ImageListItem** item);
};

// 1 when every ancestor window of w is shown (1 without parent window); 0 for null.
int IsAllParentViewable(GL_Window* w);

// The main window: the first GL_Window created without a parent.
extern GL_Window* __pMainW;

// Windows that move along with any window dragged with the pointer (filled by
// client programs), and the pop-up windows kept for client programs.
extern ZPSList* pTopMoveList;
extern ZPSList* pPopWindowList;
// Windows that received a WM property, and their identifiers.
extern ZPSList* pWMList;
extern ZPSList* pWMIdList;

// The widget hash: server window identifier -> GL_Window, 100 buckets with a
// one-entry cache of the last inserted or found entry.
struct GL_WidgetHashItem {
    unsigned long windowId;
    GL_Window* window;
    GL_WidgetHashItem* prev;
    GL_WidgetHashItem* next;
};
extern GL_WidgetHashItem* gpWidgetHashItem[100];
extern unsigned long giCurrWindowId;
extern GL_Window* gpCurrWidget;
extern GL_WidgetHashItem* gpCurrWidgetHashItem;
extern unsigned char bWidgetHashInit;

// 0 when added; -1 for a missing id or window, or when out of memory.
int GL_InsertWidgetHash(unsigned long id, GL_Window* window);
// The window with that identifier, or null (always null for 0).
GL_Window* GL_FindWidgetByWindowId(unsigned long id);
// 0 when removed; -1 for 0 or an identifier not in the table.
int GL_RemoveWidgetHash(unsigned long id);
// Prepares the table once (the functions above call it); returns 0.
int GL_InitWidgetHash();
// Does nothing; returns 0.
int GL_ClearWidgetHash();
