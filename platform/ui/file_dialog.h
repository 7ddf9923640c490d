#pragma once
// CFileDialog: the common open and save dialogs, run through the modal host. The filter is the
// Windows form ("Text (*.txt)|*.txt|..."); the chosen path has the default extension when the
// user typed none.

#include "platform/base/cstring.h"

class CWnd;

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

class CFileDialog {
public:
    // `defaultExt` may begin with the dot; `fileName` is the proposed name, maybe with a folder.
    explicit CFileDialog(BOOL openFileDialog, LPCTSTR defaultExt = nullptr,
                         LPCTSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCTSTR filter = nullptr, CWnd* parent = nullptr);

    // IDOK once a file is chosen, else IDCANCEL.
    INT_PTR DoModal();
    CString GetPathName() const { return m_pathName; }
    // The chosen name with its extension, without the folder.
    CString GetFileName() const;
    CString GetFileExt() const;

    // What the host needs: the filter in Qt's form ("Text (*.txt);;All (*)").
    CString GetQtFilter() const;
    // Takes the host's choice, adding the default extension when it has none.
    void SetChosenPath(const CString& path);

    BOOL m_openFileDialog;
    CString m_defaultExt;  // without the dot
    CString m_fileName;
    DWORD m_flags;
    CString m_filter;
    CWnd* m_parent;

private:
    CString m_pathName;
};
