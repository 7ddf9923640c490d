#pragma once
// The meter window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CMeterFrame : public CChildFrame {
    DECLARE_DYNCREATE(CMeterFrame)
};

class CMeterView : public CView {
    DECLARE_DYNCREATE(CMeterView)
    ~CMeterView() override;
    // No meters are shown yet: nothing to lay out or re-caption.
    void LayoutMeters() {}
    void ApplyUnitSettings() {}
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    CVarnelDoc* m_doc = nullptr;
};
