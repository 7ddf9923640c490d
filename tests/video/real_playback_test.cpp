// The player control on Qt Multimedia at real time: files made by ffmpeg and by the recording
// pipeline play, show frames, raise their markers near their times and end; files that cannot be
// played are reported. The videos are 2 to 4 s long. Sound goes to no device here.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "platform/activex/event_sink.h"
#include "platform/activex/register.h"
#include "platform/activex/wmp_player.h"
#include "platform/media/asf_script.h"
#include "platform/media/player_engine.h"
#include "tests/support/harness.h"

using namespace platform::player;

namespace {

class Host : public CWnd, public CEventSinkHost {};

struct Fired {
    QString text;
    qint64 position;
};

class RealPlayerTest : public testing_support::HarnessTest {
protected:
    RealPlayerTest() {
        platform::RegisterActiveXControls();
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 320, 240), nullptr, 0);
        EXPECT_TRUE(player.Create(CRect(0, 0, 320, 240), &host, 1130));
        auto& sinks = host.GetEventSinks();
        sinks.On(1130, kPlayStateChange, [this](LONG s) { states.push_back(s); });
        sinks.On(1130, kScriptCommand, [this](const CString&, const CString& p) {
            fired.push_back({p.ToQString(), player.Player()->Engine()->Position()});
        });
        sinks.On(1130, kMediaError, [this](const CString& t) { errors.push_back(t.ToQString()); });
    }
    ~RealPlayerTest() override {
        player.DestroyWindow();
        host.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    // Real time and the virtual clock go on together, until `done` or the patience runs out.
    bool RunUntil(const std::function<bool()>& done, int patienceMs = 15000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > patienceMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
            clock.Advance(10);
        }
        return true;
    }
    // A WMV made by ffmpeg from its test sources.
    QString MakeWmv(const char* name, int seconds) {
        const QString out = env.File(name).ToQString();
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                "testsrc=size=160x120:rate=10", "-f", "lavfi", "-i",
                                "sine=frequency=440:sample_rate=22050", "-t",
                                QString::number(seconds), "-c:v", "wmv2", "-b:v", "200k", "-c:a",
                                "wmav2", "-b:a", "32k", out});
        if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) {
            ADD_FAILURE() << "ffmpeg (package ffmpeg) could not make " << name << ": "
                          << ffmpeg.errorString().toStdString();
            return QString();
        }
        return out;
    }
    void Play(const QString& path) {
        states.clear();
        fired.clear();
        errors.clear();
        player.put_URL(CString(path));
    }
    bool Stopped() const { return !states.empty() && states.back() == kStopped; }

    Host host;
    CWMPPlayer4 player;
    std::vector<LONG> states;
    std::vector<Fired> fired;
    std::vector<QString> errors;
};

TEST(RealPlayerSetup, TheGStreamerBackendAndItsElementsAreThere) {
    qunsetenv("QT_MEDIA_BACKEND");
    media::SelectPlayerBackend();
    EXPECT_EQ(qgetenv("QT_MEDIA_BACKEND"), "gstreamer");
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    media::SelectPlayerBackend();
    EXPECT_EQ(qgetenv("QT_MEDIA_BACKEND"), "ffmpeg") << "a choice of the user's stays";
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    EXPECT_TRUE(media::MissingPlaybackElements().isEmpty())
        << "install: " << media::MissingPlaybackElements().join(", ").toStdString();
}

TEST_F(RealPlayerTest, MarkersFireNearTheirTimesAndTheEndStops) {
    const QString file = MakeWmv("marked.wmv", 3);
    ASSERT_FALSE(file.isEmpty());
    std::vector<media::AsfScriptCommand> markers;
    for (int i = 0; i < 5; ++i)
        markers.push_back({uint32_t(i * 500), "TEXT", QString::number(i + 1)});
    ASSERT_TRUE(media::WriteAsfScriptCommands(file, markers));

    Play(file);
    EXPECT_EQ(states, std::vector<LONG>{kPlaying});
    ASSERT_TRUE(RunUntil([&] { return fired.size() >= 2; }));
    player.get_controls().pause();
    const size_t atPause = fired.size();
    QThread::msleep(600);
    QCoreApplication::processEvents();
    clock.Advance(600);
    EXPECT_EQ(fired.size(), atPause) << "nothing fires while paused";
    player.get_controls().play();
    ASSERT_TRUE(RunUntil([&] { return Stopped(); })) << "the end never came";
    EXPECT_EQ(states, (std::vector<LONG>{kPlaying, kPaused, kPlaying, kStopped}));
    EXPECT_TRUE(errors.empty()) << errors.front().toStdString();
    ASSERT_EQ(fired.size(), markers.size());
    for (size_t i = 0; i < fired.size(); ++i) {
        EXPECT_EQ(fired[i].text, markers[i].text);
        EXPECT_GE(fired[i].position, markers[i].timeMs) << i;
        EXPECT_LE(fired[i].position, markers[i].timeMs + 300) << i;
    }
    EXPECT_GT(player.Player()->FrameCount(), 5) << "frames reach the sink";
}

TEST_F(RealPlayerTest, AFileWithoutMarkersPlaysToItsEnd) {
    const QString file = MakeWmv("plain.wmv", 2);
    ASSERT_FALSE(file.isEmpty());
    Play(file);
    ASSERT_TRUE(RunUntil([&] { return Stopped(); }));
    EXPECT_TRUE(fired.empty());
    EXPECT_TRUE(errors.empty());
    EXPECT_GT(player.Player()->FrameCount(), 5);
}

TEST_F(RealPlayerTest, FilesThatCannotBePlayedAreReported) {
    const QString text = env.File("notes.wmv").ToQString();
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a video\n");
    }
    for (const QString& path : {text, env.File("gone.wmv").ToQString()}) {
        Play(path);
        ASSERT_TRUE(RunUntil([&] { return Stopped(); })) << path.toStdString();
        EXPECT_EQ(errors.size(), 1u) << path.toStdString();
        EXPECT_EQ(states, (std::vector<LONG>{kPlaying, kStopped}));
    }
}

}  // namespace
