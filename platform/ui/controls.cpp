#include "platform/ui/controls.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QVariant>
#include <algorithm>
#include <utility>

#include "platform/msg/keys.h"
#include "platform/ui/dialog.h"
#include "platform/ui/form_view.h"
#include "platform/ui/text_fit.h"
#include "platform/win/placement.h"
#include "platform/win/widget_bridge.h"

namespace platform {

void NotifyParent(QWidget* control, UINT code) {
    const HWND hwnd = HandleOfWidget(control);
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) return;
    const WPARAM wParam =
        MAKEWPARAM(static_cast<WORD>(wnd->GetDlgCtrlID()), static_cast<WORD>(code));
    // The control hears of it first, and may keep it to itself.
    if (CWnd* face = SubclassOfWidget(control)) {
        if (face->SendMessage(OCM_COMMAND, wParam, reinterpret_cast<LPARAM>(hwnd))) return;
        wnd = CWnd::FromHandlePermanent(hwnd);
        if (!wnd) return;
    }
    CWnd* parent = wnd->GetParent();
    if (!parent) return;
    parent->SendMessage(WM_COMMAND, wParam, reinterpret_cast<LPARAM>(hwnd));
}

}  // namespace platform

namespace {

using platform::NotifyParent;

QString ItemText(LPCTSTR text) {
    return QString::fromUtf8(text ? text : "");
}

// Windows draws "&x" in a static as an underlined x; Qt labels would show the ampersand.
QString StaticText(LPCTSTR text, DWORD style) {
    const QString s = ItemText(text);
    return style & SS_NOPREFIX ? s : platform::WithoutMnemonics(s);
}

// Tells the parent when an edit loses the focus.
class FocusWatcher : public QObject {
public:
    FocusWatcher(QObject* parent, UINT setCode, UINT killCode)
        : QObject(parent), m_set(setCode), m_kill(killCode) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) NotifyParent(static_cast<QWidget*>(o), m_set);
        if (e->type() == QEvent::FocusOut) NotifyParent(static_cast<QWidget*>(o), m_kill);
        return false;
    }

private:
    UINT m_set, m_kill;
};

// A static with SS_NOTIFY tells its parent of a click on it, and keeps its clicks from the window
// beneath it (a plain static lets them through, as on Windows).
class ClickWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        const auto type = e->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
            type != QEvent::MouseButtonDblClick)
            return false;
        if (e->type() != QEvent::MouseButtonRelease) return true;
        auto* widget = static_cast<QWidget*>(o);
        const auto* mouse = static_cast<QMouseEvent*>(e);
        if (mouse->button() == Qt::LeftButton &&
            widget->rect().contains(mouse->position().toPoint()))
            NotifyParent(widget, STN_CLICKED);
        return true;
    }
};

constexpr const char* kKeyRouterProperty = "varnelKeyRouter";

// An edit's limit, as on Windows, holds for what the user types: a longer text that the program
// sets is kept whole, and the user can shorten it but not lengthen it.
constexpr const char* kLimitProperty = "varnelTextLimit";
constexpr int kNoLimit = 32767;

// Gives a line edit with a limit room for a text of `length` characters.
void FitLimit(QLineEdit* edit, qsizetype length) {
    const QVariant limit = edit->property(kLimitProperty);
    if (!limit.isValid()) return;
    edit->setMaxLength(static_cast<int>(std::clamp<qsizetype>(length, limit.toInt(), kNoLimit)));
}

// Routes a control's keys and focus changes through its window (see CEdit and CComboBox). A press
// waits here until the window's handler hands it to the control, or is swallowed by not being
// handed on; a release reaches the window as WM_KEYUP and then the control as it is.
class KeyRouter : public QObject {
public:
    explicit KeyRouter(QWidget* control) : QObject(control) {}

    bool eventFilter(QObject* o, QEvent* e) override {
        auto* widget = static_cast<QWidget*>(o);
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
            // A pop-up (a combo's list, a menu) takes no focus on Windows.
            if (static_cast<QFocusEvent*>(e)->reason() == Qt::PopupFocusReason) return false;
            if (CWnd* wnd = Target(widget))
                wnd->SendMessage(e->type() == QEvent::FocusIn ? WM_SETFOCUS : WM_KILLFOCUS);
            return false;
        }
        if (e->type() == QEvent::KeyRelease) {
            platform::ForwardKeyRelease(Target(widget), static_cast<QKeyEvent*>(e));
            return false;
        }
        if (e->type() != QEvent::KeyPress || m_passing) return false;
        CWnd* wnd = Target(widget);
        if (!wnd) return false;
        auto* key = static_cast<QKeyEvent*>(e);
        QKeyEvent* outer = std::exchange(m_routed, key);
        const bool outerDelivered = std::exchange(m_delivered, false);
        const QPointer<KeyRouter> alive(this);
        platform::ForwardKeyPress(wnd, key);
        if (alive) {
            m_routed = outer;
            m_delivered = outerDelivered;
        }
        // Delivered or swallowed, the press has been dealt with here.
        e->accept();
        return true;
    }

    // The control's default handling of a key: the press being routed, or one made for a message
    // the program sent itself. `from` is the widget of the window whose handling this is: a
    // combo's edit hands Up and Down to the combo.
    void Deliver(QWidget* from, UINT vk, UINT ch) {
        QWidget* own = static_cast<QWidget*>(parent());
        if (from != own && (vk == VK_UP || vk == VK_DOWN)) {
            if (CWnd* combo = CWnd::FromHandlePermanent(platform::HandleOfWidget(own)))
                combo->SendMessage(WM_KEYDOWN, vk, 1);
            return;
        }
        if (m_routed) {
            // A key that types waits for its WM_CHAR.
            if (m_delivered || (vk && platform::CharOfKey(m_routed))) return;
            m_delivered = true;
            Pass(own, m_routed);
            return;
        }
        int key = 0;
        QString text;
        if (ch) {
            switch (ch) {
                case 8:
                    key = Qt::Key_Backspace;
                    break;
                case 9:
                    key = Qt::Key_Tab;
                    break;
                case 13:
                    key = Qt::Key_Return;
                    break;
                case 27:
                    key = Qt::Key_Escape;
                    break;
                default:
                    text = QString(QChar(static_cast<char16_t>(ch)));
            }
        } else {
            key = platform::QtKeyFromVirtualKey(vk);
            if (!key) return;
        }
        QKeyEvent made(QEvent::KeyPress, key, Qt::NoModifier, text);
        Pass(own, &made);
    }

private:
    // The window a control's keys go to: a drop-down combo's edit, else the control's own.
    static CWnd* Target(QWidget* widget) {
        if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit())
            if (CWnd* edit = CWnd::FromHandlePermanent(platform::HandleOfWidget(combo->lineEdit())))
                return edit;
        return CWnd::FromHandlePermanent(platform::HandleOfWidget(widget));
    }

    void Pass(QWidget* widget, QKeyEvent* key) {
        const bool outer = std::exchange(m_passing, true);
        const QPointer<KeyRouter> alive(this);
        QCoreApplication::sendEvent(widget, key);
        if (alive) m_passing = outer;
    }

    QKeyEvent* m_routed = nullptr;
    bool m_delivered = false;
    bool m_passing = false;
};

int CompareNoCase(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}

}  // namespace

// ---- CStatic ----

BOOL CStatic::Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("Static", text, style, rect, parent, id);
}

QWidget* CStatic::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* label = new QLabel(parentWidget);
    const DWORD type = cs.style & SS_TYPEMASK;
    Qt::Alignment align = Qt::AlignTop;
    if (type == SS_CENTER)
        align |= Qt::AlignHCenter;
    else if (type == SS_RIGHT)
        align |= Qt::AlignRight;
    else
        align |= Qt::AlignLeft;
    if (cs.style & SS_CENTERIMAGE) align = (align & ~Qt::AlignTop) | Qt::AlignVCenter;
    label->setAlignment(align);
    label->setTextFormat(Qt::PlainText);  // a static shows its text as it is, tags and all
    label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
    if (cs.style & SS_SUNKEN) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (type == SS_BLACKFRAME) label->setFrameStyle(QFrame::Box | QFrame::Plain);
    if (type == SS_ETCHEDHORZ) label->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    if (cs.style & SS_NOTIFY) label->installEventFilter(new ClickWatcher(label));
    return label;
}

void CStatic::OnLButtonUp(UINT flags, CPoint point) {
    // A static that draws itself gets its clicks as messages.
    CRect client;
    GetClientRect(&client);
    if ((GetStyle() & SS_NOTIFY) && client.PtInRect(point)) {
        if (CWnd* parent = GetParent())
            parent->SendMessage(WM_COMMAND,
                                MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), STN_CLICKED),
                                reinterpret_cast<LPARAM>(m_hWnd));
        return;
    }
    CWnd::OnLButtonUp(flags, point);
}

void CStatic::SetWindowText(LPCTSTR text) {
    CWnd::SetWindowText(text);
    auto* label = qobject_cast<QLabel*>(GetWidget());
    if (!label) return;
    const DWORD type = GetStyle() & SS_TYPEMASK;
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP)
        platform::ShowControlText(label, StaticText(text, GetStyle()));
    else
        label->setText(StaticText(text, GetStyle()));
}

// ---- CButton ----

BOOL CButton::Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("Button", text, style, rect, parent, id);
}

QWidget* CButton::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    const DWORD type = cs.style & BS_TYPEMASK;
    QAbstractButton* button = nullptr;
    switch (type) {
        case BS_GROUPBOX:
            return new QGroupBox(parentWidget);
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: {
            auto* box = new QCheckBox(parentWidget);
            box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
            if (cs.style & BS_LEFTTEXT) box->setLayoutDirection(Qt::RightToLeft);
            button = box;
            break;
        }
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            auto* radio = new QRadioButton(parentWidget);
            radio->setAutoExclusive(false);  // groups follow WS_GROUP; the dialog sets them up
            button = radio;
            break;
        }
        default: {
            auto* push = new QPushButton(parentWidget);
            push->setAutoDefault(false);
            push->setDefault(type == BS_DEFPUSHBUTTON);
            if (cs.style & BS_FLAT) push->setFlat(true);
            button = push;
        }
    }
    // Non-automatic checks and radios are changed by the program, not by the click.
    const bool manual = type == BS_CHECKBOX || type == BS_3STATE || type == BS_RADIOBUTTON;
    QObject::connect(button, &QAbstractButton::clicked, button, [button, manual](bool) {
        if (manual) {
            QSignalBlocker block(button);
            button->setChecked(!button->isChecked());
        }
        NotifyParent(button, BN_CLICKED);
    });
    return button;
}

QAbstractButton* CButton::Button() const {
    return qobject_cast<QAbstractButton*>(GetWidget());
}

void CButton::SetWindowText(LPCTSTR text) {
    CWnd::SetWindowText(text);
    // Buttons and group boxes read "&" as Windows does: the text goes to them as it is.
    if (Button() || qobject_cast<QGroupBox*>(GetWidget()))
        platform::ShowControlText(GetWidget(), ItemText(text));
}

CString CButton::GetWindowText() const {
    // The text as set, even where the button shows it shortened.
    return CWnd::GetWindowText();
}

int CButton::GetCheck() const {
    if (auto* box = qobject_cast<QCheckBox*>(GetWidget())) {
        switch (box->checkState()) {
            case Qt::Checked:
                return BST_CHECKED;
            case Qt::PartiallyChecked:
                return BST_INDETERMINATE;
            default:
                return BST_UNCHECKED;
        }
    }
    QAbstractButton* b = Button();
    return b && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int check) {
    QSignalBlocker block(GetWidget());
    if (auto* box = qobject_cast<QCheckBox*>(GetWidget())) {
        box->setCheckState(check == BST_CHECKED         ? Qt::Checked
                           : check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
    } else if (QAbstractButton* b = Button(); b && b->isCheckable()) {
        // An exclusive group refuses to uncheck its checked button; the program may.
        QButtonGroup* group = b->group();
        const bool exclusive = group && group->exclusive();
        if (exclusive) group->setExclusive(false);
        b->setChecked(check == BST_CHECKED);
        if (exclusive) group->setExclusive(true);
    }
}

void CButton::Click() {
    if (QAbstractButton* b = Button()) b->click();
}

// ---- CEdit ----

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("Edit", "", style, rect, parent, id);
}

QWidget* CEdit::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    QWidget* w = nullptr;
    if (cs.style & ES_MULTILINE) {
        auto* edit = new QPlainTextEdit(parentWidget);
        edit->setReadOnly(cs.style & ES_READONLY);
        edit->setLineWrapMode(cs.style & (WS_HSCROLL | ES_AUTOHSCROLL)
                                  ? QPlainTextEdit::NoWrap
                                  : QPlainTextEdit::WidgetWidth);
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit,
                         [edit] { NotifyParent(edit, EN_CHANGE); });
        w = edit;
    } else {
        auto* edit = new QLineEdit(parentWidget);
        edit->setReadOnly(cs.style & ES_READONLY);
        if (cs.style & ES_PASSWORD) edit->setEchoMode(QLineEdit::Password);
        if (cs.style & ES_CENTER) edit->setAlignment(Qt::AlignHCenter);
        if (cs.style & ES_RIGHT) edit->setAlignment(Qt::AlignRight);
        edit->setFrame(cs.style & WS_BORDER);
        QObject::connect(edit, &QLineEdit::textChanged, edit,
                         [edit] { NotifyParent(edit, EN_CHANGE); });
        // Room the program's longer text made goes as the user shortens it.
        QObject::connect(edit, &QLineEdit::textEdited, edit,
                         [edit] { FitLimit(edit, edit->text().size()); });
        w = edit;
    }
    w->installEventFilter(new FocusWatcher(w, EN_SETFOCUS, EN_KILLFOCUS));
    auto* router = new KeyRouter(w);
    w->installEventFilter(router);
    w->setProperty(kKeyRouterProperty, QVariant::fromValue(static_cast<QObject*>(router)));
    return w;
}

namespace {

KeyRouter* RouterOf(QWidget* w) {
    return w ? static_cast<KeyRouter*>(w->property(kKeyRouterProperty).value<QObject*>()) : nullptr;
}

}  // namespace

void CEdit::OnKeyDown(UINT vk, UINT, UINT) {
    if (KeyRouter* router = RouterOf(GetWidget())) router->Deliver(GetWidget(), vk, 0);
}

void CEdit::OnChar(UINT ch, UINT, UINT) {
    if (KeyRouter* router = RouterOf(GetWidget())) router->Deliver(GetWidget(), 0, ch);
}

QLineEdit* CEdit::Line() const {
    return qobject_cast<QLineEdit*>(GetWidget());
}
QPlainTextEdit* CEdit::Multi() const {
    return qobject_cast<QPlainTextEdit*>(GetWidget());
}

LRESULT CEdit::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPY || msg == WM_PASTE) {
        if (QPlainTextEdit* m = Multi())
            msg == WM_COPY ? m->copy() : m->paste();
        else if (QLineEdit* l = Line())
            msg == WM_COPY ? l->copy() : l->paste();
        return 0;
    }
    return CWnd::DefWindowProc(msg, wParam, lParam);
}

void CEdit::SetWindowText(LPCTSTR text) {
    CWnd::SetWindowText(text);
    // Windows edits break lines at CR LF; the widgets want a plain LF.
    QString t = ItemText(text);
    t.replace("\r\n", "\n");
    if (QLineEdit* l = Line()) {
        FitLimit(l, t.size());
        l->setText(t);
    } else if (QPlainTextEdit* m = Multi()) {
        m->setPlainText(t);
    }
}

CString CEdit::GetWindowText() const {
    if (QLineEdit* l = Line()) return CString(l->text());
    if (QPlainTextEdit* m = Multi()) return CString(m->toPlainText().replace("\n", "\r\n"));
    return CWnd::GetWindowText();
}

void CEdit::SetSel(int start, int end, BOOL) {
    if (QLineEdit* l = Line()) {
        const int len = static_cast<int>(l->text().size());
        if (start < 0) {
            l->deselect();
            return;
        }
        if (end < 0 || end > len) end = len;
        l->setSelection(start, end - start);
    } else if (QPlainTextEdit* m = Multi()) {
        QTextCursor c = m->textCursor();
        const int len = static_cast<int>(m->toPlainText().size());
        c.setPosition(std::clamp(start, 0, len));
        c.setPosition(end < 0 ? len : std::clamp(end, 0, len), QTextCursor::KeepAnchor);
        m->setTextCursor(c);
    }
}

void CEdit::GetSel(int& start, int& end) const {
    start = end = 0;
    if (QLineEdit* l = Line()) {
        if (l->hasSelectedText()) {
            start = l->selectionStart();
            end = start + static_cast<int>(l->selectedText().size());
        } else {
            start = end = l->cursorPosition();
        }
    } else if (QPlainTextEdit* m = Multi()) {
        start = m->textCursor().selectionStart();
        end = m->textCursor().selectionEnd();
    }
}

void CEdit::ReplaceSel(LPCTSTR text, BOOL) {
    if (QLineEdit* l = Line())
        l->insert(ItemText(text));
    else if (QPlainTextEdit* m = Multi())
        m->insertPlainText(ItemText(text));
}

BOOL CEdit::SetReadOnly(BOOL readOnly) {
    if (QLineEdit* l = Line())
        l->setReadOnly(readOnly);
    else if (QPlainTextEdit* m = Multi())
        m->setReadOnly(readOnly);
    return TRUE;
}

void CEdit::SetLimitText(UINT max) {
    QLineEdit* l = Line();
    if (!l) return;
    l->setProperty(kLimitProperty, max == 0 || max > kNoLimit ? kNoLimit : static_cast<int>(max));
    // A limit below the text's length leaves the text as it is.
    FitLimit(l, l->text().size());
}

int CEdit::GetLineCount() const {
    if (QPlainTextEdit* m = Multi()) return m->blockCount();
    return 1;
}

// ---- CComboBox ----

namespace {

// A drop-down combo's edit as a window of its own on the combo's line edit. It passes its messages
// on to the window that subclasses it.
class ComboEditPart : public CEdit {
public:
    void Attach(CWnd* combo, QLineEdit* line) {
        RegisterWindow(combo, IDC_COMBOEDIT);
        SetStyleBits(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL);
        SetWidget(line, false);
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (platform::PassToSubclass(this, msg, wParam, lParam, result)) return result;
        return CEdit::WindowProc(msg, wParam, lParam);
    }
};

// Tells a combo's parent when its list drops down and closes up.
class DropWatcher : public QObject {
public:
    explicit DropWatcher(QComboBox* combo) : QObject(combo), m_combo(combo) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) NotifyParent(m_combo, CBN_DROPDOWN);
        if (e->type() == QEvent::Hide) NotifyParent(m_combo, CBN_CLOSEUP);
        return false;
    }

private:
    QComboBox* m_combo;
};

// The room a combo's box leaves its text.
int ComboTextWidth(const QComboBox* combo, int width) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.rect = QRect(0, 0, width, combo->height());
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    return field.width() - 2;
}

int ComboItemWidth(const QComboBox* combo, int index) {
    const QIcon icon = combo->itemIcon(index);
    return combo->fontMetrics().horizontalAdvance(combo->itemText(index)) +
           (icon.isNull() ? 0 : combo->iconSize().width() + 4);
}

// Drops a combo's list below the box, as many items high as SetItemHeight leaves room for, as on
// Windows; the default style would lay the list over the box with every item showing. A text
// too long for the box ends in an ellipsis rather than being cut.
class DroppedListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* box = qstyleoption_cast<const QStyleOptionComboBox*>(option);
        if (element != CE_ComboBoxLabel || !box || box->editable) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionComboBox shortened(*box);
        int width = subControlRect(CC_ComboBox, box, SC_ComboBoxEditField, widget).width() - 2;
        if (!box->currentIcon.isNull()) width -= box->iconSize.width() + 4;
        shortened.currentText =
            box->fontMetrics.elidedText(box->currentText, Qt::ElideRight, std::max(0, width));
        QProxyStyle::drawControl(element, &shortened, painter, widget);
    }
};

QStyle* DroppedList() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new DroppedListStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

// Gives a combo's list items one height.
class ItemHeightDelegate : public QStyledItemDelegate {
public:
    explicit ItemHeightDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    void SetHeight(int height) { m_height = height; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_height);
    }

private:
    int m_height = 0;
};

// A drop-down combo's rectangle holds its box and its dropped list, as on Windows: the box is one
// line high, and the rest of the rectangle is the list's. The state lives with the widget, which
// every face of the control shares.
// A template's box too narrow for its items grows to the right, as far as its neighbours leave
// room; the tooltip of a text shown shortened holds all of it.
class ComboPlacement : public platform::WidgetPlacement {
public:
    ComboPlacement(QComboBox* combo, bool simple)
        : WidgetPlacement(combo), m_combo(combo), m_simple(simple) {
        // Items come and go in runs: the box is fitted once they are shown.
        QAbstractItemModel* model = combo->model();
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            connect(model, signal, this, [this] { ItemsChanged(); });
        connect(model, &QAbstractItemModel::dataChanged, this, [this] { ItemsChanged(); });
        connect(model, &QAbstractItemModel::modelReset, this, [this] { ItemsChanged(); });
    }
    QRect Designed() const override { return Box(Asked()); }
    int BoxHeight() const {
        return m_boxHeight ? m_boxHeight : std::max(1, m_combo->sizeHint().height());
    }
    int ItemHeight() const {
        if (m_itemHeight) return m_itemHeight;
        const int row = m_combo->view()->sizeHintForRow(0);
        return row > 0 ? row : m_combo->fontMetrics().height();
    }
    void SetBoxHeight(int height) {
        m_boxHeight = height;
        Replace();
    }
    void SetItemHeight(int height) {
        m_itemHeight = height;
        Replace();
    }
    int DroppedWidth() const { return m_droppedWidth; }
    void SetDroppedWidth(int width) {
        m_droppedWidth = width;
        FitList();
    }

protected:
    QRect Adjust(const QRect& asked) override {
        // The list shows as many items as the rest of the rectangle holds.
        const int rows = (asked.height() - BoxHeight()) / std::max(1, ItemHeight());
        if (rows >= 1) m_combo->setMaxVisibleItems(rows);
        QRect box = Box(asked);
        m_dirty = false;
        int widest = 0;
        for (int i = 0; i < m_combo->count(); ++i)
            widest = std::max(widest, ComboItemWidth(m_combo, i));
        const int missing = widest - ComboTextWidth(m_combo, box.width());
        if (missing > 0 && !box.isEmpty() && InTemplate()) {
            // Right first, then left: a box has no alignment to keep.
            const platform::Room room = platform::Surroundings(m_combo, box).Around(box);
            const int right = std::min(missing, room.right);
            box.adjust(-std::min(missing - right, room.left), 0, right, 0);
        }
        m_width = box.width();
        m_short = widest > ComboTextWidth(m_combo, m_width);
        FitList();
        return box;
    }
    bool Grown() const override { return m_width > Asked().width() || m_short; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_combo && event->type() == QEvent::Show && m_dirty) Replace();
        if (watched == m_combo && event->type() == QEvent::ToolTip) {
            const int index = m_combo->currentIndex();
            if (!m_combo->isEditable() && index >= 0 &&
                ComboItemWidth(m_combo, index) > ComboTextWidth(m_combo, m_combo->width())) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                                   m_combo->itemText(index), m_combo);
                return true;
            }
        }
        return WidgetPlacement::eventFilter(watched, event);
    }

private:
    // Only a template's layout was made for another font; a box the program sized itself
    // (a grid's in-place list) keeps its width.
    bool InTemplate() const {
        CWnd* parent = CWnd::FromHandlePermanent(platform::HandleOfWidget(m_combo->parentWidget()));
        return dynamic_cast<CDialog*>(parent) || dynamic_cast<CFormView*>(parent);
    }
    void ItemsChanged() {
        if (m_dirty) return;
        m_dirty = true;
        if (m_combo->isVisible())
            QTimer::singleShot(0, this, [this] {
                if (m_dirty) Replace();
            });
    }
    QRect Box(const QRect& asked) const {
        return m_simple ? asked : QRect(asked.topLeft(), QSize(asked.width(), BoxHeight()));
    }
    // The dropped list is as wide as the program asked, and never narrower than its widest
    // entry: the style's list would otherwise take the box's width and cut what a narrow box
    // shortens.
    void FitList() {
        if (m_simple) return;
        QAbstractItemView* view = m_combo->view();
        int needed = view->sizeHintForColumn(0) + 2 * view->frameWidth();
        if (m_combo->count() > m_combo->maxVisibleItems())
            needed += m_combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
        view->setMinimumWidth(std::max(m_droppedWidth, m_combo->count() ? needed : 0));
    }

    QComboBox* m_combo;
    bool m_simple;
    int m_boxHeight = 0;     // 0: the height the font gives
    int m_itemHeight = 0;    // 0: the items' own
    int m_width = 0;         // the box's, as fitted
    int m_droppedWidth = 0;  // the list's least width, as the program set it
    bool m_dirty = false;    // items changed since the box was fitted
    bool m_short = false;    // its widest entry is shortened even so
};

ComboPlacement* PlacementOfCombo(const QWidget* combo) {
    return dynamic_cast<ComboPlacement*>(platform::PlacementOf(combo));
}

}  // namespace

CComboBox::~CComboBox() = default;

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!CWnd::Create("ComboBox", "", style & ~(WS_HSCROLL | WS_VSCROLL), rect, parent, id))
        return FALSE;
    SetStyleBits(style);
    return TRUE;
}

QWidget* CComboBox::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    QComboBox* combo = (cs.style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))
                           ? platform::MakeOwnerDrawComboBox(parentWidget)
                           : new QComboBox(parentWidget);
    const DWORD kind = cs.style & 0x3;
    combo->setEditable(kind == CBS_DROPDOWN || kind == CBS_SIMPLE);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setStyle(DroppedList());
    combo->setMaxVisibleItems(12);
    new ComboPlacement(combo, kind == CBS_SIMPLE);
    QObject::connect(combo, &QComboBox::activated, combo, [combo](int) {
        const QPointer<QComboBox> alive(combo);
        NotifyParent(combo, CBN_SELCHANGE);
        if (alive) NotifyParent(combo, CBN_SELENDOK);
    });
    combo->view()->installEventFilter(new DropWatcher(combo));
    auto* router = new KeyRouter(combo);
    combo->installEventFilter(router);
    combo->setProperty(kKeyRouterProperty, QVariant::fromValue(static_cast<QObject*>(router)));
    if (combo->isEditable()) {
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                         [combo] { NotifyParent(combo, CBN_EDITCHANGE); });
        combo->lineEdit()->setProperty(kKeyRouterProperty,
                                       QVariant::fromValue(static_cast<QObject*>(router)));
        auto edit = std::make_unique<ComboEditPart>();
        edit->Attach(this, combo->lineEdit());
        m_edit = std::move(edit);
    }
    combo->installEventFilter(new FocusWatcher(combo, CBN_SETFOCUS, CBN_KILLFOCUS));
    return combo;
}

void CComboBox::OnKeyDown(UINT vk, UINT, UINT) {
    if (KeyRouter* router = RouterOf(GetWidget())) router->Deliver(GetWidget(), vk, 0);
}

void CComboBox::OnChar(UINT ch, UINT, UINT) {
    if (KeyRouter* router = RouterOf(GetWidget())) router->Deliver(GetWidget(), 0, ch);
}

int CComboBox::SetItemHeight(int index, UINT height) {
    QComboBox* c = Combo();
    ComboPlacement* placement = PlacementOfCombo(c);
    if (!placement || height == 0 || height > 255) return CB_ERR;
    if (index < 0) {
        placement->SetBoxHeight(static_cast<int>(height));
        return 0;
    }
    // An owner-drawn combo's items keep the heights MeasureItem gives them.
    if (!(GetStyle() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))) {
        auto* delegate = dynamic_cast<ItemHeightDelegate*>(c->itemDelegate());
        if (!delegate) {
            delegate = new ItemHeightDelegate(c);
            c->setItemDelegate(delegate);
        }
        delegate->SetHeight(static_cast<int>(height));
    }
    placement->SetItemHeight(static_cast<int>(height));
    return 0;
}

int CComboBox::GetItemHeight(int index) const {
    const ComboPlacement* placement = PlacementOfCombo(Combo());
    if (!placement) return CB_ERR;
    return index < 0 ? placement->BoxHeight() : placement->ItemHeight();
}

int CComboBox::SetDroppedWidth(UINT width) {
    ComboPlacement* placement = PlacementOfCombo(Combo());
    if (!placement) return CB_ERR;
    placement->SetDroppedWidth(static_cast<int>(width));
    return static_cast<int>(width);
}

int CComboBox::GetDroppedWidth() const {
    QComboBox* c = Combo();
    const ComboPlacement* placement = PlacementOfCombo(c);
    if (!placement) return CB_ERR;
    return std::max(placement->DroppedWidth(), c->width());
}

void CComboBox::GetDroppedControlRect(LPRECT rect) const {
    if (!rect) return;
    CRect r;
    GetWindowRect(&r);
    if (const ComboPlacement* placement = PlacementOfCombo(Combo()))
        r.bottom = r.top + std::max<LONG>(placement->Asked().height(), r.Height());
    *rect = r;
}

QComboBox* CComboBox::Combo() const {
    return qobject_cast<QComboBox*>(GetWidget());
}

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}

LRESULT CComboBox::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == OCM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        return TRUE;
    }
    if (msg == OCM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        return TRUE;
    }
    return CWnd::DefWindowProc(msg, wParam, lParam);
}

int CComboBox::AddString(LPCTSTR text) {
    QComboBox* c = Combo();
    if (!c) return CB_ERR;
    QSignalBlocker block(c);
    int index = c->count();
    if (GetStyle() & CBS_SORT) {
        index = 0;
        while (index < c->count() && CompareNoCase(c->itemText(index), ItemText(text)) <= 0)
            ++index;
    }
    c->insertItem(index, ItemText(text), QVariant::fromValue<qulonglong>(0));
    if (c->count() == 1 && !c->isEditable()) c->setCurrentIndex(-1);  // Windows selects nothing
    return index;
}

int CComboBox::InsertString(int index, LPCTSTR text) {
    QComboBox* c = Combo();
    if (!c || index > c->count()) return CB_ERR;
    QSignalBlocker block(c);
    if (index < 0) index = c->count();
    const int cur = c->currentIndex();
    c->insertItem(index, ItemText(text), QVariant::fromValue<qulonglong>(0));
    if (cur < 0 && !c->isEditable()) c->setCurrentIndex(-1);
    return index;
}

int CComboBox::DeleteString(UINT index) {
    QComboBox* c = Combo();
    if (!c || static_cast<int>(index) >= c->count()) return CB_ERR;
    QSignalBlocker block(c);
    c->removeItem(static_cast<int>(index));
    return c->count();
}

void CComboBox::ResetContent() {
    if (QComboBox* c = Combo()) {
        QSignalBlocker block(c);
        c->clear();
        if (c->isEditable()) c->setEditText(QString());
    }
}

int CComboBox::GetCount() const {
    return Combo() ? Combo()->count() : 0;
}
int CComboBox::GetCurSel() const {
    QComboBox* c = Combo();
    if (!c) return CB_ERR;
    // While the list is down, the item it highlights.
    if (GetDroppedState()) {
        const QModelIndex current = c->view()->currentIndex();
        if (current.isValid()) return current.row();
    }
    return c->currentIndex();
}

int CComboBox::GetTopIndex() const {
    QComboBox* c = Combo();
    if (!c || c->count() == 0) return CB_ERR;
    const QModelIndex top = c->view()->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

int CComboBox::SetTopIndex(int index) {
    QComboBox* c = Combo();
    if (!c || index < 0 || index >= c->count()) return CB_ERR;
    c->view()->scrollTo(c->model()->index(index, c->modelColumn()),
                        QAbstractItemView::PositionAtTop);
    return 0;
}

void CComboBox::GetDroppedListRect(LPRECT rect) const {
    if (!rect) return;
    QComboBox* c = Combo();
    if (!c || !GetDroppedState()) {
        *rect = CRect();
        return;
    }
    const QWidget* area = c->view()->viewport();
    const QPoint tl = area->mapToGlobal(QPoint(0, 0));
    *rect = CRect(tl.x(), tl.y(), tl.x() + area->width(), tl.y() + area->height());
}

int CComboBox::SetCurSel(int index) {
    QComboBox* c = Combo();
    if (!c) return CB_ERR;
    QSignalBlocker block(c);
    if (index < 0 || index >= c->count()) {
        c->setCurrentIndex(-1);
        return CB_ERR;
    }
    c->setCurrentIndex(index);
    return index;
}

int CComboBox::GetLBText(int index, CString& text) const {
    QComboBox* c = Combo();
    if (!c || index < 0 || index >= c->count()) return CB_ERR;
    text = CString(c->itemText(index));
    return text.GetLength();
}

int CComboBox::GetLBTextLen(int index) const {
    CString t;
    return GetLBText(index, t);
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
    QComboBox* c = Combo();
    if (!c || index < 0 || index >= c->count()) return CB_ERR;
    c->setItemData(index, QVariant::fromValue<qulonglong>(data));
    return 0;
}

DWORD_PTR CComboBox::GetItemData(int index) const {
    QComboBox* c = Combo();
    if (!c || index < 0 || index >= c->count()) return static_cast<DWORD_PTR>(CB_ERR);
    return static_cast<DWORD_PTR>(c->itemData(index).value<qulonglong>());
}

int CComboBox::FindString(int startAfter, LPCTSTR prefix) const {
    QComboBox* c = Combo();
    if (!c) return CB_ERR;
    const QString p = ItemText(prefix);
    for (int k = 1; k <= c->count(); ++k) {
        const int i = (startAfter + k) % c->count();
        if (c->itemText(i).startsWith(p, Qt::CaseInsensitive)) return i;
    }
    return CB_ERR;
}

int CComboBox::FindStringExact(int startAfter, LPCTSTR text) const {
    QComboBox* c = Combo();
    if (!c) return CB_ERR;
    const QString t = ItemText(text);
    for (int k = 1; k <= c->count(); ++k) {
        const int i = (startAfter + k) % c->count();
        if (CompareNoCase(c->itemText(i), t) == 0) return i;
    }
    return CB_ERR;
}

int CComboBox::SelectString(int startAfter, LPCTSTR prefix) {
    const int i = FindString(startAfter, prefix);
    if (i != CB_ERR) SetCurSel(i);
    return i;
}

void CComboBox::SetWindowText(LPCTSTR text) {
    CWnd::SetWindowText(text);
    if (QComboBox* c = Combo(); c && c->isEditable()) {
        QSignalBlocker block(c);
        c->setEditText(ItemText(text));
    }
}

CString CComboBox::GetWindowText() const {
    if (QComboBox* c = Combo()) return CString(c->currentText());
    return CWnd::GetWindowText();
}

void CComboBox::ShowDropDown(BOOL show) {
    if (QComboBox* c = Combo()) show ? c->showPopup() : c->hidePopup();
}

BOOL CComboBox::GetDroppedState() const {
    QComboBox* c = Combo();
    return c && c->view() && c->view()->isVisible();
}

// ---- CListBox ----

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("ListBox", "", style, rect, parent, id);
}

QWidget* CListBox::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* list = new QListWidget(parentWidget);
    if (cs.style & LBS_EXTENDEDSEL)
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    else if (cs.style & LBS_MULTIPLESEL)
        list->setSelectionMode(QAbstractItemView::MultiSelection);
    else
        list->setSelectionMode(QAbstractItemView::SingleSelection);
    if (!(cs.style & WS_BORDER)) list->setFrameShape(QFrame::NoFrame);
    if (cs.style & LBS_NOTIFY) {
        QObject::connect(list, &QListWidget::itemSelectionChanged, list,
                         [list] { NotifyParent(list, LBN_SELCHANGE); });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                         [list](QListWidgetItem*) { NotifyParent(list, LBN_DBLCLK); });
    }
    return list;
}

QListWidget* CListBox::List() const {
    return qobject_cast<QListWidget*>(GetWidget());
}

int CListBox::AddString(LPCTSTR text) {
    QListWidget* l = List();
    if (!l) return LB_ERR;
    int index = l->count();
    if (GetStyle() & LBS_SORT) {
        index = 0;
        while (index < l->count() && CompareNoCase(l->item(index)->text(), ItemText(text)) <= 0)
            ++index;
    }
    return InsertString(index, text);
}

int CListBox::InsertString(int index, LPCTSTR text) {
    QListWidget* l = List();
    if (!l || index > l->count()) return LB_ERR;
    QSignalBlocker block(l);
    if (index < 0) index = l->count();
    auto* item = new QListWidgetItem(ItemText(text));
    item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(0));
    l->insertItem(index, item);
    return index;
}

int CListBox::DeleteString(UINT index) {
    QListWidget* l = List();
    if (!l || static_cast<int>(index) >= l->count()) return LB_ERR;
    QSignalBlocker block(l);
    delete l->takeItem(static_cast<int>(index));
    return l->count();
}

void CListBox::ResetContent() {
    if (QListWidget* l = List()) {
        QSignalBlocker block(l);
        l->clear();
    }
}

int CListBox::GetCount() const {
    return List() ? List()->count() : 0;
}

int CListBox::GetCurSel() const {
    QListWidget* l = List();
    if (!l) return LB_ERR;
    if (l->selectionMode() == QAbstractItemView::SingleSelection) {
        const auto sel = l->selectedItems();
        return sel.isEmpty() ? LB_ERR : l->row(sel.front());
    }
    return l->currentRow();
}

int CListBox::SetCurSel(int index) {
    QListWidget* l = List();
    if (!l) return LB_ERR;
    QSignalBlocker block(l);
    if (index < 0 || index >= l->count()) {
        l->clearSelection();
        l->setCurrentRow(-1);
        return index < 0 ? 0 : LB_ERR;
    }
    l->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    return index;
}

int CListBox::GetText(int index, CString& text) const {
    QListWidget* l = List();
    if (!l || index < 0 || index >= l->count()) return LB_ERR;
    text = CString(l->item(index)->text());
    return text.GetLength();
}

int CListBox::GetTextLen(int index) const {
    CString t;
    return GetText(index, t);
}

int CListBox::SetItemData(int index, DWORD_PTR data) {
    QListWidget* l = List();
    if (!l || index < 0 || index >= l->count()) return LB_ERR;
    l->item(index)->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(data));
    return 0;
}

DWORD_PTR CListBox::GetItemData(int index) const {
    QListWidget* l = List();
    if (!l || index < 0 || index >= l->count()) return static_cast<DWORD_PTR>(LB_ERR);
    return static_cast<DWORD_PTR>(l->item(index)->data(Qt::UserRole).value<qulonglong>());
}

int CListBox::GetSel(int index) const {
    QListWidget* l = List();
    if (!l || index < 0 || index >= l->count()) return LB_ERR;
    return l->item(index)->isSelected() ? 1 : 0;
}

int CListBox::SetSel(int index, BOOL select) {
    QListWidget* l = List();
    if (!l || index >= l->count()) return LB_ERR;
    QSignalBlocker block(l);
    if (index < 0) {
        for (int i = 0; i < l->count(); ++i)
            l->item(i)->setSelected(select);
    } else {
        l->item(index)->setSelected(select);
    }
    return 0;
}

int CListBox::GetSelCount() const {
    QListWidget* l = List();
    return l ? static_cast<int>(l->selectedItems().size()) : LB_ERR;
}

int CListBox::FindString(int startAfter, LPCTSTR prefix) const {
    QListWidget* l = List();
    if (!l || l->count() == 0) return LB_ERR;
    const QString p = ItemText(prefix);
    for (int k = 1; k <= l->count(); ++k) {
        const int i = (startAfter + k) % l->count();
        if (l->item(i)->text().startsWith(p, Qt::CaseInsensitive)) return i;
    }
    return LB_ERR;
}

int CListBox::FindStringExact(int startAfter, LPCTSTR text) const {
    QListWidget* l = List();
    if (!l || l->count() == 0) return LB_ERR;
    const QString t = ItemText(text);
    for (int k = 1; k <= l->count(); ++k) {
        const int i = (startAfter + k) % l->count();
        if (CompareNoCase(l->item(i)->text(), t) == 0) return i;
    }
    return LB_ERR;
}

int CListBox::GetTopIndex() const {
    QListWidget* l = List();
    if (!l || l->count() == 0) return 0;
    QListWidgetItem* top = l->itemAt(2, 2);
    return top ? l->row(top) : 0;
}

int CListBox::SetTopIndex(int index) {
    QListWidget* l = List();
    if (!l || index < 0 || index >= l->count()) return LB_ERR;
    l->scrollToItem(l->item(index), QAbstractItemView::PositionAtTop);
    return 0;
}
