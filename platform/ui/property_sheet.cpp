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
    // The sheet is as large as its largest page, with the tabs above and the buttons below.
    short cx = 100, cy = 60;
    for (CPropertyPage* p : m_pages) {
        cx = std::max(cx, p->GetTemplate().cx);
        cy = std::max(cy, p->GetTemplate().cy);
    }
    DialogTemplate& t = m_sheetTemplate;
    t.cx = static_cast<short>(cx + 2 * kMargin);
    t.cy = static_cast<short>(cy + kTabHeight + 3 * kMargin + kButtonHeight);
    const short y = static_cast<short>(t.cy - kMargin - kButtonHeight);
    std::vector<DialogItem> buttons = {
        dlg::DefPushButton("OK", IDOK, 0, y, kButtonWidth, kButtonHeight),
        dlg::PushButton("Cancel", IDCANCEL, 0, y, kButtonWidth, kButtonHeight)};
    if (!(m_psh.dwFlags & PSH_NOAPPLYNOW))
        buttons.push_back(dlg::PushButton("&Apply", ID_APPLY_NOW, 0, y, kButtonWidth, kButtonHeight,
                                          WS_DISABLED));
    short x = static_cast<short>(t.cx - kMargin);
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
        x = static_cast<short>(x - kButtonWidth);
        it->x = x;
        x = static_cast<short>(x - 4);
    }
    t.items = buttons;
    m_pageArea = CRect(platform::DluToPixelX(kMargin), platform::DluToPixelY(kMargin + kTabHeight),
                       platform::DluToPixelX(kMargin + cx),
                       platform::DluToPixelY(kMargin + kTabHeight + cy));
    m_active = -1;
    std::fill(m_made.begin(), m_made.end(), false);
    const INT_PTR result = CDialog::DoModal();
    m_tabs = nullptr;
    return result;
}

BOOL CPropertySheet::OnInitDialog() {
    CDialog::OnInitDialog();
    m_tabs = new QTabBar(GetWidget());
    m_tabs->setGeometry(m_pageArea.left, platform::DluToPixelY(kMargin) - 2, m_pageArea.Width(),
                        platform::DluToPixelY(kTabHeight) + 2);
    for (CPropertyPage* p : m_pages)
        m_tabs->addTab(QString::fromUtf8(p->GetTemplate().caption));
    m_tabs->show();
    const HWND self = m_hWnd;
    QObject::connect(m_tabs, &QTabBar::currentChanged, m_tabs, [self](int index) {
        if (auto* sheet = dynamic_cast<CPropertySheet*>(CWnd::FromHandlePermanent(self)))
            if (index != sheet->m_active) sheet->SetActivePage(index);
    });
    SetActivePage(std::clamp(m_startPage, 0, std::max(GetPageCount() - 1, 0)));
    return TRUE;
}

BOOL CPropertySheet::SetActivePage(int index) {
    CPropertyPage* page = GetPage(index);
    if (!page || !GetSafeHwnd()) return FALSE;
    if (CPropertyPage* old = GetPage(m_active)) {
        if (!old->OnKillActive()) return FALSE;
        old->ShowWindow(SW_HIDE);
    }
    if (!m_made[static_cast<size_t>(index)]) {
        if (!page->Create(this)) return FALSE;
        m_made[static_cast<size_t>(index)] = true;
    }
    page->MoveWindow(m_pageArea.left, m_pageArea.top,
                     page->GetWidget() ? page->GetWidget()->width() : m_pageArea.Width(),
                     page->GetWidget() ? page->GetWidget()->height() : m_pageArea.Height());
    page->ShowWindow(SW_SHOW);
    m_active = index;
    if (m_tabs && m_tabs->currentIndex() != index) m_tabs->setCurrentIndex(index);
    page->OnSetActive();
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
