#pragma once
// CPropertySheet and CPropertyPage: a modal dialog of pages shown one at a time, either with tabs
// and OK, Cancel and (unless removed) Apply or, in wizard mode, with Back, Next, Finish and Cancel.
// Each page is a child dialog from its own template, made when it is first shown. The sheet runs
// under one template id (IDD_PROPERTY_SHEET), so the modal host sees every sheet by it.

#include <vector>

#include "platform/ui/dialog.h"

class QTabBar;
class CPropertySheet;

constexpr DWORD PSH_NOAPPLYNOW = 0x0080;
constexpr UINT ID_APPLY_NOW = 0x3021;
constexpr UINT IDD_PROPERTY_SHEET = 0x7F00;
constexpr UINT ID_WIZBACK = 12323;
constexpr UINT ID_WIZNEXT = 12324;
constexpr UINT ID_WIZFINISH = 12325;
constexpr DWORD PSWIZB_BACK = 0x1;
constexpr DWORD PSWIZB_NEXT = 0x2;
constexpr DWORD PSWIZB_FINISH = 0x4;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(const DialogTemplate& pageTemplate);
    CPropertySheet* GetSheet() const { return m_sheet; }
    // Called when the page is shown; FALSE keeps the previous page.
    virtual BOOL OnSetActive() { return TRUE; }
    // Called when the page is left; FALSE keeps it.
    virtual BOOL OnKillActive() { return UpdateData(TRUE); }
    // The sheet's OK and Cancel; a page ends nothing itself.
    void OnOK() override {}
    void OnCancel() override {}
    // The text the tab (or the wizard's header) shows; the template's caption when empty.
    CString m_title;

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
    void SetWizardMode() { m_wizard = true; }
    bool IsWizard() const { return m_wizard; }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    CPropertyPage* GetActivePage() const { return GetPage(m_active); }
    int GetActiveIndex() const { return m_active; }
    BOOL SetActivePage(int index);
    // The tab's text; a page's caption until changed.
    void SetTabText(int index, const CString& text);
    CString GetTabText(int index) const;
    // Wizard mode: which of Back and Next are enabled (Finish is offered on every page).
    void SetWizardButtons(DWORD flags);
    DWORD GetWizardButtons() const { return m_wizardButtons; }
    CString GetCaption() const { return m_caption; }

    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    BOOL DestroyWindow() override;
    void OnOK() override;
    void OnCancel() override;

    Header m_psh;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    virtual void OnWizardBack();
    virtual void OnWizardNext();
    virtual void OnWizardFinish();

private:
    CString m_caption;
    std::vector<CPropertyPage*> m_pages;
    std::vector<bool> m_made;
    QTabBar* m_tabs = nullptr;
    int m_active = -1;
    int m_startPage = 0;
    bool m_wizard = false;
    DWORD m_wizardButtons = PSWIZB_NEXT;
    CRect m_pageArea;
};
