#include "displays/graph/graph_frame.h"

#include <QToolBar>
#include <algorithm>

#include "RES/dialogs/graph_title.h"
#include "RES/graph_bars.h"
#include "platform/ui/styles.h"

// ---- the read-out bar ----

BOOL CGraphInfoBar::CreateStatics() {
    // The bar's buttons only make room for the statics: none of them is shown.
    if (QToolBar* bar = Bar()) {
        for (QAction* a : bar->actions())
            a->setVisible(false);
        bar->setMinimumHeight(30);
    }
    const DWORD style = WS_CHILD | WS_VISIBLE | SS_CENTER;
    return m_readout.Create("", style, CRect(0, 4, 150, 24), this, IDC_GRAPH_READOUT) &&
           m_position.Create("Position : ", style, CRect(190, 4, 440, 24), this, IDC_GRAPH_READOUT);
}

// ---- the frame ----

CGraphFrame::CGraphFrame() = default;
CGraphFrame::~CGraphFrame() = default;

int CGraphFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CChildFrame::OnCreate(cs) == -1) return -1;
    const DWORD style = 0x50008230;  // child, visible, bottom, tool tips, fly-by
    const std::pair<CToolBar*, const ToolbarTemplate*> bars[] = {
        {&m_advancedToolbar, &GraphAdvancedToolbarTemplate()},
        {&m_basicToolbar, &GraphBasicToolbarTemplate()},
        {&m_simpleToolbar, &GraphSimpleToolbarTemplate()},
        {&m_infoBar, &GraphInfoBarTemplate()}};
    for (auto [bar, tb] : bars)
        if (!bar->CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) || !bar->LoadToolBar(*tb))
            return -1;
    if (!m_infoBar.CreateStatics()) return -1;
    ShowAdvancedToolbar(false);
    ShowBasicToolbar(false);
    ShowSimpleToolbar(false);
    LayoutInfoBar();
    return 0;
}

void CGraphFrame::ShowBar(CToolBar& bar, bool show) {
    if (QToolBar* b = bar.Bar()) b->setVisible(show);
}

void CGraphFrame::ShowAdvancedToolbar(bool show) {
    ShowBar(m_advancedToolbar, show);
}
void CGraphFrame::ShowBasicToolbar(bool show) {
    ShowBar(m_basicToolbar, show);
}
void CGraphFrame::ShowSimpleToolbar(bool show) {
    ShowBar(m_simpleToolbar, show);
}

void CGraphFrame::UpdateToolbars() {
    OnIdleUpdateCmdUI();
}

bool CGraphFrame::UpdateCommand(UINT id, CCmdUI& ui) const {
    switch (id) {
        case ID_GV_PROPERTIES:
            ui.Enable(m_propertiesEnabled);
            return true;
        case ID_GV_EXPORT:
            ui.Enable(m_exportEnabled);
            return true;
        case ID_GV_AUTOSCALE:
            ui.Enable(m_autoscaleEnabled);
            return true;
        case ID_GV_ADD_GRAPH:
            ui.Enable(m_addGraphEnabled);
            return true;
        case ID_GV_ADD_PREDICTION:
            ui.Enable(m_addPredictionEnabled);
            return true;
        case ID_GV_PAUSE:
            ui.SetCheck(m_paused ? 1 : 0);
            ui.Enable(!m_barGraph);
            return true;
        case ID_GV_DISPLAY_CURSOR:
            ui.Enable(m_cursorEnabled);
            return true;
        case ID_GV_PAN:
            ui.SetCheck(m_panOn ? 1 : 0);
            return true;
        case ID_GV_ZOOM:
            ui.SetCheck(m_zoomOn ? 1 : 0);
            return true;
        case ID_GV_BAR_GRAPH:
            ui.SetCheck(m_barGraph ? 1 : 0);
            return true;
        case ID_GV_Y_VS_X:
            ui.SetCheck(m_yVsX ? 1 : 0);
            return true;
        case ID_GV_ERASE_PREDICTION:
            ui.SetCheck(m_eraseOn ? 1 : 0);
            ui.Enable(m_eraseEnabled);
            return true;
        case ID_GV_SECOND_CURSOR:
            ui.Enable(m_secondCursorEnabled);
            return true;
        case ID_GV_MOVE_ANNOTATION:
            ui.SetCheck(m_moveAnnotationOn ? 1 : 0);
            ui.Enable(m_moveAnnotationEnabled);
            return true;
        case ID_GV_ADD_ANNOTATION:
            ui.Enable(m_annotationsEnabled && m_addAnnotationEnabled);
            return true;
        default:
            return false;
    }
}

BOOL CGraphFrame::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
    if (code == CN_UPDATE_COMMAND_UI && !info && extra &&
        UpdateCommand(id, *static_cast<CCmdUI*>(extra)))
        return TRUE;
    return CChildFrame::OnCmdMsg(id, code, extra, info);
}

void CGraphFrame::SetReadoutText(const CString& text) {
    m_readoutText = text;
    m_readoutShown = text.IsEmpty() ? 0 : 1;
    if (m_infoBar.m_readout.GetSafeHwnd()) m_infoBar.m_readout.SetWindowText(text);
    LayoutInfoBar();
}

void CGraphFrame::SetPositionText(const CString& text) {
    m_positionText = text;
    if (m_infoBar.m_position.GetSafeHwnd()) m_infoBar.m_position.SetWindowText(text);
}

void CGraphFrame::AllowPositionText(bool allow) {
    m_positionAllowed = allow;
    LayoutInfoBar();
}

void CGraphFrame::OnSize(UINT type, int cx, int cy) {
    CChildFrame::OnSize(type, cx, cy);
    LayoutInfoBar(cx);
}

void CGraphFrame::LayoutInfoBar() {
    CRect client;
    GetClientRect(&client);
    LayoutInfoBar(client.Width());
}

void CGraphFrame::LayoutInfoBar(int frameWidth) {
    CStatic& readout = m_infoBar.m_readout;
    CStatic& position = m_infoBar.m_position;
    if (!readout.GetSafeHwnd() || !position.GetSafeHwnd()) return;
    // A frame narrower than 10 px leaves the static no width at all.
    const int width = std::max(frameWidth - 10, 0);
    CStatic& shown = m_readoutShown ? readout : position;
    CStatic& hidden = m_readoutShown ? position : readout;
    shown.MoveWindow(10, 7, width, 23);
    shown.ShowWindow(m_readoutShown || m_positionAllowed ? SW_SHOW : SW_HIDE);
    hidden.ShowWindow(SW_HIDE);
}

// ---- the title dialog ----

CGraphTitleDialog::CGraphTitleDialog(CWnd* parent) : CDialog(GraphTitleTemplate(), parent) {}

BOOL CGraphTitleDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_GRAPH_TITLE_LABEL, "Graph title");
    SetWindowText("Graph title");
    SetDlgItemText(IDC_GRAPH_TITLE_EDIT, m_title);
    return TRUE;
}

void CGraphTitleDialog::OnOK() {
    m_title = GetDlgItemText(IDC_GRAPH_TITLE_EDIT);
    CDialog::OnOK();
}
