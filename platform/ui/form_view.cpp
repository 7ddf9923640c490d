#include "platform/ui/form_view.h"

#include <QFont>
#include <QWidget>

#include "platform/ui/dialog.h"

IMPLEMENT_DYNAMIC(CFormView, CView)

int CFormView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    // The template's controls show in the template's font, as a dialog's do.
    if (QWidget* w = GetWidget()) w->setFont(platform::DialogFont());
    for (const DialogItem& item : m_template->items) {
        std::unique_ptr<CWnd> control = platform::MakeTemplateItem(item, this);
        if (!control) return -1;
        m_items.push_back(std::move(control));
    }
    return 0;
}
