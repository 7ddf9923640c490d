#pragma once
// The workbook window, in its simplest form: it shows nothing yet. Its frame carries the two
// workbook toolbars, one per group of levels.

#include "app/child_frame.h"
#include "platform/ui/bars.h"

class CVarnelDoc;

class CHtmlDocFrame : public CChildFrame {
    DECLARE_DYNCREATE(CHtmlDocFrame)

public:
    // The worksheet shown has a launch file: the frame's Launch is enabled.
    BOOL m_launchAvailable = FALSE;
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
    DECLARE_DYNCREATE(CHtmlDocView)
    ~CHtmlDocView() override;
    // Neither a worksheet browser nor a notes pane yet: nothing to copy.
    bool CanCopy() const { return false; }

    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;

    // The launch file beside a worksheet: its name's own suffix replaced by "qdr" for the QK
    // model or "hdr" for the basic one (added when the name has none).
    static CString LaunchFilePath(const CString& worksheetPath, BOOL qk);
    // Turns `path` into its launch file's path; true when that file exists.
    static BOOL LaunchFileExists(CString& path, BOOL qk);
    // Found: keeps the path and enables Launch on the frame and the main frame; otherwise empties
    // it and disables both.
    void SetLaunchFile(BOOL found, const CString& path);

    CString m_worksheetPath;
    CString m_launchPath;

private:
    CVarnelDoc* m_doc = nullptr;
};
