#include "experiment/comm_view.h"

#include "RES/dialogs/comm_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "platform/msg/message_loop.h"
#include "platform/ui/styles.h"

BEGIN_MESSAGE_MAP(CCommView, CFormView)
ON_MESSAGE(UM_LOGGER_IDENTIFIED, OnLoggerIdentified)
ON_MESSAGE(UM_NEW_EXPERIMENT, OnNewExperiment)
ON_MESSAGE(UM_RUN_ENDED, OnRunEnded)
ON_MESSAGE(UM_LOGGER_ANSWERED, OnLoggerAnswered)
ON_MESSAGE(UM_SENSORS_CHANGED, OnSensorsChanged)
ON_MESSAGE(UM_RATE_CHANGED, OnRateChanged)
ON_MESSAGE(UM_STATUS_MESSAGE, OnStatusMessage)
ON_MESSAGE(UM_REFRESH_RUN, OnRefreshRun)
ON_MESSAGE(UM_LOGGER_COMMAND, OnLoggerCommand)
ON_MESSAGE(UM_UPDATE_METERS, OnUpdateMeters)
ON_MESSAGE(UM_FETCH_PROGRESS, OnFetchProgress)
ON_MESSAGE(UM_SELECT_DOWNLOAD, OnSelectDownload)
END_MESSAGE_MAP()

IMPLEMENT_DYNCREATE(CCommView, CFormView)

CCommView::CCommView() : CFormView(CommViewTemplate()) {}

BOOL CCommView::Create(CWnd* parent, CVarnelDoc* doc, UINT id) {
    SetDocument(doc);
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), parent, id);
}

int CCommView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    SetWindowPos(&CWnd::wndTop, 0, 0, 1, 1, SWP_NOMOVE);
    // Its pane fills its frame, so the frame shrinks too: else the empty frame shows wherever the
    // main window raises it.
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetWindowPos(&CWnd::wndBottom, 0, 0, 1, 1, SWP_NOMOVE);
    ShowWindow(SW_SHOW);
    return 0;
}

void CCommView::OnUpdate(CView*, LPARAM, CObject*) {
    // The first update connects; later ones have nothing to show.
    if (m_updated || !m_doc) return;
    m_updated = true;
    m_doc->GetLogger()->Create(this);
}

void CCommView::OnTimer(UINT_PTR id) {
    CDorvik* logger = m_doc ? m_doc->GetLogger() : nullptr;
    if (logger) {
        switch (id) {
            case CDorvik::kDocumentCommandTimer:
                m_doc->ProcessPendingLoggerCommand();
                break;
            case CDorvik::kReceiveTimer:
                logger->OnOnCommCommPort();
                break;
            case CDorvik::kDetectionTimer:
                logger->DetectLogger();
                break;
            case CDorvik::kCommandTimer:
                logger->OnCommandTimer();
                break;
            case CDorvik::kLivePollTimer:
                if (logger->IsCommandQueueEmpty()) {
                    if (logger->IsQKModel())
                        logger->SendQKSnapshot();
                    else
                        logger->SendLivePoll();
                }
                break;
            case CDorvik::kDownloadTimer:
                logger->OnDownloadTimer();
                break;
            default:
                break;
        }
    }
    CFormView::OnTimer(id);
}

LRESULT CCommView::OnLoggerIdentified(WPARAM wParam, LPARAM) {
    // A basic logger's acknowledgement says 1 too; only a QK is the larger model.
    if (m_doc)
        if (CMainFrame* frame = m_doc->m_mainFrame)
            frame->m_loggerKind = wParam && m_doc->GetLogger()->IsQKModel() ? 1 : 0;
    return 0;
}

LRESULT CCommView::OnNewExperiment(WPARAM wParam, LPARAM lParam) {
    if (wParam == kNewExperimentTag && m_doc) m_doc->StartExperiment(LOBYTE(lParam));
    return 0;
}

LRESULT CCommView::OnRunEnded(WPARAM, LPARAM) {
    if (m_doc) m_doc->EndRun();
    return 0;
}

LRESULT CCommView::OnLoggerAnswered(WPARAM, LPARAM) {
    if (m_doc) m_doc->OnLoggerAnswered();
    return 0;
}

LRESULT CCommView::OnSensorsChanged(WPARAM, LPARAM) {
    if (m_sensorsChangedPending) {
        m_sensorsChangedPending = 0;
    } else if (m_doc) {
        CGraphView* graph = m_doc->GetGraphView();
        if (graph && graph->m_yVsX)
            graph->OnYvsXGraph(1);
        else
            m_doc->m_launchPlots = 0;
    }
    if (m_doc) {
        m_doc->m_answered = 0;
        m_doc->m_waitingForStatus = 0;
    }
    return 0;
}

LRESULT CCommView::OnRateChanged(WPARAM, LPARAM) {
    return 0;
}

LRESULT CCommView::OnStatusMessage(WPARAM wParam, LPARAM) {
    if (m_doc) m_doc->ShowStatusMessage(static_cast<WORD>(wParam));
    return 0;
}

LRESULT CCommView::OnRefreshRun(WPARAM, LPARAM) {
    if (m_doc) m_doc->RefreshCurrentRun();
    return 0;
}

LRESULT CCommView::OnLoggerCommand(WPARAM, LPARAM) {
    // The run that asks for its download ends right after this message: the command goes out
    // once the logger's handler has returned and the run is over.
    if (CVarnelDoc* doc = m_doc)
        platform::MessageLoop::Current().Post(
            [doc] { doc->IssueLoggerCommand(CVarnelDoc::kCommandDownload); });
    return 0;
}

LRESULT CCommView::OnUpdateMeters(WPARAM, LPARAM) {
    if (m_doc) m_doc->UpdateMeters();
    return 0;
}

LRESULT CCommView::OnFetchProgress(WPARAM wParam, LPARAM lParam) {
    if (m_doc) m_doc->ShowFetchProgress(static_cast<WORD>(wParam), static_cast<LONG>(lParam));
    return 0;
}

LRESULT CCommView::OnSelectDownload(WPARAM, LPARAM) {
    if (m_doc) m_doc->SelectDownloadSet();
    return 0;
}
