#include "app/main_frame.h"

CMainFrame::CMainFrame() = default;

BOOL CMainFrame::CreateMainWindow() {
    return Create(nullptr, "Varnel", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 600));
}
