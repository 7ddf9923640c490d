#pragma once
// The application object.

#include <memory>

#include "app/main_frame.h"
#include "app/msg_dialog.h"
#include "app/varnel_doc.h"
#include "platform/win/frame.h"

class CVarnelApp : public CWinApp {
public:
    CVarnelApp();
    ~CVarnelApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;

    // The one document, made at start-up; null before.
    CVarnelDoc* GetDocument() const { return m_document.get(); }

protected:
    // Owned here and deleted with the application: no document template holds it.
    std::unique_ptr<CVarnelDoc> m_document;

private:
    std::unique_ptr<CMainFrame> m_mainFrame;
    CMsgDialogPrompt m_prompt;
};
