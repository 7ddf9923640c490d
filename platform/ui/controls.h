#pragma once
// The standard controls on Qt widgets. Each tells its parent of user actions by WM_COMMAND with its
// id and a notification code, as the Windows controls do; changes the program makes itself send
// nothing, except an edit's EN_CHANGE, which Windows sends for both.

#include <memory>

#include "platform/msg/wnd.h"
#include "platform/ui/owner_draw.h"
#include "platform/ui/styles.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

class CStatic : public CWnd {
public:
    BOOL Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
    void SetWindowText(LPCTSTR text) override;
    // With SS_NOTIFY a click is STN_CLICKED to the parent.
    void OnLButtonUp(UINT flags, CPoint point) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
};

class CButton : public CWnd {
public:
    BOOL Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetWindowText(LPCTSTR text) override;
    CString GetWindowText() const override;
    int GetCheck() const;
    void SetCheck(int check);
    UINT GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }
    // Presses the button as the user would: checks toggle and the parent is told.
    void Click();

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    QAbstractButton* Button() const;
};

// An edit's keys reach its window first, as WM_KEYDOWN and WM_CHAR, and its focus changes as
// WM_SETFOCUS and WM_KILLFOCUS; the edit itself sees a key only when the handler calls CEdit's
// OnKeyDown / OnChar (its default handling), so a derived edit can take keys for itself.
class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetWindowText(LPCTSTR text) override;
    CString GetWindowText() const override;
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(LPCTSTR text, BOOL canUndo = FALSE);
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    void SetLimitText(UINT max);
    void LimitText(int max = 0) { SetLimitText(static_cast<UINT>(max)); }
    int GetLineCount() const;
    void Copy() { SendMessage(WM_COPY); }
    void Paste() { SendMessage(WM_PASTE); }
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The edit's own handling of a key.
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    QLineEdit* Line() const;
    QPlainTextEdit* Multi() const;
};

// The id of a drop-down combo's edit, as on Windows.
constexpr UINT IDC_COMBOEDIT = 1001;

// A combo's keys and focus changes reach its window first, as an edit's do (see CEdit); those of
// a drop-down combo (CBS_DROPDOWN) reach the window of its edit instead, the child IDC_COMBOEDIT,
// which hands Up and Down on to the combo as Windows' does.
class CComboBox : public CWnd {
public:
    ~CComboBox() override;
    // The scroll-bar styles are the list's: the combo itself shows no bars.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(LPCTSTR text);
    int InsertString(int index, LPCTSTR text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    // While the list is dropped, the item it highlights.
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    int FindString(int startAfter, LPCTSTR prefix) const;
    int FindStringExact(int startAfter, LPCTSTR text) const;
    int SelectString(int startAfter, LPCTSTR prefix);
    void SetWindowText(LPCTSTR text) override;
    CString GetWindowText() const override;
    void ShowDropDown(BOOL show = TRUE);
    BOOL GetDroppedState() const;
    // As on Windows, a drop-down combo's rectangle holds its box and its dropped list: the window
    // is as high as the box (one line in its font), and the rest of the rectangle is the list's.
    // Index -1 sets the box's height, index 0 the list items' height.
    int SetItemHeight(int index, UINT height);
    int GetItemHeight(int index) const;
    int SetDroppedWidth(UINT width);
    int GetDroppedWidth() const;
    // The combo with its list dropped, in screen coordinates.
    void GetDroppedControlRect(LPRECT rect) const;
    // The first item the list shows.
    int GetTopIndex() const;
    int SetTopIndex(int index);
    // Where the dropped list shows its items, in screen coordinates; empty while it is closed.
    void GetDroppedListRect(LPRECT rect) const;

    // The combo's own handling of a key.
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

    // An owner-drawn combo (CBS_OWNERDRAWFIXED, CBS_OWNERDRAWVARIABLE) draws and sizes its items
    // here; the defaults do nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis);
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    QComboBox* Combo() const;

    std::unique_ptr<CEdit> m_edit;  // a drop-down's edit
};

class CListBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(LPCTSTR text);
    int InsertString(int index, LPCTSTR text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetText(int index, CString& text) const;
    int GetTextLen(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    int GetSel(int index) const;
    int SetSel(int index, BOOL select = TRUE);
    int GetSelCount() const;
    int FindString(int startAfter, LPCTSTR prefix) const;
    int FindStringExact(int startAfter, LPCTSTR text) const;
    int GetTopIndex() const;
    int SetTopIndex(int index);

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    QListWidget* List() const;
};

namespace platform {

// Tells the parent of `control` of a notification, as the control would. Used by the controls and
// by tests that stand in for the user.
void NotifyParent(QWidget* control, UINT code);

}  // namespace platform
