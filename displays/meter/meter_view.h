#pragma once
// The meter window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CMeterFrame : public CChildFrame {};

class CMeterView : public CView {
public:
    ~CMeterView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);
    // No meters are shown yet: nothing to lay out or re-caption.
    void LayoutMeters() {}
    void ApplyUnitSettings() {}

private:
    CVarnelDoc* m_doc = nullptr;
};
