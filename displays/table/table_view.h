#pragma once
// The table window, in its simplest form: it has nothing to show or refill yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CTableFrame : public CChildFrame {
    DECLARE_DYNCREATE(CTableFrame)
};

class CTableView : public CView {
    DECLARE_DYNCREATE(CTableView)
    ~CTableView() override;
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;
    void StopRefreshTimer() {}

private:
    CVarnelDoc* m_doc = nullptr;
};
