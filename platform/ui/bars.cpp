#include "platform/ui/bars.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QToolBar>
#include <QToolButton>

#include "platform/win/frame.h"

namespace {

CommandTipLookup& TipLookup() {
    static CommandTipLookup lookup = nullptr;
    return lookup;
}

// A button's state as the update handlers set it.
class ButtonCmdUI : public CCmdUI {
public:
    explicit ButtonCmdUI(QAction* action) : m_action(action) {}
    void Enable(BOOL on) override {
        CCmdUI::Enable(on);
        m_action->setEnabled(on != FALSE);
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        m_action->setCheckable(true);
        m_action->setChecked(check != 0);
    }

private:
    QAction* m_action;
};

CString& PictureFolder() {
    static CString folder;
    return folder;
}

// The arrow of a drop-down button: a press on it asks the owner for its pop-up. The button's own
// menu only draws the arrow and never opens: opened after the owner's pop-up, it would keep the
// mouse and eat the next click.
constexpr const char* kDropDownArrowName = "varnelDropDownArrow";

class DropDownArrow : public QObject {
public:
    DropDownArrow(QToolButton* button, HWND bar, UINT id)
        : QObject(button), m_button(button), m_bar(bar), m_id(id) {}

    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(e);
        if (mouse->button() != Qt::LeftButton || !OnArrow(mouse->position().toPoint()))
            return false;
        // As a button runs its own menu: inside the press. Nothing of this object is used after,
        // since a choice may rebuild the bar.
        AskOwner();
        return true;
    }

private:
    bool OnArrow(const QPoint& at) const {
        QStyleOptionToolButton option;
        option.initFrom(m_button);
        option.subControls = QStyle::SC_ToolButton | QStyle::SC_ToolButtonMenu;
        option.features = QStyleOptionToolButton::MenuButtonPopup | QStyleOptionToolButton::HasMenu;
        option.toolButtonStyle = m_button->toolButtonStyle();
        option.iconSize = m_button->iconSize();
        const QRect arrow = m_button->style()->subControlRect(QStyle::CC_ToolButton, &option,
                                                              QStyle::SC_ToolButtonMenu, m_button);
        return arrow.isValid() && arrow.contains(at);
    }
    void AskOwner() const {
        if (!m_button->isEnabled()) return;
        CWnd* bar = CWnd::FromHandlePermanent(m_bar);
        CWnd* owner = bar ? bar->GetParent() : nullptr;
        if (!owner) return;
        NMTOOLBAR nm{};
        nm.hdr.hwndFrom = m_bar;
        nm.hdr.idFrom = static_cast<UINT_PTR>(bar->GetDlgCtrlID());
        nm.hdr.code = TBN_DROPDOWN;
        nm.iItem = static_cast<int>(m_id);
        owner->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }

    QToolButton* m_button;
    HWND m_bar;
    UINT m_id;
};

}  // namespace

void SetCommandTipLookup(CommandTipLookup lookup) {
    TipLookup() = lookup;
}

void SetToolbarPictureFolder(const CString& folder) {
    PictureFolder() = folder;
}

CString ToolbarPictureFolder() {
    if (!PictureFolder().IsEmpty()) return PictureFolder();
    return CString(QDir(QCoreApplication::applicationDirPath()).filePath("pictures/toolbar"));
}

// ---- CToolBar ----

CToolBar::~CToolBar() = default;

QWidget* CToolBar::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* bar = new QToolBar(parentWidget);
    bar->setMovable(false);
    bar->setIconSize(QSize(20, 21));
    // Buttons sit edge to edge, so that a full bar fits 800 px.
    bar->layout()->setSpacing(0);
    bar->layout()->setContentsMargins(0, 0, 0, 0);
    bar->setStyleSheet(m_barStyle & CBRS_BORDER_TOP
                           ? "QToolBar { border: none; border-top: 1px solid #A0A0A0; }"
                             " QToolButton { padding: 1px; }"
                           : "QToolButton { padding: 1px; }");
    if (auto* frame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(cs.hwndParent)))
        frame->DockBar(bar, (m_barStyle & CBRS_ALIGN_ANY) == CBRS_BOTTOM);
    return bar;
}

BOOL CToolBar::CreateEx(CFrameWnd* parent, DWORD, DWORD style, UINT id) {
    // The alignment bits are no window style: the bar keeps them to dock itself.
    m_barStyle = style;
    return CWnd::Create(nullptr, nullptr, style & ~CBRS_ALIGN_ANY, CRect(0, 0, 0, 0), parent, id);
}

QToolBar* CToolBar::Bar() const {
    return qobject_cast<QToolBar*>(GetWidget());
}

BOOL CToolBar::LoadToolBar(const ToolbarTemplate& tb) {
    QToolBar* bar = Bar();
    if (!bar) return FALSE;
    bar->clear();
    m_resourceId = tb.id;
    m_ids.clear();
    m_styles.clear();
    const QDir pictures(ToolbarPictureFolder().ToQString());
    for (UINT id : tb.buttons) {
        m_ids.push_back(id);
        m_styles.push_back(0);
        if (id == ID_SEPARATOR) {
            bar->addSeparator();
            continue;
        }
        const CString tip = TipLookup() ? TipLookup()(id) : CString();
        QAction* a = bar->addAction(tip.ToQString());
        a->setData(id);
        a->setToolTip(tip.ToQString());
        a->setStatusTip(tip.ToQString());
        a->setIcon(QIcon(pictures.filePath(QString::number(id) + ".xpm")));
        const HWND self = m_hWnd;
        QObject::connect(a, &QAction::triggered, bar, [self, id] {
            if (CWnd* w = CWnd::FromHandlePermanent(self))
                if (CWnd* owner = w->GetParent()) owner->SendMessage(WM_COMMAND, id);
        });
    }
    return TRUE;
}

UINT CToolBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_ids[static_cast<size_t>(index)] : 0;
}

int CToolBar::CommandToIndex(UINT id) const {
    for (int i = 0; i < GetCount(); ++i)
        if (m_ids[static_cast<size_t>(i)] == id) return i;
    return -1;
}

QToolButton* CToolBar::Button(int index) const {
    QToolBar* bar = Bar();
    if (!bar || index < 0 || index >= GetCount()) return nullptr;
    QAction* a = bar->actions().value(index);
    return a ? qobject_cast<QToolButton*>(bar->widgetForAction(a)) : nullptr;
}

void CToolBar::SetButtonInfo(int index, UINT id, UINT style) {
    if (index < 0 || index >= GetCount()) return;
    m_ids[static_cast<size_t>(index)] = id;
    m_styles[static_cast<size_t>(index)] = style;
    QToolButton* b = Button(index);
    if (!b || !(style & TBSTYLE_DROPDOWN)) return;
    // The arrow asks the owner for the menu; the button itself still runs its command.
    b->setPopupMode(QToolButton::MenuButtonPopup);
    if (!b->menu()) b->setMenu(new QMenu(b));
    // Set again, the button asks for the new command's menu, once.
    delete b->findChild<QObject*>(kDropDownArrowName, Qt::FindDirectChildrenOnly);
    auto* arrow = new DropDownArrow(b, m_hWnd, id);
    arrow->setObjectName(kDropDownArrowName);
    b->installEventFilter(arrow);
}

UINT CToolBar::GetButtonStyle(int index) const {
    return index >= 0 && index < GetCount() ? m_styles[static_cast<size_t>(index)] : 0;
}

void CToolBar::GetItemRect(int index, LPRECT rect) const {
    *rect = CRect(0, 0, 0, 0);
    if (QToolBar* bar = Bar())
        if (QAction* a = bar->actions().value(index)) {
            const QRect r = bar->actionGeometry(a);
            *rect = CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
        }
}

void CToolBar::OnUpdateCmdUI(CCmdTarget* target, BOOL disableIfNoHandler) {
    QToolBar* bar = Bar();
    if (!bar || !target) return;
    const QList<QAction*> actions = bar->actions();
    for (int i = 0; i < GetCount() && i < actions.size(); ++i) {
        const UINT id = m_ids[static_cast<size_t>(i)];
        if (id == ID_SEPARATOR) continue;
        ButtonCmdUI ui(actions[i]);
        ui.m_nID = id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.DoUpdate(target, disableIfNoHandler);
    }
}

bool CToolBar::IsButtonEnabled(int index) const {
    QToolBar* bar = Bar();
    QAction* a = bar ? bar->actions().value(index) : nullptr;
    return a && a->isEnabled();
}

bool CToolBar::IsButtonChecked(int index) const {
    QToolBar* bar = Bar();
    QAction* a = bar ? bar->actions().value(index) : nullptr;
    return a && a->isChecked();
}

CString CToolBar::GetButtonTip(int index) const {
    QToolBar* bar = Bar();
    QAction* a = bar ? bar->actions().value(index) : nullptr;
    return a ? CString(a->toolTip()) : CString();
}

// ---- CStatusBar ----

QWidget* CStatusBar::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    auto* bar = new QStatusBar(parentWidget);
    bar->setSizeGripEnabled(false);
    if (auto* mw = qobject_cast<QMainWindow*>(parentWidget)) mw->setStatusBar(bar);
    return bar;
}

BOOL CStatusBar::Create(CFrameWnd* parent, DWORD style, UINT id) {
    return CWnd::Create(nullptr, nullptr, style, CRect(0, 0, 0, 0), parent, id);
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    auto* bar = qobject_cast<QStatusBar*>(GetWidget());
    if (!bar) return FALSE;
    for (QLabel* l : m_labels)
        delete l;
    m_labels.clear();
    m_ids.assign(ids, ids + count);
    static const char* const kNames[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < count; ++i) {
        auto* label = new QLabel(bar);
        const UINT id = ids[i];
        if (id >= ID_INDICATOR_CAPS && id <= ID_INDICATOR_SCRL) {
            label->setText(kNames[id - ID_INDICATOR_CAPS]);
            label->setEnabled(false);
            // Room on both sides, so the last one is not cut by the window's edge.
            label->setContentsMargins(4, 0, 4, 0);
            bar->addPermanentWidget(label);
        } else {
            bar->addWidget(label, 1);
        }
        m_labels.push_back(label);
    }
    return TRUE;
}

BOOL CStatusBar::SetPaneText(int index, LPCTSTR text) {
    if (index < 0 || index >= GetCount()) return FALSE;
    m_labels[static_cast<size_t>(index)]->setText(CString(text ? text : "").ToQString());
    return TRUE;
}

CString CStatusBar::GetPaneText(int index) const {
    if (index < 0 || index >= GetCount()) return CString();
    return CString(m_labels[static_cast<size_t>(index)]->text());
}

bool CStatusBar::IsPaneEnabled(int index) const {
    return index >= 0 && index < GetCount() && m_labels[static_cast<size_t>(index)]->isEnabled();
}
