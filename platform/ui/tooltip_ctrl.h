#pragma once
// CToolTipCtrl: the tooltip of a tool window, shown by the desktop when the mouse rests on it.

#include "platform/base/cstring.h"
#include "platform/base/geometry.h"

class CWnd;

class CToolTipCtrl {
public:
    BOOL Create(CWnd* owner, DWORD style = 0);
    // One tool: the whole window (the rectangle is the window's client area here).
    BOOL AddTool(CWnd* window, LPCTSTR text, LPCRECT rect = nullptr, UINT id = 0);
    void UpdateTipText(LPCTSTR text, CWnd* window, UINT id = 0);
    CString GetText() const { return m_text; }
    BOOL m_created = FALSE;

private:
    CWnd* m_tool = nullptr;
    CString m_text;
};
