#pragma once
// Shows a CMenu as a Qt menu bar or pop-up. Before a pop-up opens its window runs the update
// handlers of its items; choosing an item sends WM_COMMAND with the item's id to that window.

#include "platform/ui/menu.h"

class CWnd;
class QMenu;
class QMenuBar;

namespace platform {

// Called before a pop-up opens, with the pop-up; the frame runs its items' update handlers.
using MenuUpdater = void (*)(CWnd* target, CMenu* popup);

class MenuView {
public:
    // Rebuilds the bar from the menu.
    static void FillBar(QMenuBar* bar, CMenu* menu, HWND target, MenuUpdater updater);
    // Rebuilds a pop-up from the menu (items, state, sub-menus).
    static void FillPopup(QMenu* qmenu, CMenu* menu, HWND target, MenuUpdater updater);
};

}  // namespace platform

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_VERTICAL = 0x0040;
constexpr UINT TPM_RETURNCMD = 0x0100;

// Tracks the pop-up through the modal host; the chosen command goes to the owner as WM_COMMAND
// (or is returned, with TPM_RETURNCMD).
UINT TrackPopupMenu(CMenu* popup, UINT flags, int x, int y, CWnd* owner);
