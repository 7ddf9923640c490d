#include "tests/support/user_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <set>

#include "platform/msg/message_loop.h"
#include "platform/ui/bars.h"

namespace testing_support {
namespace {

// The item's text as a user reads it: "&Open...\tCtrl+O" is "Open...".
QString Plain(const QString& text) {
    return text.section('\t', 0, 0).remove('&');
}

std::string Text(const QString& s) {
    return s.toStdString();
}

QMenuBar* MenuBarOf(CFrameWnd& frame) {
    for (CFrameWnd* f = &frame; f; f = f->GetParentFrame())
        if (auto* mw = qobject_cast<QMainWindow*>(f->GetWidget()))
            if (auto* bar = qobject_cast<QMenuBar*>(mw->menuWidget())) return bar;
    return nullptr;
}

struct MenuHit {
    QAction* action = nullptr;
    QString path;
    // Why the way to the item is closed (a hidden or greyed menu on it); empty when open.
    QString closed;
};

void Search(QMenu* menu, const QString& path, const QString& closed, UINT id, MenuHit& hit) {
    // Opening a menu runs its items' update handlers and rebuilds it from the frame's menu.
    emit menu->aboutToShow();
    for (QAction* a : menu->actions()) {
        if (hit.action) return;
        const QString here = path.isEmpty() ? Plain(a->text()) : path + " > " + Plain(a->text());
        if (QMenu* sub = a->menu()) {
            QString why = closed;
            if (why.isEmpty() && !a->isVisible()) why = "the menu " + here + " is hidden";
            if (why.isEmpty() && (!a->isEnabled() || !sub->isEnabled()))
                why = "the menu " + here + " is greyed";
            Search(sub, here, why, id, hit);
        } else if (!a->isSeparator() && a->data().toUInt() == id) {
            hit = {a, here, closed};
        }
    }
}

MenuHit FindMenuItem(QMenuBar* bar, UINT id) {
    MenuHit hit;
    for (QAction* top : bar->actions()) {
        QMenu* menu = top->menu();
        if (!menu) continue;
        const QString here = Plain(top->text());
        QString closed;
        if (!top->isVisible()) closed = "the menu " + here + " is hidden";
        if (closed.isEmpty() && (!top->isEnabled() || !menu->isEnabled()))
            closed = "the menu " + here + " is greyed";
        Search(menu, here, closed, id, hit);
        if (hit.action) break;
    }
    return hit;
}

std::string Join(const QStringList& problems) {
    return Text(problems.join("; "));
}

// Lets a command that a click posted run to its end, as the loop does after the click.
void RunPosted() {
    if (auto* clock = dynamic_cast<platform::VirtualClock*>(&platform::MessageLoop::Current()))
        clock->RunPending();
    else
        QCoreApplication::processEvents();
}

struct ButtonHit {
    CommandState state;
    QToolButton* button = nullptr;
};

ButtonHit ButtonOf(CToolBar& toolbar, int index) {
    ButtonHit hit;
    CommandState& s = hit.state;
    s.present = true;
    s.where = Text(QString("toolbar %1, button %2").arg(toolbar.GetResourceId()).arg(index + 1));
    QToolBar* bar = toolbar.Bar();
    QToolButton* button = toolbar.Button(index);
    hit.button = button;
    QStringList problems;
    if (!bar || !button) {
        s.problem = "the button has no widget";
        return hit;
    }
    const QRect r = button->geometry();
    if (!bar->isVisibleTo(bar->window()))
        problems << "its toolbar is not shown";
    else if (!button->isVisibleTo(bar))
        problems << "the button is hidden";
    else if (r.isEmpty() || !bar->rect().contains(r) || bar->width() <= 0 || bar->height() <= 0)
        problems << QString("the button has no room (%1 x %2 in a bar of %3 x %4)")
                        .arg(r.width())
                        .arg(r.height())
                        .arg(bar->width())
                        .arg(bar->height());
    else
        s.visible = true;
    s.enabled = button->isEnabled() && toolbar.IsButtonEnabled(index);
    s.checked = toolbar.IsButtonChecked(index);
    QAction* action = bar->actions().value(index);
    s.picture = action && IsPictureShown(action->icon().pixmap(bar->iconSize()).toImage());
    if (!s.enabled) problems << "the button is greyed";
    if (!s.picture) problems << "the button has no picture";
    s.problem = Join(problems);
    return hit;
}

ButtonHit FindButton(CFrameWnd& frame, UINT id) {
    // The idle pass, as the program runs it before a user looks; then the layouts settle.
    frame.OnIdleUpdateCmdUI();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    ButtonHit best;
    for (CWnd* child : frame.GetChildren()) {
        auto* toolbar = dynamic_cast<CToolBar*>(child);
        const int index = toolbar ? toolbar->CommandToIndex(id) : -1;
        if (index < 0) continue;
        ButtonHit hit = ButtonOf(*toolbar, index);
        if (hit.state.Usable()) return hit;
        // Of several unusable buttons, the one on a shown toolbar tells most.
        if (!best.state.present || (hit.state.visible && !best.state.visible)) best = hit;
    }
    if (!best.state.present) best.state.problem = "no toolbar button of the frame has it";
    return best;
}

struct MenuItem {
    CommandState state;
    QAction* action = nullptr;
};

MenuItem MenuItemOf(CFrameWnd& frame, UINT id) {
    MenuItem item;
    CommandState& s = item.state;
    QMenuBar* bar = MenuBarOf(frame);
    if (!bar) {
        s.problem = "the frame shows no menu bar";
        return item;
    }
    const MenuHit hit = FindMenuItem(bar, id);
    if (!hit.action) {
        s.problem = "no menu item has it";
        return item;
    }
    item.action = hit.action;
    s.present = true;
    s.where = Text(hit.path);
    s.enabled = hit.action->isEnabled();
    s.checked = hit.action->isChecked();
    QStringList problems;
    if (!bar->isVisibleTo(bar->window()))
        problems << "the menu bar is hidden";
    else if (!hit.closed.isEmpty())
        problems << hit.closed;
    else if (!hit.action->isVisible())
        problems << "the item is hidden";
    else
        s.visible = true;
    if (!s.enabled) problems << "the item is greyed";
    s.problem = Join(problems);
    return item;
}

void Fail(const char* what, UINT id, const CommandState& s) {
    ADD_FAILURE() << what << " " << id << (s.where.empty() ? "" : " (" + s.where + ")") << ": "
                  << s.problem;
}

}  // namespace

bool IsPictureShown(const QImage& picture) {
    if (picture.isNull()) return false;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 128) continue;
            ++opaque;
            colours.insert(p | 0xFF000000u);
        }
    return opaque >= 12 && colours.size() >= 2;
}

CommandState MenuCommandState(CFrameWnd& frame, UINT id) {
    return MenuItemOf(frame, id).state;
}

CommandState ToolbarButtonState(CFrameWnd& frame, UINT id) {
    return FindButton(frame, id).state;
}

bool ChooseMenuCommand(CFrameWnd& frame, UINT id) {
    const MenuItem item = MenuItemOf(frame, id);
    if (!item.state.Usable()) {
        Fail("Menu command", id, item.state);
        return false;
    }
    item.action->trigger();
    RunPosted();
    return true;
}

bool PressToolbarButton(CFrameWnd& frame, UINT id) {
    const ButtonHit hit = FindButton(frame, id);
    if (!hit.state.Usable()) {
        Fail("Toolbar command", id, hit.state);
        return false;
    }
    hit.button->click();
    RunPosted();
    return true;
}

bool PressDropDownArrow(CFrameWnd& frame, UINT id) {
    ButtonHit hit = FindButton(frame, id);
    if (hit.state.Usable() && !(hit.button && hit.button->menu()))
        hit.state.problem = "the button has no drop-down arrow";
    if (!hit.state.Usable()) {
        Fail("Drop-down of", id, hit.state);
        return false;
    }
    // A press and a release on the arrow, as the window system delivers them.
    QStyleOptionToolButton option;
    option.initFrom(hit.button);
    option.subControls = QStyle::SC_ToolButton | QStyle::SC_ToolButtonMenu;
    option.features = QStyleOptionToolButton::MenuButtonPopup | QStyleOptionToolButton::HasMenu;
    option.toolButtonStyle = hit.button->toolButtonStyle();
    option.iconSize = hit.button->iconSize();
    const QRect arrow = hit.button->style()->subControlRect(QStyle::CC_ToolButton, &option,
                                                            QStyle::SC_ToolButtonMenu, hit.button);
    QTest::mouseClick(hit.button, Qt::LeftButton, {}, arrow.center());
    RunPosted();
    return true;
}

bool ClickToolbarButton(CFrameWnd& frame, UINT id) {
    const ButtonHit hit = FindButton(frame, id);
    if (!hit.state.Usable()) {
        Fail("Toolbar click on", id, hit.state);
        return false;
    }
    // Left of a drop-down's arrow: the button's own part.
    const QPoint at(hit.button->menu() ? hit.button->height() / 2 : hit.button->width() / 2,
                    hit.button->height() / 2);
    QTest::mouseClick(hit.button, Qt::LeftButton, {}, at);
    RunPosted();
    return true;
}

bool UseCommand(CFrameWnd& frame, UINT id) {
    return ToolbarButtonState(frame, id).present ? PressToolbarButton(frame, id)
                                                 : ChooseMenuCommand(frame, id);
}

}  // namespace testing_support
