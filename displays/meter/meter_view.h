#pragma once
// The meter window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CMeterFrame : public CChildFrame {};

class CMeterView : public CView {
public:
    ~CMeterView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);

private:
    CVarnelDoc* m_doc = nullptr;
};
