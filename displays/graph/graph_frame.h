#pragma once
// The graph window's child frame: the graph view above three toolbars (only the user-interface
// level's one shown) and the read-out bar. The frame answers the update requests of the graph
// commands from flags that the view and the document set; it never changes them itself.

#include "app/child_frame.h"
#include "platform/ui/bars.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

// The plain toolbar of the graph frame (and of the other frames that carry one).
class CGraphToolbar : public CToolBar {};

// The read-out bar: the read-out static (the analysis line) and the position static (the main
// line, "Position : " at first), one shown at a time.
class CGraphInfoBar : public CToolBar {
public:
    BOOL CreateStatics();
    CStatic m_readout;
    CStatic m_position;
};

class CGraphFrame : public CChildFrame {
    DECLARE_DYNCREATE(CGraphFrame)

public:
    CGraphFrame();
    ~CGraphFrame() override;

    void ShowAdvancedToolbar(bool show);
    void ShowBasicToolbar(bool show);
    void ShowSimpleToolbar(bool show);
    CGraphToolbar& GetAdvancedToolbar() { return m_advancedToolbar; }
    CGraphToolbar& GetBasicToolbar() { return m_basicToolbar; }
    CGraphToolbar& GetSimpleToolbar() { return m_simpleToolbar; }
    CGraphInfoBar& GetInfoBar() { return m_infoBar; }
    // Runs the shown toolbar's update handlers now (an idle timer does it every 100 ms).
    void UpdateToolbars();
    // The update rule of a graph command; false for the others.
    bool UpdateCommand(UINT id, CCmdUI& ui) const;

    // The analysis line: shown instead of the main line while it is not empty.
    void SetReadoutText(const CString& text);
    // The main line: X and Y, the slope or a comment.
    void SetPositionText(const CString& text);
    CString GetPositionText() const { return m_positionText; }
    // The view's width allows the main line (400 px and more).
    void AllowPositionText(bool allow);
    // Places the visible static of the read-out bar for the frame's width.
    void LayoutInfoBar();
    void LayoutInfoBar(int frameWidth);

    BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;
    void OnSize(UINT type, int cx, int cy) override;

    // ---- the graph commands' flags
    BOOL m_propertiesEnabled = FALSE;
    BOOL m_exportEnabled = FALSE;
    BOOL m_autoscaleEnabled = FALSE;
    BOOL m_addGraphEnabled = FALSE;
    BOOL m_addPredictionEnabled = FALSE;
    BOOL m_paused = FALSE;
    BOOL m_cursorEnabled = FALSE;
    BOOL m_panOn = FALSE;
    BOOL m_zoomOn = FALSE;
    BOOL m_barGraph = FALSE;
    BOOL m_yVsX = FALSE;
    BOOL m_eraseOn = FALSE;
    BOOL m_eraseEnabled = FALSE;
    BOOL m_secondCursorEnabled = FALSE;
    BOOL m_moveAnnotationOn = FALSE;
    BOOL m_moveAnnotationEnabled = TRUE;
    BOOL m_annotationsEnabled = TRUE;
    BOOL m_addAnnotationEnabled = TRUE;

    // The analysis line's text, and whether it is shown instead of the main line.
    CString m_readoutText;
    BYTE m_readoutShown = 0;
    BYTE m_runEnded = 0;

    // Predict mode and its drawing, as the toolbars show them.
    BYTE m_predictMode = 0;
    BYTE m_predictDrawing = 0;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    void ShowBar(CToolBar& bar, bool show);

    CStatusBar m_statusBar;  // constructed, never made
    CGraphInfoBar m_infoBar;
    CGraphToolbar m_advancedToolbar;
    CGraphToolbar m_simpleToolbar;
    CGraphToolbar m_basicToolbar;
    CString m_positionText = "Position : ";
    bool m_positionAllowed = true;
};

// Asks for a graph title: SetTitle before, GetTitle after OK.
class CGraphTitleDialog : public CDialog {
public:
    explicit CGraphTitleDialog(CWnd* parent = nullptr);
    void SetTitle(const CString& title) { m_title = title; }
    CString GetTitle() const { return m_title; }
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CString m_title;
};
