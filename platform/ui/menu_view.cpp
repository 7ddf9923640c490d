#include "platform/ui/menu_view.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/msg/wnd.h"
#include "platform/ui/modal_host.h"

namespace platform {
namespace {

QString Label(const CString& text) {
    // "&File\tCtrl+O": Qt takes the accelerator text after a tab as Windows does.
    return text.ToQString();
}

void AddItems(QWidget* container, CMenu* menu, HWND target, MenuUpdater updater, bool bar);

QMenu* MakePopup(QWidget* parent, const CString& text, CMenu* sub, HWND target,
                 MenuUpdater updater) {
    auto* qmenu = new QMenu(Label(text), parent);
    // The pop-up is rebuilt each time it opens, after its update handlers have run.
    QObject::connect(qmenu, &QMenu::aboutToShow, qmenu, [qmenu, sub, target, updater] {
        if (CWnd* w = CWnd::FromHandlePermanent(target); w && updater) updater(w, sub);
        MenuView::FillPopup(qmenu, sub, target, updater);
    });
    AddItems(qmenu, sub, target, updater, false);
    return qmenu;
}

void AddItems(QWidget* container, CMenu* menu, HWND target, MenuUpdater updater, bool bar) {
    for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
        const UINT state = menu->GetMenuState(static_cast<UINT>(i), MF_BYPOSITION);
        CString text;
        menu->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        if (CMenu* sub = menu->GetSubMenu(i)) {
            QMenu* popup = MakePopup(container, text, sub, target, updater);
            popup->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
            if (bar)
                static_cast<QMenuBar*>(container)->addMenu(popup);
            else
                static_cast<QMenu*>(container)->addMenu(popup);
            continue;
        }
        if (state & MF_SEPARATOR) {
            if (!bar) static_cast<QMenu*>(container)->addSeparator();
            continue;
        }
        const UINT id = menu->GetMenuItemID(i);
        auto* action = new QAction(Label(text), container);
        action->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
        action->setCheckable(state & MF_CHECKED);
        action->setChecked(state & MF_CHECKED);
        action->setData(id);
        QObject::connect(action, &QAction::triggered, container, [target, id] {
            if (CWnd* w = CWnd::FromHandlePermanent(target))
                w->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0));
        });
        container->addAction(action);
    }
}

}  // namespace

void MenuView::FillBar(QMenuBar* bar, CMenu* menu, HWND target, MenuUpdater updater) {
    bar->clear();
    if (menu && menu->IsCreated()) AddItems(bar, menu, target, updater, true);
}

void MenuView::FillPopup(QMenu* qmenu, CMenu* menu, HWND target, MenuUpdater updater) {
    for (QAction* a : qmenu->actions()) {
        qmenu->removeAction(a);
        if (a->menu())
            a->menu()->deleteLater();
        else
            a->deleteLater();
    }
    if (menu && menu->IsCreated()) AddItems(qmenu, menu, target, updater, false);
}

}  // namespace platform

UINT TrackPopupMenu(CMenu* popup, UINT flags, int x, int y, CWnd* owner) {
    if (!popup) return 0;
    const platform::WindowWatch watch(*owner);
    const UINT chosen = platform::ModalHost::Current().RunPopupMenu(*popup, x, y);
    if (flags & TPM_RETURNCMD) return chosen;
    if (chosen && watch.Alive()) owner->SendMessage(WM_COMMAND, chosen);
    return chosen != 0;
}
