#include "platform/ui/tooltip_ctrl.h"

#include <QWidget>

#include "platform/win/wnd.h"

BOOL CToolTipCtrl::Create(CWnd* owner, DWORD) {
    m_created = owner != nullptr;
    return m_created;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCTSTR text, LPCRECT, UINT) {
    if (!m_created || !window) return FALSE;
    m_tool = window;
    UpdateTipText(text, window);
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(LPCTSTR text, CWnd* window, UINT) {
    if (!window || window != m_tool) return;
    m_text = text ? text : "";
    if (QWidget* w = window->GetWidget()) w->setToolTip(m_text.ToQString());
}
