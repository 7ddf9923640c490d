#include "platform/ui/modal_host.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gdi/printer.h"
#include "platform/ui/color_dialog.h"
#include "platform/ui/dialog.h"
#include "platform/ui/menu_view.h"
#include "platform/ui/styles.h"
#include "platform/win/frame.h"

namespace platform {
namespace {

class QtModalHost : public ModalHost {
public:
    int RunMessageBox(CWnd* owner, const CString& text, const CString& caption,
                      UINT type) override {
        QMessageBox box(owner ? owner->GetWidget() : nullptr);
        box.setText(text.ToQString());
        box.setWindowTitle(caption.ToQString());
        switch (type & MB_ICONMASK) {
            case MB_ICONERROR:
                box.setIcon(QMessageBox::Critical);
                break;
            case MB_ICONQUESTION:
                box.setIcon(QMessageBox::Question);
                break;
            case MB_ICONWARNING:
                box.setIcon(QMessageBox::Warning);
                break;
            case MB_ICONINFORMATION:
                box.setIcon(QMessageBox::Information);
                break;
            default:
                break;
        }
        std::vector<std::pair<QPushButton*, int>> buttons;
        auto add = [&](const char* label, int result, QMessageBox::ButtonRole role) {
            buttons.emplace_back(box.addButton(label, role), result);
        };
        switch (type & MB_TYPEMASK) {
            case MB_OKCANCEL:
                add("OK", IDOK, QMessageBox::AcceptRole);
                add("Cancel", IDCANCEL, QMessageBox::RejectRole);
                break;
            case MB_ABORTRETRYIGNORE:
                add("&Abort", IDABORT, QMessageBox::RejectRole);
                add("&Retry", IDRETRY, QMessageBox::AcceptRole);
                add("&Ignore", IDIGNORE, QMessageBox::AcceptRole);
                break;
            case MB_YESNOCANCEL:
                add("&Yes", IDYES, QMessageBox::YesRole);
                add("&No", IDNO, QMessageBox::NoRole);
                add("Cancel", IDCANCEL, QMessageBox::RejectRole);
                break;
            case MB_YESNO:
                add("&Yes", IDYES, QMessageBox::YesRole);
                add("&No", IDNO, QMessageBox::NoRole);
                break;
            case MB_RETRYCANCEL:
                add("&Retry", IDRETRY, QMessageBox::AcceptRole);
                add("Cancel", IDCANCEL, QMessageBox::RejectRole);
                break;
            default:
                add("OK", IDOK, QMessageBox::AcceptRole);
                break;
        }
        box.exec();
        for (const auto& [button, result] : buttons)
            if (box.clickedButton() == button) return result;
        // Closed without a button: Cancel where there is one, else the only answer.
        const UINT kind = type & MB_TYPEMASK;
        return kind == MB_OK ? IDOK : kind == MB_YESNO ? IDNO : IDCANCEL;
    }

    void RunDialog(CDialog& dialog) override {
        auto* widget = qobject_cast<QDialog*>(dialog.GetWidget());
        if (widget && !dialog.IsEnded()) widget->exec();
    }

    int RunPrintDialog(CPrintDialog& dialog) override {
        CWnd* parent = dialog.GetParent();
        QPrintDialog box(dialog.GetPrinter(), parent ? parent->GetWidget() : nullptr);
        const DWORD flags = dialog.m_pd.Flags;
        QAbstractPrintDialog::PrintDialogOptions options = box.options();
        options.setFlag(QAbstractPrintDialog::PrintPageRange, !(flags & PD_NOPAGENUMS));
        options.setFlag(QAbstractPrintDialog::PrintSelection, !(flags & PD_NOSELECTION));
        // PD_HIDEPRINTTOFILE hides a driver's file box; Qt's PDF printer goes with this option,
        // and on a machine without printers it is the only one.
        options.setFlag(QAbstractPrintDialog::PrintToFile, true);
        box.setOptions(options);
        box.setMinMax(dialog.m_pd.nMinPage, dialog.m_pd.nMaxPage);
        if (box.exec() != QDialog::Accepted) return IDCANCEL;
        dialog.m_pd.Flags &= ~(PD_PAGENUMS | PD_SELECTION);
        if (box.printRange() == QAbstractPrintDialog::PageRange) {
            dialog.m_pd.Flags |= PD_PAGENUMS;
            dialog.m_pd.nFromPage = static_cast<WORD>(box.fromPage());
            dialog.m_pd.nToPage = static_cast<WORD>(box.toPage());
        }
        dialog.m_pd.nCopies = static_cast<WORD>(dialog.GetPrinter()->copyCount());
        return IDOK;
    }
};

class ShowCentred : public QObject {
public:
    explicit ShowCentred(QDialog& dialog) : m_dialog(dialog) { dialog.installEventFilter(this); }
    ~ShowCentred() override { m_dialog.removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_dialog && event->type() == QEvent::Show)
            CentreOnWindow(&m_dialog, m_dialog.parentWidget());
        return false;
    }

private:
    QDialog& m_dialog;
};

ModalHost*& Installed() {
    static ModalHost* host = nullptr;
    return host;
}

}  // namespace

ModalHost& ModalHost::Current() {
    if (!Installed()) {
        static QtModalHost qt;
        return qt;
    }
    return *Installed();
}

void ModalHost::Install(ModalHost* host) {
    Installed() = host;
}

UINT ModalHost::RunPopupMenu(CMenu& popup, int x, int y) {
    QMenu menu;
    UINT chosen = 0;
    MenuView::FillPopup(&menu, &popup, nullptr, nullptr);
    for (QAction* a : menu.actions())
        QObject::connect(a, &QAction::triggered, &menu,
                         [&chosen, a] { chosen = a->data().toUInt(); });
    menu.exec(QPoint(x, y));
    return chosen;
}

int ModalHost::RunQtDialog(QDialog& dialog) {
    // Qt's own choosers stand over the program as its dialogs do, not where the window manager
    // puts a window without an owner, nor where the chooser last stood.
    if (!dialog.parentWidget())
        if (CWnd* main = AfxGetMainWnd(); main && main->GetWidget())
            dialog.setParent(main->GetWidget()->window(), dialog.windowFlags() | Qt::Dialog);
    if (!dialog.testAttribute(Qt::WA_Resized)) dialog.adjustSize();
    CentreOnWindow(&dialog, dialog.parentWidget());
    // A chooser may take another size as it shows: centred again at its size then.
    ShowCentred centred(dialog);
    return dialog.exec();
}

int ModalHost::RunPageSetupDialog() {
    QPageSetupDialog dialog(&DefaultPrinter());
    return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

int ModalHost::RunColorDialog(CColorDialog& dialog) {
    CWnd* parent = dialog.GetParent();
    const COLORREF c = dialog.GetColor();
    const QColor chosen = QColorDialog::getColor(QColor(GetRValue(c), GetGValue(c), GetBValue(c)),
                                                 parent ? parent->GetWidget() : nullptr);
    if (!chosen.isValid()) return IDCANCEL;
    dialog.SetColor(RGB(chosen.red(), chosen.green(), chosen.blue()));
    return IDOK;
}

QPrinter& DefaultPrinter() {
    static QPrinter printer;
    return printer;
}

int ModalHost::RunPrintDialog(CPrintDialog&) {
    return IDCANCEL;
}

}  // namespace platform

int MessageBox(CWnd* owner, LPCTSTR text, LPCTSTR caption, UINT type) {
    return platform::ModalHost::Current().RunMessageBox(owner, text ? text : "",
                                                        caption ? caption : "Error", type);
}

int AfxMessageBox(LPCTSTR text, UINT type) {
    return platform::ModalHost::Current().RunMessageBox(
        nullptr, text ? text : "", QApplication::applicationName().toStdString(), type);
}
