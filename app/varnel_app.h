#pragma once
// The application object: one document, the main frame and the ten standard windows on it.

#include <memory>
#include <vector>

#include "app/main_frame.h"
#include "app/msg_dialog.h"
#include "platform/win/frame.h"

class CVarnelDoc;

class CVarnelApp : public CWinApp {
public:
    CVarnelApp();
    ~CVarnelApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;
    // Qt's own options are taken out first; the first other argument is the start-up path.
    void ParseCommandLine(int argc, char** argv) override;

    // The one document, made at start-up; null before.
    CVarnelDoc* GetDocument() const { return m_document.get(); }
    CMainFrame* GetMainFrame() const { return m_mainFrame.get(); }
    // The standard windows' frames, in the order they were made.
    std::vector<CMDIChildWnd*> GetStandardFrames() const;

    void OnAppAbout();
    void CreateStandardWindows();
    BOOL CreateGraphWindow();
    BOOL CreateDataTreeWindow();
    BOOL CreateTableWindow();
    BOOL CreateMeterWindow();
    BOOL CreateClockWindow();
    BOOL CreateSetupWindow();
    BOOL CreateRecordingVideoWindow();
    BOOL CreateWorkbookWindow();
    BOOL CreateVideoWindow();
    BOOL CreateCommWindow();
    void OnFilePrintSetup();
    // The framework's exit: the main frame's close, with its questions.
    void OnAppExit();

protected:
    // Loads a standard window's frame from resource 152 as a child of the main frame; the frame
    // makes its view through the context. A test may make it fail.
    virtual BOOL LoadFrame(CMDIChildWnd& frame, CCreateContext& context);
    virtual BOOL LoadMainFrame(CMainFrame& frame);
    virtual std::unique_ptr<CMainFrame> MakeMainFrame() { return std::make_unique<CMainFrame>(); }
    // Owned here and deleted with the application: no document template holds it.
    std::unique_ptr<CVarnelDoc> m_document;
    DECLARE_MESSAGE_MAP()

private:
    // Every standard window is made here: a frame of `frameClass` whose view of `viewClass` shows
    // the document, placed where the graph window goes when `placed`.
    BOOL CreateStandardWindow(const CRuntimeClass* frameClass, const CRuntimeClass* viewClass,
                              bool placed = false, UINT placeFlags = 0);

    std::unique_ptr<CMainFrame> m_mainFrame;
    CMultiDocTemplate* m_template = nullptr;
    // Each frame owns the view it made.
    std::vector<std::unique_ptr<CMDIChildWnd>> m_frames;
    CString m_commandLinePath;
    CMsgDialogPrompt m_prompt;
    // The prompt before start-up, back after the end (a host may have installed its own).
    CUserPrompt* m_previousPrompt = nullptr;
};
