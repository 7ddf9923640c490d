#include "platform/ui/dialog.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/ui/date_time_ctrl.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/progress_ctrl.h"
#include "platform/win/frame.h"
#include "platform/win/widget_bridge.h"

namespace platform {
namespace {

std::map<std::string, ControlFactory>& Factories() {
    static std::map<std::string, ControlFactory> factories;
    return factories;
}

std::string Lower(const char* s) {
    std::string out(s ? s : "");
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::unique_ptr<CWnd> MakeControl(const char* className) {
    const std::string name = Lower(className);
    if (name == "button") return std::make_unique<CButton>();
    if (name == "static") return std::make_unique<CStatic>();
    if (name == "edit") return std::make_unique<CEdit>();
    if (name == "combobox") return std::make_unique<CComboBox>();
    if (name == "listbox") return std::make_unique<CListBox>();
    if (name == PROGRESS_CLASS) return std::make_unique<CProgressCtrl>();
    if (name == Lower(DATETIMEPICK_CLASS)) return std::make_unique<CDateTimeCtrl>();
    auto it = Factories().find(name);
    return it == Factories().end() ? nullptr : it->second();
}

// The Qt dialog: Escape, the close box and Enter become the dialog's commands, so that the
// program's OnCancel and OnOK decide; only EndDialog closes it. Its title bar has the buttons its
// style asks for: a plain modal dialog has only the close box.
class DialogWidget : public QDialog {
public:
    DialogWidget(QWidget* parent, DWORD style) : QDialog(parent) {
        setWindowFlags(DialogFlags(style));
    }
    // At least as wide as the title bar needs to show the whole caption.
    void KeepTitleRoom() {
        const int needed = TitleBarWidth(windowTitle());
        if (width() < needed) setFixedWidth(needed);
    }
    void reject() override { Command(IDCANCEL); }
    void accept() override { Command(IDOK); }
    void Finish(int result) { QDialog::done(result); }

protected:
    // Enter as on Windows: the push button with the focus, else the dialog's default button,
    // else the OK command. Qt would do nothing where the default is hidden, and would make some
    // other button the default of a dialog that names none.
    void keyPressEvent(QKeyEvent* e) override {
        const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
        if (!enter || (e->modifiers() & ~Qt::KeypadModifier)) {
            QDialog::keyPressEvent(e);
            return;
        }
        auto usable = [this](QPushButton* b) {
            return b && b->isVisibleTo(this) && b->isEnabled();
        };
        QPushButton* button = qobject_cast<QPushButton*>(focusWidget());
        if (!usable(button)) {
            button = nullptr;
            for (QPushButton* b : findChildren<QPushButton*>())
                if (b->isDefault() && usable(b)) button = b;
        }
        if (button)
            button->click();
        else
            Command(IDOK);
    }
    void changeEvent(QEvent* e) override {
        QDialog::changeEvent(e);
        if (e->type() == QEvent::WindowTitleChange) KeepTitleRoom();
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (CWnd* w = CWnd::FromHandlePermanent(HandleOfWidget(this))) w->SendMessage(WM_CLOSE);
    }

private:
    void Command(int id) {
        if (CWnd* w = CWnd::FromHandlePermanent(HandleOfWidget(this)))
            w->SendMessage(WM_COMMAND, static_cast<WPARAM>(id));
    }
};

}  // namespace

Qt::WindowFlags DialogFlags(DWORD style) {
    Qt::WindowFlags f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
    if (style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
    return f;
}

int TitleBarWidth(const QString& caption) {
    // Window managers draw titles in a bold face of the desktop's font; the bar also holds the
    // window's icon and up to three buttons, each about a line and a half square.
    QFont font = QGuiApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int button = metrics.height() * 3 / 2 + 4;
    return metrics.horizontalAdvance(caption) + 4 * button + 2 * metrics.averageCharWidth();
}

namespace {

// The visible window a dialog of `owner` stands over: the owner's, else the main window's.
QWidget* OwnerWindow(QWidget* owner) {
    if (!owner)
        if (CWnd* main = AfxGetMainWnd()) owner = main->GetWidget();
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    return ownerWindow && ownerWindow->isVisible() ? ownerWindow : nullptr;
}

void MoveOnScreen(QWidget* dialog, QPoint at, const QRect& area) {
    // Never off the screen's work area, the title bar least of all.
    if (!area.isEmpty()) {
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - dialog->width())));
        at.setY(
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - dialog->height())));
    }
    dialog->move(at);
}

QRect WorkArea(const QWidget* ownerWindow) {
    QScreen* screen = ownerWindow ? ownerWindow->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

void PlaceDialog(QWidget* dialog, CWnd* owner, const DialogTemplate& t) {
    CWnd* from = owner ? owner : AfxGetMainWnd();
    QWidget* ownerWidget = from ? from->GetWidget() : nullptr;
    if ((t.x || t.y) && !(t.style & DS_CENTER) && ownerWidget) {
        // A template that gives a position places the dialog from its owner's client area.
        MoveOnScreen(dialog, ownerWidget->mapToGlobal(QPoint(DluToPixelX(t.x), DluToPixelY(t.y))),
                     WorkArea(OwnerWindow(ownerWidget)));
        return;
    }
    CentreOnWindow(dialog, ownerWidget);
}

void CentreOnWindow(QWidget* dialog, QWidget* owner) {
    QWidget* ownerWindow = OwnerWindow(owner);
    const QRect area = WorkArea(ownerWindow);
    const QRect around = ownerWindow ? ownerWindow->frameGeometry() : area;
    MoveOnScreen(dialog, around.center() - QPoint(dialog->width() / 2, dialog->height() / 2), area);
}

std::unique_ptr<CWnd> MakeItemControl(const char* className) {
    return MakeControl(className);
}

std::unique_ptr<CWnd> MakeTemplateItem(const DialogItem& item, CWnd* parent) {
    std::unique_ptr<CWnd> control = MakeControl(item.className);
    if (!control) return nullptr;
    DWORD style = item.style | WS_CHILD;
    if (!item.hidden) style |= WS_VISIBLE;
    if (item.disabled) style |= WS_DISABLED;
    const CRect r = DluToPixels(item.x, item.y, item.cx, item.cy);
    // A combo's scroll-bar styles are its list's, not bars of its own.
    auto* combo = dynamic_cast<CComboBox*>(control.get());
    const BOOL made = combo ? combo->Create(style, r, parent, item.id)
                            : control->Create(item.className, item.text, style, r, parent, item.id);
    return made ? std::move(control) : nullptr;
}

void RegisterControlClass(const char* className, ControlFactory factory) {
    Factories()[Lower(className)] = std::move(factory);
}

namespace {

class ClassWindow : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (PassToSubclass(this, msg, wParam, lParam, result)) return result;
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

}  // namespace

void RegisterWindowClass(const char* className) {
    Factories().try_emplace(Lower(className), [] { return std::make_unique<ClassWindow>(); });
}

namespace {
double g_fontScale = 1.0;
}  // namespace

QFont DialogFont() {
    // The condensed face has the templates' own font's metrics (6 by 13 base units at 11 pixels),
    // so layouts made in pixels for it fit too; without it the plain face stands in.
    QFont f("DejaVu Sans Condensed");
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(11 * g_fontScale))));
    return f;
}

void SetDialogFontScale(double scale) {
    g_fontScale = scale > 0 ? scale : 1.0;
}

double DialogFontScale() {
    return g_fontScale;
}

DialogBaseUnits GetDialogBaseUnits() {
    static double cachedScale = 0;
    static DialogBaseUnits cached{};
    if (cachedScale != g_fontScale) {
        const QFontMetrics metrics(DialogFont());
        const int alphabet =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        cached = {(alphabet / 26 + 1) / 2, metrics.height()};
        cachedScale = g_fontScale;
    }
    return cached;
}

int DluToPixelX(int dlu) {
    return (dlu * GetDialogBaseUnits().cx + 2) / 4;
}

int DluToPixelY(int dlu) {
    return (dlu * GetDialogBaseUnits().cy + 4) / 8;
}

int FontPixelsX(int px) {
    return (px * GetDialogBaseUnits().cx + 3) / 6;
}

int FontPixelsY(int px) {
    return (px * GetDialogBaseUnits().cy + 6) / 13;
}

CRect DluToPixels(int x, int y, int cx, int cy) {
    return CRect(DluToPixelX(x), DluToPixelY(y), DluToPixelX(x + cx), DluToPixelY(y + cy));
}

}  // namespace platform

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent)
    : m_template(&dialogTemplate), m_parentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd) CDialog::DestroyWindow();
}

QWidget* CDialog::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* w = new platform::DialogWidget(parentWidget, cs.style);
    w->setFont(platform::DialogFont());
    return w;
}

BOOL CDialog::Build(CWnd* parent, bool modal) {
    if (m_hWnd) return FALSE;
    if (parent) m_parentWnd = parent;
    m_modal = modal;
    m_ended = false;
    m_result = -1;
    const DialogTemplate& t = *m_template;
    const CRect rect = platform::DluToPixels(t.x, t.y, t.cx, t.cy);
    if (!CWnd::Create("Dialog", t.caption, t.style & ~WS_VISIBLE, rect, m_parentWnd, t.id))
        return FALSE;
    if (QWidget* w = GetWidget()) {
        w->setFixedSize(rect.Width(), rect.Height());
        if (auto* dialog = dynamic_cast<platform::DialogWidget*>(w)) dialog->KeepTitleRoom();
        if (w->isWindow()) platform::PlaceDialog(w, m_parentWnd, t);
    }
    BuildItems();
    if (m_items.size() != t.items.size()) {
        DestroyWindow();
        return FALSE;
    }
    const platform::WindowWatch watch(*this);
    OnInitDialog();
    return watch.Alive();
}

void CDialog::BuildItems() {
    QButtonGroup* group = nullptr;
    bool previousWasRadio = false;
    for (const DialogItem& item : m_template->items) {
        std::unique_ptr<CWnd> control = platform::MakeTemplateItem(item, this);
        if (!control) return;
        // Radio buttons of one group (a run that starts with WS_GROUP) exclude each other.
        const bool radio = std::string_view(item.className) == "Button" &&
                           ((item.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON ||
                            (item.style & BS_TYPEMASK) == BS_RADIOBUTTON);
        if (!radio || (item.style & WS_GROUP) || !previousWasRadio) group = nullptr;
        if (radio && (item.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
            if (!group) {
                group = new QButtonGroup(GetWidget());
                group->setExclusive(true);
            }
            if (auto* rb = qobject_cast<QRadioButton*>(control->GetWidget())) group->addButton(rb);
        }
        previousWasRadio = radio;
        m_items.push_back(std::move(control));
    }
}

INT_PTR CDialog::DoModal() {
    if (!Build(m_parentWnd, true)) return -1;
    if (!m_ended) platform::ModalHost::Current().RunDialog(*this);
    const int result = m_ended ? m_result : IDCANCEL;
    DestroyWindow();
    return result;
}

BOOL CDialog::Create(CWnd* parent) {
    if (!Build(parent, false)) return FALSE;
    if (m_template->style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CDialog::DestroyWindow() {
    const BOOL r = CWnd::DestroyWindow();
    m_items.clear();
    return r;
}

void CDialog::OnClose() {
    SendMessage(WM_COMMAND, IDCANCEL);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = true;
    if (auto* w = dynamic_cast<platform::DialogWidget*>(GetWidget())) w->Finish(result);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_failed;
}

void CDialog::SetDlgItemText(int id, LPCTSTR text) {
    if (CWnd* w = GetDlgItem(id)) w->SetWindowText(text);
}

UINT CDialog::GetDlgItemText(int id, CString& text) const {
    CWnd* w = GetDlgItem(id);
    text = w ? w->GetWindowText() : CString();
    return static_cast<UINT>(text.GetLength());
}

CString CDialog::GetDlgItemText(int id) const {
    CString t;
    GetDlgItemText(id, t);
    return t;
}

void CDialog::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
    CString s;
    if (isSigned)
        s.Format("%d", static_cast<int>(value));
    else
        s.Format("%u", value);
    SetDlgItemText(id, s);
}

UINT CDialog::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
    const CString s = GetDlgItemText(id);
    char* end = nullptr;
    const long long v = isSigned ? std::strtoll(s.GetString(), &end, 10)
                                 : static_cast<long long>(std::strtoull(s.GetString(), &end, 10));
    const bool ok = end && end != s.GetString() && CString(end).Trim().IsEmpty();
    if (translated) *translated = ok;
    return ok ? static_cast<UINT>(v) : 0;
}

void CDialog::CheckDlgButton(int id, UINT check) {
    if (auto* b = dynamic_cast<CButton*>(GetDlgItem(id))) b->SetCheck(static_cast<int>(check));
}

UINT CDialog::IsDlgButtonChecked(int id) const {
    auto* b = dynamic_cast<CButton*>(GetDlgItem(id));
    return b ? static_cast<UINT>(b->GetCheck()) : 0;
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        CheckDlgButton(id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
}

int CDialog::GetCheckedRadioButton(int firstId, int lastId) const {
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(id)) return id;
    return 0;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control) control->SetFocus();
}

void CDialog::SetDefID(UINT id) {
    for (const auto& item : m_items)
        if (auto* push = qobject_cast<QPushButton*>(item->GetWidget()))
            push->setDefault(static_cast<UINT>(item->GetDlgCtrlID()) == id);
}

// ---- data exchange ----

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    if (dx->m_bSaveAndValidate)
        dx->m_pDlgWnd->GetDlgItemText(id, value);
    else
        dx->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (!dx->m_bSaveAndValidate) {
        dx->m_pDlgWnd->SetDlgItemInt(id, static_cast<UINT>(value), TRUE);
        return;
    }
    BOOL ok = FALSE;
    const UINT v = dx->m_pDlgWnd->GetDlgItemInt(id, &ok, TRUE);
    if (!ok) {
        AfxMessageBox("Please enter an integer.", MB_ICONEXCLAMATION);
        dx->Fail();
        return;
    }
    value = static_cast<int>(v);
}

void DDX_Text(CDataExchange* dx, int id, double& value) {
    if (!dx->m_bSaveAndValidate) {
        CString s;
        s.Format("%.*g", 15, value);
        dx->m_pDlgWnd->SetDlgItemText(id, s);
        return;
    }
    const CString s = dx->m_pDlgWnd->GetDlgItemText(id);
    char* end = nullptr;
    const double v = std::strtod(s.GetString(), &end);
    if (!end || end == s.GetString() || !CString(end).Trim().IsEmpty()) {
        AfxMessageBox("Please enter a number.", MB_ICONEXCLAMATION);
        dx->Fail();
        return;
    }
    value = v;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(dx->m_pDlgWnd->IsDlgButtonChecked(id));
    else
        dx->m_pDlgWnd->CheckDlgButton(id, static_cast<UINT>(value));
}

void DDX_Radio(CDataExchange* dx, int firstId, int& value) {
    // The group runs from the first button to the next item that starts a group.
    const auto& items = dx->m_pDlgWnd->GetTemplate().items;
    std::vector<int> ids;
    bool inGroup = false;
    for (const DialogItem& item : items) {
        if (!inGroup && static_cast<int>(item.id) == firstId)
            inGroup = true;
        else if (inGroup && (item.style & WS_GROUP))
            break;
        if (inGroup) ids.push_back(static_cast<int>(item.id));
    }
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < ids.size(); ++i)
            if (dx->m_pDlgWnd->IsDlgButtonChecked(ids[i])) value = static_cast<int>(i);
    } else {
        for (size_t i = 0; i < ids.size(); ++i)
            dx->m_pDlgWnd->CheckDlgButton(
                ids[i], static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    auto* combo = dynamic_cast<CComboBox*>(dx->m_pDlgWnd->GetDlgItem(id));
    if (!combo) return;
    if (dx->m_bSaveAndValidate)
        index = combo->GetCurSel();
    else
        combo->SetCurSel(index);
}
