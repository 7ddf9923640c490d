// The recording view on the GStreamer encoder with the test sources, at real time: one tied
// recording with its markers, one untied that leaves no file, and the file's length.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "logger/data_tree.h"
#include "logger/dorvik.h"
#include "logger/precise_time.h"
#include "platform/mediafile/asf_script.h"
#include "tests/support/core/failing_folder.h"
#include "tests/support/harness.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

class RealRecordingTest : public testing_support::HarnessTest {
protected:
    std::unique_ptr<CVarnelDoc> doc;
    CMainFrame mainFrame;
    CWnd host;
    std::unique_ptr<CRecordingVideoView> view;
    std::unique_ptr<CVideoView> video;

    RealRecordingTest() {
        qputenv("VARNEL_MEDIA_TEST_SOURCES", "1");
        doc = std::make_unique<CVarnelDoc>();
        doc->m_mainFrame = &mainFrame;
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 320, 240), nullptr, 0);
        view = std::make_unique<CRecordingVideoView>();
        view->Create(&host, doc.get());
        video = std::make_unique<CVideoView>();
        video->Create(&host, doc.get());
    }
    ~RealRecordingTest() override {
        video.reset();
        view.reset();
        doc.reset();
        host.DestroyWindow();
        qunsetenv("VARNEL_MEDIA_TEST_SOURCES");
    }
    // A run in progress, so that a recording started now is tied to it and kept.
    CDataTreeBrench* BeginRun() {
        doc->m_runInProgress = 1;
        CDataTreeBrench* exp = doc->m_dataList.AddExperiment("Exp. 1");
        CDataTreeBrench* set = doc->m_dataList.InsertDataSet(
            exp->m_id, std::make_unique<CDataArray>(), std::make_unique<CDataArray>(), "A", 0, "V",
            CPreciseDateTime::GetCurrentTime(), 1, -1, 0, "", 0, 1, 0);
        doc->m_currentRun[0] = set;
        doc->m_currentRunCount = 1;
        return set;
    }
    // Real time and the virtual clock go on together, so that the markers' media times grow.
    void Run(int ms, CDataArray* samples) {
        for (int t = 0; t < ms; t += 100) {
            QThread::msleep(100);
            if (samples) samples->push_back(t);
            clock.Advance(100);
            QCoreApplication::processEvents();
        }
    }
};

}  // namespace

TEST_F(RealRecordingTest, ATiedRecordingKeepsItsMarkersAndAnUntiedOneLeavesNoFile) {
    video->InitVideoDevice(true);
    ASSERT_TRUE(view->m_deviceReady);
    EXPECT_EQ(mainFrame.m_videoToggleCaption, "Disable video");

    // Record with no run, then Stop: the file goes at once.
    video->OnRecord();
    ASSERT_TRUE(view->m_recording);
    const QString untied = view->GetRecordedFileName().ToQString();
    Run(300, nullptr);
    video->OnStop();
    EXPECT_FALSE(view->m_recording);
    EXPECT_FALSE(QFile::exists(untied));

    // A run in progress: Record ties it, and the sample counts follow "1".
    CDataTreeBrench* set = BeginRun();
    ASSERT_TRUE(set);
    video->OnRecord();
    ASSERT_TRUE(view->m_tiedToExperiment);
    const QString path = set->m_videoFile.ToQString();
    EXPECT_TRUE(path.startsWith((CRecordingVideoView::TempFolder()).ToQString()));
    Run(2000, set->m_y.get());
    doc->m_runInProgress = 0;
    video->OnStop();
    EXPECT_FALSE(view->m_recording);
    EXPECT_TRUE(view->m_deviceReady) << "the live picture goes on";

    std::vector<media::AsfScriptCommand> markers;
    QString error;
    ASSERT_TRUE(media::ReadAsfScriptCommandsFromFile(path, markers, &error)) << error.toStdString();
    ASSERT_GE(markers.size(), 10u);
    EXPECT_EQ(markers.front().text, "1");
    for (size_t i = 1; i < markers.size(); ++i) {
        EXPECT_EQ(markers[i].type, "TEXT");
        EXPECT_GE(markers[i].text.toInt(), markers[i - 1].text.toInt());
        EXPECT_GE(markers[i].timeMs, markers[i - 1].timeMs);
    }
    EXPECT_EQ(markers.back().text.toInt(), set->GetYCount());
    video->InitVideoDevice(true);
    EXPECT_FALSE(view->m_deviceReady);
}

TEST_F(RealRecordingTest, StopEndsTheRecordingAtOnceAndTheFileLastsAsLongAsRecorded) {
    video->InitVideoDevice(true);
    ASSERT_TRUE(view->m_deviceReady);
    CDataTreeBrench* set = BeginRun();
    ASSERT_TRUE(set);
    QElapsedTimer recorded;
    recorded.start();
    video->OnRecord();
    ASSERT_TRUE(view->m_tiedToExperiment);
    Run(3000, set->m_y.get());
    doc->m_runInProgress = 0;
    const qint64 wanted = recorded.elapsed();
    QElapsedTimer stopping;
    stopping.start();
    video->OnStop();
    EXPECT_LT(stopping.elapsed(), 2000) << "the file is ended, not waited for";
    EXPECT_FALSE(view->m_recording);
    EXPECT_TRUE(mainFrame.m_videoRecordAvailable) << "the Video commands are back at once";
    EXPECT_FALSE(mainFrame.m_videoStopAvailable);
    EXPECT_TRUE(mainFrame.m_videoPlayAvailable);

    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of",
                            "default=noprint_wrappers=1:nokey=1", set->m_videoFile.ToQString()});
    ASSERT_TRUE(probe.waitForFinished(20000)) << "ffprobe (package ffmpeg)";
    bool ok = false;
    const double seconds = QString::fromUtf8(probe.readAllStandardOutput()).trimmed().toDouble(&ok);
    ASSERT_TRUE(ok) << probe.readAllStandardError().toStdString();
    EXPECT_NEAR(seconds * 1000, double(wanted), 500.0);

    // Every packet read, as a player reads them: a malformed one is reported as an error.
    QProcess packets;
    packets.start("ffprobe",
                  {"-v", "error", "-count_packets", "-show_entries", "stream=nb_read_packets",
                   "-of", "csv=p=0", set->m_videoFile.ToQString()});
    ASSERT_TRUE(packets.waitForFinished(20000));
    EXPECT_EQ(packets.exitCode(), 0);
    EXPECT_EQ(packets.readAllStandardError().toStdString(), "");
    EXPECT_FALSE(packets.readAllStandardOutput().trimmed().isEmpty());
}

TEST_F(RealRecordingTest, ARecordingOnAFullDiskIsLoggedWithTheSystemsReason) {
    testing_support::FailingFolder full(CRecordingVideoView::TempFolder().ToQString(), true);
    if (!full.Fails()) GTEST_SKIP() << "no full disk can be made here";
    video->InitVideoDevice(true);
    ASSERT_TRUE(view->m_deviceReady);
    CDataTreeBrench* set = BeginRun();
    ASSERT_TRUE(set);
    testing_support::LogCapture docLog("varnel.doc");
    video->OnRecord();
    ASSERT_TRUE(view->m_tiedToExperiment);
    const QString path = set->m_videoFile.ToQString();
    Run(1000, set->m_y.get());
    doc->m_runInProgress = 0;
    video->OnStop();
    EXPECT_FALSE(view->m_recording);
    // The file takes no data from its first packet: the start or the stop finds it out.
    const bool told = std::any_of(docLog.messages.begin(), docLog.messages.end(), [&](auto& m) {
        return m.startsWith("Error (CRecordingVideoView::") &&
               m.endsWith(": " + path + ": " + full.Reason());
    });
    EXPECT_TRUE(told) << (docLog.messages.empty() ? std::string("nothing logged")
                                                  : docLog.messages.back().toStdString());
    video->InitVideoDevice(true);
}
