#pragma once
// The clock window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CClockView : public CView {
public:
    ~CClockView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);

private:
    CVarnelDoc* m_doc = nullptr;
};
