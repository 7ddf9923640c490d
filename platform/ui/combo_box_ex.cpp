#include "platform/ui/combo_box_ex.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>

#include "platform/gdi/image_list.h"

namespace {

constexpr int kImageRole = Qt::UserRole + 41;

}  // namespace

CImageList* CComboBoxEx::SetImageList(CImageList* list) {
    CImageList* previous = m_imageList;
    m_imageList = list;
    if (auto* box = qobject_cast<QComboBox*>(GetWidget()); box && list) {
        const CSize size = list->GetImageSize();
        box->setIconSize(QSize(size.cx, size.cy));
    }
    return previous;
}

int CComboBoxEx::InsertItem(const COMBOBOXEXITEM* item) {
    if (!item) return -1;
    const LPCTSTR text = (item->mask & CBEIF_TEXT) && item->pszText ? item->pszText : "";
    const int index = item->iItem < 0 || item->iItem >= GetCount()
                          ? AddString(text)
                          : InsertString(static_cast<int>(item->iItem), text);
    if (index < 0) return -1;
    auto* box = qobject_cast<QComboBox*>(GetWidget());
    if (box && (item->mask & CBEIF_IMAGE) && m_imageList) {
        const QImage image = m_imageList->GetImage(item->iImage);
        if (!image.isNull()) {
            box->setItemIcon(index, QIcon(QPixmap::fromImage(image)));
            box->setItemData(index, item->iImage, kImageRole);
        }
    }
    return index;
}

int CComboBoxEx::GetItemImage(int index) const {
    auto* box = qobject_cast<QComboBox*>(GetWidget());
    if (!box || index < 0 || index >= box->count()) return -1;
    const QVariant v = box->itemData(index, kImageRole);
    return v.isValid() ? v.toInt() : -1;
}
