#include "app/varnel_app.h"

#include <QApplication>
#include <QMainWindow>

#include "app/about_dlg.h"
#include "app/child_frame.h"
#include "app/data_tree_view.h"
#include "displays/clock/clock_view.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/comm_view.h"
#include "logger/settings.h"
#include "platform/activex/register.h"
#include "platform/ui/modal_host.h"
#include "platform/win/standard_ids.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

constexpr DWORD kChildStyle = 0x00CF4000;  // WS_OVERLAPPEDWINDOW | FWS_PREFIXTITLE

}  // namespace

BEGIN_MESSAGE_MAP(CVarnelApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
ON_COMMAND(ID_CREATE_STANDARD_WINDOWS, CreateStandardWindows)
ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CVarnelApp::CVarnelApp() : CWinApp("Varnel") {}

CVarnelApp::~CVarnelApp() {
    ExitInstance();
}

void CVarnelApp::ParseCommandLine(int argc, char** argv) {
    m_commandLinePath.Empty();
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-') {
            m_commandLinePath = argv[i];
            return;
        }
        ++i;  // an option with its value (-style fusion)
    }
}

BOOL CVarnelApp::InitInstance() {
    m_templates.push_back({IDR_COMMTYPE, "CVarnelDoc", "CMDIChildWnd", "CCommView"});
    m_templates.push_back({IDR_COMMTYPE, "CVarnelDoc", "CMDIChildWnd", "CVideoView"});
    m_templates.push_back({IDR_GRAPHTYPE, "CVarnelDoc", "CMDIChildWnd", "CGraphView"});
    platform::RegisterActiveXControls();
    SetRegistryKey("Mercant Systems");
    LoadStdProfileSettings(4);
    m_templates.push_back({IDR_MAINFRAME, "CVarnelDoc", "CChildFrame", "CVarnelView"});
    m_template = &m_templates.back();
    m_previousPrompt = GetUserPrompt();
    InstallUserPrompt(&m_prompt);
    m_mainFrame = MakeMainFrame();
    m_document = std::make_unique<CVarnelDoc>();
    m_document->SetTitle("Mercant Systems");
    m_document->m_mainFrame = m_mainFrame.get();
    if (!LoadMainFrame(*m_mainFrame)) {
        m_document.reset();
        m_mainFrame.reset();
        return FALSE;
    }
    m_pMainWnd = m_mainFrame.get();
    m_document->m_startupPath = m_commandLinePath;
    m_mainFrame->SetWindowText("Varnel - " + m_document->GetTitle());
    m_mainFrame->ShowWindow(SW_SHOW);
    m_mainFrame->UpdateWindow();
    m_mainFrame->SetDocument(m_document.get());
    m_mainFrame->m_singleAxisOn = m_document->GetSettings()->m_singleAxis ? 1 : 0;
    CreateStandardWindows();
    m_document->ApplyDisplayModes();
    m_document->SetModifiedFlag(FALSE);
    m_document->m_modified = 0;
    m_document->ApplyUserInterfaceMode(m_document->GetSettings()->m_interfaceLevel, 2, 0);
    return TRUE;
}

BOOL CVarnelApp::LoadMainFrame(CMainFrame& frame) {
    const CRect& r = m_document->GetSettings()->m_mainWindowRect;
    return frame.Create(nullptr, "Varnel", 0x00CF8000, r);
}

BOOL CVarnelApp::LoadFrame(CMDIChildWnd& frame) {
    return frame.Create(nullptr, "Varnel", kChildStyle, CRect(0, 0, 300, 200), m_mainFrame.get());
}

int CVarnelApp::ExitInstance() {
    // Frame first, then the document, while Qt still runs: the logger, the port and the timers
    // are released here.
    if (m_mainFrame && m_mainFrame->m_hWnd) m_mainFrame->DestroyWindow();
    m_views.clear();
    m_frames.clear();
    m_mainFrame.reset();
    m_document.reset();
    if (GetUserPrompt() == &m_prompt) InstallUserPrompt(m_previousPrompt);
    return 0;
}

std::vector<CMDIChildWnd*> CVarnelApp::GetStandardFrames() const {
    std::vector<CMDIChildWnd*> frames;
    for (const auto& f : m_frames)
        frames.push_back(f.get());
    return frames;
}

template <class Frame>
Frame* CVarnelApp::NewFrame() {
    auto frame = std::make_unique<Frame>();
    if (!LoadFrame(*frame)) return nullptr;
    Frame* raw = frame.get();
    m_frames.push_back(std::move(frame));
    return raw;
}

void CVarnelApp::Finish(CMDIChildWnd& frame, CView& view) {
    frame.SetActiveView(&view, FALSE);
    frame.InitialUpdateFrame(m_document.get(), TRUE);
}

void CVarnelApp::CreateStandardWindows() {
    if (!m_mainFrame || !m_document) return;
    m_mainFrame->m_autoLayout = 0;
    CreateGraphWindow();
    CreateDataTreeWindow();
    CreateTableWindow();
    CreateMeterWindow();
    CreateClockWindow();
    CreateSetupWindow();
    CreateRecordingVideoWindow();
    CreateWorkbookWindow();
    CreateVideoWindow();
    CreateCommWindow();
}

BOOL CVarnelApp::CreateGraphWindow() {
    auto* frame = NewFrame<CGraphFrame>();
    if (!frame) return FALSE;
    frame->SetWindowPos(&CWnd::wndTop, 91, 0, 500, 503, SWP_FRAMECHANGED);
    auto view = std::make_unique<CGraphView>();
    view->Create(frame, CRect(0, 0, 500, 503));
    view->SetDocument(m_document.get());
    view->Attach(m_document.get(), frame);
    Finish(*frame, *view);
    m_views.push_back(std::move(view));
    return TRUE;
}

BOOL CVarnelApp::CreateDataTreeWindow() {
    auto* frame = NewFrame<CChildFrame>();
    if (!frame) return FALSE;
    auto view = std::make_unique<CDataTreeView>();
    view->Create(frame, CRect(0, 0, 200, 300));
    view->SetDocument(m_document.get());
    m_document->m_dataTreeView = view.get();
    Finish(*frame, *view);
    m_views.push_back(std::move(view));
    return TRUE;
}

#define VARNEL_SIMPLE_CREATOR(name, Frame, View, placed)                    \
    BOOL CVarnelApp::name() {                                               \
        auto* frame = NewFrame<Frame>();                                    \
        if (!frame) return FALSE;                                           \
        if (placed) frame->SetWindowPos(&CWnd::wndTop, 91, 0, 500, 503, 0); \
        auto view = std::make_unique<View>();                               \
        view->Create(frame, m_document.get());                              \
        Finish(*frame, *view);                                              \
        m_views.push_back(std::move(view));                                 \
        return TRUE;                                                        \
    }

VARNEL_SIMPLE_CREATOR(CreateTableWindow, CTableFrame, CTableView, false)
VARNEL_SIMPLE_CREATOR(CreateMeterWindow, CMeterFrame, CMeterView, true)
VARNEL_SIMPLE_CREATOR(CreateClockWindow, CChildFrame, CClockView, false)
VARNEL_SIMPLE_CREATOR(CreateRecordingVideoWindow, CRecordingVideoFrame, CRecordingVideoView, false)
VARNEL_SIMPLE_CREATOR(CreateWorkbookWindow, CHtmlDocFrame, CHtmlDocView, true)
VARNEL_SIMPLE_CREATOR(CreateVideoWindow, CVideoFrame, CVideoView, false)
VARNEL_SIMPLE_CREATOR(CreateCommWindow, CChildFrame, CCommView, false)
#undef VARNEL_SIMPLE_CREATOR

BOOL CVarnelApp::CreateSetupWindow() {
    auto* frame = NewFrame<CChildFrame>();
    if (!frame) return FALSE;
    auto view = std::make_unique<CSetupView>();
    view->Create(frame, CRect(0, 0, 200, 300));
    view->SetDocument(m_document.get());
    Finish(*frame, *view);
    m_views.push_back(std::move(view));
    return TRUE;
}

void CVarnelApp::OnAppAbout() {
    CAboutDlg about(m_pMainWnd);
    about.DoModal();
}

void CVarnelApp::OnFilePrintSetup() {
    platform::ModalHost::Current().RunPageSetupDialog();
}

void CVarnelApp::OnAppExit() {
    if (m_mainFrame && m_mainFrame->m_hWnd) m_mainFrame->SendMessage(WM_CLOSE);
}
