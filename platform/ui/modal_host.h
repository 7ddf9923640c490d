#pragma once
// Every message box and modal dialog goes through one modal host. In the program it runs the Qt
// dialog modally (timers keep firing under it, as on Windows); in tests a script answers it.

#include "platform/base/cstring.h"

class CWnd;
class CDialog;
class CPrintDialog;
class CColorDialog;
class CMenu;
class QDialog;

namespace platform {

class ModalHost {
public:
    virtual ~ModalHost() = default;

    // A plain message box; returns IDOK, IDCANCEL, IDYES, IDNO... for the button pressed.
    virtual int RunMessageBox(CWnd* owner, const CString& text, const CString& caption,
                              UINT type) = 0;
    // Runs a dialog that is created, initialised and shown, until EndDialog is called.
    virtual void RunDialog(CDialog& dialog) = 0;
    // The print dialog: chooses the dialog's printer (GetPrinter) and pages; IDOK or IDCANCEL.
    virtual int RunPrintDialog(CPrintDialog& dialog);
    // A pop-up menu tracked at a screen point: the chosen command, 0 for none.
    virtual UINT RunPopupMenu(CMenu& popup, int x, int y);
    // The page set-up dialog: IDOK when a printer and page were chosen.
    virtual int RunPageSetupDialog();
    // The colour picker: IDOK with the dialog's colour set, or IDCANCEL.
    virtual int RunColorDialog(CColorDialog& dialog);
    // A dialog of Qt's own (file and folder choosers): QDialog::Accepted or QDialog::Rejected.
    virtual int RunQtDialog(QDialog& dialog);

    static ModalHost& Current();
    // Installs a host (tests install their script); nullptr returns to the Qt host.
    static void Install(ModalHost* host);
};

// The application's printer and page: the page set-up dialog sets them, and print dialogs start
// from them.
}  // namespace platform
class QPrinter;
namespace platform {
QPrinter& DefaultPrinter();
}  // namespace platform

// The Windows names.
int MessageBox(CWnd* owner, LPCTSTR text, LPCTSTR caption = nullptr, UINT type = 0);
int AfxMessageBox(LPCTSTR text, UINT type = 0);
