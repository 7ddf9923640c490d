#include "app/varnel_app.h"

#include <QApplication>
#include <QMainWindow>

#include "app/about_dlg.h"
#include "app/child_frame.h"
#include "app/data_tree_view.h"
#include "app/varnel_doc.h"
#include "displays/clock/clock_view.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/comm_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/settings.h"
#include "platform/activex/register.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/modal_host.h"
#include "platform/win/system.h"
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
    const auto add = [this](UINT id, const CRuntimeClass* frameClass,
                            const CRuntimeClass* viewClass) {
        auto docTemplate = std::make_unique<CMultiDocTemplate>(id, RUNTIME_CLASS(CVarnelDoc),
                                                               frameClass, viewClass);
        m_template = docTemplate.get();
        AddDocTemplate(std::move(docTemplate));
    };
    add(IDR_COMMTYPE, RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CCommView));
    add(IDR_COMMTYPE, RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CVideoView));
    add(IDR_GRAPHTYPE, RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CGraphView));
    platform::RegisterActiveXControls();
    SetRegistryKey("Mercant Systems");
    LoadStdProfileSettings(4);
    add(IDR_MAINFRAME, RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CVarnelView));
    m_previousPrompt = GetUserPrompt();
    InstallUserPrompt(&m_prompt);
    m_mainFrame = MakeMainFrame();
    m_document = std::make_unique<CVarnelDoc>();
    m_document->SetTitle("Mercant Systems");
    m_document->SetMainFrame(m_mainFrame.get());
    if (!LoadMainFrame(*m_mainFrame)) {
        m_document.reset();
        m_mainFrame.reset();
        return FALSE;
    }
    m_pMainWnd = m_mainFrame.get();
    m_document->m_startupPath = m_commandLinePath;
    m_mainFrame->SetWindowText("Varnel - " + m_document->GetTitle());
    m_mainFrame->ShowWindow(GetProfileInt(kWindowSection, kMaximizedEntry, 0) ? SW_SHOWMAXIMIZED
                                                                              : SW_SHOW);
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
    CCreateContext context;
    context.m_pCurrentDoc = m_document.get();
    if (!frame.LoadFrame(IDR_MAINFRAME, 0x00CF8000, nullptr, &context)) return FALSE;
    // The window opens where the settings keep it, on the screen whatever it was when it closed.
    CRect rect = m_document->GetSettings()->m_mainWindowRect;
    if (CRect area; SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0))
        rect = FitWindowRect(rect, area);
    frame.MoveWindow(&rect, FALSE);
    return TRUE;
}

BOOL CVarnelApp::LoadFrame(CMDIChildWnd& frame, CCreateContext& context) {
    return frame.LoadFrame(IDR_MAINFRAME, kChildStyle, m_mainFrame.get(), &context);
}

int CVarnelApp::ExitInstance() {
    // Frame first, then the document, while Qt still runs: the logger, the port and the timers
    // are released here.
    if (m_mainFrame && m_mainFrame->m_hWnd) m_mainFrame->DestroyWindow();
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

BOOL CVarnelApp::CreateStandardWindow(const CRuntimeClass* frameClass,
                                      const CRuntimeClass* viewClass, bool placed,
                                      UINT placeFlags) {
    if (!m_mainFrame || !m_document || !frameClass->IsDerivedFrom(RUNTIME_CLASS(CMDIChildWnd)))
        return FALSE;
    std::unique_ptr<CMDIChildWnd> frame(static_cast<CMDIChildWnd*>(frameClass->CreateObject()));
    if (!frame) return FALSE;
    CCreateContext context;
    context.m_pNewViewClass = viewClass;
    context.m_pCurrentDoc = m_document.get();
    context.m_pNewDocTemplate = m_template;
    if (CMDIChildWnd* active = m_mainFrame->MDIGetActive()) {
        context.m_pCurrentFrame = active;
        context.m_pLastView = active->GetActiveView();
    }
    if (!LoadFrame(*frame, context)) return FALSE;
    if (placed) frame->SetWindowPos(&CWnd::wndTop, 91, 0, 500, 503, placeFlags);
    frame->InitialUpdateFrame(m_document.get(), TRUE);
    m_frames.push_back(std::move(frame));
    return TRUE;
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
    return CreateStandardWindow(RUNTIME_CLASS(CGraphFrame), RUNTIME_CLASS(CGraphView), true,
                                SWP_FRAMECHANGED);
}
BOOL CVarnelApp::CreateDataTreeWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CDataTreeView));
}
BOOL CVarnelApp::CreateTableWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CTableFrame), RUNTIME_CLASS(CTableView));
}
BOOL CVarnelApp::CreateMeterWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CMeterFrame), RUNTIME_CLASS(CMeterView), true);
}
BOOL CVarnelApp::CreateClockWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CClockView));
}
BOOL CVarnelApp::CreateSetupWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CSetupView));
}
BOOL CVarnelApp::CreateRecordingVideoWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CRecordingVideoFrame),
                                RUNTIME_CLASS(CRecordingVideoView));
}
BOOL CVarnelApp::CreateWorkbookWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CHtmlDocFrame), RUNTIME_CLASS(CHtmlDocView), true);
}
BOOL CVarnelApp::CreateVideoWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CVideoFrame), RUNTIME_CLASS(CVideoView));
}
BOOL CVarnelApp::CreateCommWindow() {
    return CreateStandardWindow(RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CCommView));
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
