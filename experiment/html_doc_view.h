#pragma once
// The workbook window, in its simplest form: it shows nothing yet. Its frame carries the two
// workbook toolbars, one per group of levels.

#include "app/child_frame.h"
#include "platform/ui/bars.h"

class CVarnelDoc;

class CHtmlDocFrame : public CChildFrame {
public:
    // Toolbar 253 (Advanced) and toolbar 292 (Basic and Simple).
    void ShowWorkbookToolbar(BOOL show);
    void ShowWorkbookToolbar2(BOOL show);
    CToolBar& GetWorkbookToolbar() { return m_toolbar; }
    CToolBar& GetWorkbookToolbar2() { return m_toolbar2; }

protected:
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    CToolBar m_toolbar;
    CToolBar m_toolbar2;
};

class CHtmlDocView : public CView {
public:
    ~CHtmlDocView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);
    // Neither a worksheet browser nor a notes pane yet: nothing to copy.
    bool CanCopy() const { return false; }

    // Turns the worksheet path in `path` into its launch file's for the model (0 basic, 1 QK)
    // and tells whether that file exists.
    static bool LaunchFileExists(CString& path, int model);
    void SetLaunchFile(const CString& path) { m_launchPath = path; }

    CString m_worksheetPath;
    CString m_launchPath;

private:
    CVarnelDoc* m_doc = nullptr;
};
