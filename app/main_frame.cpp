#include "app/main_frame.h"

#include <QEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "RES/main_menu.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "experiment/text_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/menu_view.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/styles.h"
#include "video/video_view.h"

namespace {

constexpr UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                ID_INDICATOR_SCRL};
constexpr const char* kRecordingText =
    "Video recording is still in progress. Stop it before exiting.";

// A rule's result: -1 leaves the item as it is.
struct Rule {
    UINT id;
    int (*enable)(const CMainFrame&);
    int (*check)(const CMainFrame&);
};

bool Busy(const CMainFrame& f) {
    return f.m_metersActive != 0;
}

// The meters hold a basic logger in live readings; a QK is never asked for them, so beside its
// meters it still runs, downloads and stops.
bool LoggerBusy(const CMainFrame& f) {
    if (!Busy(f)) return false;
    const CVarnelDoc* doc = f.GetDocument();
    const CDorvik* logger = doc ? doc->GetLogger() : nullptr;
    return !(logger && logger->IsQKModel());
}

bool RecordingModeIs(const CMainFrame& f, BYTE mode) {
    const CVarnelDoc* doc = f.GetDocument();
    return doc && doc->GetSettings()->m_recordingMode == mode;
}

#define ON(expr) [](const CMainFrame& f) -> int { return (expr) ? 1 : 0; }
#define NOT_BUSY ON(!Busy(f))
#define LOGGER_FREE ON(!LoggerBusy(f))

const Rule kRules[] = {
    {ID_GRAPH_PROPERTIES, ON(f.m_graphPropertiesAvailable && !Busy(f)), nullptr},
    {ID_VIDEO_STOP, ON(f.m_videoStopAvailable && !Busy(f)), nullptr},
    {ID_VIDEO_PLAY, ON(f.m_videoPlayAvailable && !Busy(f)), nullptr},
    {ID_VIDEO_RECORD, ON(f.m_videoRecordAvailable && !Busy(f)), nullptr},
    {ID_VIDEO_PAUSE, ON(f.m_videoPauseAvailable && !Busy(f)), nullptr},
    {ID_VIDEO_PROPERTIES, ON(f.m_videoPropertiesAvailable && !Busy(f)), nullptr},
    {ID_GRAPH_PAUSE, NOT_BUSY, ON(f.m_graphPaused)},
    {ID_METERS_TB, ON(f.m_metersButtonAvailable), ON(f.m_metersShown)},
    {ID_GRAPH_TB, nullptr, ON(f.m_graphShown)},
    {ID_VIEW_GRAPH, nullptr, ON(f.m_graphShown)},
    {ID_VIEW_METERS, nullptr, ON(f.m_metersShown)},
    {ID_TABLE_TB, nullptr, ON(f.m_tableShown)},
    {ID_VIEW_TABLE, nullptr, ON(f.m_tableShown)},
    {ID_VIDEO_MAIN_TB, ON(f.m_videoWindowAvailable), ON(f.m_videoInMainWindow)},
    {ID_VIEW_VIDEO_MAIN, ON(f.m_videoWindowAvailable), ON(f.m_videoInMainWindow)},
    {ID_DATA_MAP_TB, nullptr, ON(f.m_dataMapShown)},
    {ID_VIEW_DATA_MAP, nullptr, ON(f.m_dataMapShown)},
    {ID_PLAYBACK_STOP, ON(f.m_playbackStopAvailable), nullptr},
    {ID_PLAYBACK_PLAY, ON(f.m_playbackPlayAvailable), nullptr},
    {ID_PLAYBACK_RECORD, ON(f.m_playbackRecordAvailable), nullptr},
    {ID_PLAYBACK_PAUSE, ON(f.m_playbackPauseAvailable), nullptr},
    {ID_GRAPH_ADD_TO_PROJECT, ON(f.m_addToProjectAvailable && !Busy(f)), nullptr},
    {ID_GRAPH_COPY, ON(f.m_copyGraphAvailable && !Busy(f)), nullptr},
    {ID_GRAPH_EXPORT, ON(f.m_graphHasData && !Busy(f)), nullptr},
    {ID_AREA_TB, ON(f.m_graphHasData&& f.m_areaAvailable), ON(f.m_areaModeOn)},
    {ID_AREA, ON(f.m_graphHasData&& f.m_areaAvailable && !Busy(f)), ON(f.m_areaModeOn)},
    {ID_SLOPE, ON(f.m_graphHasData && !Busy(f)), ON(f.m_slopeModeOn)},
    {ID_LINEAR_FIT, ON(f.m_graphHasData && !Busy(f)), nullptr},
    {ID_GRAPH_PREDICTION, ON(f.m_predictionAvailable && !Busy(f)), nullptr},
    {ID_GRAPH_SCROLL_RUN, NOT_BUSY, ON(f.m_scrollRunOn)},
    {ID_GRAPH_ZOOM, NOT_BUSY, ON(f.m_zoomModeOn)},
    {ID_GRAPH_PAN, NOT_BUSY, ON(f.m_panModeOn)},
    {ID_GRAPH_CROP, ON(f.m_cropAvailable && !Busy(f)), nullptr},
    {ID_DISPLAY_WORKBOOK_TB, nullptr, ON(f.m_workbookShown)},
    {ID_VIEW_WORKBOOK, nullptr, ON(f.m_workbookShown)},
    {ID_WORKBOOK_LAUNCH, ON(f.m_launchAvailable && !Busy(f)), nullptr},
    {ID_WORKBOOK_SPLIT_VIEW, NOT_BUSY, ON(f.m_splitViewOn)},
    {ID_VIEW_VIDEO, nullptr, ON(f.m_videoWindowShown)},
    {ID_LAUNCH_SETTINGS, ON(f.m_launchSettingsAvailable && !Busy(f)), nullptr},
    {ID_LAUNCH_SETTINGS_QK, ON(f.m_launchSettingsAvailable && !Busy(f)), nullptr},
    {ID_STOP_TB, ON(!f.m_runEnded && !LoggerBusy(f)), nullptr},
    {ID_LOGGER_STOP, ON(!f.m_runEnded && !LoggerBusy(f)), nullptr},
    {ID_VIDEO_ENABLE, ON(f.m_videoToggleAvailable), nullptr},
    {ID_TIMING_TB, ON(f.m_timingButtonAvailable&& f.m_timingLogger), ON(f.m_timingModeOn)},
    {ID_TIMING_WIZARD, ON(f.m_timingLogger), nullptr},
    {ID_EXTERNAL_SENSOR_1, ON(!f.m_timingLogger && !Busy(f)), nullptr},
    {ID_EXTERNAL_SENSOR_2, ON(!f.m_timingLogger && !Busy(f)), nullptr},
    {ID_CONNECT, ON(!f.m_connectLocked && (!f.m_timingLogger || !Busy(f))), nullptr},
    {ID_SEND_SETUP_TB, ON(f.m_loggerKind && !LoggerBusy(f)), nullptr},
    {ID_SHOW_ANNOTATIONS, ON(f.m_showAnnotationsAvailable), ON(f.m_showAnnotationsOn)},
    {ID_ADD_ANNOTATION, ON(f.m_addAnnotationAvailable), nullptr},
    {ID_MOVE_ANNOTATIONS, ON(f.m_moveAnnotationsAvailable), ON(f.m_moveAnnotationsOn)},
    {ID_DELETE_ANNOTATION, ON(f.m_deleteAnnotationAvailable), nullptr},
    {ID_EDIT_ANNOTATION_CAPTION, ON(f.m_editCaptionAvailable), nullptr},
    {ID_SINGLE_AXIS, nullptr, ON(f.m_singleAxisOn)},
    // Busy alone.
    {ID_RUN_TB, LOGGER_FREE, nullptr},
    {ID_LOGGER_RUN, LOGGER_FREE, nullptr},
    {ID_DOWNLOAD_TB, LOGGER_FREE, nullptr},
    {ID_LOGGER_DOWNLOAD, LOGGER_FREE, nullptr},
    {ID_SEND_SETUP, LOGGER_FREE, nullptr},
    {ID_GRAPH_AUTOSCALE, NOT_BUSY, nullptr},
    {ID_OPEN_WORKSHEET, NOT_BUSY, nullptr},
    {ID_WORKBOOK_NEW_TEXT, NOT_BUSY, nullptr},
    {ID_WORKBOOK_OPEN_TEXT, NOT_BUSY, nullptr},
    {ID_WORKBOOK_SAVE_TEXT, NOT_BUSY, nullptr},
    {ID_STATISTICS, NOT_BUSY, nullptr},
    // Checked from the settings' mode at every level, so a rebuilt menu shows the current one.
    {ID_MODE_SINGLE, LOGGER_FREE, ON(RecordingModeIs(f, 0))},
    {ID_MODE_REPLACE, LOGGER_FREE, ON(RecordingModeIs(f, 1))},
    {ID_MODE_ADD, LOGGER_FREE, ON(RecordingModeIs(f, 2))},
    // Comm setup: a handler that changes nothing, so it stays enabled.
    {ID_COMM_SETUP, nullptr, nullptr},
};

#undef NOT_BUSY
#undef LOGGER_FREE
#undef ON

// The flag behind each command whose enable state the views set directly.
BOOL CMainFrame::*FlagOf(UINT id) {
    switch (id) {
        case ID_PLAYBACK_PLAY:
            return &CMainFrame::m_playbackPlayAvailable;
        case ID_PLAYBACK_STOP:
            return &CMainFrame::m_playbackStopAvailable;
        case ID_PLAYBACK_PAUSE:
            return &CMainFrame::m_playbackPauseAvailable;
        case ID_PLAYBACK_RECORD:
            return &CMainFrame::m_playbackRecordAvailable;
        case ID_VIDEO_PLAY:
            return &CMainFrame::m_videoPlayAvailable;
        case ID_VIDEO_RECORD:
            return &CMainFrame::m_videoRecordAvailable;
        case ID_VIDEO_STOP:
            return &CMainFrame::m_videoStopAvailable;
        case ID_VIDEO_PAUSE:
            return &CMainFrame::m_videoPauseAvailable;
        case ID_VIDEO_PROPERTIES:
            return &CMainFrame::m_videoPropertiesAvailable;
        case ID_VIDEO_ENABLE:
            return &CMainFrame::m_videoToggleAvailable;
        case ID_GRAPH_ADD_TO_PROJECT:
            return &CMainFrame::m_addToProjectAvailable;
        case ID_GRAPH_COPY:
            return &CMainFrame::m_copyGraphAvailable;
        case ID_GRAPH_PROPERTIES:
            return &CMainFrame::m_graphPropertiesAvailable;
        case ID_GRAPH_EXPORT:
            return &CMainFrame::m_graphHasData;
        default:
            return nullptr;
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
ON_MESSAGE(WM_NOTIFY, OnNotifyMessage)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() {
    if (m_hWnd) DestroyWindow();
    if (GetMainWindowLink() == this) InstallMainWindowLink(nullptr);
}

void CMainFrame::OnDestroy() {
    if (GetMainWindowLink() == this) InstallMainWindowLink(nullptr);
    CMDIFrameWnd::OnDestroy();
}

BOOL CMainFrame::CreateMainWindow() {
    return Create(nullptr, "Varnel", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 600));
}

int CMainFrame::OnCreate(LPCREATESTRUCT cs) {
    m_autoLayout = 0;
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    SetCommandTipLookup(&CommandTip);
    const DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                        CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
    const std::pair<CToolBar*, const ToolbarTemplate*> bars[] = {
        {&m_advancedToolbar, &AdvancedToolbarTemplate()},
        {&m_basicToolbar, &BasicToolbarTemplate()},
        {&m_simpleToolbar, &SimpleToolbarTemplate()}};
    for (auto [bar, tb] : bars)
        if (!bar->CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) || !bar->LoadToolBar(*tb))
            return -1;
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_statusBar.SetIndicators(kIndicators, 4))
        return -1;
    m_statusBar.SetPaneText(0, kIdleText);
    for (auto [bar, tb] : bars)
        bar->EnableDocking(CBRS_ALIGN_ANY);
    m_advancedToolbar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    const int run = m_advancedToolbar.CommandToIndex(ID_RUN_TB);
    m_advancedToolbar.SetButtonInfo(run, ID_RUN_TB, TBSTYLE_DROPDOWN);
    ShowAdvancedToolbar(true);
    ShowBasicToolbar(false);
    ShowSimpleToolbar(false);
    m_menu.LoadMenu(MainMenuTemplate());
    SetMenu(&m_menu);
    InstallAccelerators();
    InstallMainWindowLink(this);
    // A button's fly-by text shows while the pointer is on it; then the idle text returns.
    if (auto* qbar = qobject_cast<QStatusBar*>(m_statusBar.GetWidget()))
        QObject::connect(
            qbar, &QStatusBar::messageChanged, qbar, [self = m_hWnd](const QString& m) {
                if (!m.isEmpty()) return;
                if (auto* f = dynamic_cast<CMainFrame*>(CWnd::FromHandlePermanent(self)))
                    f->m_statusBar.SetPaneText(0, kIdleText);
            });
    // The window's resizes reach OnSize once Qt has laid out the bars and the area.
    struct ResizeFilter : QObject {
        HWND frame;
        explicit ResizeFilter(QObject* parent, HWND f) : QObject(parent), frame(f) {}
        bool eventFilter(QObject* watched, QEvent* e) override {
            if (e->type() == QEvent::Resize)
                if (CWnd* f = CWnd::FromHandlePermanent(frame)) {
                    const QWidget* w = static_cast<QWidget*>(watched);
                    f->SendMessage(WM_SIZE, 0, MAKELPARAM(w->width(), w->height()));
                }
            return false;
        }
    };
    GetWidget()->installEventFilter(new ResizeFilter(GetWidget(), m_hWnd));
    return 0;
}

void CMainFrame::InstallAccelerators() {
    static const std::pair<QKeySequence, UINT> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_NEW_PROJECT},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT}};
    const HWND self = m_hWnd;
    for (const auto& [seq, id] : keys) {
        auto* sc = new QShortcut(seq, GetWidget());
        sc->setObjectName(QString("accelerator-%1").arg(id));
        const UINT command = id;
        QObject::connect(sc, &QShortcut::activated, sc, [self, command] {
            CWnd* w = CWnd::FromHandlePermanent(self);
            if (!w) return;
            // A greyed command's key does nothing.
            CCmdUI ui;
            ui.m_nID = command;
            ui.DoUpdate(w, TRUE);
            if (ui.m_enabled) w->SendMessage(WM_COMMAND, command);
        });
    }
}

void CMainFrame::SetDocument(CVarnelDoc* doc) {
    m_document = doc;
}

static void ShowBar(CToolBar& bar, bool show) {
    if (QToolBar* b = bar.Bar()) b->setVisible(show);
}

void CMainFrame::ShowAdvancedToolbar(bool show) {
    ShowBar(m_advancedToolbar, show);
}
void CMainFrame::ShowBasicToolbar(bool show) {
    ShowBar(m_basicToolbar, show);
}
void CMainFrame::ShowSimpleToolbar(bool show) {
    ShowBar(m_simpleToolbar, show);
}

void CMainFrame::UpdateToolbars() {
    OnIdleUpdateCmdUI();
}

void CMainFrame::SetMessageText(const CString& text) {
    m_statusText = text;
    m_statusBar.SetPaneText(0, text);
}

CString CMainFrame::GetMessageText() const {
    return m_statusBar.GetPaneText(0);
}

void CMainFrame::SetCommandEnabled(UINT id, BOOL enabled) {
    if (BOOL CMainFrame::*flag = FlagOf(id))
        this->*flag = enabled ? 1 : 0;
    else
        m_enabled[id] = enabled != FALSE;
}

BOOL CMainFrame::IsCommandEnabled(UINT id) const {
    if (BOOL CMainFrame::*flag = FlagOf(id)) return this->*flag ? TRUE : FALSE;
    const auto it = m_enabled.find(id);
    return it != m_enabled.end() && it->second;
}

bool CMainFrame::UpdateCommand(UINT id, CCmdUI& ui) const {
    for (const Rule& r : kRules) {
        if (r.id != id) continue;
        if (r.enable) ui.Enable(r.enable(*this));
        if (r.check) ui.SetCheck(r.check(*this));
        if (id == ID_VIDEO_ENABLE) ui.SetText(m_videoToggleCaption);
        return true;
    }
    return false;
}

BOOL CMainFrame::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
    CMDIChildWnd* child = MDIGetActive();
    if (child && child->OnCmdMsg(id, code, extra, info)) return TRUE;
    if (code == CN_UPDATE_COMMAND_UI && !info && extra &&
        UpdateCommand(id, *static_cast<CCmdUI*>(extra)))
        return TRUE;
    if (CWnd::OnCmdMsg(id, code, extra, info)) return TRUE;
    // With no child to route through, the document still hears its commands.
    if (!child && m_document && m_document->OnCmdMsg(id, code, extra, info)) return TRUE;
    if (CWinApp* app = AfxGetApp()) return app->OnCmdMsg(id, code, extra, info);
    return FALSE;
}

BOOL CMainFrame::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    // Ctrl+N is New project, with its running refusal and save question.
    if (id == ID_FILE_NEW && HIWORD(wParam) == 0) id = ID_NEW_PROJECT;
    const BOOL r = CMDIFrameWnd::OnCommand(MAKEWPARAM(id, HIWORD(wParam)), lParam);
    if (m_hWnd) UpdateToolbars();
    return r;
}

LRESULT CMainFrame::OnNotifyMessage(WPARAM, LPARAM lParam) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && static_cast<UINT>(hdr->code) == TBN_DROPDOWN && hdr->idFrom == AFX_IDW_TOOLBAR)
        OnRunDropDown(reinterpret_cast<NMTOOLBAR*>(hdr));
    return 0;
}

void CMainFrame::OnRunDropDown(NMTOOLBAR* nm) {
    if (!nm || nm->iItem != static_cast<int>(ID_RUN_TB)) return;
    CMenu menu;
    menu.LoadMenu(RunDropDownTemplate());
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup) return;
    if (m_document) {
        static constexpr UINT kByMode[] = {ID_DROP_SINGLE, ID_DROP_REPLACE, ID_DROP_ADD};
        const BYTE mode = m_document->GetSettings()->m_recordingMode;
        if (mode < 3) popup->CheckMenuItem(kByMode[mode], MF_BYCOMMAND | MF_CHECKED);
    }
    CRect rect;
    const int index = m_advancedToolbar.CommandToIndex(ID_RUN_TB);
    m_advancedToolbar.GetItemRect(index, &rect);
    m_advancedToolbar.ClientToScreen(&rect);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_VERTICAL, rect.left, rect.bottom, this);
}

void CMainFrame::OnSize(UINT type, int cx, int cy) {
    // Qt lays out the bars and the area at every size; only the re-tiling waits for room.
    if (cx < 400 || cy < 300) return;
    CMDIFrameWnd::OnSize(type, cx, cy);
    if (m_autoLayout && m_document) {
        ++m_layoutCount;
        m_document->LayoutToMainFrame();
    }
}

CSize CMainFrame::GetLayoutArea() const {
    QMdiArea* area = MdiArea();
    if (!area) return CSize(0, 0);
    const QSize size = area->viewport()->size();
    return CSize(size.width(), size.height());
}

bool CMainFrame::SaveProject() {
    return m_document && m_document->SaveProject(false);
}

void CMainFrame::OnClose() {
    CRect rect;
    GetWindowRect(&rect);
    CVarnelDoc* doc = m_document;
    CVideoView* video = doc ? doc->GetVideoView() : nullptr;
    if (video) {
        if (video->IsRecording()) {
            AfxMessageBox(kRecordingText, MB_OK);
            return;
        }
        video->OnStop();
    }
    if (doc && doc->m_modified) {
        const BYTE answer = ShowMessage(CVarnelDoc::kDataChangedText, 3);
        if (answer == IDCANCEL) return;
        // A save that did not happen must not lose the data.
        if (answer == IDYES && !SaveProject()) return;
    }
    if (CTextView* notes = doc ? doc->m_textView : nullptr; notes && !notes->SaveModified()) return;
    CSettings* settings = doc ? doc->GetSettings() : nullptr;
    if (doc && settings) {
        if (CGraphView* graph = doc->GetGraphView(); graph && settings->m_graphMode != 0)
            graph->StopScrollTimer();
        if (CTableView* table = doc->GetTableView(); table && settings->m_tableMode != 0)
            table->StopRefreshTimer();
    }
    WINDOWPLACEMENT placement{};
    GetWindowPlacement(&placement);
    if (settings &&
        (rect.Width() < 400 || rect.Height() < 300 ||
         (placement.showCmd == UINT(SW_SHOWMINIMIZED) || placement.showCmd == UINT(SW_MINIMIZE)))) {
        ShowWindow(SW_SHOWNORMAL);
        MoveWindow(&settings->m_mainWindowRect, TRUE);
    } else if (settings) {
        // The next start opens where the window is now; a maximised one maximised again, over
        // the place it had before. The settings file holds the rectangle only.
        settings->m_mainWindowRect = placement.rcNormalPosition;
    }
    if (settings)
        AfxGetApp()->WriteProfileInt(kWindowSection, kMaximizedEntry,
                                     placement.showCmd == UINT(SW_SHOWMAXIMIZED) &&
                                         rect.Width() >= 400 && rect.Height() >= 300);
    if (settings) {
        NormaliseDisplayModes(*settings);
        if (video && video->HasQualityRecord()) settings->m_videoQuality = video->GetVideoOnCode();
        if (!settings->Save()) qCWarning(lcDoc, "the settings could not be saved");
    }
    if (video) video->DeleteTempVideoFiles();
    if (doc) doc->StopLiveTimer();
    CMDIFrameWnd::OnClose();
}

CRect FitWindowRect(const CRect& saved, const CRect& area) {
    if (area.IsRectEmpty()) return saved;
    CRect r = saved;
    r.NormalizeRect();
    const int width = std::clamp(r.Width(), std::min(400, area.Width()), area.Width());
    const int height = std::clamp(r.Height(), std::min(300, area.Height()), area.Height());
    const int left = std::clamp<int>(r.left, area.left, area.right - width);
    const int top = std::clamp<int>(r.top, area.top, area.bottom - height);
    return CRect(left, top, left + width, top + height);
}

void NormaliseDisplayModes(CSettings& s) {
    if (s.m_workbookMode > 0) {
        s.m_graphMode = 3;
        if (s.m_videoHidden == 0)
            s.m_videoMode = 1;
        else
            s.m_tableMode = 1;
        s.m_workbookMode = 0;
    }
    if (s.m_meterMode == 1) {
        s.m_tableMode = 1;
        s.m_meterMode = 0;
    }
    s.m_videoQuality = 0;
    if (s.m_tableMode == 4) s.m_tableMode = 0;
    if (s.m_graphMode == 4) s.m_graphMode = 0;
}
