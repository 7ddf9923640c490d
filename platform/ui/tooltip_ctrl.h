#pragma once
// CToolTipCtrl: the tooltip of a tool window, shown by the desktop when the mouse rests on it.

#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/geometry.h"

class CWnd;

class CToolTipCtrl {
public:
    BOOL Create(CWnd* owner, DWORD style = 0);
    // One tool per window: the whole window (the rectangle is the window's client area here).
    BOOL AddTool(CWnd* window, LPCTSTR text, LPCRECT rect = nullptr, UINT id = 0);
    void UpdateTipText(LPCTSTR text, CWnd* window, UINT id = 0);
    // The last text set, or the text of one tool.
    CString GetText() const { return m_text; }
    CString GetText(const CWnd* window) const;
    BOOL m_created = FALSE;

private:
    struct Tool {
        CWnd* window;
        CString text;
    };
    std::vector<Tool> m_tools;
    CString m_text;
};
