#pragma once
// The clock window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CClockView : public CView {
    DECLARE_DYNCREATE(CClockView)
    ~CClockView() override;
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    CVarnelDoc* m_doc = nullptr;
};
