#pragma once
// Commands reached as a user reaches them: through the menu bar a frame shows, or a button of one
// of the frame's own toolbars, after the update pass the program runs before a user sees them.
// Choosing or pressing fails the test, naming the command and the reason, when the item is
// missing, hidden, greyed or (a button) has no picture; otherwise it clicks the Qt object, so the
// program's own routing carries the command, and lets the command run before returning.

#include <QImage>
#include <string>

#include "platform/win/frame.h"

namespace testing_support {

// What a user sees of one command's item.
struct CommandState {
    bool present = false;  // the frame has an item of the command
    bool visible = false;  // shown with a size: in the menu bar, or on a shown toolbar
    bool enabled = false;
    bool checked = false;
    bool picture = false;  // a toolbar button's picture is there and not blank
    std::string where;     // "Graph > Pan graph", "toolbar 168, button 4"
    std::string problem;   // why a user cannot use it; empty when they can

    bool Usable() const { return problem.empty(); }
};

// The menu item of `id` in the menu bar of `frame` (a child frame uses its main window's), with
// the menus opened as a user opens them, so that their update handlers have run.
CommandState MenuCommandState(CFrameWnd& frame, UINT id);
// The button of `id` on the frame's own toolbars, after the frame's idle pass. A button on a
// toolbar the level hides counts as hidden.
CommandState ToolbarButtonState(CFrameWnd& frame, UINT id);

// Opens the menus down to the item and triggers it; false (with a test failure) when it cannot.
bool ChooseMenuCommand(CFrameWnd& frame, UINT id);
// Clicks the toolbar button; false (with a test failure) when it cannot.
bool PressToolbarButton(CFrameWnd& frame, UINT id);
// Clicks the arrow of a drop-down button, whose owner then shows its pop-up menu (a test scripts
// the choice with ModalScript::ExpectMenu); false (with a test failure) when it cannot.
bool PressDropDownArrow(CFrameWnd& frame, UINT id);
// Clicks the button with a mouse press and release as a user's, through whatever has the mouse
// (an open pop-up takes the click); false (with a test failure) when it cannot be used.
bool ClickToolbarButton(CFrameWnd& frame, UINT id);
// The button when one of the frame's toolbars has the command, else the menu item.
bool UseCommand(CFrameWnd& frame, UINT id);

// Whether a toolbar picture shows something: enough opaque pixels of more than one colour.
bool IsPictureShown(const QImage& picture);

}  // namespace testing_support
