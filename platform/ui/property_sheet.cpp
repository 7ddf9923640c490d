#include "platform/ui/property_sheet.h"

#include <QTabBar>
#include <QWidget>

namespace {

constexpr short kWidth = 300;
constexpr short kHeight = 200;
constexpr short kButtonY = kHeight - 21;

const DialogTemplate& SheetTemplate() {
    static const DialogTemplate t = {
        IDD_PROPERTY_SHEET,
        "",
        0,
        0,
        kWidth,
        kHeight,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::Hidden(dlg::DefPushButton("OK", IDOK, kWidth - 114, kButtonY, 50, 14)),
            dlg::PushButton("Cancel", IDCANCEL, kWidth - 57, kButtonY, 50, 14),
            dlg::Hidden(dlg::PushButton("< Back", ID_WIZBACK, kWidth - 228, kButtonY, 50, 14)),
            dlg::Hidden(dlg::PushButton("Next >", ID_WIZNEXT, kWidth - 171, kButtonY, 50, 14)),
            dlg::Hidden(dlg::PushButton("Finish", ID_WIZFINISH, kWidth - 114, kButtonY, 50, 14)),
        }};
    return t;
}

}  // namespace

// ---- pages

CPropertyPage::CPropertyPage(const DialogTemplate& dialogTemplate) : CDialog(dialogTemplate) {}

QWidget* CPropertyPage::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    auto* w = new QWidget(parentWidget);
    w->setFont(platform::DialogFont());
    return w;
}

// ---- the sheet

CPropertySheet::CPropertySheet(LPCTSTR caption, CWnd* parent, UINT selectPage)
    : CDialog(SheetTemplate(), parent),
      m_caption(caption ? caption : ""),
      m_firstPage(selectPage) {}

CPropertySheet::~CPropertySheet() = default;

BOOL CPropertySheet::DestroyWindow() {
    // The pages go first, while the sheet that holds their widgets still stands.
    for (CPropertyPage* page : m_pages)
        if (page->GetSafeHwnd()) page->DestroyWindow();
    m_tabs = nullptr;
    return CDialog::DestroyWindow();
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page) return;
    page->m_sheet = this;
    m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

BOOL CPropertySheet::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(m_caption);
    const int top = m_wizard ? 7 : 22;
    if (!m_wizard) {
        m_tabs = new QTabBar(GetWidget());
        m_tabs->move(platform::DluToPixelX(7), platform::DluToPixelY(5));
    }
    for (CPropertyPage* page : m_pages) {
        if (!page->Create(this)) continue;
        page->SetWindowPos(nullptr, platform::DluToPixelX(7), platform::DluToPixelY(top), 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER);
        page->ShowWindow(SW_HIDE);
        if (m_tabs) {
            const CString title =
                page->m_title.IsEmpty() ? CString(page->GetTemplate().caption) : page->m_title;
            m_tabs->addTab(title.ToQString());
        }
    }
    if (m_tabs) {
        m_tabs->adjustSize();
        const HWND self = m_hWnd;
        QObject::connect(m_tabs, &QTabBar::currentChanged, m_tabs, [self](int index) {
            if (auto* sheet = dynamic_cast<CPropertySheet*>(CWnd::FromHandlePermanent(self)))
                if (index != sheet->GetActiveIndex() && !sheet->SetActivePage(index))
                    sheet->m_tabs->setCurrentIndex(sheet->GetActiveIndex());
        });
    }
    for (UINT id : {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH})
        if (CWnd* b = GetDlgItem(static_cast<int>(id))) b->ShowWindow(m_wizard ? SW_SHOW : SW_HIDE);
    if (CWnd* ok = GetDlgItem(IDOK)) ok->ShowWindow(m_wizard ? SW_HIDE : SW_SHOW);
    SetActivePage(static_cast<int>(m_firstPage) < GetPageCount() ? static_cast<int>(m_firstPage)
                                                                 : 0);
    return TRUE;
}

BOOL CPropertySheet::SetActivePage(int index) {
    CPropertyPage* next = GetPage(index);
    if (!next || !next->GetSafeHwnd()) return FALSE;
    CPropertyPage* current = GetActivePage();
    if (current == next) return TRUE;
    if (current && !current->OnKillActive()) return FALSE;
    const int previous = m_active;
    m_active = index;
    if (!next->OnSetActive()) {
        m_active = previous;
        return FALSE;
    }
    if (current) current->ShowWindow(SW_HIDE);
    next->ShowWindow(SW_SHOW);
    if (m_tabs && m_tabs->currentIndex() != index) m_tabs->setCurrentIndex(index);
    return TRUE;
}

void CPropertySheet::SetWizardButtons(DWORD flags) {
    m_wizardButtons = flags;
    if (CWnd* back = GetDlgItem(ID_WIZBACK)) back->EnableWindow((flags & PSWIZB_BACK) != 0);
    if (CWnd* next = GetDlgItem(ID_WIZNEXT)) next->EnableWindow((flags & PSWIZB_NEXT) != 0);
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case ID_WIZBACK:
            OnWizardBack();
            return TRUE;
        case ID_WIZNEXT:
            OnWizardNext();
            return TRUE;
        case ID_WIZFINISH:
            OnWizardFinish();
            return TRUE;
        default:
            return CDialog::OnCommand(wParam, lParam);
    }
}

void CPropertySheet::OnOK() {
    if (CPropertyPage* page = GetActivePage(); page && !page->OnKillActive()) return;
    EndDialog(IDOK);
}

void CPropertySheet::OnWizardBack() {
    if (m_active > 0) SetActivePage(m_active - 1);
}

void CPropertySheet::OnWizardNext() {
    if (m_active + 1 < GetPageCount()) SetActivePage(m_active + 1);
}

void CPropertySheet::OnWizardFinish() {
    if (CPropertyPage* page = GetActivePage(); page && !page->OnKillActive()) return;
    EndDialog(ID_WIZFINISH);
}
