#include "platform/ui/tooltip_ctrl.h"

#include <QWidget>

#include "platform/msg/wnd.h"

BOOL CToolTipCtrl::Create(CWnd* owner, DWORD) {
    m_created = owner != nullptr;
    return m_created;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCTSTR text, LPCRECT, UINT) {
    if (!m_created || !window) return FALSE;
    if (GetText(window).IsEmpty()) m_tools.push_back({window, ""});
    for (Tool& t : m_tools)
        if (t.window == window) t.text = text ? text : "";
    UpdateTipText(text, window);
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(LPCTSTR text, CWnd* window, UINT) {
    Tool* tool = nullptr;
    for (Tool& t : m_tools)
        if (t.window == window) tool = &t;
    if (!tool) return;
    m_text = text ? text : "";
    tool->text = m_text;
    if (QWidget* w = window->GetWidget()) w->setToolTip(m_text.ToQString());
}

CString CToolTipCtrl::GetText(const CWnd* window) const {
    for (const Tool& t : m_tools)
        if (t.window == window) return t.text;
    return "";
}
