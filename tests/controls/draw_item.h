#pragma once
// Drawing one item of an owner-drawn combo box as the list would ask for it.

#include <QPaintDevice>
#include <QPainter>

#include "platform/gdi/dc.h"
#include "platform/ui/owner_draw.h"

namespace controls_test {

// Has `combo` draw item `item` in `state` over the whole of `device`.
template <class Combo>
void DrawComboItem(Combo& combo, QPaintDevice& device, int item, UINT state) {
    QPainter painter(&device);
    CDC dc(&painter);
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_COMBOBOX;
    dis.itemID = static_cast<UINT>(item);
    dis.itemState = state;
    dis.hDC = dc.GetSafeHdc();
    dis.rcItem = CRect(0, 0, device.width(), device.height());
    combo.DrawItem(&dis);
}

}  // namespace controls_test
