#include "platform/ui/property_sheet.h"

#include <QTabBar>
#include <QWidget>
#include <algorithm>

namespace {

constexpr short kMargin = 7, kTabHeight = 14, kButtonWidth = 50, kButtonHeight = 14;

}  // namespace

CPropertyPage::CPropertyPage(const DialogTemplate& pageTemplate) : CDialog(pageTemplate) {}

QWidget* CPropertyPage::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    // A plain child window inside the sheet, not a dialog window of its own.
    QWidget* w = CWnd::MakeWidget(parentWidget, cs);
    if (w) w->setFont(platform::DialogFont());
    return w;
}

CPropertySheet::CPropertySheet(LPCTSTR caption, CWnd* parent, UINT selectPage)
    : SheetTemplateHolder{DialogTemplate{
          IDD_PROPERTY_SHEET,
          caption,
          0,
          0,
          100,
          100,
          DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
          "Tahoma",
          8,
          {}}},
      CDialog(m_sheetTemplate, parent),
      m_caption(caption ? caption : ""),
      m_startPage(static_cast<int>(selectPage)) {}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page) return;
    page->m_sheet = this;
    m_pages.push_back(page);
    m_made.push_back(false);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

INT_PTR CPropertySheet::DoModal() {
    // The sheet is as large as its largest page, with the tabs above (not in a wizard) and the
    // buttons below.
    short cx = 100, cy = 60;
    for (CPropertyPage* p : m_pages) {
        cx = std::max(cx, p->GetTemplate().cx);
        cy = std::max(cy, p->GetTemplate().cy);
    }
    const short tabs = m_wizard ? 0 : kTabHeight;
    DialogTemplate& t = m_sheetTemplate;
    t.cx = static_cast<short>(cx + 2 * kMargin);
    t.cy = static_cast<short>(cy + tabs + 3 * kMargin + kButtonHeight);
    const short y = static_cast<short>(t.cy - kMargin - kButtonHeight);
    std::vector<DialogItem> buttons;
    if (m_wizard) {
        buttons = {dlg::PushButton("< Back", ID_WIZBACK, 0, y, kButtonWidth, kButtonHeight),
                   dlg::PushButton("Next >", ID_WIZNEXT, 0, y, kButtonWidth, kButtonHeight),
                   dlg::DefPushButton("Finish", ID_WIZFINISH, 0, y, kButtonWidth, kButtonHeight),
                   dlg::PushButton("Cancel", IDCANCEL, 0, y, kButtonWidth, kButtonHeight)};
    } else {
        buttons = {dlg::DefPushButton("OK", IDOK, 0, y, kButtonWidth, kButtonHeight),
                   dlg::PushButton("Cancel", IDCANCEL, 0, y, kButtonWidth, kButtonHeight)};
        if (!(m_psh.dwFlags & PSH_NOAPPLYNOW))
            buttons.push_back(dlg::PushButton("&Apply", ID_APPLY_NOW, 0, y, kButtonWidth,
                                              kButtonHeight, WS_DISABLED));
    }
    short x = static_cast<short>(t.cx - kMargin);
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
        x = static_cast<short>(x - kButtonWidth);
        it->x = x;
        x = static_cast<short>(x - 4);
    }
    t.items = buttons;
    m_pageArea = platform::DluToPixels(kMargin, kMargin + tabs, cx, cy);
    m_active = -1;
    std::fill(m_made.begin(), m_made.end(), false);
    const INT_PTR result = CDialog::DoModal();
    m_tabs = nullptr;
    return result;
}

BOOL CPropertySheet::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(m_caption);
    if (!m_wizard) {
        m_tabs = new QTabBar(GetWidget());
        m_tabs->setGeometry(m_pageArea.left, platform::DluToPixelY(kMargin) - 2, m_pageArea.Width(),
                            platform::DluToPixelY(kTabHeight) + 2);
        for (CPropertyPage* p : m_pages) {
            const CString title =
                p->m_title.IsEmpty() ? CString(p->GetTemplate().caption) : p->m_title;
            m_tabs->addTab(title.ToQString());
        }
        m_tabs->show();
        const HWND self = m_hWnd;
        QObject::connect(m_tabs, &QTabBar::currentChanged, m_tabs, [self](int index) {
            if (auto* sheet = dynamic_cast<CPropertySheet*>(CWnd::FromHandlePermanent(self)))
                if (index != sheet->m_active && !sheet->SetActivePage(index) && sheet->m_tabs)
                    sheet->m_tabs->setCurrentIndex(sheet->m_active);
        });
    }
    SetActivePage(std::clamp(m_startPage, 0, std::max(GetPageCount() - 1, 0)));
    if (m_wizard) SetWizardButtons(m_wizardButtons);
    return TRUE;
}

BOOL CPropertySheet::DestroyWindow() {
    // The pages go first, while the sheet that holds their widgets still stands.
    for (CPropertyPage* page : m_pages)
        if (page->GetSafeHwnd()) page->DestroyWindow();
    m_tabs = nullptr;
    return CDialog::DestroyWindow();
}

BOOL CPropertySheet::SetActivePage(int index) {
    CPropertyPage* page = GetPage(index);
    if (!page || !GetSafeHwnd()) return FALSE;
    CPropertyPage* old = GetPage(m_active);
    if (old == page) return TRUE;
    if (old && !old->OnKillActive()) return FALSE;
    if (!m_made[static_cast<size_t>(index)]) {
        if (!page->Create(this)) return FALSE;
        m_made[static_cast<size_t>(index)] = true;
    }
    const int previous = m_active;
    m_active = index;
    if (!page->OnSetActive()) {
        m_active = previous;
        return FALSE;
    }
    if (old) old->ShowWindow(SW_HIDE);
    page->MoveWindow(m_pageArea.left, m_pageArea.top,
                     page->GetWidget() ? page->GetWidget()->width() : m_pageArea.Width(),
                     page->GetWidget() ? page->GetWidget()->height() : m_pageArea.Height());
    page->ShowWindow(SW_SHOW);
    if (m_tabs && m_tabs->currentIndex() != index) m_tabs->setCurrentIndex(index);
    return TRUE;
}

void CPropertySheet::SetTabText(int index, const CString& text) {
    if (m_tabs && index >= 0 && index < m_tabs->count())
        m_tabs->setTabText(index, text.ToQString());
}

CString CPropertySheet::GetTabText(int index) const {
    if (!m_tabs || index < 0 || index >= m_tabs->count()) return CString();
    return CString(m_tabs->tabText(index));
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
    if (CPropertyPage* active = GetPage(m_active); active && !active->OnKillActive()) return;
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_made[i]) m_pages[i]->OnOK();
    EndDialog(IDOK);
}

void CPropertySheet::OnCancel() {
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_made[i]) m_pages[i]->OnCancel();
    EndDialog(IDCANCEL);
}

void CPropertySheet::OnWizardBack() {
    if (m_active > 0) SetActivePage(m_active - 1);
}

void CPropertySheet::OnWizardNext() {
    if (m_active + 1 < GetPageCount()) SetActivePage(m_active + 1);
}

void CPropertySheet::OnWizardFinish() {
    if (CPropertyPage* page = GetActivePage(); page && !page->OnKillActive()) return;
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_made[i]) m_pages[i]->OnOK();
    EndDialog(ID_WIZFINISH);
}
