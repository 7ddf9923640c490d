#pragma once
// The workbook window: a worksheet in a browser pane above the student's notes. Its commands reach
// the view and its panes through the document; the frames only enable and check them.

#include "app/child_frame.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/activex/web_browser.h"
#include "platform/ui/bars.h"
#include "platform/ui/form_view.h"
#include "platform/win/splitter.h"

class CVarnelDoc;
class CCmdUI;
class CEdit;
class CTextView;
class CLaunchHeader;

class CHtmlDocFrame : public CChildFrame {
    DECLARE_DYNCREATE(CHtmlDocFrame)

public:
    // Checks Split view.
    BOOL m_notesShown = FALSE;
    // The worksheet shown has a launch file: the frame's Launch is enabled.
    BOOL m_launchAvailable = FALSE;
    // Enables Print worksheet.
    BOOL m_worksheetPrintable = FALSE;
    // Enables Print text and Save text document.
    BOOL m_notesNotEmpty = FALSE;
    // Toolbar 253 (Advanced) and toolbar 292 (Basic and Simple).
    void ShowWorkbookToolbar(BOOL show);
    void ShowWorkbookToolbar2(BOOL show);
    CToolBar& GetWorkbookToolbar() { return m_toolbar; }
    CToolBar& GetWorkbookToolbar2() { return m_toolbar2; }

    void OnUpdateSplitView(CCmdUI* ui);
    void OnUpdateLaunch(CCmdUI* ui);
    void OnUpdatePrintWorksheet(CCmdUI* ui);
    void OnUpdateNotesCommand(CCmdUI* ui);
    void OnUpdatePaste(CCmdUI* ui);

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    DECLARE_MESSAGE_MAP()

private:
    CToolBar m_toolbar;
    CToolBar m_toolbar2;
};

// The splitter that cannot be dragged open while the notes are hidden.
class CMySplitter : public CSplitterWnd {
public:
    BYTE m_locked = 0;
    BOOL SplitRow(int cyBefore) override { return CSplitterWnd::SplitRow(cyBefore); }
    void DeleteRow(int rowDelete) override { CSplitterWnd::DeleteRow(rowDelete); }
    int HitTest(CPoint point) const override { return m_locked ? 0 : CSplitterWnd::HitTest(point); }
};

class CHtmlFormView;

class CHtmlDocView : public CView {
    DECLARE_DYNCREATE(CHtmlDocView)
    ~CHtmlDocView() override;
    // Copy is enabled while the worksheet has a selection or the notes do.
    bool CanCopy() const;

    // Takes the document it was made for as its own and makes the splitter with its two panes.
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDraw(CDC*) override {}

    void OpenWorksheet();
    void ToggleTextPane();
    void ShowTextPane();
    void HideTextPane();
    void Copy();
    void Paste();
    void OnWorksheetNavigated(const CString& path);

    CMySplitter& GetSplitter() { return m_splitter; }
    CHtmlFormView* GetFormPane() const;
    CTextView* GetTextPane() const;
    CEdit* GetNotesEdit() const;

    // The launch file beside a worksheet: its name's own suffix replaced by "qdr" for the QK
    // model or "hdr" for the basic one (added when the name has none). A new file's name.
    static CString LaunchFilePath(const CString& worksheetPath, BOOL qk);
    // Whether the worksheet has a launch file for the model; its name may differ from
    // LaunchFilePath's in case only (worksheets come from Windows folders). `launchPath` gets the
    // file's path, or "" when there is none.
    static BOOL LaunchFileExists(CString worksheetPath, BOOL qk, CString* launchPath = nullptr);
    // Found: keeps the path and enables Launch on the frame and the main frame; otherwise empties
    // it and disables both.
    void SetLaunchFile(BOOL found, const CString& path);

    CString m_worksheetPath;
    CString m_launchPath;

private:
    CHtmlDocFrame* Frame() const;
    BOOL IsQK() const;
    void SetNotesShown(BOOL shown);
    CVarnelDoc* m_doc = nullptr;
    CMySplitter m_splitter;
    CHtmlDocFrame* m_frame = nullptr;
    bool m_updated = false;

    // ---- worksheet launch (worksheet_launch.cpp)
public:
    static constexpr const char* kForQKText = "The launch file is for Dorvik QK";
    static constexpr const char* kForBasicText = "The launch file is for Dorvik";
    static constexpr const char* kConnectExternal1Text = "Please connect external sensor 1";
    static constexpr const char* kConnectExternal2Text = "Please connect external sensor 2";
    // Ours: %s the file's name, then why it cannot be read.
    static constexpr const char* kUnreadableLaunchText =
        "The launch file \"%s\" cannot be read: %s.";

    // Applies the launch file beside the worksheet to the logger and the displays; the run is
    // left to the user.
    void OnLaunch();
    // The graph kind's plots for the next run, from the file's sensor records.
    void ApplyLaunchPlots(const CLaunchHeader& header);
    // Sensor record 0..6's basic mask bit; 0 for another record.
    static BYTE ChannelSensorBit(int record);
    // The bit's position among the file's selected sensors, or -1.
    static int FindSensorPosition(const CLaunchHeader& header, BYTE bit);
    // The worksheet loses its selection (the notes took the focus).
    void ClearWorksheetSelection();
};

class CHtmlFormView : public CFormView, public CEventSinkHost {
    DECLARE_DYNCREATE(CHtmlFormView)

public:
    CHtmlFormView();
    ~CHtmlFormView() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnSize(UINT type, int cx, int cy) override;

    // Prints the worksheet through the browser's own print dialog.
    void Print();
    void Navigate(const CString& path);

    // The browser's events and the buttons' clicks.
    void OnCommandStateChange(LONG command, bool enable);
    void OnNavigateComplete2(const VARIANT& dispatch, const VARIANT& url);
    void OnBack();
    void OnForward();

    // What a navigated address stands for as a worksheet path: the local file, without its
    // fragment, with ".htm" added unless it ends (case-sensitively) in ".htm", ".html" or ".mht".
    static CString WorksheetPathOfUrl(const CString& url);

    CWebBrowser2& GetBrowser() { return m_browser; }
    CCWButton& GetBackButton() { return m_back; }
    CCWButton& GetForwardButton() { return m_forward; }

    CWebBrowser2 m_browser;
    CCWButton m_back;
    CCWButton m_forward;
    BYTE m_controlsReady = 0;
    BOOL m_backEnabled = 0;
    BOOL m_forwardEnabled = 0;
    CString m_worksheetPath;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    void Layout(int cx, int cy);
    CVarnelDoc* m_doc = nullptr;
};
