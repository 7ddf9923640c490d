#pragma once
// Property sheets: a modal dialog of tabbed pages with OK, Cancel and (unless removed) Apply.
// Each page is a child dialog from its own template, made when its tab is first shown; OK runs
// the OnOK of every page that was made, then ends the sheet.

#include <vector>

#include "platform/ui/dialog.h"

class CPropertySheet;
class QTabBar;

constexpr DWORD PSH_NOAPPLYNOW = 0x0080;
constexpr UINT ID_APPLY_NOW = 0x3021;
// The template id a sheet runs under (the modal host sees every sheet by it).
constexpr UINT IDD_PROPERTY_SHEET = 0x7F00;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(const DialogTemplate& pageTemplate);
    CPropertySheet* GetSheet() const { return m_sheet; }
    virtual BOOL OnSetActive() { return TRUE; }
    virtual BOOL OnKillActive() { return TRUE; }
    // The sheet's OK and Cancel; a page ends nothing itself.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    friend class CPropertySheet;
    CPropertySheet* m_sheet = nullptr;
};

namespace platform {
struct SheetTemplateHolder {
    DialogTemplate m_sheetTemplate;
};
}  // namespace platform

class CPropertySheet : private platform::SheetTemplateHolder, public CDialog {
public:
    struct Header {
        DWORD dwFlags = 0;
    };

    explicit CPropertySheet(LPCTSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetActiveIndex() const { return m_active; }
    BOOL SetActivePage(int index);
    // The tab's text; a page's caption until changed.
    void SetTabText(int index, const CString& text);
    CString GetTabText(int index) const;

    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    Header m_psh;

private:
    std::vector<CPropertyPage*> m_pages;
    std::vector<bool> m_made;
    QTabBar* m_tabs = nullptr;
    int m_active = -1;
    int m_startPage = 0;
    CRect m_pageArea;
};
