#pragma once
// The workbook window, in its simplest form: it shows nothing yet. Its frame carries the two
// workbook toolbars, one per group of levels.

#include "app/child_frame.h"
#include "platform/ui/bars.h"

class CVarnelDoc;
class CLaunchHeader;

class CHtmlDocFrame : public CChildFrame {
    DECLARE_DYNCREATE(CHtmlDocFrame)

public:
    // The worksheet shown has a launch file: the frame's Launch is enabled.
    BOOL m_launchAvailable = FALSE;
    // The notes hold text: Print text and Save text document are enabled.
    BOOL m_notesNotEmpty = FALSE;
    // The notes pane is shown (checks Split view).
    BOOL m_notesShown = FALSE;
    // Toolbar 253 (Advanced) and toolbar 292 (Basic and Simple).
    void ShowWorkbookToolbar(BOOL show);
    void ShowWorkbookToolbar2(BOOL show);
    CToolBar& GetWorkbookToolbar() { return m_toolbar; }
    CToolBar& GetWorkbookToolbar2() { return m_toolbar2; }

protected:
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    CToolBar m_toolbar;
    CToolBar m_toolbar2;
};

class CHtmlDocView : public CView {
    DECLARE_DYNCREATE(CHtmlDocView)
    ~CHtmlDocView() override;
    // Neither a worksheet browser nor a notes pane yet: nothing to copy.
    bool CanCopy() const { return false; }

    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;

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
    CVarnelDoc* m_doc = nullptr;

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
    void ShowTextPane();
    // The worksheet loses its selection (the notes took the focus).
    void ClearWorksheetSelection();
};
