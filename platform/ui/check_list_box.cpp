#include "platform/ui/check_list_box.h"

#include <QAbstractItemModel>
#include <QListWidget>
#include <QVariant>

namespace {

constexpr const char* kCheckableProperty = "varnelCheckList";

void GiveBox(QListWidgetItem* item) {
    if (!item || item->data(Qt::CheckStateRole).isValid()) return;
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
}

// Gives every item a box, now and whenever one is inserted. The list box's own inserts block the
// widget's signals, not its model's. A widget marked once gets no second hook from a second face.
void MakeCheckable(QListWidget* list) {
    if (!list) return;
    for (int row = 0; row < list->count(); ++row)
        GiveBox(list->item(row));
    if (list->property(kCheckableProperty).toBool()) return;
    list->setProperty(kCheckableProperty, true);
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                     [list](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last; ++row)
                             GiveBox(list->item(row));
                     });
}

}  // namespace

QWidget* CCheckListBox::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    QWidget* w = CListBox::MakeWidget(parentWidget, cs);
    MakeCheckable(qobject_cast<QListWidget*>(w));
    return w;
}

void CCheckListBox::PreSubclassWindow() {
    CListBox::PreSubclassWindow();
    MakeCheckable(List());
}

void CCheckListBox::SetCheck(int index, int check) {
    QListWidget* list = List();
    if (!list || index < 0 || index >= list->count()) return;
    static constexpr Qt::CheckState kStates[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (check < 0 || check > 2) return;
    QListWidgetItem* item = list->item(index);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(kStates[check]);
}

int CCheckListBox::GetCheck(int index) const {
    QListWidget* list = List();
    if (!list || index < 0 || index >= list->count()) return LB_ERR;
    switch (list->item(index)->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}
