#pragma once
// The table window, in its simplest form: it has nothing to show or refill yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CTableFrame : public CChildFrame {};

class CTableView : public CView {
public:
    ~CTableView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);
    void StopRefreshTimer() {}
    // No columns yet: nothing to re-caption.
    void ApplyUnitSettings() {}

private:
    CVarnelDoc* m_doc = nullptr;
};
