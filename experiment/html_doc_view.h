#pragma once
// The workbook window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CHtmlDocFrame : public CChildFrame {};

class CHtmlDocView : public CView {
public:
    ~CHtmlDocView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);

private:
    CVarnelDoc* m_doc = nullptr;
};
