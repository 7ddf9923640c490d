#pragma once
// CCheckListBox: a list box whose items each carry a check box, as the program's check lists use
// it. It may be attached to a template's list box (DDX_Control) or create its own; every item
// gets its box, whichever face of the control added it.

#include "platform/ui/controls.h"

class CCheckListBox : public CListBox {
public:
    // 0 unchecked, 1 checked, 2 indeterminate; other values and other items change nothing.
    void SetCheck(int index, int check);
    // The item's state as above, or LB_ERR when there is no such item.
    int GetCheck(int index) const;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    void PreSubclassWindow() override;
};
