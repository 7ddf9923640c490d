#pragma once
// The workbook window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CHtmlDocFrame : public CChildFrame {
public:
    // The worksheet shown has a launch file: the frame's Launch is enabled.
    BOOL m_launchAvailable = FALSE;
};

class CHtmlDocView : public CView {
public:
    ~CHtmlDocView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);

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
