#pragma once
// How the program's logic reaches the user without a window of its own. The application installs
// a prompt that shows its message boxes; tests may install a recorder.

#include "platform/base/cstring.h"
#include "platform/base/types.h"

class CUserPrompt {
public:
    virtual ~CUserPrompt() = default;
    // The program's message box (ShowMessage): the pressed button; hands back the show-again flag.
    virtual BYTE ShowMessage(const CString& text, UINT buttonSet, BOOL& showAgain) = 0;
    // A plain box of a message-box type (MB_...): the pressed button (IDOK...).
    virtual int MessageBox(const CString& text, const CString& caption, UINT type) = 0;
};

// The prompt in use; nullptr removes it. Without one, a message goes to the log of its
// subsystem and no button is pressed (0).
void InstallUserPrompt(CUserPrompt* prompt);
CUserPrompt* GetUserPrompt();
