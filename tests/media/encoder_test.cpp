// The GStreamer encoder with the test sources, at real time: few and short runs.

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QWidget>
#include <atomic>
#include <future>
#include <set>
#include <thread>

#include "platform/media/capture_devices.h"
#include "platform/media/encoder.h"
#include "platform/media/frame_slot.h"
#include "platform/media/media_threads.h"
#include "platform/mediafile/asf_script.h"

using namespace media;

namespace {

class TestSources {
public:
    TestSources() { qputenv("VARNEL_MEDIA_TEST_SOURCES", "1"); }
    ~TestSources() { qunsetenv("VARNEL_MEDIA_TEST_SOURCES"); }
};

QString Profile(const char* name) {
    return QCoreApplication::applicationDirPath() + "/Video Profiles/" + name + ".prx";
}

void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

std::unique_ptr<IMediaEncoder> MakeEncoder(bool video, bool audio, const char* profile) {
    auto e = CreateEncoder(CLSID_WMEncoder, IID_IWMEncoder);
    EXPECT_TRUE(e);
    EXPECT_EQ(e->AddSourceGroup("SGAV"), S_OK);
    if (video) {
        EXPECT_EQ(e->AddSource(kSourceVideo), S_OK);
        EXPECT_EQ(e->SetSourceInput(kSourceVideo, "Device://Default_Video_Device"), S_OK);
    }
    if (audio) {
        EXPECT_EQ(e->AddSource(kSourceAudio), S_OK);
        EXPECT_EQ(e->SetSourceInput(kSourceAudio, "Device://Default_Audio_Device"), S_OK);
    }
    EXPECT_EQ(e->AddSource(kSourceScript), S_OK);
    EXPECT_EQ(e->SetSourceInput(kSourceScript, "UserScript://"), S_OK);
    EXPECT_EQ(e->SetProfile(CString(Profile(profile))), S_OK);
    return e;
}

// The kinds of stream GStreamer decodes from the file ("video", "audio"), sorted.
QStringList DecodedStreams(const QString& path) {
    const QString description = QString("filesrc location=\"%1\" ! decodebin name=d").arg(path);
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), nullptr);
    if (!pipeline) return {"<no pipeline>"};
    struct State {
        GstElement* pipeline;
        QStringList kinds;
    } state{pipeline, {}};
    GstElement* d = gst_bin_get_by_name(GST_BIN(pipeline), "d");
    g_signal_connect(d, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer data) {
                         auto* s = static_cast<State*>(data);
                         GstCaps* caps = gst_pad_get_current_caps(pad);
                         if (!caps) caps = gst_pad_query_caps(pad, nullptr);
                         const QString name =
                             gst_structure_get_name(gst_caps_get_structure(caps, 0));
                         gst_caps_unref(caps);
                         s->kinds << name.section('/', 0, 0);
                         GstElement* sink = gst_element_factory_make("fakesink", nullptr);
                         gst_bin_add(GST_BIN(s->pipeline), sink);
                         gst_element_sync_state_with_parent(sink);
                         GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
                         gst_pad_link(pad, sinkPad);
                         gst_object_unref(sinkPad);
                     }),
                     &state);
    gst_object_unref(d);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* m = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND,
                                               GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (!m || GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR) state.kinds << "<error>";
    if (m) gst_message_unref(m);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    state.kinds.sort();
    return state.kinds;
}

std::set<QString> ThreadsOfProcess() {
    const QStringList ids = QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return {ids.begin(), ids.end()};
}

}  // namespace

TEST(MediaElements, EveryElementUsedIsInstalled) {
    QStringList missing;
    for (const auto& e : MissingMediaElements())
        missing << QString("%1 (package %2)").arg(e.element, e.package);
    EXPECT_TRUE(missing.isEmpty()) << "missing: " << missing.join(", ").toStdString();
}

TEST(MediaDevices, TestCamerasAreListed) {
    TestSources sources;
    std::vector<QString> names;
    EXPECT_EQ(EnumerateVideoDevices(names), 0);
    EXPECT_EQ(names, (std::vector<QString>{"Test Camera 1", "Test Camera 2"}));
}

TEST(MediaEncoder, RecordsTwoSecondsWithMarkers) {
    TestSources sources;
    QTemporaryDir dir;
    const struct {
        int code;
        const char* profile;
        bool video, audio;
    } cases[] = {{32, "AVMediumQuality", true, true},
                 {12, "AudioMediumQuality", false, true},
                 {23, "VideoHighQuality", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        auto e = MakeEncoder(true, true, c.profile);
        if (!c.video) {
            EXPECT_EQ(e->RemoveSource(kSourceVideo, 0), S_OK);
        }
        if (!c.audio) {
            EXPECT_EQ(e->RemoveSource(kSourceAudio, 0), S_OK);
        }
        const QString path = dir.filePath(QString("%1.wmv").arg(c.code));
        ASSERT_EQ(e->Start(), S_OK);
        EXPECT_EQ(e->SetLocalFileName(CString(path)), S_OK);
        EXPECT_FALSE(QFile::exists(path)) << "nothing is written before the archive starts";
        ASSERT_EQ(e->Archive(kArchiveLocal, kArchiveStart), S_OK);
        QElapsedTimer t;
        t.start();
        std::vector<CString> sent;
        for (int i = 1; t.elapsed() < 2000; ++i) {
            const CString text = CString(QString::number(i));
            EXPECT_EQ(e->SendScript(0, "TEXT", text), S_OK);
            sent.push_back(text);
            Spin(100);
        }
        ASSERT_EQ(e->Archive(kArchiveLocal, kArchiveStop), S_OK);
        EXPECT_EQ(e->Archive(kArchiveLocal, kArchiveStop), S_OK) << "a second end is harmless";

        // The header's sizes match the file as soon as the archive has ended.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        uint64_t fileSize = 0;
        for (int i = 0; i < 8; ++i)
            fileSize |= uint64_t(uint8_t(bytes[70 + i])) << (8 * i);
        EXPECT_EQ(fileSize, uint64_t(bytes.size()));

        std::vector<AsfScriptCommand> read;
        QString error;
        ASSERT_TRUE(ReadAsfScriptCommandsFromFile(path, read, &error)) << error.toStdString();
        ASSERT_EQ(read.size(), sent.size());
        for (size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].type, "TEXT");
            EXPECT_EQ(read[i].text, sent[i].ToQString());
            if (i) {
                EXPECT_GE(read[i].timeMs, read[i - 1].timeMs);
            }
            EXPECT_LE(read[i].timeMs, 2600u);
        }
        QStringList expected;
        if (c.audio) expected << "audio";
        if (c.video) expected << "video";
        EXPECT_EQ(DecodedStreams(path), expected);
        // The player the program uses plays it to its end, with pictures, and with sound where
        // it was recorded: a sound stream beside the pictures once pushed them past the file's end.
        if (c.video) {
            QMediaPlayer player;
            QVideoSink sink;
            int frames = 0;
            QObject::connect(&sink, &QVideoSink::videoFrameChanged, [&](const QVideoFrame& f) {
                if (f.isValid()) ++frames;
            });
            player.setVideoSink(&sink);
            player.setSource(QUrl::fromLocalFile(path));
            player.play();
            QElapsedTimer wait;
            wait.start();
            while (player.mediaStatus() != QMediaPlayer::EndOfMedia &&
                   player.error() == QMediaPlayer::NoError && wait.elapsed() < 8000)
                Spin(50);
            EXPECT_EQ(player.mediaStatus(), QMediaPlayer::EndOfMedia)
                << player.errorString().toStdString();
            EXPECT_GT(frames, 5);
            EXPECT_TRUE(player.hasVideo());
            EXPECT_EQ(player.hasAudio(), c.audio);
            EXPECT_NEAR(player.duration(), 2000, 700);
        }
        EXPECT_EQ(e->Stop(), S_OK);
    }
}

TEST(MediaEncoder, PreviewShowsTheBars) {
    TestSources sources;
    auto e = MakeEncoder(true, false, "VideoHighQuality");
    ASSERT_EQ(e->Start(), S_OK);
    QWidget window;
    window.resize(320, 240);
    window.show();
    LONG cookie = -1;
    ASSERT_EQ(e->AddPreview(&cookie), S_OK);
    ASSERT_EQ(e->SetViewProperties(cookie, &window), S_OK);
    ASSERT_EQ(e->StartView(cookie), 1);
    Spin(1000);
    QImage image(window.size(), QImage::Format_RGB32);
    window.render(&image);
    QDir().mkpath(VARNEL_TEST_OUTPUT_DIR);
    image.save(VARNEL_TEST_OUTPUT_DIR "/media-preview-bars.png");
    // The top two thirds hold seven bars: white, yellow, cyan, green, magenta, red, blue.
    const QRgb bars[] = {qRgb(255, 255, 255), qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(0, 255, 0),
                         qRgb(255, 0, 255),   qRgb(255, 0, 0),   qRgb(0, 0, 255)};
    for (int i = 0; i < 7; ++i) {
        const QRgb got = image.pixel(int((i + 0.5) * 320 / 7), 80);
        EXPECT_NEAR(qRed(got), qRed(bars[i]), 40) << "bar " << i;
        EXPECT_NEAR(qGreen(got), qGreen(bars[i]), 40) << "bar " << i;
        EXPECT_NEAR(qBlue(got), qBlue(bars[i]), 40) << "bar " << i;
    }
    EXPECT_EQ(e->StopView(cookie), S_OK);
    EXPECT_EQ(e->Stop(), S_OK);
}

TEST(MediaEncoder, StartFailsWithoutSourceOrProfile) {
    TestSources sources;
    auto noProfile = MakeEncoder(true, true, "NoSuchProfile");
    EXPECT_EQ(noProfile->Start(), NS_E_DEVICE_NOT_READY);
    auto e = MakeEncoder(true, true, "AVMediumQuality");
    EXPECT_EQ(e->SetSourceInput(kSourceVideo, "Device://No Such Camera"), E_INVALIDARG);
    qunsetenv("VARNEL_MEDIA_TEST_SOURCES");
    std::vector<QString> names;
    if (EnumerateVideoDevices(names) == 1) {
        EXPECT_EQ(e->Start(), NS_E_DEVICE_NOT_READY) << "no camera here";
    }
}

// Frames pushed from another thread while the GUI thread draws: the latest wins, and at most one
// notice waits at a time.
TEST(FrameSlot, HandsOverTheLatestFrameWithoutPilingUpNotices) {
    FrameSlot slot;
    struct Target : QObject {
        FrameSlot* slot;
        int drawn = 0;
        QImage last;
        bool event(QEvent* e) override {
            if (!slot->IsNotice(e)) return QObject::event(e);
            last = slot->Latest();
            ++drawn;
            return true;
        }
    } target;
    target.slot = &slot;
    slot.Attach(&target);
    constexpr int kFrames = 2000;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int i = 1; i <= kFrames; ++i) {
            QImage frame(4, 4, QImage::Format_RGB32);
            frame.fill(qRgb(i % 256, i / 256, 0));
            slot.Push(std::move(frame));
        }
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents();
    producer.join();
    QCoreApplication::processEvents();
    EXPECT_GE(target.drawn, 1);
    EXPECT_EQ(target.drawn, slot.Notices()) << "every notice drawn once, none left queued";
    EXPECT_LE(slot.Notices(), kFrames);
    EXPECT_EQ(slot.Latest().pixel(0, 0), qRgb(kFrames % 256, kFrames / 256, 0));
    slot.Detach();
    slot.Push(QImage(4, 4, QImage::Format_RGB32));
    const int notices = slot.Notices();
    QCoreApplication::processEvents();
    EXPECT_EQ(slot.Notices(), notices) << "no notice after Detach";
}

// The window the preview draws in goes while frames arrive: the encoder goes on, and stops cleanly.
TEST(MediaEncoder, AWindowDestroyedWhileFramesArrive) {
    TestSources sources;
    auto e = MakeEncoder(true, false, "VideoLowQuality");
    ASSERT_EQ(e->Start(), S_OK);
    auto window = std::make_unique<QWidget>();
    window->resize(160, 120);
    LONG cookie = -1;
    ASSERT_EQ(e->AddPreview(&cookie), S_OK);
    ASSERT_EQ(e->SetViewProperties(cookie, window.get()), S_OK);
    ASSERT_EQ(e->StartView(cookie), 1);
    Spin(300);
    window.reset();
    Spin(300);
    EXPECT_EQ(e->GetViewWindow(cookie), nullptr);
    EXPECT_EQ(e->StartView(cookie), 0) << "no window to show in";
    EXPECT_EQ(e->Stop(), S_OK);
}

// A stopped pipeline's streaming threads linger in a shared pool; the leak check at exit must not
// meet them still ending.
TEST(MediaThreads, EndOnceNoPipelineRunsAndNotWhileOneDoes) {
    TestSources sources;
    const auto record = [] {
        auto e = MakeEncoder(true, true, "AVMediumQuality");
        ASSERT_EQ(e->Start(), S_OK);
        Spin(300);
        EXPECT_EQ(e->Stop(), S_OK);
    };
    // The first pipeline also starts the framework's lasting threads (its clock, its contexts).
    record();
    ASSERT_TRUE(EndMediaThreads());
    const std::set<QString> before = ThreadsOfProcess();
    record();
    ASSERT_TRUE(EndMediaThreads());
    QStringList left;
    for (const QString& id : ThreadsOfProcess()) {
        QFile name("/proc/self/task/" + id + "/comm");
        if (!before.count(id) && name.open(QIODevice::ReadOnly))
            left << QString(name.readAll()).trimmed();
    }
    EXPECT_TRUE(left.isEmpty()) << "threads of the stopped pipeline still there: "
                                << left.join(", ").toStdString();

    // Other libraries' lasting threads are no media threads, whatever their names (the GL
    // driver's "program:disk$0" under a real X server): the end is not held up by them.
    std::promise<void> release;
    std::thread lasting([done = release.get_future()]() mutable {
        pthread_setname_np(pthread_self(), "test:disk$0");
        done.wait();
    });
    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(EndMediaThreads());
    EXPECT_LT(took.elapsed(), 1000);
    release.set_value();
    lasting.join();

    auto running = MakeEncoder(true, false, "VideoLowQuality");
    ASSERT_EQ(running->Start(), S_OK);
    EXPECT_FALSE(EndMediaThreads(300))
        << "a running pipeline keeps its threads, and is not waited for";
    EXPECT_EQ(running->Stop(), S_OK);
    EXPECT_TRUE(EndMediaThreads());
}
