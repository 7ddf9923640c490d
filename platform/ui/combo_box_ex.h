#pragma once
// CComboBoxEx: a drop-down list whose items show pictures of an image list, with or without
// text. It drives the combo box of a template item it is attached to.

#include "platform/ui/controls.h"

class CImageList;

constexpr UINT CBEIF_TEXT = 0x01;
constexpr UINT CBEIF_IMAGE = 0x02;
constexpr UINT CBEIF_SELECTEDIMAGE = 0x04;

struct COMBOBOXEXITEM {
    UINT mask = 0;
    INT_PTR iItem = -1;  // -1 appends
    LPCTSTR pszText = nullptr;
    int iImage = -1;
    int iSelectedImage = -1;
};

class CComboBoxEx : public CComboBox {
public:
    // The list must outlive the combo's use of it, as on Windows; the previous one is returned.
    CImageList* SetImageList(CImageList* list);
    CImageList* GetImageList() const { return m_imageList; }
    // The index of the new item, or -1.
    int InsertItem(const COMBOBOXEXITEM* item);
    // The image shown by an item, -1 for none.
    int GetItemImage(int index) const;

private:
    CImageList* m_imageList = nullptr;
};
