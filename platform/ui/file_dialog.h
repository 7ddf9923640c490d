#pragma once
// CFileDialog: the open and save file dialogs, on Qt's file dialog through the modal host.

#include "platform/base/cstring.h"

class CWnd;
class QFileDialog;

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

class CFileDialog {
public:
    // `filter` in the Windows form "Name (*.a;*.b)|*.a;*.b|...". `fileName` may hold a folder and
    // a pattern ("folder/*.vnp"): the dialog opens in the folder.
    explicit CFileDialog(BOOL openFileDialog, LPCTSTR defaultExtension = nullptr,
                         LPCTSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCTSTR filter = nullptr, CWnd* parent = nullptr);
    virtual ~CFileDialog();
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK with a chosen path, or IDCANCEL.
    virtual INT_PTR DoModal();
    CString GetPathName() const { return m_path; }
    CString GetFileName() const;
    CString GetFolderPath() const;
    bool IsOpenDialog() const { return m_open; }
    CString GetInitialName() const { return m_fileName; }
    CString GetFilter() const { return m_filter; }
    CString GetDefaultExtension() const { return m_defaultExtension; }
    DWORD GetFlags() const { return m_flags; }
    // The Qt dialog while DoModal runs; null otherwise.
    QFileDialog* GetQtDialog() const { return m_dialog; }

private:
    BOOL m_open;
    CString m_defaultExtension;
    CString m_fileName;
    DWORD m_flags;
    CString m_filter;
    CWnd* m_parent;
    CString m_path;
    QFileDialog* m_dialog = nullptr;
};
