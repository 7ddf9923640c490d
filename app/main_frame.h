#pragma once
// The program's main window: the multiple-document frame that holds the standard windows, the
// three top toolbars (one shown at a time), the status bar and the Run button's drop-down. It
// enables, checks and captions the commands from the flags the document and the views set.

#include <map>

#include "RES/commands.h"
#include "logger/main_window_link.h"
#include "platform/ui/bars.h"
#include "platform/win/frame.h"

class CVarnelDoc;
class CSettings;

// The display modes the next start begins from, as closing leaves them.
void NormaliseDisplayModes(CSettings& settings);

// Where a saved main-window rectangle (its frame, title bar included) opens on a work area: at
// least 400 x 300 where the area allows, no larger than the area, and wholly inside it.
CRect FitWindowRect(const CRect& saved, const CRect& workArea);

// Whether the main window closed maximised, kept in the program's registry key beside the
// rectangle the settings file holds.
inline constexpr const char* kWindowSection = "Main window";
inline constexpr const char* kMaximizedEntry = "Maximized";

class CMainFrame : public CMDIFrameWnd, public CMainWindowLink {
public:
    // The message pane's text when nothing is under way.
    static constexpr const char* kIdleText = "Ready";

    CMainFrame();
    ~CMainFrame() override;
    // Loads the frame as start-up does; false when any bar could not be made.
    BOOL CreateMainWindow();

    void SetDocument(CVarnelDoc* doc);
    CVarnelDoc* GetDocument() const { return m_document; }
    void EnableAutoLayout() { m_autoLayout = 1; }
    // The size of the area the standard windows tile.
    CSize GetLayoutArea() const;
    BOOL IsAutoLayout() const { return m_autoLayout; }
    void ShowAdvancedToolbar(bool show);
    void ShowBasicToolbar(bool show);
    void ShowSimpleToolbar(bool show);
    CToolBar& GetAdvancedToolbar() { return m_advancedToolbar; }
    CToolBar& GetBasicToolbar() { return m_basicToolbar; }
    CToolBar& GetSimpleToolbar() { return m_simpleToolbar; }
    CStatusBar& GetStatusBar() { return m_statusBar; }
    CMenu& GetMainMenu() { return m_menu; }
    // Busy: the meters are live, and the commands that would disturb them wait.
    void SetMetersCheck(BOOL on) { m_metersActive = on ? 1 : 0; }
    // Runs the visible toolbar's update handlers now (the idle timer does it every 100 ms).
    void UpdateToolbars();
    // The status bar's message pane.
    void SetMessageText(const CString& text);
    void SetModelFlags(BOOL timingLogger, WPARAM loggerKind) override {
        m_timingLogger = timingLogger ? 1 : 0;
        m_loggerKind = loggerKind;
    }
    void ShowStatusBarText(const CString& text) override { SetMessageText(text); }
    CString GetMessageText() const;

    // The enable flag behind a command the views switch directly.
    void SetCommandEnabled(UINT id, BOOL enabled);
    BOOL IsCommandEnabled(UINT id) const;

    BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnClose() override;
    void OnRunDropDown(NMTOOLBAR* nm);

    BOOL m_autoLayout = 0;
    // ---- command-state flags, first block
    BOOL m_graphPropertiesAvailable = 0;
    BOOL m_videoStopAvailable = 0;
    BOOL m_videoPlayAvailable = 0;
    BOOL m_videoRecordAvailable = 0;
    BOOL m_videoPauseAvailable = 0;
    BOOL m_videoPropertiesAvailable = 1;
    BOOL m_graphPaused = 0;
    CString m_videoToggleCaption = "Enable video";
    // ---- second block
    BOOL m_metersButtonAvailable = 1;
    BOOL m_graphShown = 0;
    BOOL m_metersShown = 0;
    BOOL m_tableShown = 0;
    BOOL m_videoInMainWindow = 0;
    BOOL m_dataMapShown = 0;
    BOOL m_playbackStopAvailable = 0;
    BOOL m_playbackPlayAvailable = 0;
    BOOL m_playbackRecordAvailable = 0;
    BOOL m_playbackPauseAvailable = 0;
    BOOL m_addToProjectAvailable = 0;
    BOOL m_copyGraphAvailable = 0;
    BOOL m_graphHasData = 0;
    BOOL m_predictionAvailable = 0;
    BOOL m_scrollRunOn = 0;
    BOOL m_zoomModeOn = 0;
    BOOL m_panModeOn = 0;
    BOOL m_cropAvailable = 0;
    BOOL m_workbookShown = 0;
    BOOL m_areaModeOn = 0;
    // ---- third block
    BOOL m_launchAvailable = 0;
    BOOL m_splitViewOn = 0;
    BOOL m_videoWindowAvailable = 0;
    BOOL m_videoWindowShown = 0;
    BOOL m_launchSettingsAvailable = 0;
    BOOL m_areaAvailable = 1;
    BOOL m_slopeModeOn = 0;
    // The logger can be stopped exactly while a run goes on: the inverse of this flag.
    BYTE m_runEnded = 1;
    BOOL m_metersActive = 0;
    BOOL m_videoToggleAvailable = 0;
    BOOL m_timingModeOn = 0;
    BOOL m_timingButtonAvailable = 1;
    BOOL m_timingLogger = 0;
    BOOL m_connectLocked = 0;
    // 1: a QK model answered; 0: a basic model.
    WPARAM m_loggerKind = 0;
    BOOL m_showAnnotationsOn = 1;
    BOOL m_addAnnotationAvailable = 1;
    BOOL m_moveAnnotationsAvailable = 1;
    BOOL m_deleteAnnotationAvailable = 1;
    BOOL m_moveAnnotationsOn = 0;
    BOOL m_editCaptionAvailable = 1;
    BOOL m_showAnnotationsAvailable = 1;
    BOOL m_singleAxisOn = 0;

    BYTE m_loggerModel = 0;
    // The last text the program showed in the message pane.
    CString m_statusText;

    // The number of re-tilings asked of the document (resizing).
    int m_layoutCount = 0;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;
    LRESULT OnNotifyMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnCommandDone(WPARAM wParam, LPARAM lParam);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

    // The close question's Yes: the document's save. False keeps the program open.
    virtual bool SaveProject();

private:
    // Applies the frame's update rule of a command; false when it has none.
    bool UpdateCommand(UINT id, CCmdUI& ui) const;
    void InstallAccelerators();

    CStatusBar m_statusBar;
    CMenu m_menu;
    CToolBar m_advancedToolbar;
    CToolBar m_basicToolbar;
    CToolBar m_simpleToolbar;
    CVarnelDoc* m_document = nullptr;
    // Enable states of commands outside the flag table that the views set.
    std::map<UINT, bool> m_enabled;
};
