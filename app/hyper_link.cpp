#include "app/hyper_link.h"

#include <QEvent>
#include <QMouseEvent>

#include "platform/ui/shell.h"

namespace {

// A label takes no messages of its own: the click is watched on its widget.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, HWND link) : QObject(parent), m_link(link) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
            if (auto* link = dynamic_cast<CHyperLink*>(CWnd::FromHandlePermanent(m_link))) {
                link->Open();
                return true;
            }
        return QObject::eventFilter(watched, e);
    }

private:
    HWND m_link;
};

}  // namespace

void CHyperLink::SetURL(const CString& url) {
    m_url = url;
    SetWindowText(url);
}

bool CHyperLink::Open() const {
    return reinterpret_cast<INT_PTR>(
               ShellExecute(nullptr, "open", m_url, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

void CHyperLink::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    if (QWidget* w = GetWidget()) {
        w->setCursor(Qt::PointingHandCursor);
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        w->setPalette(p);
        w->installEventFilter(new ClickFilter(w, m_hWnd));
    }
}
