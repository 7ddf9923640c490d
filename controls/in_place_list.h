#pragma once
// CInPlaceList: a drop-down list editor over a cell, of the same family as CInPlaceEdit. It ends
// when it loses the focus, always by sending its owner its text in a GV_DISPINFO (code
// GVN_ENDLABELEDIT) with the key that ended it, and then closes; once its window is gone it
// deletes itself.

#include <vector>

#include "platform/ui/controls.h"

// The edit of a drop-down (CBS_DROPDOWN) list: it hands the keys that end the edit to the list.
class CComboEdit : public CEdit {
public:
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKillFocus(CWnd* pNewWnd) override;
};

class CInPlaceList : public CComboBox {
public:
    // Opens the list over `rect` as a child of `parent`, with the items and the initial text
    // shown, and the focus; a drop-down's edit starts by the start character as CInPlaceEdit
    // does. Null when the window could not be made; else the list is its window's.
    static CInPlaceList* Open(CWnd* parent, const CRect& rect, DWORD dwStyle, UINT nID, int nRow,
                              int nColumn, const std::vector<CString>& items,
                              const CString& sInitText, UINT nFirstChar);
    ~CInPlaceList() override;

    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nColumn; }
    UINT GetLastKey() const { return m_nLastChar; }
    BOOL IsEnded() const { return m_bEnded; }
    void EndEdit();

    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKillFocus(CWnd* pNewWnd) override;
    void PostNcDestroy() override;

private:
    CInPlaceList(int nRow, int nColumn, const CString& sInitText, UINT nFirstChar);
    BOOL Make(CWnd* parent, CRect rect, DWORD dwStyle, UINT nID, const std::vector<CString>& items);
    // The item of that text, or the text itself when it is none.
    void ShowText(const CString& text);
    // Ends the edit by the key, the focus going back to the grid.
    void Leave(UINT nChar);

    CComboEdit m_edit;
    int m_nNumLines = 4;
    CString m_sInitText;
    int m_nRow;
    int m_nColumn;
    UINT m_nLastChar = 0;
    BOOL m_bExitOnArrows;
    UINT m_nFirstChar;
    BOOL m_bEnded = FALSE;
};
