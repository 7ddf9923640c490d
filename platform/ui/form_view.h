#pragma once
// CFormView: a view whose controls come from a dialog template, made when the view is created.
// The derived view binds its members to them (SubclassDlgItem, as data exchange does) in its
// OnCreate after this one's.

#include <memory>
#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/win/frame.h"

class CFormView : public CView {
    DECLARE_DYNAMIC(CFormView)
    explicit CFormView(const DialogTemplate& dialogTemplate) : m_template(&dialogTemplate) {}
    const DialogTemplate& GetTemplate() const { return *m_template; }

protected:
    // Makes the template's items; -1 when one cannot be made.
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    const DialogTemplate* m_template;
    std::vector<std::unique_ptr<CWnd>> m_items;
};
