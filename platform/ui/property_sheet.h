#pragma once
// CPropertySheet and CPropertyPage: a dialog of pages, shown one at a time, either with tabs and
// OK / Cancel or, in wizard mode, with Back, Next, Finish and Cancel. The sheet is a dialog of
// its own template (IDD_PROPERTY_SHEET), so the modal host runs it as any other dialog.

#include <vector>

#include "platform/ui/dialog.h"

class QTabBar;

constexpr UINT IDD_PROPERTY_SHEET = 0x7F01;
constexpr UINT ID_WIZBACK = 12323;
constexpr UINT ID_WIZNEXT = 12324;
constexpr UINT ID_WIZFINISH = 12325;
constexpr DWORD PSWIZB_BACK = 0x1;
constexpr DWORD PSWIZB_NEXT = 0x2;
constexpr DWORD PSWIZB_FINISH = 0x4;

class CPropertySheet;

// A page: a child dialog built from its own template inside the sheet.
class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(const DialogTemplate& dialogTemplate);
    // Called when the page is shown; FALSE keeps the previous page.
    virtual BOOL OnSetActive() { return TRUE; }
    // Called when the page is left; FALSE keeps it.
    virtual BOOL OnKillActive() { return UpdateData(TRUE); }
    CPropertySheet* GetSheet() const { return m_sheet; }
    // The text the tab (or the wizard's header) shows; the template's caption when empty.
    CString m_title;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    friend class CPropertySheet;
    CPropertySheet* m_sheet = nullptr;
};

class CPropertySheet : public CDialog {
public:
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
    // Wizard mode: which of Back and Next are enabled (Finish is offered on every page).
    void SetWizardButtons(DWORD flags);
    DWORD GetWizardButtons() const { return m_wizardButtons; }
    CString GetCaption() const { return m_caption; }
    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    // Wizard buttons.
    virtual void OnWizardBack();
    virtual void OnWizardNext();
    virtual void OnWizardFinish();

private:
    CString m_caption;
    std::vector<CPropertyPage*> m_pages;
    int m_active = -1;
    UINT m_firstPage = 0;
    bool m_wizard = false;
    DWORD m_wizardButtons = PSWIZB_NEXT;
    QTabBar* m_tabs = nullptr;
};
