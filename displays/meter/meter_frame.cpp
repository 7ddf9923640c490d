#include "displays/meter/meter_frame.h"

const ToolbarTemplate& MeterToolbarTemplate() {
    static const ToolbarTemplate t{IDR_METER_TOOLBAR,
                                   {ID_METER_ANALOG, ID_METER_BAR, ID_METER_CHANGE,
                                    ID_METER_DIGITAL, ID_SEPARATOR, ID_METER_FOUR}};
    return t;
}

BEGIN_MESSAGE_MAP(CMeterFrame, CChildFrame)
ON_UPDATE_COMMAND_UI(ID_METER_FOUR, OnUpdateFourMeters)
END_MESSAGE_MAP()

IMPLEMENT_DYNCREATE(CMeterFrame, CChildFrame)

CMeterFrame::CMeterFrame() = default;
CMeterFrame::~CMeterFrame() = default;

int CMeterFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CChildFrame::OnCreate(cs) == -1) return -1;
    // No caption, no sizing border and no minimise or maximise box.
    SetStyleBits(GetStyle() & (WS_POPUP | WS_SYSMENU | WS_CHILD | WS_VISIBLE));
    const DWORD style =
        WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_BORDER_TOP | CBRS_TOOLTIPS | CBRS_FLYBY;
    if (!m_toolbar.CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) ||
        !m_toolbar.LoadToolBar(MeterToolbarTemplate()))
        return -1;
    return 0;
}

void CMeterFrame::UpdateToolbar() {
    OnIdleUpdateCmdUI();
}

void CMeterFrame::OnUpdateFourMeters(CCmdUI* cmdUI) {
    cmdUI->Enable(m_fourMetersEnabled != 0);
}
