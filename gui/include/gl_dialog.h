// Dialogs: small top-level windows that ask the user something and report the
// answer through the one shared record gDialogData.
//
// GL_Dialog is the base: while it exists it is transient for the main window,
// so the event loop ignores pointer and key input meant for other windows; it
// can be dragged with the pointer, and when it is destroyed it sends
// "DialogData!" with the address of gDialogData as first argument. Create
// dialogs without a parent window: input reaches only the windows of the
// most recent dialog's own tree.
//
// GL_Confirm (question icon, message, "OK", "Cancel"), GL_Prompt (icon,
// message, a single-line edit, "OK", "Cancel") and GL_Alert (icon, message,
// "OK") delete themselves from inside the "Clicked!" of their buttons: "OK"
// sets result 1, "Cancel" 2 (GL_Alert leaves the result alone), GL_Prompt
// also copies its edit's text. Read the record in the "DialogData!" handler:
// the next dialog created clears it.
//
// GL_MsgBox is a framed three-line message panel (title, message, hint) that
// deletes itself on the release of a key outside the reserved ones, and can
// switch the display refresh mode while it is open.
#pragma once

#include "gl_button.h"
#include "gl_imagewidget.h"
#include "gl_label.h"
#include "gl_sedit.h"
#include "gl_window.h"

// The result record shared by all dialogs.
struct GL_DialogData {
    int result;            // 0 none, 1 "OK", 2 "Cancel"
    unsigned int reserved; // cleared when a dialog is created
    char text[1024];       // a GL_Prompt's edit text when it closed, zero-terminated
    unsigned int reserved2;
};
extern GL_DialogData gDialogData;

// Copies src (null counts as empty) into dst of `size` bytes, cut before a
// character that does not fit whole (a byte from 0x80 up starts a two-byte
// character of the device encoding) and always zero-terminated. Returns the
// number of bytes copied.
int GL_CopyTextCut(char* dst, int size, char const* src);

class GL_Dialog : public GL_Window {
public:
    // (parent, name, style): 70 x 25 at (0, 0); or (parent, name, x, y, w, h,
    // style). Background iGreyS. Kind 0.
    GL_Dialog(GL_Window* parent, char const* name, int style);
    GL_Dialog(GL_Window* parent, char const* name, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_Dialog"
    // Hides the window, then "DialogData!" with &gDialogData.
    ~GL_Dialog() override;
    // A press always starts a drag (no event, whatever the state); 0.
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    // 0; the dialog follows the pointer only at the release.
    int MouseMove(int x, int y, unsigned char button) override;

    // Clears the result record (result, both reserved words, the text), makes
    // the dialog transient for the main window and movable.
    void Init();

    // Field after those of GL_Window (binary contract).
    int kind; // 0 plain dialog, 1 ready-made
};

class GL_Confirm : public GL_Dialog {
public:
    GL_Confirm(GL_Window* parent, char const* name, char const* message, int style);
    GL_Confirm(GL_Window* parent, char const* name, char const* message, int x, int y, int w, int h, int style);
    ~GL_Confirm() override;
    const char* GetClassName() override; // "GL_Confirm"
    // "OK" sets result 1, "Cancel" 2, then the dialog deletes itself. -1 for
    // an absent or empty event name.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    // Moves and resizes the existing children for the new size.
    int WindowSizeChange(int w, int h) override;

    char* message; // owned copy
    GL_Image* icon;
    GL_Label* label;
    GL_Button* okButton;
    GL_Button* cancelButton;
};

class GL_Prompt : public GL_Dialog {
public:
    GL_Prompt(GL_Window* parent, char const* name, char const* message, char const* text, int style);
    GL_Prompt(GL_Window* parent, char const* name, char const* message, char const* text, int x, int y, int w, int h,
              int style);
    ~GL_Prompt() override;
    const char* GetClassName() override; // "GL_Prompt"
    // Keys reach the dialog's own window (the topmost top-level window):
    // they go on to the edit.
    int KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
              unsigned char released) override;
    // As GL_Confirm's; either button also copies the edit's text into the
    // record (at most 1023 bytes, cut at a character boundary).
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int WindowSizeChange(int w, int h) override;

    char* message;     // owned copy
    char* initialText; // owned copy
    GL_Image* icon;
    GL_Label* label;
    GL_SEdit* edit;
    GL_Button* okButton;
    GL_Button* cancelButton;
};

class GL_Alert : public GL_Dialog {
public:
    GL_Alert(GL_Window* parent, char const* name, char const* message, int style);
    GL_Alert(GL_Window* parent, char const* name, char const* message, int x, int y, int w, int h, int style);
    ~GL_Alert() override;
    const char* GetClassName() override; // "GL_Alert"
    // "OK" deletes the dialog and leaves the result as it is.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int WindowSizeChange(int w, int h) override;

    char* message; // owned copy
    GL_Image* icon;
    GL_Label* label;
    GL_Button* okButton;
};

class GL_MsgBox : public GL_Label {
public:
    // Empty texts show the defaults (GB2312): title "提示", message
    // "请插入SD卡！", hint "按OK键关闭此窗口". openMode 1-3 is sent as
    // SwitchDisplayMode at construction, closeMode 1-3 as SetOnceRefreshMode
    // at destruction. The box is a framed white label; children are laid out
    // for the display's width and a height of 150.
    GL_MsgBox(GL_Window* parent, char const* title, char const* message, char const* hint, unsigned char openMode,
              unsigned char closeMode);
    ~GL_MsgBox() override;
    // The release of a key other than 28, 33-39, 102, 103, 106, 107, 115,
    // 116, 122, 123 deletes the box. Always 0.
    int KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
              unsigned char released) override;
    int WindowSizeChange(int w, int h) override;

    // Fields after those of GL_Label (binary contract).
    GL_Label* titleLabel;
    GL_Label* messageLabel;
    GL_Label* hintLabel;
    char titleText[256];
    char messageText[256];
    char hintText[256];
    unsigned char openMode;
    unsigned char closeMode;
    GL_Font* sharedFont; // the three labels' font, owned
};
