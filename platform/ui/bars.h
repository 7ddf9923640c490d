#pragma once
// Control bars of a frame: the toolbar (a row of command buttons) and the status bar (panes).

#include <vector>

#include "platform/msg/standard_ids.h"
#include "platform/msg/wnd.h"

class CFrameWnd;
class QToolBar;
class QToolButton;
class QStatusBar;
class QLabel;

constexpr DWORD TBSTYLE_FLAT = 0x0800;
constexpr DWORD TBSTYLE_DROPDOWN = 0x0008;
constexpr DWORD TBSTYLE_EX_DRAWDDARROWS = 0x0001;
constexpr DWORD CBRS_TOP = 0x2000;
constexpr DWORD CBRS_BOTTOM = 0x8000;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0800;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0020;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr UINT ID_SEPARATOR = 0;
constexpr UINT TBN_DROPDOWN = static_cast<UINT>(-710);

// TBN_DROPDOWN's record: the button's command id in iItem.
struct NMTOOLBAR {
    NMHDR hdr;
    int iItem;
};

// A toolbar resource: the buttons' command ids in order, ID_SEPARATOR for a gap, and the tooltip
// of each id.
struct ToolbarTemplate {
    UINT id;
    std::vector<UINT> buttons;
};

class CToolBar : public CWnd {
public:
    ~CToolBar() override;
    // Docked along the frame's bottom edge with CBRS_BOTTOM, else along its top; the frame owns it
    // as a child window.
    BOOL CreateEx(CFrameWnd* parent, DWORD ctrlStyle, DWORD style, UINT id);
    BOOL LoadToolBar(const ToolbarTemplate& bar);
    // The resource the buttons came from.
    UINT GetResourceId() const { return m_resourceId; }
    int GetCount() const { return static_cast<int>(m_ids.size()); }
    UINT GetItemID(int index) const;
    // The button's style (TBSTYLE_DROPDOWN adds the arrow, which sends TBN_DROPDOWN to the owner
    // with the button's id).
    void SetButtonInfo(int index, UINT id, UINT style);
    UINT GetButtonStyle(int index) const;
    int CommandToIndex(UINT id) const;
    // In the bar's client co-ordinates.
    void GetItemRect(int index, LPRECT rect) const;
    void SetExtendedStyle(DWORD style) { m_extendedStyle = style; }
    DWORD GetExtendedStyle() const { return m_extendedStyle; }
    void EnableDocking(DWORD) {}
    // Runs the buttons' update handlers through the target's route; an unhandled command greys.
    void OnUpdateCmdUI(CCmdTarget* target, BOOL disableIfNoHandler);
    bool IsButtonEnabled(int index) const;
    bool IsButtonChecked(int index) const;
    CString GetButtonTip(int index) const;
    QToolBar* Bar() const;
    QToolButton* Button(int index) const;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    std::vector<UINT> m_ids;
    std::vector<UINT> m_styles;
    DWORD m_extendedStyle = 0;
    DWORD m_barStyle = 0;
    UINT m_resourceId = 0;
};

class CStatusBar : public CWnd {
public:
    BOOL Create(CFrameWnd* parent, DWORD style, UINT id);
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return static_cast<int>(m_ids.size()); }
    UINT GetItemID(int index) const { return m_ids.at(static_cast<size_t>(index)); }
    BOOL SetPaneText(int index, LPCTSTR text);
    CString GetPaneText(int index) const;
    // The indicator panes are drawn greyed: their key state is unknown.
    bool IsPaneEnabled(int index) const;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    std::vector<UINT> m_ids;
    std::vector<QLabel*> m_labels;
};

// The tooltip text of a command id; the program installs its string table.
using CommandTipLookup = CString (*)(UINT id);
void SetCommandTipLookup(CommandTipLookup lookup);
// The folder of the buttons' pictures, one "<command id>.xpm" each; by default "pictures/toolbar"
// in the program folder. A button without a picture shows its tooltip text.
void SetToolbarPictureFolder(const CString& folder);
CString ToolbarPictureFolder();
