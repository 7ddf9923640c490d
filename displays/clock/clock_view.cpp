#include "displays/clock/clock_view.h"

#include <QPalette>
#include <QWidget>

#include "RES/dialogs/clock_view.h"
#include "app/varnel_doc.h"
#include "logger/precise_time.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/styles.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLit = RGB(0, 97, 198);

}  // namespace

CClockView::CClockView() : CFormView(ClockViewTemplate()) {}

IMPLEMENT_DYNCREATE(CClockView, CFormView)

CClockView::~CClockView() {
    if (m_doc && m_doc->m_clockView == this) m_doc->m_clockView = nullptr;
}

int CClockView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (!m_button.SubclassDlgItem(IDC_CLOCK_BUTTON, this)) return -1;
    // The form and its controls lie on white.
    if (QWidget* w = GetWidget()) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, Qt::white);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
    return 0;
}

void CClockView::OnUpdate(CView*, LPARAM, CObject*) {
    if (m_doc) m_doc->m_clockView = this;
    if (m_ready) return;
    m_background.CreateSolidBrush(kWhite);
    CreateDigits();
    m_ready = 1;
    m_digits.ShowWindow(SW_SHOW);
    // A window that already has its size starts ticking now.
    CRect client;
    GetClientRect(&client);
    OnSize(0, client.Width(), client.Height());
}

void CClockView::CreateDigits() {
    if (!m_digits.Create("", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 0, 0), this,
                         IDC_DIGITS))
        return;
    m_digits.ModifyDigiStyle(DS_STYLE14, DS_SMOOTH);
    m_digits.ShowWindow(SW_SHOW);
    m_digits.SetText("00:00:00");
    m_digits.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_digits.SetBackColor(kWhite);
    m_digits.SetColor(kWhite, kLit);
    m_digits.ShowWindow(SW_HIDE);
}

BOOL CClockView::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, kWhite);
    return TRUE;
}

void CClockView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (!m_ready) return;
    if (cx == 0 && cy == 0) {
        if (m_timerRunning) StopTimer();
    } else if (!m_timerRunning) {
        StartTimer();
    }
    Layout(cx, cy);
    ShowTime();
}

void CClockView::Layout(int cx, int cy) {
    m_digits.MoveWindow(cx / 10, (cy / 6) * 4, cx * 9 / 10 - cx / 10, (cy / 6) * 5 - (cy / 6) * 4,
                        TRUE);
    m_button.MoveWindow((cx / 6) * 2, cy / 8, (cx / 6) * 4 - (cx / 6) * 2, (cy / 12) * 7 - cy / 8,
                        TRUE);
}

void CClockView::StartTimer() {
    if (!SetTimer(kTimer, kTimerPeriod))
        MessageBox(this, "SetTimer failed", "Error", MB_OK | MB_ICONERROR);
    m_timerRunning = 1;
}

void CClockView::StopTimer() {
    KillTimer(kTimer);
    m_timerRunning = 0;
}

void CClockView::OnTimer(UINT_PTR id) {
    if (id == kTimer) ShowTime();
}

void CClockView::ShowTime() {
    if (!m_digits.GetSafeHwnd()) return;
    m_digits.SetText(CPreciseDateTime::GetCurrentTime().FormatTime());
}
