#pragma once
// Dialog templates: C++ tables of a dialog and its controls, positions and sizes in dialog units,
// written in RES/ as the resource script would write them.

#include <vector>

#include "platform/base/geometry.h"
#include "platform/msg/messages.h"
#include "platform/ui/styles.h"

struct DialogItem {
    UINT id;
    const char*
        className;  // "Button", "Static", "Edit", "ComboBox", "ListBox" or a registered class
    const char* text;
    short x, y, cx, cy;
    DWORD style;  // control styles; WS_VISIBLE is added unless the item says hidden
    bool hidden = false;
    bool disabled = false;
};

struct DialogTemplate {
    UINT id;
    const char* caption;
    short x, y, cx, cy;
    DWORD style;
    const char* font = "Tahoma";
    int pointSize = 8;
    std::vector<DialogItem> items;
};

// Dialog units follow the dialog font as Windows computes them: a horizontal unit is a quarter of
// the font's average character width (over the alphabet), a vertical unit an eighth of its
// height. A template laid out for one font so keeps its texts fitting in another.
namespace platform {
struct DialogBaseUnits {
    int cx;  // pixels per 4 horizontal units
    int cy;  // pixels per 8 vertical units
};
DialogBaseUnits GetDialogBaseUnits();
int DluToPixelX(int dlu);
int DluToPixelY(int dlu);
// A rectangle in dialog units, in pixels: its edges map, as MapDialogRect maps them.
CRect DluToPixels(int x, int y, int cx, int cy);
// Pixels of a layout the program makes in pixels for the templates' own font (6 by 13 base
// units), in the dialog font as it is: the same at that font, larger at a larger one.
int FontPixelsX(int px);
int FontPixelsY(int px);
}  // namespace platform

// Item builders in the resource script's words.
namespace dlg {

inline DialogItem PushButton(const char* text, UINT id, short x, short y, short cx, short cy,
                             DWORD style = 0) {
    return {id, "Button", text, x, y, cx, cy, BS_PUSHBUTTON | WS_TABSTOP | style};
}
inline DialogItem DefPushButton(const char* text, UINT id, short x, short y, short cx, short cy,
                                DWORD style = 0) {
    return {id, "Button", text, x, y, cx, cy, BS_DEFPUSHBUTTON | WS_TABSTOP | style};
}
inline DialogItem CheckBox(const char* text, UINT id, short x, short y, short cx, short cy,
                           DWORD style = 0) {
    return {id, "Button", text, x, y, cx, cy, BS_AUTOCHECKBOX | WS_TABSTOP | style};
}
inline DialogItem RadioButton(const char* text, UINT id, short x, short y, short cx, short cy,
                              DWORD style = 0) {
    return {id, "Button", text, x, y, cx, cy, BS_AUTORADIOBUTTON | style};
}
inline DialogItem GroupBox(const char* text, UINT id, short x, short y, short cx, short cy,
                           DWORD style = 0) {
    return {id, "Button", text, x, y, cx, cy, BS_GROUPBOX | style};
}
inline DialogItem LText(const char* text, UINT id, short x, short y, short cx, short cy,
                        DWORD style = 0) {
    return {id, "Static", text, x, y, cx, cy, SS_LEFT | style};
}
inline DialogItem CText(const char* text, UINT id, short x, short y, short cx, short cy,
                        DWORD style = 0) {
    return {id, "Static", text, x, y, cx, cy, SS_CENTER | style};
}
inline DialogItem RText(const char* text, UINT id, short x, short y, short cx, short cy,
                        DWORD style = 0) {
    return {id, "Static", text, x, y, cx, cy, SS_RIGHT | style};
}
inline DialogItem EditText(UINT id, short x, short y, short cx, short cy,
                           DWORD style = ES_AUTOHSCROLL) {
    return {id, "Edit", "", x, y, cx, cy, WS_BORDER | WS_TABSTOP | style};
}
inline DialogItem ComboBox(UINT id, short x, short y, short cx, short cy,
                           DWORD style = CBS_DROPDOWNLIST) {
    return {id, "ComboBox", "", x, y, cx, cy, WS_TABSTOP | style};
}
inline DialogItem ListBox(UINT id, short x, short y, short cx, short cy, DWORD style = LBS_NOTIFY) {
    return {id, "ListBox", "", x, y, cx, cy, WS_BORDER | WS_TABSTOP | WS_VSCROLL | style};
}
inline DialogItem Control(const char* text, UINT id, const char* className, DWORD style, short x,
                          short y, short cx, short cy) {
    return {id, className, text, x, y, cx, cy, style};
}
inline DialogItem Hidden(DialogItem item) {
    item.hidden = true;
    return item;
}
inline DialogItem Disabled(DialogItem item) {
    item.disabled = true;
    return item;
}

}  // namespace dlg
