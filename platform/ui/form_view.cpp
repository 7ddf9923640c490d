#include "platform/ui/form_view.h"

#include <QFont>

#include "platform/ui/dialog.h"

IMPLEMENT_DYNAMIC(CFormView, CView)

int CFormView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    // The template's controls show in the template's font, as a dialog's do.
    if (QWidget* w = GetWidget()) w->setFont(platform::DialogFont());
    for (const DialogItem& item : m_template->items) {
        std::unique_ptr<CWnd> control = platform::MakeItemControl(item.className);
        if (!control) return -1;
        DWORD style = item.style | WS_CHILD;
        if (!item.hidden) style |= WS_VISIBLE;
        if (item.disabled) style |= WS_DISABLED;
        const CRect r = platform::DluToPixels(item.x, item.y, item.cx, item.cy);
        if (!control->Create(item.className, item.text, style, r, this, item.id)) return -1;
        m_items.push_back(std::move(control));
    }
    return 0;
}
