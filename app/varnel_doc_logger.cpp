// The document's side of the logger: starting a command once the logger has been heard from, the
// checks and questions before a run, and the run itself as experiments, plots and columns.
//
// Every handler here may run inside one of the logger's timers (the receive timer above all). A
// box shown there would run the logger's timers again underneath it: boxes and dialogs are posted
// and shown once the handler has returned. The rate question and the checks before a run come
// from the document's own command timer, which is stopped before they ask.

#include <algorithm>
#include <vector>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/message_dialog.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "experiment/comm_view.h"
#include "experiment/fetch_progress_dialog.h"
#include "experiment/html_doc_view.h"
#include "experiment/selective_download_dialog.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/msg/message_loop.h"
#include "platform/ui/styles.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

constexpr BYTE kNoRateReported = 255;
constexpr BYTE kTimingRate = 254;

}  // namespace

void CVarnelDoc::IssueLoggerCommand(WORD code) {
    CDorvik& logger = *m_logger;
    if (logger.IsQKModel() && logger.IsSensorReadUnderWay()) return;
    if (m_runInProgress) {
        PostUserMessage(kRunningText);
        return;
    }
    m_pendingCommand = code;
    m_answered = 0;
    m_tickCount = 0;
    // A run can be stopped from the moment it is asked for, long before its first sample.
    if (code == kCommandRun) {
        SetRunStoppable(true);
        m_runStopped = 0;
    }
    CCommView* comm = GetCommView();
    if (logger.IsConnected() && !logger.IsQKModel()) {
        m_waitingForStatus = 1;
        logger.SendStatusQuery();
    } else {
        m_waitingForStatus = 0;
        // A new connection: its identification answers the command.
        Reconnect();
    }
    if (!m_commandTimerOn && comm &&
        comm->SetTimer(CDorvik::kDocumentCommandTimer, kCommandTimerPeriod))
        m_commandTimerOn = 1;
}

void CVarnelDoc::Reconnect() {
    // Without the communication view the logger keeps the host it has.
    if (CCommView* comm = GetCommView())
        m_logger->Create(comm);
    else
        m_logger->Initialize();
}

void CVarnelDoc::EndPendingCommand() {
    if (m_commandTimerOn) {
        if (CCommView* comm = GetCommView()) comm->KillTimer(CDorvik::kDocumentCommandTimer);
        m_commandTimerOn = 0;
    }
    m_waitingForStatus = 0;
}

void CVarnelDoc::ProcessPendingLoggerCommand() {
    CDorvik& logger = *m_logger;
    if (!m_answered) {
        // A search, or the first commands after one, can take seconds on a slow start or a scan:
        // the logger is not late while it is doing them.
        const bool busy = logger.IsDetectionTimerOn() || !logger.IsCommandQueueEmpty() ||
                          logger.IsSensorReadQueued() || logger.IsSensorReadUnderWay();
        if (busy) return;
        if (!logger.IsConnected()) {
            // The search ended without a logger and has told the user so.
            EndPendingCommand();
            if (m_pendingCommand == kCommandRun) SetRunStoppable(false);
            return;
        }
        ++m_tickCount;
        if (m_waitingForStatus && m_tickCount < kReconnectTick)
            logger.SendStatusQuery();
        else if (m_waitingForStatus && m_tickCount == kReconnectTick)
            Reconnect();
        if (m_tickCount > kGiveUpTicks) {
            EndPendingCommand();
            if (m_pendingCommand == kCommandRun) SetRunStoppable(false);
            if (CMainFrame* frame = MainFrame()) frame->m_statusText = kNoAnswerText;
        }
        return;
    }
    m_answered = 0;
    EndPendingCommand();
    // A run that a check or a question called off is not waiting for a stop.
    if (!CarryOutPendingCommand() && m_pendingCommand == kCommandRun) SetRunStoppable(false);
}

void CVarnelDoc::SetRunStoppable(bool stoppable) {
    CMainFrame* frame = MainFrame();
    if (!frame) return;
    frame->m_runEnded = stoppable ? 0 : 1;
}

bool CVarnelDoc::ConfirmRateChange() {
    const BYTE reported = m_logger->GetReportedRateCode();
    // In timing mode the gate times of a live timing run (no time base) are no other rate: the
    // regime's rate is the set-up's, which a timing run does not use.
    if (reported == m_logger->GetRegimeRateCode() || reported == kNoRateReported ||
        (m_timingMode && (reported == kTimingRate || reported == 0)))
        return true;
    if (m_modified) {
        const BYTE answer = ShowMessage(kRateChangedText, 3);
        if (answer == IDCANCEL) return false;
        // A save that did not happen must not lose the data it was meant to keep.
        if (answer == IDYES && !SaveProject(false)) return false;
    }
    if (CGraphView* graph = GetGraphView())
        if (graph->m_predictMode) graph->TogglePredictMode();
    ClearProject(false);
    return true;
}

bool CVarnelDoc::CheckPhotogates() {
    CDorvik& logger = *m_logger;
    const CSettings& s = *m_settings;
    const SensorInfoStruct& external1 = s.m_sensorSlots[0];
    const SensorInfoStruct& external2 = s.m_sensorSlots[1];
    const bool oneGate =
        s.m_timingMethod == 0 || (s.m_timingMethod == 2 && s.m_timingMeasurement == 0);
    if (!oneGate) {
        if (external1.photogate && external2.photogate) return true;
        ShowMessage(kConnectTwoPhotogatesText, 0);
        return false;
    }
    const bool gate1 = external1.photogate || external1.gateInput;
    const bool gate2 = external2.photogate || external2.gateInput;
    if (gate1) logger.EnableGateChannel(5);
    if (gate2) logger.EnableGateChannel(6);
    if (!external1.photogate && !external2.photogate) {
        ShowMessage(kConnectPhotogateText, 0);
        return false;
    }
    // Nothing on an input is no sensor in the gate's way.
    const auto occupied = [](const SensorInfoStruct& slot) {
        return !slot.absent && !slot.name.IsEmpty();
    };
    for (const SensorInfoStruct* slot : {&external1, &external2}) {
        const bool gate = slot == &external1 ? gate1 : gate2;
        if (!gate && occupied(*slot)) {
            ShowMessage("Please disconnect the " + slot->name + " sensor", 0);
            return false;
        }
    }
    return true;
}

bool CVarnelDoc::CarryOutPendingCommand() {
    CDorvik& logger = *m_logger;
    CSetupView* setup = GetSetupView();
    // Without a set-up window the logger's own regime stands.
    WORD rate = setup ? setup->m_rateCode : logger.GetRegimeRateCode();
    BYTE mask = setup ? setup->m_sensorMask : logger.GetMask();
    DWORD length = setup ? setup->m_runLength : logger.GetRunLength();
    // Before a QK regime goes out, the logger object takes the switches as they stand; in meter
    // mode they stand for the meters, and the set-up chosen before the meters goes out.
    const auto takeSwitches = [&] {
        if (!setup || setup->m_meterMode) return;
        setup->ApplySensorSelection(0, FALSE);
        rate = setup->m_rateCode;
        mask = setup->m_sensorMask;
        length = setup->m_runLength;
    };
    switch (m_pendingCommand) {
        case kCommandRun:
            if (!logger.IsQKModel() && logger.GetRegimeChannelCount() == 0) {
                ShowMessage(kNoSensorsText, 0);
                return false;
            }
            if (!ConfirmRateChange()) return false;
            if (!logger.IsQKModel()) {
                // Once: a second EB 92 AA would start the run again.
                logger.SendRun();
            } else if (!m_timingMode) {
                takeSwitches();
                if (!logger.QueueWriteLoggingRegime(rate, mask, length, 1)) return false;
                logger.StartCommandTimer(50);
            } else if (CheckPhotogates()) {
                logger.QueueQKTiming();
                logger.StartCommandTimer(50);
            } else {
                return false;
            }
            break;
        case kCommandLiveReadings:
            if (!logger.QueueSetup(mask, rate, length)) return false;
            logger.StartCommandTimer(100);
            break;
        case kCommandDownload: {
            CGraphView* graph = GetGraphView();
            if (graph && graph->m_playbackMode) return false;
            m_modifiedCopy = m_modified;
            // Until this download makes its experiment, an abort has nothing to show.
            m_currentDownload = nullptr;
            if (logger.IsQKModel())
                logger.QueueReadMemory();
            else
                logger.QueueDownload();
            logger.StartCommandTimer(100);
            break;
        }
        case kCommandSendSetup:
            // The regime frame is the QK's: a basic logger would take it for garbage.
            if (!logger.IsQKModel()) return false;
            takeSwitches();
            if (!logger.QueueWriteLoggingRegime(rate, mask, length, 0)) return false;
            logger.StartCommandTimer(50);
            break;
        default:
            break;
    }
    return true;
}

void CVarnelDoc::OnLoggerAnswered() {
    CDorvik& logger = *m_logger;
    const BYTE model = logger.IsQKModel() ? 1 : 0;
    if (model != s_lastModel) {
        s_lastModel = model;
        if (m_htmlDocView && !m_htmlDocView->m_worksheetPath.IsEmpty()) {
            CString launch;
            const BOOL found = CHtmlDocView::LaunchFileExists(m_htmlDocView->m_worksheetPath,
                                                              model ? TRUE : FALSE, &launch);
            m_htmlDocView->SetLaunchFile(found, launch);
        }
        if (CMainFrame* frame = MainFrame()) frame->m_loggerModel = model;
        RemoveModelMenuItem(model);
    }
    m_answered = 1;
    if (!logger.IsTimerVariant()) {
        CSetupView* setup = GetSetupView();
        if (setup && setup->m_ready) {
            if (!setup->m_controlsEnabled) setup->EnableControls(TRUE);
            if (m_settings->m_meterMode != 0 && !setup->m_meterMode)
                setup->SetMeterMode(TRUE);
            else
                setup->UpdateControls();
        }
    } else if (!m_timingMode) {
        ToggleTimingMode(FALSE);
    }
}

void CVarnelDoc::StartExperiment(BYTE runKind) {
    CDorvik& logger = *m_logger;
    CGraphView* graph = GetGraphView();
    CDataTreeView* tree = GetDataTreeView();
    const auto leavePredict = [graph] {
        if (graph && graph->m_predictMode) graph->TogglePredictMode();
    };

    const WORD rate = logger.GetRateCode(runKind);
    leavePredict();
    BYTE recordingMode = m_settings->m_recordingMode;
    const BYTE reported = logger.GetReportedRateCode();
    if (reported != kNoRateReported && reported != rate &&
        !(m_timingMode && reported == kTimingRate)) {
        if (SaveLastProject()) {
            ClearProject(false);
        } else {
            // The old data could not be kept elsewhere: it stays, and the run replaces nothing.
            recordingMode = 1;
            PostUserMessage(kCannotSaveText);
        }
    }
    logger.SetReportedRateCode(runKind == CDorvik::kStoredTimingRun ? kTimingRate
                                                                    : static_cast<BYTE>(rate));
    if (recordingMode == 0)
        ClearProject(false);
    else if (recordingMode == 1 && graph)
        graph->RefreshGraph(TRUE);
    if (recordingMode == 1 && m_tableView) {
        m_tableView->SetupGrid(RateInfo(rate));
        m_tableView->SetRate(rate, TRUE);
    }

    const BYTE channels = logger.GetChannelCount(runKind);
    m_runKind = runKind;
    if (!IsDownloadRun()) EndRecordingOfEarlierRun();
    // A recording under way names the new runs' video; stored data was recorded before it.
    const CString videoFile =
        m_videoView && !IsDownloadRun() ? m_videoView->GetRecordedFileName() : CString();
    const WORD videoQuality = videoFile.IsEmpty() ? 0 : m_videoView->GetQualityCode();
    m_runInProgress = 1;
    leavePredict();
    if (graph) graph->SetPlaybackMode(FALSE);

    m_modifiedBeforeRun = m_modified;
    const CString name = CString::Formatted("%s %d", "Exp.", s_experimentCounter++);
    CDataTreeBrench* experiment = AddDataGroup(name);
    m_runExperimentId = experiment ? experiment->m_id : 0;
    if (experiment) {
        experiment->m_linkCount = 0;
        experiment->m_modelCode = logger.IsQKModel() ? 100 : 0;
    }
    m_currentDownload = runKind == CDorvik::kStoredRun ? experiment : nullptr;
    if (tree) tree->ExpandData();

    const CPreciseDateTime start = logger.GetStartTime();
    std::fill(std::begin(m_currentRun), std::end(m_currentRun), nullptr);
    m_currentRunCount = 0;
    bool refused = false;
    for (int i = 0; i < channels; ++i) {
        ChannelDescriptionStruct channel;
        if (!logger.GetChannelDescription(i, runKind, channel)) continue;
        CDataArrayPtr x = logger.TakeRunX(i);
        CDataArrayPtr y = logger.TakeRunY(i);
        CDataTreeBrench* dataSet = AddDataBranch(
            experiment, std::move(x), std::move(y), channel.name, rate, channel.unit, start, 1, -1,
            videoQuality, videoFile, channel.channel, channel.minimum, channel.maximum);
        if (!dataSet) {
            refused = true;
            m_refusedArrays.push_back(std::move(x));
            m_refusedArrays.push_back(std::move(y));
            continue;
        }
        dataSet->m_sensorId = channel.sensorId;
        dataSet->m_modelCode = experiment->m_modelCode;
        dataSet->m_shown = 0;
        if (!videoFile.IsEmpty() && tree)
            tree->SetItemImage(dataSet->m_id, CDataTreeView::kVideoDataSetImage);
        m_currentRun[m_currentRunCount++] = dataSet;
        if (!m_launchPlots && !m_liveYvsX && graph) {
            graph->ResetXAxisSettings();
            if (m_currentRunCount == 1 && recordingMode != 2) graph->RefreshGraph(TRUE);
            BOOL tableChanged = FALSE;
            graph->AddPlot(dataSet, static_cast<WORD>(i), FALSE, tableChanged, TRUE, -1);
            if (tableChanged && m_tableView) m_tableView->AddDataSetColumns(dataSet);
        }
    }
    if (refused) PostUserMessage(kRunNotAddedText);

    if (graph) {
        graph->GetGraph().GetAxes().Item(1).SetString(11, "*1");
        if (m_launchPlots || m_liveYvsX) graph->AddLaunchPlots();
        graph->PlotRecordingData(m_currentRun, m_currentRunCount);
    }
    if (tree && experiment) tree->Expand(tree->FindExperimentItem(experiment->m_id));
    if (graph) {
        graph->StartScrollTimer();
        if (CGraphFrame* frame = graph->GetFrame()) frame->m_runEnded = 0;
    }
    if (m_tableView) m_tableView->StartRefreshTimer();
    if (CMainFrame* frame = MainFrame()) frame->m_runEnded = 0;
    EnableVideoPlay(FALSE);
    EnableVideoPause(FALSE);
    if (!videoFile.IsEmpty()) AttachVideoToRuns();
    if (m_recordingVideoView && !m_recordingVideoView->m_recording) {
        EnableVideoStop(FALSE);
        if (m_recordingVideoView->m_deviceReady) EnableVideoRecord(TRUE);
    }
    if (m_settings->m_graphMode == 0) OnDisplayGraph();
    if (graph) {
        graph->m_graphState = std::max<BYTE>(graph->m_graphState, 3);
        graph->m_liveData = 1;
    }
}

bool CVarnelDoc::IsDownloadRun() const {
    return m_runKind == CDorvik::kStoredRun || m_runKind == CDorvik::kStoredTimingRun;
}

void CVarnelDoc::EndRun() {
    const bool hadRun = m_runInProgress != 0;
    m_runInProgress = 0;
    if (CGraphView* graph = GetGraphView()) {
        graph->StopScrollTimer();
        if (CGraphFrame* frame = graph->GetFrame()) frame->m_runEnded = 1;
    }
    if (m_tableView) m_tableView->StopRefreshTimer();
    if (CMainFrame* frame = MainFrame()) {
        frame->m_runEnded = 1;
        // The logger's progress text told of a command that is over now.
        if (frame->GetMessageText() == m_logger->GetProgressText())
            frame->SetMessageText(CMainFrame::kIdleText);
    }
    // The run just recorded can be replayed.
    if (m_videoView && m_recordingVideoView && !m_recordingVideoView->m_recording)
        EnableVideoPlay(TRUE);
    // The logger appends nothing more.
    m_refusedArrays.clear();
    // Stopped before its first sample, a run leaves nothing.
    if (hadRun && m_runStopped && !IsDownloadRun()) DropEmptyRun();
    m_runStopped = 0;
}

void CVarnelDoc::DropEmptyRun() {
    const CDataTreeBrench* experiment = m_dataList.FindById(m_runExperimentId);
    if (!experiment || !experiment->IsExperiment()) return;
    std::vector<DWORD> sets;
    for (const CDataTreeBrench* set = m_dataList.GetNextDataSet(experiment->m_id); set;
         set = m_dataList.GetNextDataSet(set->m_id)) {
        if (set->GetYCount() > 0) return;
        sets.push_back(set->m_id);
    }
    const CString name = experiment->m_name;
    const DWORD experimentId = experiment->m_id;
    CGraphView* graph = GetGraphView();
    CDataTreeView* tree = GetDataTreeView();
    for (DWORD id : sets) {
        if (graph && graph->FindPlotByDataSet(id) >= 0) graph->RemovePlot(id, -1);
        // The table reads the data set on every refill: its columns go first.
        if (m_tableView) m_tableView->RemoveDataSet(id);
        if (tree) tree->DeleteDataSetItem(id);
        m_dataList.Remove(id);
    }
    if (m_tableView) m_tableView->FillGrid(-1);
    if (graph) graph->m_graphState = std::max<BYTE>(graph->m_graphState, 3);
    if (tree) tree->DeleteExperimentItem(experimentId);
    m_dataList.Remove(experimentId);
    std::fill(std::begin(m_currentRun), std::end(m_currentRun), nullptr);
    m_currentRunCount = 0;
    m_runExperimentId = 0;
    m_modified = m_modifiedBeforeRun;
    // The next run takes the name this one would have had.
    if (name == CString::Formatted("%s %d", "Exp.", s_experimentCounter - 1)) --s_experimentCounter;
}

void CVarnelDoc::RefreshCurrentRun() {
    if (m_currentDownload) {
        // What came of the download stays, and is new to the project.
        if (CGraphView* graph = GetGraphView()) graph->RefreshGraph(TRUE);
        if (CDataTreeView* tree = GetDataTreeView()) tree->SelectItem(m_currentDownload->m_id);
    } else {
        m_modified = m_modifiedCopy;
    }
}

void CVarnelDoc::ShowFetchProgress(WORD mode, LONG value) {
    switch (mode) {
        case 0:
            if (m_fetchProgress) {
                m_fetchProgress->DestroyWindow();
                m_fetchProgress.reset();
            }
            break;
        case 1:
            if (!m_fetchProgress) {
                auto box = std::make_unique<CFetchProgressDialog>(MainFrame());
                if (!box->Create(MainFrame())) return;
                box->SetCancelFlag(m_logger->GetDownloadCancelFlag());
                box->SetTotal(static_cast<DWORD>(value));
                box->ShowWindow(SW_SHOW);
                m_fetchProgress = std::move(box);
            }
            break;
        case 2:
            if (m_fetchProgress) m_fetchProgress->SetProgress(static_cast<DWORD>(value));
            break;
        default:
            break;
    }
}

void CVarnelDoc::ShowStatusMessage(WORD mode) {
    switch (mode) {
        case 0:
            if (m_statusBox) {
                // The box's own Close may be what asks: it goes once that handler has returned.
                m_statusBox->ShowWindow(SW_HIDE);
                std::shared_ptr<CMessageDialog> box(m_statusBox.release());
                platform::MessageLoop::Current().Post([box] { box->DestroyWindow(); });
            }
            break;
        case 1:
            if (!m_statusBox) {
                auto box = std::make_unique<CMessageDialog>(MainFrame());
                if (!box->Create(MainFrame())) return;
                if (CCommView* comm = GetCommView()) box->SetNotifyWindow(comm->GetSafeHwnd());
                box->ShowWindow(SW_SHOW);
                m_statusBox = std::move(box);
            }
            break;
        case 2:
            if (m_statusBox) m_statusBox->SetMessage(m_logger->GetProgressText());
            break;
        default:
            break;
    }
}

void CVarnelDoc::SelectDownloadSet() {
    platform::MessageLoop::Current().Post([this] { RunSelectDownloadSet(); });
}

void CVarnelDoc::RunSelectDownloadSet() {
    CDorvik& logger = *m_logger;
    CSelectiveDownloadDialog dialog(MainFrame());
    dialog.SetLogger(&logger);
    if (dialog.DoModal() != IDOK) return;
    const BYTE set = dialog.GetSelectedSet();
    // With nothing listed there is nothing to read.
    if (set >= CDorvik::kStoredSets || logger.GetDataSetHeader(set).mode == 3) return;
    // A stored timing set holds gate times between two gates: the settings must ask for what
    // those can give.
    const CSettings& s = *m_settings;
    const bool timingFits = s.m_timingMethod == 1 && s.m_timingMeasurement <= 1;
    if (logger.GetDataSetHeader(set).kind == 5 && !timingFits && !RunTimingWizard(1)) return;
    for (BYTE channel : {0, 2, 5, 6})
        logger.QueueReadSensorInfo(set, channel);
    logger.QueueReadDataHeader(set);
    logger.StartCommandTimer(100);
}

void CVarnelDoc::StartLiveTimer() {
    if (!m_logger->IsConnected() || m_logger->IsQKModel() || m_liveTimerOn) return;
    CCommView* comm = GetCommView();
    if (comm && comm->SetTimer(CDorvik::kLivePollTimer, kLiveTimerPeriod)) m_liveTimerOn = 1;
}

void CVarnelDoc::StopLiveTimer() {
    if (!m_liveTimerOn) return;
    if (CCommView* comm = GetCommView()) comm->KillTimer(CDorvik::kLivePollTimer);
    m_liveTimerOn = 0;
}

bool CVarnelDoc::GetMeterReading(int meter, double& value) const {
    if (meter < 0 || meter > 3) return false;
    const int index = m_meterChannels[meter];
    if (index < 0 || index > 7) return false;
    value = m_logger->GetLiveValue(index);
    return true;
}

void CVarnelDoc::OnLoggerStop() {
    if (m_pendingCommand == kCommandRun && m_commandTimerOn && !m_runInProgress) {
        // Nothing has gone out yet: the run is called off, and the search goes on undisturbed.
        EndPendingCommand();
        m_pendingCommand = 0;
        SetRunStoppable(false);
        if (CMainFrame* frame = MainFrame()) frame->SetMessageText(CMainFrame::kIdleText);
        return;
    }
    m_runStopped = 1;
    // Sent before the first sample, the stop leaves nothing to wait for.
    if (!m_runInProgress) {
        SetRunStoppable(false);
        if (CMainFrame* frame = MainFrame()) frame->SetMessageText(CMainFrame::kIdleText);
    }
    if (m_logger->IsQKModel())
        m_logger->QueueQKStop();
    else
        m_logger->QueueStop();
    m_logger->StartCommandTimer(200);
}

void CVarnelDoc::OnConnectToDorvik() {
    // The logger ends the run itself, once, and then connects again.
    m_logger->Disconnect();
    m_logger->Initialize();
}
