#pragma once
// The graph window's child frame. For now it holds the states its toolbars and read-out bar show;
// the toolbars and the bar itself come with the frame's own window code.

#include "app/child_frame.h"

class CGraphFrame : public CChildFrame {
public:
    // The graph commands' enable flags, set together by the view.
    BOOL m_propertiesEnabled = FALSE;
    BOOL m_exportEnabled = FALSE;
    BOOL m_autoscaleEnabled = FALSE;
    BOOL m_addGraphEnabled = FALSE;
    BOOL m_cursorEnabled = FALSE;

    // The read-out line: its text, and whether it is shown instead of the position text.
    CString m_readoutText;
    BYTE m_readoutShown = 0;
    BYTE m_runEnded = 0;

    // Predict mode and its drawing, as the toolbars show them.
    BYTE m_predictMode = 0;
    BYTE m_predictDrawing = 0;

    // The user-interface level shows one of the three toolbars (advanced 168, simple 291, basic
    // 290).
    void ShowAdvancedToolbar(BOOL show) { m_advancedToolbarShown = show ? TRUE : FALSE; }
    void ShowBasicToolbar(BOOL show) { m_basicToolbarShown = show ? TRUE : FALSE; }
    void ShowSimpleToolbar(BOOL show) { m_simpleToolbarShown = show ? TRUE : FALSE; }
    BOOL m_advancedToolbarShown = FALSE;
    BOOL m_basicToolbarShown = FALSE;
    BOOL m_simpleToolbarShown = FALSE;

    void SetReadoutText(const CString& text) {
        m_readoutText = text;
        m_readoutShown = text.IsEmpty() ? 0 : 1;
    }
};
