#include "platform/ui/owner_draw.h"

#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "platform/win/widget_bridge.h"

namespace platform {
namespace {

DWORD_PTR ItemData(const QModelIndex& index) {
    return static_cast<DWORD_PTR>(index.data(Qt::UserRole).value<qulonglong>());
}

class OwnerDrawDelegate : public QStyledItemDelegate {
public:
    OwnerDrawDelegate(QWidget* control, UINT ctlType)
        : QStyledItemDelegate(control), m_control(control), m_type(ctlType) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        UINT state = 0;
        if (option.state & QStyle::State_Selected) state |= ODS_SELECTED;
        if (option.state & QStyle::State_HasFocus) state |= ODS_FOCUS;
        if (!(option.state & QStyle::State_Enabled)) state |= ODS_DISABLED;
        DrawOwnerItem(m_control, m_type, painter, option.rect, index.row(), state, ItemData(index));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize standard = QStyledItemDelegate::sizeHint(option, index);
        CWnd* wnd = SubclassOfWidget(m_control);
        if (!wnd) return standard;
        MEASUREITEMSTRUCT mis;
        mis.CtlType = m_type;
        mis.CtlID = static_cast<UINT>(wnd->GetDlgCtrlID());
        mis.itemID = static_cast<UINT>(index.row());
        mis.itemWidth = static_cast<UINT>(std::max(0, option.rect.width()));
        mis.itemHeight = static_cast<UINT>(standard.height());
        mis.itemData = ItemData(index);
        wnd->SendMessage(OCM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
        return QSize(static_cast<int>(mis.itemWidth), static_cast<int>(mis.itemHeight));
    }

private:
    QWidget* m_control;
    UINT m_type;
};

class OwnerDrawComboBox : public QComboBox {
public:
    explicit OwnerDrawComboBox(QWidget* parent) : QComboBox(parent) {
        setItemDelegate(new OwnerDrawDelegate(this, ODT_COMBOBOX));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        // The closed box shows the selected item, drawn as selected while the combo has the focus.
        UINT state = ODS_COMBOBOXEDIT;
        if (hasFocus()) state |= ODS_SELECTED | ODS_FOCUS;
        if (!isEnabled()) state |= ODS_DISABLED;
        const int index = currentIndex();
        const DWORD_PTR data =
            index >= 0 ? static_cast<DWORD_PTR>(itemData(index).value<qulonglong>()) : 0;
        DrawOwnerItem(this, ODT_COMBOBOX, &painter, field, index, state, data);
    }
};

}  // namespace

QComboBox* MakeOwnerDrawComboBox(QWidget* parent) {
    return new OwnerDrawComboBox(parent);
}

void DrawOwnerItem(QWidget* control, UINT ctlType, QPainter* painter, const QRect& rect, int index,
                   UINT state, DWORD_PTR data) {
    CWnd* wnd = SubclassOfWidget(control);
    if (!wnd || !painter) return;
    CDC dc(painter);
    DRAWITEMSTRUCT dis;
    dis.CtlType = ctlType;
    dis.CtlID = static_cast<UINT>(wnd->GetDlgCtrlID());
    dis.itemID = static_cast<UINT>(index);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = wnd->m_hWnd;
    dis.hDC = dc.GetSafeHdc();
    dis.rcItem =
        CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
    dis.itemData = data;
    wnd->SendMessage(OCM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

}  // namespace platform
