#pragma once
// CColorDialog: the system colour picker, run through the modal host.

#include "platform/base/types.h"

class CWnd;

class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr)
        : m_color(initial), m_flags(flags), m_parent(parent) {}
    // IDOK with the colour chosen, or IDCANCEL.
    INT_PTR DoModal();
    COLORREF GetColor() const { return m_color; }
    // For the host that runs the dialog.
    void SetColor(COLORREF color) { m_color = color; }
    DWORD GetFlags() const { return m_flags; }
    CWnd* GetParent() const { return m_parent; }

private:
    COLORREF m_color;
    DWORD m_flags;
    CWnd* m_parent;
};
