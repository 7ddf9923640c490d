#include "platform/win/scroll_bars.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/msg/wnd.h"
#include "platform/win/system.h"

namespace platform {
namespace {

// The highest position a bar can take: the last one that still shows a whole page.
int MaxPos(const SCROLLINFO& i) {
    const int page = static_cast<int>(std::min<UINT>(i.nPage, 0x7FFFFFFF));
    return std::max(i.nMin, page > 0 ? i.nMax - page + 1 : i.nMax);
}

}  // namespace

WindowScrollBars::~WindowScrollBars() {
    for (auto& bar : m_bars)
        delete bar.data();
}

void WindowScrollBars::SetInfo(int bar, const SCROLLINFO& info) {
    SCROLLINFO& s = m_info[Index(bar)];
    if (info.fMask & SIF_RANGE) {
        s.nMin = info.nMin;
        s.nMax = std::max(info.nMin, info.nMax);
    }
    if (info.fMask & SIF_PAGE)
        s.nPage = std::min<UINT>(info.nPage, static_cast<UINT>(s.nMax - s.nMin + 1));
    if (info.fMask & SIF_POS) s.nPos = info.nPos;
    s.nPos = std::clamp(s.nPos, s.nMin, MaxPos(s));
    s.nTrackPos = s.nPos;
    Mirror(Index(bar));
}

bool WindowScrollBars::Show(int bar, bool show) {
    const int i = Index(bar);
    if (m_shown[i] == show) return false;
    m_shown[i] = show;
    if (QScrollBar* b = show ? Make(i) : m_bars[i].data()) {
        b->setVisible(show);
        Layout();
    }
    return true;
}

CRect WindowScrollBars::Client(int width, int height) const {
    if (m_shown[1]) width -= GetSystemMetrics(SM_CXVSCROLL);
    if (m_shown[0]) height -= GetSystemMetrics(SM_CYHSCROLL);
    return CRect(0, 0, std::max(0, width), std::max(0, height));
}

void WindowScrollBars::Layout() {
    QWidget* w = m_owner->GetWidget();
    if (!w) return;
    const CRect client = Client(w->width(), w->height());
    if (QScrollBar* v = m_bars[1].data())
        v->setGeometry(client.right, 0, GetSystemMetrics(SM_CXVSCROLL), client.bottom);
    if (QScrollBar* h = m_bars[0].data())
        h->setGeometry(0, client.bottom, client.right, GetSystemMetrics(SM_CYHSCROLL));
    for (auto& b : m_bars)
        if (b) b->raise();
}

QScrollBar* WindowScrollBars::Make(int index) {
    if (m_bars[index]) return m_bars[index].data();
    QWidget* w = m_owner->GetWidget();
    if (!w) return nullptr;
    auto* bar = new QScrollBar(index == 1 ? Qt::Vertical : Qt::Horizontal, w);
    bar->setFocusPolicy(Qt::NoFocus);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                     [this, index](int action) { OnAction(index, action); });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar,
                     [this, index] { OnReleased(index); });
    m_bars[index] = bar;
    Mirror(index);
    return bar;
}

void WindowScrollBars::Mirror(int index) {
    QScrollBar* b = m_bars[index].data();
    if (!b) return;
    const SCROLLINFO& s = m_info[index];
    const QSignalBlocker block(b);
    b->setRange(s.nMin, MaxPos(s));
    b->setPageStep(static_cast<int>(std::max<UINT>(1, std::min<UINT>(s.nPage, 0x7FFFFFFF))));
    b->setSingleStep(1);
    if (!b->isSliderDown()) b->setValue(s.nPos);
}

void WindowScrollBars::OnAction(int index, int action) {
    QScrollBar* b = m_bars[index].data();
    if (!b) return;
    UINT code = SB_ENDSCROLL;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = SB_LINEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove:
            code = SB_THUMBTRACK;
            break;
        default:
            return;
    }
    const int track = b->sliderPosition();
    if (code == SB_THUMBTRACK) m_info[index].nTrackPos = track;
    // The window decides where the thumb goes; until then it stays where it was.
    else
        b->setSliderPosition(m_info[index].nPos);
    CWnd* owner = m_owner;
    const WindowWatch watch(*owner);
    const WPARAM w = MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(track));
    owner->SendMessage(index == 1 ? WM_VSCROLL : WM_HSCROLL, w, 0);
    // The handler may have destroyed (and deleted) the window, and this with it.
    if (watch.Gone() || !m_bars[index]) return;
    if (code != SB_THUMBTRACK) m_bars[index]->setSliderPosition(m_info[index].nPos);
}

void WindowScrollBars::OnReleased(int index) {
    QScrollBar* b = m_bars[index].data();
    if (!b) return;
    const UINT msg = index == 1 ? WM_VSCROLL : WM_HSCROLL;
    const int track = m_info[index].nTrackPos;
    CWnd* owner = m_owner;
    const WindowWatch watch(*owner);
    owner->SendMessage(
        msg, MAKEWPARAM(static_cast<WORD>(SB_THUMBPOSITION), static_cast<WORD>(track)), 0);
    if (watch.Gone()) return;
    owner->SendMessage(msg, MAKEWPARAM(static_cast<WORD>(SB_ENDSCROLL), 0), 0);
    if (watch.Gone()) return;
    Mirror(index);
}

WindowScrollBarsPtr MakeWindowScrollBars(CWnd* owner) {
    return WindowScrollBarsPtr(new WindowScrollBars(owner),
                               [](WindowScrollBars* bars) { delete bars; });
}

}  // namespace platform
