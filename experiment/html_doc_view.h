#pragma once
// The workbook window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CHtmlDocFrame : public CChildFrame {
    DECLARE_DYNCREATE(CHtmlDocFrame)
};

class CHtmlDocView : public CView {
    DECLARE_DYNCREATE(CHtmlDocView)
    ~CHtmlDocView() override;
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    CVarnelDoc* m_doc = nullptr;
};
