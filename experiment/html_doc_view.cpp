#include "experiment/html_doc_view.h"

#include <QDir>
#include <QFileInfo>
#include <QToolBar>
#include <QUrl>

#include "RES/commands.h"
#include "RES/dialogs/html_form_view.h"
#include "RES/workbook_toolbars.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "experiment/text_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "platform/base/paths.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/ole.h"
#include "platform/ui/styles.h"

IMPLEMENT_DYNCREATE(CHtmlDocFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CHtmlDocView, CView)
IMPLEMENT_DYNCREATE(CHtmlFormView, CFormView)

// ---- CHtmlDocFrame

BEGIN_MESSAGE_MAP(CHtmlDocFrame, CChildFrame)
ON_UPDATE_COMMAND_UI(ID_WORKBOOK_SPLIT_TB, OnUpdateSplitView)
ON_UPDATE_COMMAND_UI(ID_WORKBOOK_LAUNCH_TB, OnUpdateLaunch)
ON_UPDATE_COMMAND_UI(ID_WORKBOOK_PRINT, OnUpdatePrintWorksheet)
ON_UPDATE_COMMAND_UI(ID_WORKBOOK_PRINT_TEXT, OnUpdateNotesCommand)
ON_UPDATE_COMMAND_UI(ID_WORKBOOK_SAVE_TEXT_TB, OnUpdateNotesCommand)
ON_UPDATE_COMMAND_UI(ID_WORKBOOK_PASTE, OnUpdatePaste)
END_MESSAGE_MAP()

int CHtmlDocFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CChildFrame::OnCreate(cs) == -1) return -1;
    const DWORD style =
        WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_BORDER_TOP | CBRS_TOOLTIPS | CBRS_FLYBY;
    if (!m_toolbar.CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) ||
        !m_toolbar.LoadToolBar(WorkbookToolbarTemplate()))
        return -1;
    if (!m_toolbar2.CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) ||
        !m_toolbar2.LoadToolBar(WorkbookToolbar2Template()))
        return -1;
    ShowWorkbookToolbar(TRUE);
    ShowWorkbookToolbar2(FALSE);
    return 0;
}

static void ShowBar(CToolBar& bar, BOOL show) {
    if (QToolBar* b = bar.Bar()) b->setVisible(show != FALSE);
}

void CHtmlDocFrame::ShowWorkbookToolbar(BOOL show) {
    ShowBar(m_toolbar, show);
}

void CHtmlDocFrame::ShowWorkbookToolbar2(BOOL show) {
    ShowBar(m_toolbar2, show);
}

void CHtmlDocFrame::OnUpdateSplitView(CCmdUI* ui) {
    ui->SetCheck(m_notesShown ? 1 : 0);
}

void CHtmlDocFrame::OnUpdateLaunch(CCmdUI* ui) {
    ui->Enable(m_launchAvailable);
}

void CHtmlDocFrame::OnUpdatePrintWorksheet(CCmdUI* ui) {
    ui->Enable(m_worksheetPrintable);
}

void CHtmlDocFrame::OnUpdateNotesCommand(CCmdUI* ui) {
    ui->Enable(m_notesNotEmpty);
}

void CHtmlDocFrame::OnUpdatePaste(CCmdUI* ui) {
    COleDataObject clipboard;
    ui->Enable(clipboard.AttachClipboard() && clipboard.IsDataAvailable(CF_TEXT));
}

// ---- CHtmlDocView

CHtmlDocView::~CHtmlDocView() {
    if (m_doc && m_doc->m_htmlDocView == this) m_doc->m_htmlDocView = nullptr;
}

int CHtmlDocView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_htmlDocView = this;
    CCreateContext context;
    context.m_pCurrentDoc = GetDocument();
    if (!m_splitter.CreateStatic(this, 2, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST) ||
        !m_splitter.CreateView(0, 0, RUNTIME_CLASS(CHtmlFormView), CSize(0, 100), &context) ||
        !m_splitter.CreateView(1, 0, RUNTIME_CLASS(CTextView), CSize(0, 200), &context))
        return -1;
    return 0;
}

void CHtmlDocView::OnUpdate(CView*, LPARAM, CObject*) {
    if (m_updated) return;
    m_updated = true;
    m_frame = dynamic_cast<CHtmlDocFrame*>(GetParentFrame());
    if (m_doc) m_doc->m_htmlDocView = this;
    // The worksheet fills the window; the notes stay hidden until asked for.
    m_splitter.m_locked = 1;
    m_splitter.SetRowInfo(0, 1000, 1000);
    m_splitter.RecalcLayout();
    // The frame's first update reaches its active view only: the panes take theirs from here.
    for (int row = 0; row < 2; ++row)
        if (auto* pane = dynamic_cast<CView*>(m_splitter.GetPane(row, 0))) pane->OnInitialUpdate();
}

void CHtmlDocView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    // The splitter's outer border falls outside the view.
    if (!m_splitter.GetSafeHwnd()) return;
    m_splitter.MoveWindow(-2, -2, cx + 4, cy + 2, TRUE);
    m_splitter.RecalcLayout();
}

CHtmlDocFrame* CHtmlDocView::Frame() const {
    return m_frame ? m_frame : dynamic_cast<CHtmlDocFrame*>(GetParentFrame());
}

BOOL CHtmlDocView::IsQK() const {
    return m_doc && m_doc->GetLogger() && m_doc->GetLogger()->IsQKModel() ? TRUE : FALSE;
}

CHtmlFormView* CHtmlDocView::GetFormPane() const {
    return dynamic_cast<CHtmlFormView*>(m_splitter.GetPane(0, 0));
}

CTextView* CHtmlDocView::GetTextPane() const {
    return dynamic_cast<CTextView*>(m_splitter.GetPane(1, 0));
}

CEdit* CHtmlDocView::GetNotesEdit() const {
    CTextView* text = GetTextPane();
    return text && text->GetEdit().GetSafeHwnd() ? &text->GetEdit() : nullptr;
}

void CHtmlDocView::SetNotesShown(BOOL shown) {
    if (CHtmlDocFrame* frame = Frame()) frame->m_notesShown = shown;
    if (m_doc && m_doc->m_mainFrame) m_doc->m_mainFrame->m_splitViewOn = shown;
}

void CHtmlDocView::ShowTextPane() {
    CRect client;
    GetClientRect(&client);
    m_splitter.m_locked = 0;
    m_splitter.SetRowInfo(0, static_cast<int>(client.Height() * 0.7), 0);
    m_splitter.RecalcLayout();
    SetNotesShown(TRUE);
}

void CHtmlDocView::HideTextPane() {
    CRect client;
    GetClientRect(&client);
    m_splitter.m_locked = 1;
    m_splitter.SetRowInfo(0, client.Height(), client.Height());
    m_splitter.RecalcLayout();
    SetNotesShown(FALSE);
}

void CHtmlDocView::ToggleTextPane() {
    if (m_splitter.m_locked)
        ShowTextPane();
    else
        HideTextPane();
}

void CHtmlDocView::OpenWorksheet() {
    if (!m_doc) return;
    CString path;
    m_doc->PromptWorksheetFile(path);
    if (path.IsEmpty()) return;
    if (CHtmlFormView* form = GetFormPane()) {
        form->Navigate(path);
        form->m_worksheetPath = path;
    }
    m_worksheetPath = path;
    if (m_doc->m_mainFrame) m_doc->m_mainFrame->m_launchSettingsAvailable = TRUE;
    if (CHtmlDocFrame* frame = Frame()) frame->m_worksheetPrintable = TRUE;
    CString launch;
    const BOOL found = LaunchFileExists(path, IsQK(), &launch);
    SetLaunchFile(found, launch);
}

void CHtmlDocView::OnWorksheetNavigated(const CString& path) {
    if (CHtmlFormView* form = GetFormPane()) form->m_worksheetPath = path;
    m_worksheetPath = path;
    if (CHtmlDocFrame* frame = Frame()) frame->m_worksheetPrintable = TRUE;
    CString launch;
    const BOOL found = LaunchFileExists(path, IsQK(), &launch);
    SetLaunchFile(found, launch);
}

bool CHtmlDocView::CanCopy() const {
    if (CHtmlFormView* form = GetFormPane(); form && form->m_browser.QueryStatusWB(OLECMDID_COPY) ==
                                                         (OLECMDF_SUPPORTED | OLECMDF_ENABLED))
        return true;
    if (CEdit* edit = GetNotesEdit()) {
        int start = 0, end = 0;
        edit->GetSel(start, end);
        return start != end;
    }
    return false;
}

void CHtmlDocView::Copy() {
    CHtmlFormView* form = GetFormPane();
    if (form &&
        form->m_browser.QueryStatusWB(OLECMDID_COPY) == (OLECMDF_SUPPORTED | OLECMDF_ENABLED)) {
        form->m_browser.ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT);
        return;
    }
    if (CEdit* edit = GetNotesEdit()) edit->SendMessage(WM_COPY);
}

void CHtmlDocView::Paste() {
    if (CEdit* edit = GetNotesEdit()) edit->SendMessage(WM_PASTE);
}

CString CHtmlDocView::LaunchFilePath(const CString& worksheetPath, BOOL qk) {
    return ::LaunchFilePath(worksheetPath, qk ? 1 : 0);
}

BOOL CHtmlDocView::LaunchFileExists(CString worksheetPath, BOOL qk, CString* launchPath) {
    const QString wanted = LaunchFilePath(worksheetPath, qk).ToQString();
    QString found;
    if (QFileInfo(wanted).isFile()) {
        found = wanted;
    } else {
        const QFileInfo info(wanted);
        const QStringList names = info.dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : names)
            if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0) {
                found = info.dir().filePath(name);
                break;
            }
    }
    if (launchPath) *launchPath = found.isEmpty() ? CString() : CString(found);
    return found.isEmpty() ? FALSE : TRUE;
}

void CHtmlDocView::SetLaunchFile(BOOL found, const CString& path) {
    m_launchPath = found ? path : CString();
    if (auto* frame = dynamic_cast<CHtmlDocFrame*>(GetParentFrame()))
        frame->m_launchAvailable = found;
    if (m_doc && m_doc->m_mainFrame) m_doc->m_mainFrame->m_launchAvailable = found;
}

// ---- CHtmlFormView

CHtmlFormView::CHtmlFormView() : CFormView(HtmlFormViewTemplate()) {}

CHtmlFormView::~CHtmlFormView() {
    if (m_doc && m_doc->m_htmlFormView == this) m_doc->m_htmlFormView = nullptr;
}

int CHtmlFormView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (!m_browser.SubclassDlgItem(IDC_WORKSHEET_BROWSER, this) ||
        !m_back.SubclassDlgItem(IDC_WORKSHEET_BACK, this) ||
        !m_forward.SubclassDlgItem(IDC_WORKSHEET_FORWARD, this))
        return -1;
    auto& sinks = GetEventSinks();
    sinks.On(IDC_WORKSHEET_BROWSER, DISPID_COMMANDSTATECHANGE,
             [this](LONG command, bool enable) { OnCommandStateChange(command, enable); });
    sinks.On(IDC_WORKSHEET_BROWSER, DISPID_NAVIGATECOMPLETE2,
             [this](const VARIANT& dispatch, const VARIANT& url) {
                 OnNavigateComplete2(dispatch, url);
             });
    sinks.On(IDC_WORKSHEET_BACK, DISPID_CLICK, [this] { OnBack(); });
    sinks.On(IDC_WORKSHEET_FORWARD, DISPID_CLICK, [this] { OnForward(); });
    return 0;
}

void CHtmlFormView::OnUpdate(CView*, LPARAM, CObject*) {
    if (m_controlsReady) return;
    m_controlsReady = 1;
    if (m_doc) m_doc->m_htmlFormView = this;
    CRect client;
    GetClientRect(&client);
    Layout(client.Width(), client.Height());
    const CString start = GetExeFolder() + "Workbook open page.htm";
    if (!platform::FileExists(start)) return;
    Navigate(start);
    m_worksheetPath = start;
    if (m_doc && m_doc->m_htmlDocView) m_doc->m_htmlDocView->m_worksheetPath = start;
}

void CHtmlFormView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (m_controlsReady) Layout(cx, cy);
}

void CHtmlFormView::Layout(int w, int h) {
    if (m_browser.GetSafeHwnd()) m_browser.MoveWindow(0, 0, w, h - 30, TRUE);
    const int quarter = w / 4;
    if (m_back.GetSafeHwnd()) m_back.MoveWindow(quarter, h - 25, 40, 20, TRUE);
    if (m_forward.GetSafeHwnd()) m_forward.MoveWindow(3 * quarter - 40, h - 25, 40, 20, TRUE);
}

void CHtmlFormView::Navigate(const CString& path) {
    m_browser.Navigate(path);
}

void CHtmlFormView::Print() {
    m_browser.ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT);
}

void CHtmlFormView::OnCommandStateChange(LONG command, bool enable) {
    if (command == CSC_NAVIGATEBACK)
        m_backEnabled = enable;
    else if (command == CSC_NAVIGATEFORWARD)
        m_forwardEnabled = enable;
}

void CHtmlFormView::OnBack() {
    if (m_backEnabled) m_browser.GoBack();
}

void CHtmlFormView::OnForward() {
    if (m_forwardEnabled) m_browser.GoForward();
}

CString CHtmlFormView::WorksheetPathOfUrl(const CString& url) {
    // The address is decoded whole, so any escaped character in a name comes back.
    const QUrl address(url.ToQString());
    CString path = address.isLocalFile() ? CString(address.toLocalFile())
                                         : CString(address.adjusted(QUrl::RemoveFragment).path());
    const std::string& s = path.str();
    auto endsWith = [&s](const char* tail) {
        const size_t n = std::char_traits<char>::length(tail);
        return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
    };
    if (!endsWith(".htm") && !endsWith(".html") && !endsWith(".mht")) path += ".htm";
    return path;
}

void CHtmlFormView::OnNavigateComplete2(const VARIANT&, const VARIANT&) {
    const CString path = WorksheetPathOfUrl(m_browser.GetLocationURL());
    if (m_doc && m_doc->m_htmlDocView) m_doc->m_htmlDocView->OnWorksheetNavigated(path);
}
