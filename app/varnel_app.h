#pragma once
// The application object.

#include <memory>

#include "app/main_frame.h"
#include "platform/win/frame.h"

class CVarnelApp : public CWinApp {
public:
    CVarnelApp();
    ~CVarnelApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    std::unique_ptr<CMainFrame> m_mainFrame;
};
