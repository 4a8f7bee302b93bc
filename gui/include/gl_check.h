// GL_Check (a check box with a caption), GL_Radio (a radio button) and
// GL_Group, the framed container whose radios check one at a time.
#pragma once

#include "gl_window.h"

class GL_Group;

class GL_Check : public GL_Window {
public:
    // A copy of the caption is kept; the short form is 70 x 25 at (0, 0).
    GL_Check(GL_Window* parent, char const* name, char const* text, int style);
    // Background iGreyS.
    GL_Check(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_Check"
    ~GL_Check() override;
    int MouseDown(int x, int y, unsigned char button) override;
    // A click toggles the check and sends "Clicked!" with its address.
    int MouseUp(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;

    // -1 when unchanged (zero / nonzero); else stored, redrawn, "Checked!"
    // with the address of the state byte.
    int SetChecked(unsigned char on);
    unsigned char GetChecked() { return checked; }
    // Colour of the check mark; -1 when unchanged, else redrawn, 0.
    int SetCheckColor(unsigned long pixel);
    // A copy is kept (none for an empty text); redraws, returns 0.
    int SetText(char const* text);
    char* GetText() { return text; }

    unsigned char pressed;
    unsigned char checked;
    unsigned int checkColor;
    char* text; // owned, null for an empty text
};

class GL_Radio : public GL_Window {
public:
    // A radio created as a child of a GL_Group joins that group.
    GL_Radio(GL_Window* parent, char const* name, char const* text, int style);
    GL_Radio(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_Radio"
    ~GL_Radio() override;
    int MouseDown(int x, int y, unsigned char button) override;
    // A click checks a grouped radio through its group (an ungrouped one
    // toggles), then sends "Clicked!" with the address of the check.
    int MouseUp(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;

    // As GL_Check: -1 when unchanged, else stored, redrawn, "Checked!" with
    // the address of the state byte. Use GL_Group::ChooseRadio to keep a
    // group to one checked radio.
    int SetChecked(unsigned char on);
    unsigned char GetChecked() { return checked; }
    // As GL_Check.
    int SetCheckColor(unsigned long pixel);
    int SetText(char const* text);
    char* GetText() { return text; }

    unsigned char pressed;
    unsigned char checked;
    unsigned int checkColor;
    char* text;
    unsigned char grouped;
    GL_Group* group; // the group whose chain holds this radio, or null

private:
    void JoinGroup();
};

class GL_Group : public GL_Window {
public:
    // An etched frame with a title; radios created as its children join it.
    GL_Group(GL_Window* parent, char const* name, char const* title, int style);
    GL_Group(GL_Window* parent, char const* name, char const* title, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_Group"
    ~GL_Group() override;
    int Draw(_GS_Region* region) override;

    // The chain of radios: AddRadio puts one at the front, -1 for none;
    // RemoveRadio -1 when absent. ChooseRadio checks the chosen one and
    // unchecks every other.
    int AddRadio(GL_Window* radio);
    int RemoveRadio(GL_Window* radio);
    int ChooseRadio(GL_Window* radio);
    // 1 centres the title, 2 is kept, anything else left; redraws, 0.
    int SetAlign(unsigned char align);
    unsigned char GetAlign() { return align; }
    // A copy of the title is kept (none for an empty one); redraws, 0.
    int SetText(char const* title);
    char* GetText() { return text; }

    char* text; // owned title, null when empty
    unsigned char align;
    ZPSList radios; // front = last added
};
