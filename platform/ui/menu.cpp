#include "platform/ui/menu.h"

struct CMenu::Item {
    UINT id = 0;
    CString text;
    UINT flags = 0;
    std::shared_ptr<CMenu::Data> popup;
    mutable std::unique_ptr<CMenu> popupWrapper;  // what GetSubMenu hands out
};

struct CMenu::Data {
    std::vector<Item> items;
    unsigned revision = 0;
    bool popup = false;
};

CMenu::CMenu() = default;
CMenu::CMenu(std::shared_ptr<Data> data) : m_data(std::move(data)) {}
CMenu::~CMenu() = default;

BOOL CMenu::CreateMenu() {
    m_data = std::make_shared<Data>();
    return TRUE;
}

BOOL CMenu::CreatePopupMenu() {
    m_data = std::make_shared<Data>();
    m_data->popup = true;
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    m_data.reset();
    return TRUE;
}

namespace {

void AppendTemplateItems(CMenu& menu, const std::vector<MenuTemplateItem>& items) {
    for (const MenuTemplateItem& item : items) {
        if (!item.text) {
            menu.AppendMenu(MF_SEPARATOR);
        } else if (!item.popup.empty() || item.id == 0) {
            CMenu popup;
            popup.CreatePopupMenu();
            AppendTemplateItems(popup, item.popup);
            menu.AppendMenu(MF_POPUP | item.flags, &popup, item.text);
        } else {
            menu.AppendMenu(MF_STRING | item.flags, item.id, item.text);
        }
    }
}

}  // namespace

BOOL CMenu::LoadMenu(const MenuTemplate& menu) {
    CreateMenu();
    AppendTemplateItems(*this, menu.items);
    return TRUE;
}

void CMenu::Touch(Data& d) {
    ++d.revision;
}

unsigned CMenu::Revision() const {
    if (!m_data) return 0;
    unsigned r = m_data->revision;
    for (const Item& item : m_data->items)
        if (item.popup) r += CMenu(item.popup).Revision();
    return r;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCTSTR text) {
    return InsertMenu(kMenuError, flags | MF_BYPOSITION, id, text);
}

BOOL CMenu::AppendMenu(UINT flags, CMenu* popup, LPCTSTR text) {
    return InsertMenu(kMenuError, flags | MF_BYPOSITION, popup, text);
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, LPCTSTR text) {
    if (!m_data || (flags & MF_POPUP)) return FALSE;
    Item item;
    item.id = static_cast<UINT>(id);
    item.text = text ? text : "";
    item.flags = flags & ~MF_BYPOSITION;
    auto& items = m_data->items;
    size_t at = items.size();
    if (flags & MF_BYPOSITION) {
        if (position < items.size()) at = position;
    } else {
        for (size_t i = 0; i < items.size(); ++i)
            if (!items[i].popup && items[i].id == position) at = i;
    }
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    Touch(*m_data);
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, CMenu* popup, LPCTSTR text) {
    if (!m_data || !popup || !popup->m_data) return FALSE;
    Item item;
    item.id = kMenuError;
    item.text = text ? text : "";
    item.flags = (flags & ~MF_BYPOSITION) | MF_POPUP;
    item.popup = popup->m_data;
    auto& items = m_data->items;
    const size_t at = (flags & MF_BYPOSITION) && position < items.size() ? position : items.size();
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    Touch(*m_data);
    return TRUE;
}

CMenu::Item* CMenu::Find(UINT item, UINT flags, Data** owner) const {
    if (!m_data) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= m_data->items.size()) return nullptr;
        if (owner) *owner = m_data.get();
        return &m_data->items[item];
    }
    for (Item& it : m_data->items) {
        if (!it.popup && !(it.flags & MF_SEPARATOR) && it.id == item) {
            if (owner) *owner = m_data.get();
            return &it;
        }
        if (it.popup)
            if (Item* found = CMenu(it.popup).Find(item, flags, owner)) return found;
    }
    return nullptr;
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR id, LPCTSTR text) {
    Data* owner = nullptr;
    Item* it = Find(position, flags, &owner);
    if (!it) return FALSE;
    it->id = static_cast<UINT>(id);
    it->text = text ? text : "";
    it->flags = flags & ~MF_BYPOSITION;
    it->popup.reset();
    it->popupWrapper.reset();
    Touch(*owner);
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags) {
    Data* owner = nullptr;
    Item* it = Find(position, flags, &owner);
    if (!it) return FALSE;
    owner->items.erase(owner->items.begin() + (it - owner->items.data()));
    Touch(*owner);
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags) {
    return RemoveMenu(position, flags);
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    Data* owner = nullptr;
    Item* it = Find(item, enable, &owner);
    if (!it) return kMenuError;
    const UINT old = it->flags & (MF_GRAYED | MF_DISABLED);
    const UINT now = enable & (MF_GRAYED | MF_DISABLED);
    if (old != now) {
        it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | now;
        Touch(*owner);
    }
    return old;
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    Data* owner = nullptr;
    Item* it = Find(item, check, &owner);
    if (!it) return kMenuError;
    const UINT old = it->flags & MF_CHECKED;
    if (old != (check & MF_CHECKED)) {
        it->flags = (it->flags & ~MF_CHECKED) | (check & MF_CHECKED);
        Touch(*owner);
    }
    return old;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    const Item* it = Find(item, flags);
    if (!it) return kMenuError;
    if (it->popup)
        return ((static_cast<UINT>(it->popup->items.size()) & 0xFF) << 8) | (it->flags & 0xFF);
    return it->flags;
}

int CMenu::GetMenuItemCount() const {
    return m_data ? static_cast<int>(m_data->items.size()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const {
    if (!m_data || position < 0 || position >= GetMenuItemCount()) return kMenuError;
    const Item& it = m_data->items[static_cast<size_t>(position)];
    if (it.popup) return kMenuError;
    return it.flags & MF_SEPARATOR ? 0 : it.id;
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    const Item* it = Find(item, flags);
    text = it ? it->text : CString();
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int position) const {
    if (!m_data || position < 0 || position >= GetMenuItemCount()) return nullptr;
    const Item& it = m_data->items[static_cast<size_t>(position)];
    if (!it.popup) return nullptr;
    if (!it.popupWrapper) it.popupWrapper.reset(new CMenu(it.popup));
    return it.popupWrapper.get();
}
