#include "platform/msg/cmdtarget.h"

using platform::msgmap::Kind;
using platform::msgmap::MessageMap;

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMap map{nullptr, {}};
    return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
    const bool update = code == CN_UPDATE_COMMAND_UI;
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const auto& e : map->entries) {
            if (id < e.first || id > e.last) continue;
            const bool match = update ? e.kind == Kind::UpdateUI
                                      : e.kind == Kind::Command && static_cast<int>(e.code) == code;
            if (!match) continue;
            if (info) {
                info->target = this;
                return TRUE;
            }
            // The handler may destroy this object; nothing of it is touched afterwards.
            e.call(this, id, 0, 0, extra);
            return TRUE;
        }
    }
    return FALSE;
}

bool CCmdTarget::DispatchMapMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const auto& e : map->entries) {
            if (e.kind == Kind::Message && msg >= e.first && msg <= e.last) {
                result = e.call(this, msg, wParam, lParam, nullptr);
                return true;
            }
        }
    }
    return false;
}

void CCmdUI::Enable(BOOL on) {
    m_enabled = on != FALSE;
    m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check) {
    m_checked = check;
}

void CCmdUI::SetText(const char* text) {
    m_text = CString(text);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
    m_bEnableChanged = false;
    const BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) {
        CmdHandlerInfo info;
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, nullptr, &info));
    }
    return handled;
}
