#pragma once
// CMenu: a menu as Windows keeps it (items with ids, texts and state flags, pop-ups by position),
// which frames show through Qt menus that they rebuild when it changes.

#include <memory>
#include <vector>

#include "platform/base/cstring.h"

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_DEFAULT = 0x1000;
constexpr UINT MF_RADIOCHECK = 0x0200;
constexpr UINT kMenuError = 0xFFFFFFFF;

// A menu resource: nested items as the resource script writes them.
struct MenuTemplateItem {
    const char* text;  // nullptr for a separator
    UINT id = 0;       // 0 for a pop-up
    std::vector<MenuTemplateItem> popup = {};
    UINT flags = 0;
};
struct MenuTemplate {
    UINT id;
    std::vector<MenuTemplateItem> items;
};

class CMenu {
public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(const MenuTemplate& menu);
    BOOL DestroyMenu();
    bool IsCreated() const { return m_data != nullptr; }

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr);
    BOOL AppendMenu(UINT flags, CMenu* popup, LPCTSTR text);  // shares the pop-up's items
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, CMenu* popup, LPCTSTR text);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr);
    BOOL RemoveMenu(UINT position, UINT flags);
    BOOL DeleteMenu(UINT position, UINT flags);

    UINT EnableMenuItem(UINT item, UINT enable);  // returns the previous state or kMenuError
    UINT CheckMenuItem(UINT item, UINT check);
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;  // 0xFFFFFFFF for a pop-up, 0 for a separator
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;

    // Changes to this menu or any pop-up under it raise the revision, so views of it can rebuild.
    unsigned Revision() const;

private:
    struct Data;
    struct Item;
    explicit CMenu(std::shared_ptr<Data> data);
    // Finds an item by command (searching pop-ups too) or by position.
    Item* Find(UINT item, UINT flags, Data** owner = nullptr) const;
    static void Touch(Data& d);
    std::shared_ptr<Data> m_data;
    friend class MenuView;
};
