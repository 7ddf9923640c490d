#include "displays/meter/meter_frame.h"

#include <QMdiSubWindow>
#include <QToolBar>
#include <QVBoxLayout>

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
    const DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY;
    if (!m_toolbar.CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) ||
        !m_toolbar.LoadToolBar(MeterToolbarTemplate()))
        return -1;
    if (QToolBar* bar = m_toolbar.Bar())
        bar->setStyleSheet(
            "QToolBar { border: none; border-top: 1px solid #A0A0A0; }"
            " QToolButton { padding: 1px; }");
    return 0;
}

// The view fills the frame above the toolbar.
void CMeterFrame::PlacePane(CView* view) {
    auto* sub = qobject_cast<QMdiSubWindow*>(GetWidget());
    QWidget* pane = view ? view->GetWidget() : nullptr;
    QToolBar* bar = m_toolbar.Bar();
    if (!sub || !pane || !bar) {
        CChildFrame::PlacePane(view);
        return;
    }
    if (sub->widget() && sub->widget()->isAncestorOf(pane)) return;
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(pane, 1);
    column->addWidget(bar, 0);
    sub->setWidget(body);
    bar->show();
}

void CMeterFrame::UpdateToolbar() {
    m_toolbar.OnUpdateCmdUI(this, TRUE);
}

void CMeterFrame::OnUpdateFourMeters(CCmdUI* cmdUI) {
    cmdUI->Enable(m_fourMetersEnabled != 0);
}
