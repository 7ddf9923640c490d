#include "platform/ui/progress_ctrl.h"

#include <QProgressBar>
#include <algorithm>

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(PROGRESS_CLASS, "", style, rect, parent, id);
}

QWidget* CProgressCtrl::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* bar = new QProgressBar(parentWidget);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);  // the Windows bar shows no text of its own
    bar->setOrientation(cs.style & PBS_VERTICAL ? Qt::Vertical : Qt::Horizontal);
    return bar;
}

QProgressBar* CProgressCtrl::Bar() const {
    return qobject_cast<QProgressBar*>(GetWidget());
}

void CProgressCtrl::SetRange32(int lower, int upper) {
    if (QProgressBar* bar = Bar()) {
        bar->setRange(lower, std::max(lower, upper));
        bar->setValue(std::clamp(bar->value(), bar->minimum(), bar->maximum()));
    }
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
    QProgressBar* bar = Bar();
    lower = bar ? bar->minimum() : 0;
    upper = bar ? bar->maximum() : 0;
}

int CProgressCtrl::SetPos(int pos) {
    QProgressBar* bar = Bar();
    if (!bar) return 0;
    const int before = bar->value();
    bar->setValue(std::clamp(pos, bar->minimum(), bar->maximum()));
    return before;
}

int CProgressCtrl::GetPos() const {
    QProgressBar* bar = Bar();
    return bar ? bar->value() : 0;
}
