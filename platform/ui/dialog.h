#pragma once
// CDialog: a dialog built from a template, modal through the modal host or modeless.

#include <functional>
#include <memory>
#include <vector>

#include "platform/msg/wnd.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog_template.h"

class CDataExchange;
class QFont;

class CDialog : public CWnd {
public:
    explicit CDialog(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    // Builds the dialog, calls OnInitDialog and runs it through the modal host; returns the value
    // given to EndDialog, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Modeless: builds the dialog hidden (unless the template says visible) and calls OnInitDialog.
    BOOL Create(CWnd* parent = nullptr);
    BOOL DestroyWindow() override;
    void OnClose() override;  // the close box is Cancel

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    bool IsEnded() const { return m_ended; }
    bool IsModal() const { return m_modal; }

    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    void SetDlgItemText(int id, LPCTSTR text);
    UINT GetDlgItemText(int id, CString& text) const;
    CString GetDlgItemText(int id) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    int GetCheckedRadioButton(int firstId, int lastId) const;
    void GotoDlgCtrl(CWnd* control);
    // The push button that Enter presses when the focus is on no other push button, shown with
    // the default frame; the template's default button gives up the role.
    void SetDefID(UINT id);

    const DialogTemplate& GetTemplate() const { return *m_template; }
    UINT GetTemplateId() const { return m_template->id; }

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    DECLARE_MESSAGE_MAP()

private:
    BOOL Build(CWnd* parent, bool modal);
    void BuildItems();

    const DialogTemplate* m_template;
    CWnd* m_parentWnd;
    std::vector<std::unique_ptr<CWnd>> m_items;
    int m_result = -1;
    bool m_modal = false;
    bool m_ended = false;
};

// Data exchange between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    bool m_failed = false;
    // Marks the exchange failed (a value could not be read); UpdateData then returns FALSE.
    void Fail() { m_failed = true; }
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_Radio(CDataExchange* dx, int firstId, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);

namespace platform {

// Controls of other classes ("CWGraph"...) are made by a factory registered under the class name.
using ControlFactory = std::function<std::unique_ptr<CWnd>()>;
void RegisterControlClass(const char* className, ControlFactory factory);
// The window object for a template item of that class; null for a class nobody registered.
std::unique_ptr<CWnd> MakeItemControl(const char* className);
// The control of a template item, made under `parent`; null when it cannot be made.
std::unique_ptr<CWnd> MakeTemplateItem(const DialogItem& item, CWnd* parent);

// A window class of the program's own, as RegisterClass makes one: a template's item of that class
// is a plain window that passes every message on to the window that subclasses it
// (SubclassDlgItem), as the class's procedure would. A name already registered stays as it is.
void RegisterWindowClass(const char* className);

// Puts a dialog window where Windows would: centred on its owner's window (the main window when
// it has none), or, when the template gives a position without DS_CENTER, at that offset from the
// owner's client area; always on the screen's work area.
void PlaceDialog(QWidget* dialog, CWnd* owner, const DialogTemplate& t);
// Centres a window on the window of `owner` (the main window when null, the screen when that is
// hidden too), on the screen's work area.
void CentreOnWindow(QWidget* dialog, QWidget* owner);

// The window flags of a dialog of `style`: the title bar's buttons follow WS_SYSMENU,
// WS_MINIMIZEBOX and WS_MAXIMIZEBOX.
Qt::WindowFlags DialogFlags(DWORD style);
// The width a title bar needs to show `caption` whole beside its icon and buttons.
int TitleBarWidth(const QString& caption);

// The dialog font (the templates' "Tahoma 8" on this platform), for dialogs and form views.
QFont DialogFont();
// A larger (or smaller) dialog font, as a desktop set to large fonts gives; 1 is the templates'
// own size. Windows made afterwards follow it.
void SetDialogFontScale(double scale);
double DialogFontScale();

}  // namespace platform
