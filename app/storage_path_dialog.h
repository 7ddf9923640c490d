#pragma once
// File > User data path settings: the data root in a read-only field, and "Browse", which asks
// for a folder with CFolderDialog.

#include "platform/ui/dialog.h"

class QFileDialog;
class QLabel;

// A folder browser with a status line that shows the folder being pointed at, shortened.
class CFolderDialog {
public:
    static constexpr int kStatusLength = 35;

    explicit CFolderDialog(LPCTSTR initialFolder = nullptr, DWORD flags = 0,
                           CWnd* parent = nullptr);
    virtual ~CFolderDialog();
    CFolderDialog(const CFolderDialog&) = delete;
    CFolderDialog& operator=(const CFolderDialog&) = delete;

    // IDOK with an existing folder chosen, else IDCANCEL.
    virtual INT_PTR DoModal();
    CString GetFolderPath() const { return m_selected; }
    // A path longer than 35 characters is cut there and "..." follows.
    static CString ShortenPath(const CString& path);
    // The status line as it stands; empty outside DoModal.
    CString GetStatusText() const;

protected:
    virtual void OnInitialized();
    virtual void OnSelChanged(const CString& path);
    // For derived browsers.
    void EnableOK(BOOL enable);
    void SetSelection(const CString& path);
    void SetStatusText(const CString& text);

private:
    CString m_initial;
    CString m_selected;
    DWORD m_flags;
    CWnd* m_parent;
    QFileDialog* m_browser = nullptr;
    QLabel* m_status = nullptr;
};

class CStoragePathDialog : public CDialog {
public:
    explicit CStoragePathDialog(CWnd* parent = nullptr);
    void SetPath(const CString& path) { m_path = path; }
    CString GetPath() const { return m_path; }

protected:
    BOOL OnInitDialog() override;
    void OnBrowse();
    DECLARE_MESSAGE_MAP()

private:
    CString m_path;
};
