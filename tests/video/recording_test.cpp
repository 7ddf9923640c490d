// The recording view on the virtual clock, with a fake encoder that writes its calls down.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "logger/data_tree.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/precise_time.h"
#include "logger/settings.h"
#include "platform/media/encoder.h"
#include "tests/support/core/failing_folder.h"
#include "tests/support/harness.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

using namespace media;

namespace {

struct FakeLog {
    std::vector<std::string> calls;
    bool startFails = false;
    bool addSourceFails = false;
    std::vector<std::pair<CString, CString>> scripts;
    CString fileName;
    // The archive operation that fails, with the reason the encoder gives.
    int failingArchive = 0;
    CString archiveError;
};

class FakeEncoder : public IMediaEncoder {
public:
    explicit FakeEncoder(FakeLog& log) : m_log(log) {}
    ~FakeEncoder() override { Note("destroyed"); }
    HRESULT AddSourceGroup(const CString& n) override {
        return Note("AddSourceGroup " + n.ToQString().toStdString());
    }
    HRESULT RemoveSourceGroup(int i) override {
        return Note("RemoveSourceGroup " + std::to_string(i));
    }
    HRESULT AddSource(int t) override {
        Note("AddSource " + std::to_string(t));
        return m_log.addSourceFails ? E_FAIL : S_OK;
    }
    HRESULT RemoveSource(int t, int i) override {
        return Note("RemoveSource " + std::to_string(t) + " " + std::to_string(i));
    }
    HRESULT SetSourceInput(int t, const CString& in) override {
        Note("SetSourceInput " + std::to_string(t) + " " + in.ToQString().toStdString());
        return in.ToQString().startsWith("Device://Bad") ? E_INVALIDARG : S_OK;
    }
    HRESULT SetProfile(const CString& p) override { return Note("SetProfile " + QFileInfoName(p)); }
    HRESULT SetOption(int o, bool v) override {
        return Note("SetOption " + std::to_string(o) + (v ? " 1" : " 0"));
    }
    HRESULT Start() override {
        Note("Start");
        return m_log.startFails ? NS_E_DEVICE_NOT_READY : S_OK;
    }
    HRESULT Stop() override { return Note("Stop"); }
    HRESULT SetLocalFileName(const CString& p) override {
        m_log.fileName = p;
        return Note("SetLocalFileName " + QFileInfoName(p));
    }
    HRESULT Archive(int t, int o) override {
        Note("Archive " + std::to_string(t) + " " + std::to_string(o));
        return o == m_log.failingArchive ? E_FAIL : S_OK;
    }
    CString GetArchiveError() const override { return m_log.archiveError; }
    HRESULT SendScript(int, const CString& type, const CString& data) override {
        m_log.scripts.push_back({type, data});
        return S_OK;
    }
    HRESULT AddPreview(LONG* cookie) override {
        *cookie = 7;
        return Note("AddPreview");
    }
    HRESULT RemoveAllPreviews() override { return Note("RemoveAllPreviews"); }
    HRESULT SetViewProperties(LONG, QWidget* w) override {
        m_window = w;
        return Note(w ? "SetViewProperties window" : "SetViewProperties none");
    }
    LONG StartView(LONG) override {
        Note("StartView");
        return m_window ? 1 : 0;
    }
    HRESULT StopView(LONG) override { return Note("StopView"); }
    QWidget* GetViewWindow(LONG) const override { return m_window; }

private:
    static std::string QFileInfoName(const CString& p) {
        return p.ToQString().section('/', -1).toStdString();
    }
    HRESULT Note(const std::string& s) {
        m_log.calls.push_back(s);
        return S_OK;
    }
    FakeLog& m_log;
    QWidget* m_window = nullptr;
};

CPreciseDateTime FixedNow() {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 4;
    t.wHour = 5;
    t.wMinute = 6;
    t.wSecond = 7;
    return CPreciseDateTime(t);
}

class RecordingTest : public testing_support::HarnessTest {
protected:
    FakeLog log;
    std::unique_ptr<CVarnelDoc> doc;
    CMainFrame mainFrame;
    CWnd host;
    std::unique_ptr<CRecordingVideoView> view;
    std::unique_ptr<CVideoView> video;

    RecordingTest() {
        SetEncoderFactory([this](const GUID&) { return std::make_unique<FakeEncoder>(log); });
        CRecordingVideoView::SetClockForTesting(&FixedNow);
        doc = std::make_unique<CVarnelDoc>();
        doc->m_mainFrame = &mainFrame;
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0);
        view = std::make_unique<CRecordingVideoView>();
        view->Create(&host, doc.get());
        video = std::make_unique<CVideoView>();
        video->Create(&host, doc.get());
        video->OnInitialUpdate();
    }
    ~RecordingTest() override {
        video.reset();
        view.reset();
        doc.reset();
        host.DestroyWindow();
        SetEncoderFactory({});
        CRecordingVideoView::SetClockForTesting(nullptr);
    }
    std::vector<std::string> Take() { return std::exchange(log.calls, {}); }
    QString Temp(const char* name) const {
        return (CRecordingVideoView::TempFolder() + name).ToQString();
    }
    // A run in progress, with one data set of `samples` samples.
    CDataTreeBrench* StartRun(int samples) {
        doc->m_runInProgress = 1;
        auto x = std::make_unique<CDataArray>();
        auto y = std::make_unique<CDataArray>();
        for (int i = 0; i < samples; ++i) {
            x->push_back(i);
            y->push_back(i);
        }
        CDataTreeBrench* exp = doc->m_dataList.AddExperiment("Exp. 1");
        CDataTreeBrench* set = doc->m_dataList.InsertDataSet(
            exp->m_id, std::move(x), std::move(y), "A", 0, "V", FixedNow(), 1, -1, 0, "", 0, 1, 0);
        EXPECT_TRUE(set);
        doc->m_currentRun[0] = set;
        doc->m_currentRunCount = 1;
        return set;
    }
};

}  // namespace

TEST_F(RecordingTest, CallsComeInTheirOrder) {
    Take();
    view.reset();
    // Destruction ends the archive once more (StopRecording(true)), then releases.
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"Archive 1 2", "Archive 1 2", "SetLocalFileName tmp.wmv",
                                        "RemoveSource 1 0", "RemoveSource 2 0", "RemoveSource 4 0",
                                        "RemoveAllPreviews", "RemoveSourceGroup 0", "destroyed"}));
    view = std::make_unique<CRecordingVideoView>();
    view->Create(&host, doc.get());
    EXPECT_EQ(Take(), (std::vector<std::string>{
                          "AddSourceGroup SGAV", "AddSource 2",
                          "SetSourceInput 2 Device://Default_Video_Device", "AddSource 1",
                          "SetSourceInput 1 Device://Default_Audio_Device", "AddSource 4",
                          "SetSourceInput 4 UserScript://", "SetProfile AVMediumQuality.prx",
                          "AddPreview", "SetOption 0 0"}));
    EXPECT_EQ(mainFrame.m_videoToggleCaption, "Enable video");

    view->InitDevice();
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"SetProfile AVMediumQuality.prx", "Start",
                                        "SetViewProperties none", "StartView", "StopView",
                                        "SetViewProperties window", "SetViewProperties window",
                                        "StartView", "SetViewProperties window", "StartView"}));
    EXPECT_TRUE(view->m_deviceReady);
    EXPECT_TRUE(view->m_previewRunning);
    EXPECT_EQ(mainFrame.m_videoToggleCaption, "Disable video");

    view->StartRecording();
    EXPECT_EQ(Take(), (std::vector<std::string>{
                          "Archive 1 2", "SetOption 0 0", "SetOption 1 0", "SetOption 2 0",
                          "SetLocalFileName 04.03.26 05.06.07.wmv", "Archive 1 1"}));
    EXPECT_TRUE(view->m_recording);

    StartRun(5);
    doc->AttachVideoToRuns();
    EXPECT_TRUE(view->m_tiedToExperiment);
    EXPECT_EQ(doc->m_currentRun[0]->m_videoFile.ToQString(), Temp("04.03.26 05.06.07.wmv"));

    view->StopRecording(false);
    // The preview was not stopped, so it is not started again: the encoder's restart feeds it.
    EXPECT_EQ(Take(), (std::vector<std::string>{"Archive 1 2", "Archive 1 2", "Stop",
                                                "SetLocalFileName tmp.wmv", "Start"}));
    EXPECT_TRUE(QFile::exists(Temp("04.03.26 05.06.07.wmv"))) << "a tied recording stays";

    view->ShutDownDevice();
    EXPECT_EQ(Take(), (std::vector<std::string>{"StopView", "Stop", "RemoveAllPreviews",
                                                "RemoveSource 2 0", "RemoveSource 1 0"}));
    EXPECT_EQ(mainFrame.m_videoToggleCaption, "Enable video");
    EXPECT_FALSE(view->m_deviceReady);
}

TEST_F(RecordingTest, SwitchingTheDeviceOffDuringARecordingEndsItAndOffersItAgain) {
    video->InitVideoDevice(false);
    view->StartRecording();
    ASSERT_TRUE(view->m_recording);
    video->InitVideoDevice(true);
    EXPECT_FALSE(view->m_recording);
    EXPECT_FALSE(view->m_deviceReady);
    EXPECT_FALSE(mainFrame.m_videoRecordAvailable);
    EXPECT_EQ(mainFrame.m_videoToggleCaption, CString("Enable video"));
}

TEST_F(RecordingTest, AFailingStartLeavesTheDeviceOff) {
    log.startFails = true;
    video->InitVideoDevice(false);
    EXPECT_FALSE(view->m_deviceReady);
    EXPECT_FALSE(view->m_encoderRunning);
    EXPECT_EQ(mainFrame.m_videoToggleCaption, "Enable video");
    EXPECT_TRUE(video->m_playerMode);

    modals.ExpectMessage(CVideoView::kCannotInitText, IDOK);
    video->InitVideoDevice(true);

    // A source that cannot be added keeps its flag clear.
    log.startFails = false;
    log.addSourceFails = true;
    view->LoadProfile(11);
    view->LoadProfile(21);
    EXPECT_FALSE(view->m_videoPresent) << "removed for sound only, and not added back";
}

TEST_F(RecordingTest, RecordingFilesAreNamedAndNeverOverwritten) {
    video->InitVideoDevice(false);
    ASSERT_TRUE(view->m_deviceReady);
    const CString folder = CRecordingVideoView::TempFolder();
    // Style 1 puts the month first.
    doc->GetSettings()->m_dateStyle = 1;
    view->StartRecording();
    EXPECT_EQ(view->GetRecordedFileName().ToQString(), Temp("03.04.2026 05.06.07.wmv"));
    view->StopRecording(false);
    EXPECT_FALSE(QFile::exists(Temp("03.04.2026 05.06.07.wmv")))
        << "an untied recording leaves no file";
    EXPECT_EQ(log.fileName.ToQString(), Temp("tmp.wmv"));

    // A stamp taken already (a run names it) moves on to "~0", and its file keeps its bytes.
    doc->GetSettings()->m_dateStyle = 0;
    {
        QFile taken(Temp("04.03.26 05.06.07.wmv"));
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
        taken.write("recorded");
    }
    QFile(Temp("tmp.wmv")).open(QIODevice::WriteOnly);
    view->StartRecording();
    EXPECT_EQ(view->GetRecordedFileName().ToQString(), Temp("04.03.26 05.06.07~0.wmv"));
    EXPECT_EQ(QFileInfo(Temp("04.03.26 05.06.07.wmv")).size(), 8);
    // New project and a run in mode 0 clear the temporary files: the recording is spared.
    video->DeleteTempVideoFiles();
    EXPECT_TRUE(QFile::exists(Temp("04.03.26 05.06.07~0.wmv")));
    EXPECT_FALSE(QFile::exists(Temp("04.03.26 05.06.07.wmv")));
    view->StopRecording(false);
    EXPECT_EQ(log.fileName.ToQString(), Temp("tmp.wmv")) << "tmp.wmv was deleted with the others";

    // All 100 names taken: refused, nothing archived, Record as before, and the user told after.
    for (int n = -1; n < 99; ++n)
        QFile(n < 0 ? Temp("04.03.26 05.06.07.wmv") : Temp("04.03.26 05.06.07~%1.wmv").arg(n))
            .open(QIODevice::WriteOnly);
    QFile(Temp("04.03.26 05.06.07~0.wmv")).open(QIODevice::WriteOnly);
    for (int n = 0; n < 99; ++n)
        QFile(Temp("04.03.26 05.06.07~") + QString::number(n) + ".wmv").open(QIODevice::WriteOnly);
    QFile(Temp("04.03.26 05.06.07.wmv")).open(QIODevice::WriteOnly);
    log.calls.clear();
    view->StartRecording();
    EXPECT_FALSE(view->m_recording);
    EXPECT_TRUE(view->GetRecordedFileName().IsEmpty());
    EXPECT_EQ(Take(), std::vector<std::string>{});
    modals.ExpectMessage(CString::Formatted(CRecordingVideoView::kNoFileText, folder.GetString()),
                         IDOK);
    clock.RunPending();
}

TEST_F(RecordingTest, MarkersAndStopTimers) {
    video->InitVideoDevice(false);
    // A marker 1 before the tie starts the timer and writes nothing.
    view->StartRecording();
    view->SendSyncMarker(1);
    EXPECT_TRUE(view->m_markerTimerRunning);
    EXPECT_TRUE(log.scripts.empty());
    view->StopRecording(false);
    EXPECT_FALSE(view->m_markerTimerRunning);

    CDataTreeBrench* run = StartRun(3);
    view->StartRecording();  // ties the run in progress
    ASSERT_EQ(log.scripts.size(), 1u);
    EXPECT_EQ(log.scripts[0], (std::pair<CString, CString>{"TEXT", "1"}));
    clock.Advance(100);
    run->m_y->push_back(9);
    clock.Advance(100);
    ASSERT_EQ(log.scripts.size(), 3u);
    EXPECT_EQ(log.scripts[1].second, "3");
    EXPECT_EQ(log.scripts[2].second, "4");

    // A second experiment in the same recording: the recording stops at once, the user is told
    // after the handler, and the first keeps the file and its markers.
    const CString file = run->m_videoFile;
    CDataTreeBrench* second = StartRun(2);
    second->m_videoFile = file;
    doc->AttachVideoToRuns();
    EXPECT_TRUE(second->m_videoFile.IsEmpty());
    EXPECT_EQ(run->m_videoFile, file);
    EXPECT_FALSE(view->m_recording);
    EXPECT_FALSE(view->m_markerTimerRunning);
    const size_t markers = log.scripts.size();
    modals.ExpectMessage(CVarnelDoc::kTwoExperimentsText, IDOK);
    clock.RunPending();
    clock.Advance(1000);
    EXPECT_EQ(log.scripts.size(), markers) << "no marker of the second run";
    EXPECT_TRUE(QFile::exists(run->m_videoFile.ToQString()));

    // The delayed stop ends a recording 4500 ms later.
    doc->m_runInProgress = 0;
    view->StartRecording();
    EXPECT_TRUE(view->RequestStop(false, false));
    clock.Advance(4499);
    EXPECT_TRUE(view->m_recording);
    clock.Advance(1);
    EXPECT_FALSE(view->m_recording);

    // An immediate stop in the wait kills the delayed one: the next recording outlives 4.5 s.
    doc->m_runInProgress = 0;
    view->StartRecording();
    view->RequestStop(false, false);
    clock.Advance(1000);
    view->LoadProfile(32);
    EXPECT_FALSE(view->m_recording);
    EXPECT_TRUE(view->m_deviceReady) << "a new quality starts the encoder again";
    view->StartRecording();
    ASSERT_TRUE(view->m_recording);
    clock.Advance(10000);
    EXPECT_TRUE(view->m_recording);
    view->StopRecording(false);

    // Sound only: markers every 500 ms.
    view->LoadProfile(12);
    EXPECT_EQ(view->m_markerPeriod, 500);
}

TEST_F(RecordingTest, AFailingTimerIsToldAfterTheHandler) {
    video->InitVideoDevice(false);
    clock.SetTimerFailure(
        [](HWND, UINT_PTR id) { return id == CRecordingVideoView::kMarkerTimer; });
    view->StartRecording();
    view->SendSyncMarker(1);
    EXPECT_FALSE(view->m_markerTimerRunning);
    modals.ExpectMessage("SetTimer failed", IDOK);
    clock.RunPending();
    clock.SetTimerFailure({});
}

TEST_F(RecordingTest, ResizesPostponeThePreviewRebuild) {
    video->InitVideoDevice(false);
    ASSERT_TRUE(view->m_previewRunning);
    view->OnSize(0, 100, 100);
    clock.Advance(300);
    view->OnSize(0, 120, 100);
    log.calls.clear();
    clock.Advance(200);  // the first period had a resize: nothing yet
    EXPECT_EQ(Take(), std::vector<std::string>{});
    clock.Advance(500);
    EXPECT_FALSE(Take().empty());
    EXPECT_FALSE(view->m_relayoutTimerRunning);
}

TEST_F(RecordingTest, ARecordingThatCannotBeWrittenIsLoggedWithItsReason) {
    video->InitVideoDevice(false);
    ASSERT_TRUE(view->m_deviceReady);
    const QString first = Temp("04.03.26 05.06.07.wmv");
    const auto logged = [](const testing_support::LogCapture& capture, const QString& line) {
        const auto& m = capture.messages;
        return std::find(m.begin(), m.end(), line) != m.end();
    };
    const struct {
        int failing;
        const char* reason;
        const char* where;
    } cases[] = {
        {kArchiveStart, "Read-only file system", "StartRecording"},
        {kArchiveStop, "No space left on device", "StopRecording"},
        // An encoder that gives no reason still names the file.
        {kArchiveStop, nullptr, "StopRecording"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        testing_support::LogCapture docLog("varnel.doc");
        log.failingArchive = c.failing;
        log.archiveError = c.reason ? CString(first + ": " + c.reason) : CString();
        view->StartRecording();
        ASSERT_TRUE(view->m_recording);
        view->StopRecording(false);
        const QString reason = c.reason ? c.reason : "not written";
        EXPECT_TRUE(logged(
            docLog, QString("Error (CRecordingVideoView::%1): %2: %3").arg(c.where, first, reason)))
            << (docLog.messages.empty() ? std::string("nothing logged")
                                        : docLog.messages.back().toStdString());
        QFile::remove(first);
    }

    // A folder that takes no file: the file tried, and the system's words.
    log.failingArchive = 0;
    testing_support::FailingFolder readOnly(CRecordingVideoView::TempFolder().ToQString(), false);
    if (!readOnly.Fails()) GTEST_SKIP() << "no read-only folder can be made here";
    testing_support::LogCapture docLog("varnel.doc");
    view->StartRecording();
    EXPECT_FALSE(view->m_recording);
    EXPECT_TRUE(logged(docLog, QString("Error (CRecordingVideoView::StartRecording): %1: %2")
                                   .arg(first, readOnly.Reason())));
    modals.ExpectMessage(CString::Formatted(CRecordingVideoView::kNoFileText,
                                            CRecordingVideoView::TempFolder().GetString()),
                         IDOK);
    clock.RunPending();
}
