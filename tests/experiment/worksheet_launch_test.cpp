// Workbook > Launch on a document whose logger model the test sets: the launch file beside the
// worksheet, found whatever the case of its name, and what each kind of file sets up.

#include <QFile>

#include "RES/commands.h"
#include "RES/dialogs/timing_wizard.h"
#include "displays/meter/meter_view.h"
#include "experiment/html_doc_view.h"
#include "logger/launch_header.h"
#include "platform/base/file.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_test::RecordingPort;

class LaunchDorvik : public CDorvik {
public:
    LaunchDorvik(CSettings* settings, std::unique_ptr<RecordingPort> link)
        : CDorvik(settings, std::move(link)) {}
    void Model(bool qk) {
        m_connected = 1;
        m_qkModel = qk ? 1 : 0;
    }
};

TEST(LaunchLookup, TheFileBesideTheWorksheetForTheModel) {
    testing_support::TempEnvironment env;
    const CString folder = env.File("Work.d");
    ASSERT_TRUE(QDir().mkpath(folder.ToQString()));
    const auto touch = [](const CString& path) {
        QFile f(path.ToQString());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    const CString worksheet = folder + "/Lesson.htm";
    CString found;
    EXPECT_FALSE(CHtmlDocView::LaunchFileExists(worksheet, TRUE, &found));
    EXPECT_TRUE(found.IsEmpty());
    touch(folder + "/LESSON.QDR");  // from a Windows folder
    EXPECT_TRUE(CHtmlDocView::LaunchFileExists(worksheet, TRUE, &found));
    EXPECT_EQ(found, folder + "/LESSON.QDR");
    EXPECT_FALSE(CHtmlDocView::LaunchFileExists(worksheet, FALSE));
    touch(folder + "/Lesson.hdr");
    EXPECT_TRUE(CHtmlDocView::LaunchFileExists(worksheet, FALSE, &found));
    EXPECT_EQ(found, folder + "/Lesson.hdr");
    // A name without a suffix in a dotted folder: the suffix is added to the name.
    touch(folder + "/Notes.qdr");
    EXPECT_TRUE(CHtmlDocView::LaunchFileExists(folder + "/Notes", TRUE, &found));
    EXPECT_EQ(found, folder + "/Notes.qdr");
    EXPECT_EQ(CHtmlDocView::LaunchFilePath(folder + "/Page.HTM", TRUE), folder + "/Page.qdr");
}

class Launch : public DocTest {
protected:
    Launch()
        : DocTest([](CSettings* s) {
              return std::make_unique<LaunchDorvik>(s, std::make_unique<RecordingPort>());
          }) {
        EXPECT_TRUE(meters.Create(&host, &doc));
        meters.OnInitialUpdate();
        EXPECT_TRUE(workbook.Create(&host, &doc));
        workbook.m_worksheetPath = env.File("Lesson.htm");
        settings.m_singleAxis = 0;
    }
    ~Launch() override {
        workbook.DestroyWindow();
        meters.DestroyWindow();
    }
    LaunchDorvik& fake = static_cast<LaunchDorvik&>(logger);
    RecordingPort& port = static_cast<RecordingPort&>(logger.GetSerialPort());
    CMeterView meters;
    CHtmlDocView workbook;

    CString FileFor(bool qk) const { return env.File(qk ? "Lesson.qdr" : "Lesson.hdr"); }
    // Temperature, Sound and External 1, in that order; colours 0x10..0x16 by record.
    static CLaunchHeader GraphFile(bool qk, DWORD propertiesChanged = 0) {
        LaunchChannelStruct ch[CLaunchHeader::kChannels] = {};
        for (int r = 0; r < CLaunchHeader::kMaxSensors; ++r) {
            ch[r].color = 0x10 + r;
            ch[r].autoScale = 0;
            ch[r].minimum = -r;
            ch[r].maximum = 10 + r;
        }
        for (int r : {0, 4, 5})
            ch[r].selected = 1;
        ch[CLaunchHeader::kXAxisRecord].index = -1;
        ch[CLaunchHeader::kXAxisRecord].autoScale = 1;
        const BYTE bits[CLaunchHeader::kMaxSensors] = {16, 128, 1};
        return CLaunchHeader(ch, qk ? 41 : 64, 60, 3, bits, 4, 0, 0, 1, 1, qk ? 1 : 0, 0, -1,
                             propertiesChanged);
    }
    void Save(const CLaunchHeader& h, WORD kind, bool qk) {
        ASSERT_TRUE(h.SaveToFile(FileFor(qk), kind));
    }
    void Launch_() { doc.OnCmdMsg(ID_WORKBOOK_LAUNCH_TB, 0, nullptr, nullptr); }
};

TEST_F(Launch, AQkGraphFileSetsTheSetUpAndPlotsAndSendsNothing) {
    fake.Model(true);
    Save(GraphFile(true), CLaunchHeader::kGraph, true);
    graph.m_barGraph = 1;
    Launch_();
    EXPECT_EQ(workbook.m_worksheetPath, env.File("Lesson.htm"));
    EXPECT_EQ(workbook.m_launchPath, env.File("Lesson.qdr"));
    EXPECT_EQ(setup.m_sensorMask, 35);
    EXPECT_EQ(logger.GetMask(), 35);
    EXPECT_EQ(setup.m_selectedCount, 3);
    EXPECT_EQ(setup.m_rateCode, 41);
    EXPECT_EQ(logger.GetRunLength(), 60u);
    for (int k : {CSetupView::kTemperature, CSetupView::kSound, CSetupView::kExternal1})
        EXPECT_TRUE(setup.GetSwitch(k).GetValue()) << k;
    EXPECT_FALSE(setup.GetSwitch(CSetupView::kLight).GetValue());
    EXPECT_EQ(doc.m_pendingCommand, 0);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(doc.m_launchPlots, 1);
    EXPECT_EQ(graph.m_barGraph, 0);  // the file wants no bars
    ASSERT_EQ(graph.m_livePlotCount, 3);
    // Records in colour-index order: Temperature, Sound, External 1 at their file positions, in
    // the settings' colours while the file's display properties are unchanged.
    const SHORT positions[] = {0, 1, 2};
    const BYTE bitsOf[] = {16, 128, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(graph.m_livePlots[i].channel, positions[i]) << i;
        EXPECT_EQ(graph.m_livePlots[i].colour, graph.GetSensorColorByBit(bitsOf[i])) << i;
        EXPECT_EQ(graph.m_livePlots[i].yAutoscale, 0) << i;
    }
    EXPECT_EQ(graph.m_livePlots[1].yMax, 14.0);
    EXPECT_EQ(graph.m_xAxisIsSensor, 0);
}

TEST_F(Launch, ABasicGraphFileSendsTheSetUpWithItsMask) {
    fake.Model(false);
    Save(GraphFile(false), CLaunchHeader::kGraph, false);
    Launch_();
    EXPECT_EQ(setup.m_sensorMask, 145);
    EXPECT_EQ(doc.m_pendingCommand, CVarnelDoc::kCommandLiveReadings);
    EXPECT_EQ(settings.m_externalSensor1, 4);
    EXPECT_EQ(doc.m_launchPlots, 1);
}

TEST_F(Launch, BarsOnlyAgainstTimeAndColoursByTheFilesFlag) {
    fake.Model(true);
    CLaunchHeader h = GraphFile(true, 1);
    h.m_barGraph = 1;
    h.m_channels[CLaunchHeader::kXAxisRecord].index = 0;  // Temperature on the X axis
    // Light is selected but not listed: its plot keeps its own colour.
    h.m_channels[1].selected = 1;
    Save(h, CLaunchHeader::kGraph, true);
    graph.m_barGraph = 1;
    Launch_();
    EXPECT_EQ(graph.m_barGraph, 0);
    EXPECT_EQ(graph.m_xAxisIsSensor, 1);
    ASSERT_EQ(graph.m_livePlotCount, 4);
    EXPECT_EQ(graph.m_livePlots[0].colour, 0x10u);  // the record's own, field 3
    EXPECT_EQ(graph.m_livePlots[1].channel, PlotRecordStruct::kNoChannel);
    EXPECT_EQ(graph.m_livePlots[1].colour, 0x11u);

    h.m_propertiesChanged = 0;
    Save(h, CLaunchHeader::kGraph, true);
    Launch_();
    EXPECT_EQ(graph.m_livePlots[1].colour, graph.GetSensorColorByBit(4));
}

TEST_F(Launch, MessagesThatStopOrOnlyTell) {
    // A QK file whose external sensor is not plugged in: the switches set so far stay set.
    fake.Model(true);
    settings.m_sensorSlots[0].absent = 1;
    Save(GraphFile(true), CLaunchHeader::kGraph, true);
    modals.ExpectMessage(CHtmlDocView::kConnectExternal1Text, IDOK);
    Launch_();
    EXPECT_EQ(doc.m_launchPlots, 0);
    EXPECT_EQ(graph.m_livePlotCount, 0);
    settings.m_sensorSlots[0].absent = 0;

    // A run in progress.
    doc.m_runInProgress = 1;
    modals.ExpectMessage(CVarnelDoc::kRunningText, IDOK);
    Launch_();
    EXPECT_EQ(doc.m_launchPlots, 0);
    doc.m_runInProgress = 0;

    // The other model's graph file: told, and the launch goes on.
    CLaunchHeader basicFile = GraphFile(false);
    Save(basicFile, CLaunchHeader::kGraph, true);
    modals.ExpectMessage(CHtmlDocView::kForBasicText, IDOK);
    Launch_();
    EXPECT_EQ(doc.m_launchPlots, 1);
    EXPECT_EQ(doc.m_pendingCommand, CVarnelDoc::kCommandLiveReadings);

    // The other model's snapshot file: told, and nothing changes.
    const BYTE types[4] = {3, 2, 1, 0}, sensors[4] = {16, 4, 32, 1};
    Save(CLaunchHeader(16, 2, 0, 0, 0, 1, types, sensors), CLaunchHeader::kSnapshot, true);
    settings.m_meterViewValue = 4;
    modals.ExpectMessage(CHtmlDocView::kForBasicText, IDOK);
    Launch_();
    EXPECT_EQ(settings.m_meterViewValue, 4);

    // A file that cannot be read, and one of no kind: why, and nothing changes.
    const CString path = FileFor(true);
    std::vector<BYTE> bytes = GraphFile(true).GetFileBytes(CLaunchHeader::kGraph);
    const std::string tag = CLaunchHeader::kGraphTag;
    auto at = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end());
    ASSERT_NE(at, bytes.end());
    *at = 'X';
    for (const std::vector<BYTE>& content : {std::vector<BYTE>{1, 2, 3}, bytes}) {
        ASSERT_TRUE(platform::ReplaceFileAtomically(path, content));
        CString reason;
        ASSERT_FALSE(CLaunchHeader().LoadFromFile(path, &reason));
        doc.m_launchPlots = 0;
        modals.ExpectMessage(CString::Formatted(CHtmlDocView::kUnreadableLaunchText, "Lesson.qdr",
                                                reason.GetString()),
                             IDOK);
        Launch_();
        EXPECT_EQ(doc.m_launchPlots, 0);
    }
    // No launch file for the model: nothing at all.
    fake.Model(false);
    QFile::remove(FileFor(false).ToQString());
    Launch_();
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(Launch, ASnapshotFileSetsTheMeters) {
    fake.Model(false);
    const BYTE types[4] = {3, 2, 1, 0}, sensors[4] = {16, 4, 32, 1};
    // Layout 0: the four default kinds, none shown but the one meter the file's type (2, the
    // change meter) lays out.
    Save(CLaunchHeader(1, 2, 7, 0, 0, 0, types, sensors), CLaunchHeader::kSnapshot, false);
    Launch_();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(meters.GetKind(i), i) << i;
        EXPECT_EQ(meters.GetShownKind(i), i == 0 ? CMeterView::kChange : CMeterView::kNone) << i;
    }
    EXPECT_EQ(settings.m_meterViewValue, 2);
    EXPECT_EQ(settings.m_externalSensor1, 7);
    EXPECT_EQ(setup.m_snapshotLaunch, 1);
    // Layout 1: the file's kinds and sensors.
    Save(CLaunchHeader(16, 4, 0, 0, 0, 1, types, sensors), CLaunchHeader::kSnapshot, false);
    Launch_();
    const int codes[4] = {4, 2, 5, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(meters.GetKind(i), types[i]) << i;
        EXPECT_EQ(doc.m_meterChannels[i], codes[i]) << i;
    }
    // The settings were saved.
    CSettings saved(settings.m_filePath);
    EXPECT_EQ(saved.m_meterViewValue, 4);
}

TEST_F(Launch, TimingFilesTurnTimingOnAndAskForTheParametersWhenNeeded) {
    fake.Model(true);
    doc.m_launchPlots = 1;
    doc.m_timingMode = 1;
    Save(CLaunchHeader(1, 0, 5.0, 20.0, 0, 1), CLaunchHeader::kTiming, true);
    Launch_();  // time while timing is on: the graph only
    EXPECT_EQ(doc.m_timingMode, 1);
    EXPECT_EQ(settings.m_timingMethod, 1);
    EXPECT_EQ(settings.m_timingDistance1, 5.0);
    EXPECT_EQ(doc.m_launchPlots, 0);

    doc.m_timingMode = 0;
    Save(CLaunchHeader(0, 1, 3.0, 20.0, 1, 1), CLaunchHeader::kTiming, true);
    modals.ExpectDialog(IDD_TIMING_LAUNCH_PARAMETER,
                        [](CDialog& d) { testing_support::Press(d, IDOK); });
    Launch_();
    EXPECT_EQ(doc.m_timingMode, 1);
    EXPECT_EQ(settings.m_timingMeasurement, 1);
    EXPECT_EQ(graph.m_barGraph, 1);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(Launch, CancelAtTheClearQuestionKeepsTheProjectAndTheLaunchGoesOn) {
    fake.Model(true);
    CDataTreeBrench* kept = doc.AddDataGroup("Exp. 1");
    ASSERT_TRUE(kept);
    doc.m_modified = 1;
    Save(GraphFile(true), CLaunchHeader::kGraph, true);
    modals.ExpectMessage(CVarnelDoc::kDataChangedText, IDCANCEL);
    Launch_();
    EXPECT_EQ(doc.m_dataList.FindById(kept->m_id), kept);
    EXPECT_EQ(doc.m_launchPlots, 1);
    EXPECT_EQ(setup.m_sensorMask, 35);
}

}  // namespace
