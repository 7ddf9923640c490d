#pragma once
// The program's main window: the multiple-document frame that holds the standard windows.

#include "platform/win/frame.h"

class CMainFrame : public CMDIFrameWnd {
public:
    CMainFrame();
    BOOL CreateMainWindow();
};
