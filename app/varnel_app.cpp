#include "app/varnel_app.h"

#include "platform/activex/register.h"

CVarnelApp::CVarnelApp() : CWinApp("Varnel") {}

CVarnelApp::~CVarnelApp() = default;

BOOL CVarnelApp::InitInstance() {
    SetRegistryKey("Mercant Systems");
    InstallUserPrompt(&m_prompt);
    platform::RegisterActiveXControls();
    m_mainFrame = std::make_unique<CMainFrame>();
    if (!m_mainFrame->CreateMainWindow()) return FALSE;
    m_pMainWnd = m_mainFrame.get();
    // The document sets the main frame's fields as it is made.
    m_document = std::make_unique<CVarnelDoc>();
    m_document->m_mainFrame = m_mainFrame.get();
    m_mainFrame->ShowWindow(SW_SHOW);
    return TRUE;
}

int CVarnelApp::ExitInstance() {
    m_mainFrame.reset();
    InstallUserPrompt(nullptr);
    return 0;
}
