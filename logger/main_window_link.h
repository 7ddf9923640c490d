#pragma once
// What the logger object shows in the main window: the model flags of the commands and the
// status bar's message pane. The main frame installs itself; without it nothing is shown.

#include "platform/base/cstring.h"
#include "platform/base/types.h"

class CMainWindowLink {
public:
    virtual ~CMainWindowLink() = default;
    // The timing-logger flag and the logger kind: both 1 for a QK, both 0 for a basic model.
    virtual void SetModelFlags(BOOL timingLogger, WPARAM loggerKind) = 0;
    virtual void ShowStatusBarText(const CString& text) = 0;
};

void InstallMainWindowLink(CMainWindowLink* link);
CMainWindowLink* GetMainWindowLink();
