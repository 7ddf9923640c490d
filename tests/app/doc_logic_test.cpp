// The document's logger commands on the virtual clock, against a logger object whose connection
// the test decides: the wait for the answer, the checks before a run, the experiments a run makes
// and the messages and timers of the communication view.

#include <fstream>

#include <QDir>
#include <QFile>

#include "RES/dialogs/fetch_progress_dialog.h"
#include "RES/dialogs/selective_download.h"
#include "app/message_dialog.h"
#include "experiment/fetch_progress_dialog.h"
#include "experiment/selective_download_dialog.h"
#include "logger/helpers.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_test::RecordingPort;

// A logger whose connection attempts only count, and whose state the test sets.
class FakeDorvik : public CDorvik {
public:
    explicit FakeDorvik(CSettings* settings, std::unique_ptr<RecordingPort> link)
        : CDorvik(settings, std::move(link)) {}

    enum class OnConnect { Found, Searching };
    OnConnect onConnect = OnConnect::Found;
    int connects = 0;

    BOOL Connect() override {
        ++connects;
        m_commandQueue.clear();
        m_connected = onConnect == OnConnect::Found;
        m_detectionTimerOn = onConnect == OnConnect::Searching;
        return TRUE;
    }
    void Connected(bool qk) {
        m_connected = 1;
        m_qkModel = qk;
        m_detectionTimerOn = 0;
    }
    void SearchEnded() { m_detectionTimerOn = 0; }
    void SetSensorReadUnderWay(bool on) { m_sensorReadUnderWay = on; }
    void SetChannels(std::vector<BYTE> channels) {
        m_channelCount = BYTE(channels.size());
        std::copy(channels.begin(), channels.end(), m_channelList);
        m_mask = 0;
        for (ChannelInfoStruct& c : m_liveChannels)
            c.enabled = 0;
        for (BYTE ch : channels) {
            m_liveChannels[ch].enabled = 1;
            m_mask |= BYTE(1 << ch);
            m_liveChannels[ch].name = CString::Formatted("Channel %d", ch);
            m_liveChannels[ch].minimum = 0;
            m_liveChannels[ch].maximum = 100;
        }
    }
    void SetRegimeRate(WORD code) { m_rateCode = code; }
    void SetTimerVariant(bool on) { m_timerVariant = on; }
    void SetLiveValue(int slot, double value) { m_liveValues[slot] = value; }
    void SetHeader(int set, BYTE state, BYTE kind, DWORD samples, int minute) {
        DataSetHeaderStruct& h = m_dataSetHeaders[set];
        h.mode = state;
        h.kind = kind;
        h.sampleCount = samples;
        h.startTime = CPreciseDateTime(2026, 3, 14, 9, minute, 0);
    }
    void Append(int pair, double y) { AppendToRun(pair, double(GetRunY(pair)->size()), y); }
};

class DocLogic : public DocTest {
protected:
    DocLogic()
        : DocTest([](CSettings* s) {
              return std::make_unique<FakeDorvik>(s, std::make_unique<RecordingPort>());
          }) {
        comm.Create(&host, &doc, 4);
        comm.OnInitialUpdate();
        EXPECT_EQ(logger.connects, 1) << "the first update connects";
        port->writes.clear();
    }

    RecordingPort* port = &static_cast<RecordingPort&>(doc.GetLogger()->GetSerialPort());
    FakeDorvik& logger = static_cast<FakeDorvik&>(*doc.GetLogger());

    void Tick(int n = 1) { clock.Advance(ULONGLONG(n) * CVarnelDoc::kCommandTimerPeriod); }
    size_t Writes(const dorvik_test::Bytes& bytes) const {
        return size_t(std::count_if(port->writes.begin(), port->writes.end(),
                                    [&](const auto& w) { return w.bytes == bytes; }));
    }
    size_t Frames(const char* letters) const {
        const auto l = port->Letters();
        return size_t(std::count(l.begin(), l.end(), std::string(letters)));
    }
    void Send(UINT message, WPARAM w = 0, LPARAM l = 0) {
        ::SendMessage(comm.GetSafeHwnd(), message, w, l);
    }
    // The run command, answered and carried out.
    void AnsweredRun() {
        doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
        logger.Connected(true);
        Send(UM_LOGGER_ANSWERED);
        Tick();
        clock.RunPending();
    }
};

const dorvik_test::Bytes kStatusRequest = {0xEB, 0x92, 0xF0};

// ---- the wait for the answer

TEST_F(DocLogic, ABasicLoggerThatNeverAnswersIsPolledThenReconnectedThenDroppedWithTheSearch) {
    logger.Connected(false);
    doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
    EXPECT_EQ(doc.m_waitingForStatus, 1);
    EXPECT_EQ(Writes(kStatusRequest), 1u);
    for (int tick = 1; tick <= 9; ++tick) {
        Tick();
        EXPECT_EQ(Writes(kStatusRequest), size_t(1 + tick)) << tick;
    }
    logger.onConnect = FakeDorvik::OnConnect::Searching;
    Tick();
    EXPECT_EQ(logger.connects, 2) << "tick 10 reconnects";
    // However long the search takes, it is no silence of the logger's.
    Tick(40);
    EXPECT_EQ(doc.m_commandTimerOn, 1);
    EXPECT_EQ(doc.m_tickCount, 10);
    logger.SearchEnded();
    Tick();
    EXPECT_EQ(doc.m_commandTimerOn, 0) << "the search told the user: the command ends with it";
    EXPECT_EQ(mainFrame.m_statusText, "");
    EXPECT_EQ(logger.connects, 2);
}

TEST_F(DocLogic, AQkThatNeverAnswersIsNeitherPolledNorReconnectedAndTheCommandIsGivenUp) {
    logger.Connected(true);
    doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
    EXPECT_EQ(doc.m_waitingForStatus, 0);
    EXPECT_EQ(logger.connects, 2);
    logger.Connected(true);
    port->writes.clear();
    Tick(20);
    EXPECT_EQ(doc.m_commandTimerOn, 1);
    Tick();
    EXPECT_EQ(doc.m_commandTimerOn, 0);
    EXPECT_EQ(mainFrame.m_statusText, CVarnelDoc::kNoAnswerText);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(logger.connects, 2);
}

TEST_F(DocLogic, AQkFoundAfterALongSearchStillRuns) {
    logger.onConnect = FakeDorvik::OnConnect::Searching;
    doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
    Tick(30);  // three ports tried
    logger.Connected(true);
    Send(UM_LOGGER_ANSWERED);
    Tick();
    EXPECT_EQ(doc.m_commandTimerOn, 0);
    EXPECT_EQ(Frames("BD"), 1u) << "the regime goes out";
}

TEST_F(DocLogic, ACommandIsRefusedDuringARunOrASensorReadAndRetriedAfterAFailedTimer) {
    doc.m_runInProgress = 1;
    modals.ExpectMessage(CVarnelDoc::kRunningText, IDOK);
    doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
    clock.RunPending();
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(doc.m_pendingCommand, 0);
    doc.m_runInProgress = 0;

    logger.Connected(true);
    logger.SetSensorReadUnderWay(true);
    doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
    EXPECT_EQ(doc.m_pendingCommand, 0);
    EXPECT_EQ(logger.connects, 1);
    logger.SetSensorReadUnderWay(false);

    clock.SetTimerFailure([](HWND, UINT_PTR id) { return id == CDorvik::kDocumentCommandTimer; });
    doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
    EXPECT_EQ(doc.m_commandTimerOn, 0);
    clock.SetTimerFailure(nullptr);
    doc.IssueLoggerCommand(CVarnelDoc::kCommandRun);
    EXPECT_EQ(doc.m_commandTimerOn, 1);
}

// ---- the checks before a run

TEST_F(DocLogic, TheRateQuestion) {
    struct Case {
        const char* name;
        BYTE reported;
        bool timing;
        bool modified;
        int answer;  // 0: no question
        bool cleared;
        bool sent;
    };
    const Case cases[] = {
        {"none reported", 255, false, true, 0, false, true},
        {"timing reported in timing mode", 254, true, true, 0, false, true},
        {"equal", 41, false, true, 0, false, true},
        {"different, unmodified", 60, false, false, 0, true, true},
        {"different, Yes", 60, false, true, IDYES, false, false},
        {"different, No", 60, false, true, IDNO, true, true},
        {"different, Cancel", 60, false, true, IDCANCEL, false, false},
    };
    settings.m_sensorSlots[0].photogate = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        logger.SetRegimeRate(41);
        logger.SetReportedRateCode(c.reported);
        doc.m_timingMode = c.timing;
        ASSERT_NE(doc.AddDataGroup("Old"), nullptr);
        doc.m_modified = c.modified;
        if (c.answer) modals.ExpectMessage(CVarnelDoc::kRateChangedText, c.answer);
        // Yes saves; the save-as dialog is cancelled here: the command is abandoned as Cancel
        // would.
        if (c.answer == IDYES) modals.ExpectFileDialog("");
        port->writes.clear();
        AnsweredRun();
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(doc.m_dataList.FindByName("Old") == nullptr, c.cleared);
        EXPECT_EQ(Frames("BD") + Frames("AK") > 0, c.sent);
        logger.StopCommandTimer();
        doc.ClearProject(false);
    }
}

TEST_F(DocLogic, PhotogateChecks) {
    struct Slot {
        const char* name;
        BYTE photogate, gateInput, absent;
    };
    const Slot photogate{"Photogate", 1, 0, 0}, gate{"Gate", 0, 1, 0}, other{"Voltage", 0, 0, 0},
        empty{"", 0, 0, 0}, absent{"Light", 0, 0, 1};
    struct Case {
        BYTE method, measurement;
        Slot external1, external2;
        const char* message;  // null: the timing run starts
        BYTE maskBits;
    };
    const Case cases[] = {
        {0, 0, photogate, empty, nullptr, 0x20},
        {0, 0, photogate, absent, nullptr, 0x20},
        {0, 0, photogate, gate, nullptr, 0x60},
        {0, 0, gate, photogate, nullptr, 0x60},
        {0, 0, photogate, other, "Please disconnect the Voltage sensor", 0x20},
        {0, 0, other, photogate, "Please disconnect the Voltage sensor", 0x40},
        {0, 0, gate, other, CVarnelDoc::kConnectPhotogateText, 0x20},
        {0, 0, empty, empty, CVarnelDoc::kConnectPhotogateText, 0},
        {2, 0, photogate, empty, nullptr, 0x20},
        {2, 1, photogate, empty, CVarnelDoc::kConnectTwoPhotogatesText, 0},
        {1, 0, photogate, photogate, nullptr, 0},
        {1, 0, photogate, gate, CVarnelDoc::kConnectTwoPhotogatesText, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.method) << int(c.measurement) << " "
                                        << c.external1.name << "/" << c.external2.name);
        settings.m_timingMethod = c.method;
        settings.m_timingMeasurement = c.measurement;
        for (int i = 0; i < 2; ++i) {
            const Slot& s = i ? c.external2 : c.external1;
            SensorInfoStruct& slot = settings.m_sensorSlots[i];
            slot.name = s.name;
            slot.photogate = s.photogate;
            slot.gateInput = s.gateInput;
            slot.absent = s.absent;
        }
        logger.SetChannels({});
        logger.SetReportedRateCode(255);
        doc.m_timingMode = 1;
        if (c.message) modals.ExpectMessage(c.message, IDOK);
        port->writes.clear();
        AnsweredRun();
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(Frames("AK"), c.message ? 0u : 1u);
        EXPECT_EQ(logger.GetMask() & 0x60, c.maskBits);
        // Made before the message, and kept.
        if (c.message) {
            EXPECT_EQ(logger.GetLiveChannel(5).enabled, (c.maskBits & 0x20) ? 1 : 0);
            EXPECT_EQ(logger.GetLiveChannel(6).enabled, (c.maskBits & 0x40) ? 1 : 0);
        }
        logger.StopCommandTimer();
    }
}

// ---- experiments

TEST_F(DocLogic, ExperimentsAreNumberedAcrossAClearAndEachRecordingModeKeepsWhatItShould) {
    logger.Connected(true);
    logger.SetChannels({0, 2});
    logger.SetRegimeRate(41);
    struct Case {
        BYTE mode;
        bool oldKept;
        SHORT plots;
    };
    const Case cases[] = {{0, false, 2}, {1, true, 2}, {2, true, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        doc.ClearProject(false);
        settings.m_recordingMode = 0;
        logger.SetReportedRateCode(255);
        const int first = CVarnelDoc::GetExperimentCounter();
        logger.BeginRun(2, CDorvik::kLiveRun);
        Send(UM_RUN_ENDED);
        settings.m_recordingMode = c.mode;
        logger.BeginRun(2, CDorvik::kLiveRun);
        EXPECT_EQ(doc.m_dataList.FindByName(CString::Formatted("Exp. %d", first)) != nullptr,
                  c.oldKept);
        CDataTreeBrench* e = doc.m_dataList.FindByName(CString::Formatted("Exp. %d", first + 1));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->m_modelCode, 100);
        EXPECT_EQ(graph.m_plotCount, c.plots);
        EXPECT_EQ(doc.m_currentRunCount, 2);
        EXPECT_EQ(doc.m_currentRun[0]->m_inputKind, 0);
        EXPECT_EQ(doc.m_currentRun[1]->m_inputKind, 2);
        EXPECT_EQ(doc.m_currentDownload, nullptr);
        // The logger appends into the data sets.
        logger.Append(1, 7.5);
        EXPECT_EQ(*doc.m_currentRun[1]->m_y, std::vector<double>{7.5});
        Send(UM_RUN_ENDED);
    }
}

TEST_F(DocLogic, ARateChangeWhoseDataCannotBeSavedKeepsTheOldExperimentsAndSaysSo) {
    logger.Connected(true);
    logger.SetChannels({0});
    logger.SetRegimeRate(41);
    settings.m_recordingMode = 0;
    doc.AddFitGroup();
    ASSERT_NE(doc.AddDataGroup("Old"), nullptr);
    // A file where the project folder should be: the last project cannot be written.
    CString folder = CVarnelDoc::GetProjectFolder();
    folder.TrimRight('/');
    std::ofstream(folder.GetString()) << "in the way";
    logger.SetReportedRateCode(60);
    modals.ExpectMessage(CVarnelDoc::kCannotSaveText, IDOK);
    logger.BeginRun(1, CDorvik::kLiveRun);
    EXPECT_EQ(modals.Pending(), 1u) << "not inside the logger's handler";
    clock.RunPending();
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_NE(doc.m_dataList.FindByName("Old"), nullptr);
    EXPECT_EQ(doc.m_currentRunCount, 1);
    EXPECT_EQ(logger.GetReportedRateCode(), 41);
    Send(UM_RUN_ENDED);
}

TEST_F(DocLogic, ARunOnABasicLoggerAndADownloadAreMarkedAsSuch) {
    logger.Connected(false);
    logger.SetChannels({1});
    logger.SetReportedRateCode(255);
    logger.BeginRun(1, CDorvik::kStoredRun);
    ASSERT_NE(doc.m_currentDownload, nullptr);
    EXPECT_EQ(doc.m_currentDownload->m_modelCode, 0);
    EXPECT_EQ(doc.m_currentRun[0]->m_modelCode, 0);
    Send(UM_RUN_ENDED);
    // Any other tag is no run.
    const int count = doc.m_dataList.GetCount();
    Send(UM_NEW_EXPERIMENT, kNewExperimentTag + 1, CDorvik::kLiveRun);
    EXPECT_EQ(doc.m_dataList.GetCount(), count);
    EXPECT_EQ(doc.m_runInProgress, 0);
}

TEST_F(DocLogic, ADataSetTakesTheMiddleOfItsSensorsRangeUnlessItHasNoSensor) {
    CDataTreeBrench* e = doc.AddDataGroup("E");
    ASSERT_NE(e, nullptr);
    CDataTreeBrench* d =
        doc.AddDataBranch(e, std::make_unique<CDataArray>(), std::make_unique<CDataArray>(), "A",
                          41, "V", {}, 1, -1, 0, "", 2, 0, 100);
    ASSERT_NE(d, nullptr);
    EXPECT_DOUBLE_EQ(d->m_rangeMin, 35);
    EXPECT_DOUBLE_EQ(d->m_rangeMax, 65);
    EXPECT_EQ(d->m_originCode, 1);
    EXPECT_EQ(d->m_secondValue, -1);
    d = doc.AddDataBranch(e, std::make_unique<CDataArray>(), std::make_unique<CDataArray>(), "B",
                          41, "V", {}, 1, -1, 0, "", 255, 0, 100);
    ASSERT_NE(d, nullptr);
    EXPECT_DOUBLE_EQ(d->m_rangeMin, 9999999.0);
    EXPECT_DOUBLE_EQ(d->m_rangeMax, -9999999.0);
    EXPECT_EQ(tree.FindDataSetItem(d->m_id) != nullptr, true);
}

TEST_F(DocLogic, WithoutADataMapARunIsToldOnceAndItsArraysLiveUntilItEnds) {
    doc.m_dataTreeView = nullptr;
    tree.DestroyWindow();
    logger.Connected(true);
    logger.SetChannels({0, 1});
    logger.SetReportedRateCode(255);
    modals.ExpectMessage(CVarnelDoc::kRunNotAddedText, IDOK);
    logger.BeginRun(2, CDorvik::kLiveRun);
    clock.RunPending();
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(doc.m_currentRunCount, 0);
    logger.Append(0, 1.0);  // into arrays nobody took: no crash
    Send(UM_RUN_ENDED);
    EXPECT_EQ(doc.m_runInProgress, 0);
}

TEST_F(DocLogic, LiveReadingsQueueTheSetUp) {
    logger.Connected(false);
    setup.m_sensorMask = 0x05;
    setup.m_rateCode = 64;
    setup.m_runLength = 300;
    doc.IssueLoggerCommand(CVarnelDoc::kCommandLiveReadings);
    Send(UM_LOGGER_ANSWERED);
    Tick();
    ASSERT_FALSE(port->writes.empty());
    const dorvik_test::Bytes& frame = port->writes.back().bytes;
    ASSERT_GE(frame.size(), 7u);
    EXPECT_EQ(frame[2], 0x0F);
    EXPECT_EQ(frame[3], 0x05);
    EXPECT_EQ(frame[4], 64);
    EXPECT_EQ(frame[5] << 8 | frame[6], 300);
}

TEST_F(DocLogic, MeterReadingsComeOnlyFromChannelsThatExist) {
    for (int slot = 0; slot < 8; ++slot)
        logger.SetLiveValue(slot, 10.0 + slot);
    const int channels[4] = {7, 0, -1, 8};
    std::copy(std::begin(channels), std::end(channels), doc.m_meterChannels);
    double value = 0;
    EXPECT_TRUE(doc.GetMeterReading(0, value));
    EXPECT_EQ(value, 17.0);
    EXPECT_TRUE(doc.GetMeterReading(1, value));
    EXPECT_EQ(value, 10.0);
    EXPECT_FALSE(doc.GetMeterReading(2, value));
    EXPECT_FALSE(doc.GetMeterReading(3, value));
    Send(UM_UPDATE_METERS);
}

TEST(DocumentCore, BeforeItsViewsExistTheFindersFindNothingAndPlacementDoesNothing) {
    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    const QString workbook = QString::fromStdString((GetDataRoot() + "Workbook").str());
    {
        CVarnelDoc doc([](CSettings*) { return std::unique_ptr<CDorvik>(); });
        EXPECT_TRUE(QDir(workbook).exists());
        EXPECT_EQ(doc.GetGraphView(), nullptr);
        EXPECT_EQ(doc.GetSetupView(), nullptr);
        EXPECT_EQ(doc.GetClockView(), nullptr);
        EXPECT_EQ(doc.GetMeterView(), nullptr);
        EXPECT_EQ(doc.GetHtmlDocView(), nullptr);
        EXPECT_EQ(doc.GetVideoView(), nullptr);
        EXPECT_EQ(doc.GetRecordingVideoView(), nullptr);
        EXPECT_EQ(doc.GetCommView(), nullptr);
        EXPECT_EQ(doc.GetTableView(), nullptr);
        EXPECT_EQ(doc.GetDataTreeView(), nullptr);
        doc.PlaceGraphFrame(0, 0, 10, 10);
        doc.PlaceSetupFrame(0, 0, 10, 10);
        doc.PlaceClockFrame(0, 0, 10, 10);
        doc.PlaceMeterFrame(0, 0, 10, 10);
        doc.PlaceTableFrame(0, 0, 10, 10);
        doc.PlaceWorkbookFrame(0, 0, 10, 10);
        doc.PlaceDataMapFrame(0, 0, 10, 10);
        doc.PlaceVideoFrame(0, 0, 10, 10);
        EXPECT_EQ(doc.AddDataGroup("E"), nullptr);
        doc.GetSettings()->m_recordingMode = 2;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString((GetDataRoot() + "Settings.vns").str())))
        << "the document never saves the settings";
    CVarnelDoc again([](CSettings*) { return std::unique_ptr<CDorvik>(); });
    EXPECT_TRUE(QDir(workbook).exists());
}

// ---- the stored-set choice

TEST_F(DocLogic, TheStoredSetsAreListedNewestFirstAndUnreadableOnesLeftOut) {
    struct Row {
        CString type, samples;
        bool shown;
    };
    const auto rowsOf = [](CDialog& d) {
        std::vector<Row> rows;
        for (int r = 0; r < 4; ++r)
            rows.push_back(
                {d.GetDlgItemText(int(IDC_DOWNLOAD_TYPE_FIRST) + r),
                 d.GetDlgItemText(int(IDC_DOWNLOAD_SAMPLES_FIRST) + r),
                 d.GetDlgItem(int(IDC_DOWNLOAD_ROW_FIRST) + r)->IsWindowVisible() != FALSE});
        return rows;
    };
    logger.SetHeader(0, 0, 2, 10, 5);
    logger.SetHeader(1, 0, 5, 41, 40);  // the newest, a timing set
    logger.SetHeader(2, 3, 1, 99, 50);  // unreadable
    logger.SetHeader(3, 0, 9, 12, 20);  // of another kind
    std::vector<Row> rows;
    int selected = -1;
    modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD, [&](CDialog& d) {
        rows = rowsOf(d);
        selected = static_cast<CSelectiveDownloadDialog&>(d).GetSelectedSet();
        testing_support::Press(d, int(IDC_DOWNLOAD_ROW_FIRST) + 2);
        testing_support::Press(d, IDOK);
    });
    CSelectiveDownloadDialog dialog;
    dialog.SetLogger(&logger);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(dialog.GetSelectedSet(), 0) << "the third row is the oldest set";
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].type, "Timing");
    EXPECT_EQ(rows[0].samples, "10");
    EXPECT_EQ(rows[1].type, "");
    EXPECT_EQ(rows[1].samples, "");
    EXPECT_EQ(rows[2].type, "Remote");
    EXPECT_FALSE(rows[3].shown);

    for (int set = 0; set < 4; ++set)
        logger.SetHeader(set, 3, 1, 5, set);
    modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD, [&](CDialog& d) {
        EXPECT_TRUE(d.GetDlgItem(int(IDC_DOWNLOAD_NO_DATA))->IsWindowVisible());
        EXPECT_FALSE(d.GetDlgItem(int(IDC_DOWNLOAD_TIME_HEADING))->IsWindowEnabled());
        rows = rowsOf(d);
        testing_support::Press(d, IDOK);
    });
    CSelectiveDownloadDialog empty;
    empty.SetLogger(&logger);
    ASSERT_EQ(empty.DoModal(), IDOK);
    EXPECT_EQ(empty.GetSelectedSet(), 0);
    for (const Row& r : rows)
        EXPECT_FALSE(r.shown);
}

// ---- messages and timers of the communication view

TEST_F(DocLogic, MessagesReachTheirHandlers) {
    CRect size;
    comm.GetClientRect(&size);
    EXPECT_EQ(size.Width(), 1);
    EXPECT_EQ(size.Height(), 1);
    EXPECT_EQ(doc.GetCommView(), &comm);
    EXPECT_EQ(doc.GetSetupView(), &setup);

    doc.m_runInProgress = 1;
    Send(UM_RUN_ENDED);
    EXPECT_EQ(doc.m_runInProgress, 0);
    Send(UM_LOGGER_ANSWERED);
    EXPECT_EQ(doc.m_answered, 1);
    EXPECT_EQ(setup.m_controlsEnabled, 1);

    doc.m_launchPlots = 1;
    doc.m_waitingForStatus = 1;
    comm.m_sensorsChangedPending = 1;
    Send(UM_SENSORS_CHANGED);
    EXPECT_EQ(comm.m_sensorsChangedPending, 0);
    EXPECT_EQ(doc.m_launchPlots, 1);
    Send(UM_SENSORS_CHANGED);
    EXPECT_EQ(doc.m_launchPlots, 0);
    EXPECT_EQ(doc.m_answered, 0);
    EXPECT_EQ(doc.m_waitingForStatus, 0);

    logger.Connected(false);
    Send(UM_LOGGER_IDENTIFIED, 1);
    EXPECT_EQ(mainFrame.m_loggerKind, 0u) << "a basic logger's acknowledgement";
    logger.Connected(true);
    Send(UM_LOGGER_IDENTIFIED, 1);
    EXPECT_EQ(mainFrame.m_loggerKind, 1u);

    // A sensor change while the graph draws Y against X: back to time.
    graph.m_yVsX = 1;
    doc.m_launchPlots = 1;
    Send(UM_SENSORS_CHANGED);
    EXPECT_EQ(graph.m_yVsX, 0);
    EXPECT_EQ(doc.m_launchPlots, 1);

    // The timer variant answers: timing mode.
    logger.SetTimerVariant(true);
    Send(UM_LOGGER_ANSWERED);
    EXPECT_EQ(doc.m_timingMode, 1);
    Send(UM_LOGGER_ANSWERED);
    EXPECT_EQ(doc.m_timingMode, 1);
    logger.SetTimerVariant(false);

    // After a one-millisecond run: its download, once the run has ended.
    logger.Connected(false);
    Send(UM_LOGGER_COMMAND);
    EXPECT_EQ(doc.m_pendingCommand, 0);
    clock.RunPending();
    EXPECT_EQ(doc.m_pendingCommand, CVarnelDoc::kCommandDownload);
    EXPECT_EQ(doc.m_waitingForStatus, 1);
}

TEST_F(DocLogic, TheStatusAndProgressBoxesComeAndGo) {
    Send(UM_STATUS_MESSAGE, 1);
    ASSERT_NE(doc.GetStatusBox(), nullptr);
    Send(UM_STATUS_MESSAGE, 1);
    CMessageDialog* box = doc.GetStatusBox();
    Send(UM_STATUS_MESSAGE, 2);
    Send(UM_STATUS_MESSAGE, 0);
    EXPECT_EQ(doc.GetStatusBox(), nullptr);
    clock.RunPending();
    // Its own Close asks for it to go: it goes after the click has been handled.
    Send(UM_STATUS_MESSAGE, 1);
    box = doc.GetStatusBox();
    ASSERT_NE(box, nullptr);
    testing_support::Press(*box, IDOK);
    EXPECT_EQ(doc.GetStatusBox(), nullptr);
    clock.RunPending();
    testing_support::ProcessQtEvents();

    Send(UM_FETCH_PROGRESS, 1, 200);
    CFetchProgressDialog* progress = doc.GetFetchProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->IsActive());
    Send(UM_FETCH_PROGRESS, 2, 50);
    EXPECT_EQ(progress->GetDlgItemText(int(IDC_FETCH_PERCENT)), "25%");
    testing_support::Press(*progress, IDCANCEL);
    EXPECT_EQ(*logger.GetDownloadCancelFlag(), 1);
    Send(UM_FETCH_PROGRESS, 0);
    EXPECT_EQ(doc.GetFetchProgress(), nullptr);
}

TEST_F(DocLogic, TheLivePollWaitsForTheCommandQueue) {
    logger.Connected(false);
    doc.StartLiveTimer();
    ASSERT_EQ(doc.m_liveTimerOn, 1);
    const dorvik_test::Bytes poll = {0xEB, 0x92, 0xFA};
    logger.QueueStatusQuery();
    clock.Advance(CVarnelDoc::kLiveTimerPeriod);
    EXPECT_EQ(Writes(poll), 0u);
    logger.StopCommandTimer();
    clock.Advance(CVarnelDoc::kLiveTimerPeriod);
    EXPECT_EQ(Writes(poll), 1u);
    doc.StopLiveTimer();
    clock.Advance(1000);
    EXPECT_EQ(Writes(poll), 1u);
}

TEST_F(DocLogic, StopAndConnect) {
    // Stop is offered during a run: the QK's stop, and the basic logger's.
    logger.Connected(true);
    logger.SetChannels({0});
    logger.SetReportedRateCode(255);
    logger.BeginRun(1, CDorvik::kLiveRun);
    ASSERT_EQ(doc.m_runInProgress, 1);
    Command(ID_TOOLBAR_STOP);
    EXPECT_EQ(Frames("AQ"), 1u);
    EXPECT_EQ(logger.GetCurrentCommand().code, QK_COMMAND_STOP);

    logger.StopCommandTimer();
    logger.Connected(false);
    Command(ID_LOGGER_STOP);
    EXPECT_EQ(Writes({0xEB, 0x92, 0x44}), 1u);

    // Connect ends the run once, then connects again.
    logger.Connected(true);
    comm.counts.clear();
    const int connects = logger.connects;
    Command(ID_TOOLBAR_CONNECT);
    EXPECT_EQ(comm.counts[UM_RUN_ENDED], 1);
    EXPECT_EQ(doc.m_runInProgress, 0);
    EXPECT_EQ(logger.connects, connects + 1);
}

}  // namespace
