// The player engine on Qt Multimedia: a QMediaPlayer with an audio output and a video sink whose
// frames the control paints itself (stretched to its window), offscreen as on a screen.

#include <gst/gst.h>

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include "platform/base/log.h"
#include "platform/media/player_engine.h"

namespace media {

namespace {

class QtPlayerEngine : public QObject, public IPlayerEngine {
public:
    QtPlayerEngine() {
        // Without a sound device the audio sink fails and takes the video down with it: the
        // picture plays alone then.
        if (!QMediaDevices::audioOutputs().isEmpty())
            m_player.setAudioOutput(&m_audio);
        else
            qCInfo(lcMedia, "no sound output: videos play without sound");
        m_player.setVideoSink(&m_sink);
        // The sink may report frames from a streaming thread: `this` makes them queued.
        connect(&m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& f) {
            if (m_events.frame && f.isValid()) m_events.frame(f.toImage());
        });
        connect(&m_player, &QMediaPlayer::positionChanged, this, [this](qint64 ms) {
            if (m_events.position) m_events.position(ms);
        });
        connect(&m_player, &QMediaPlayer::mediaStatusChanged, this,
                [this](QMediaPlayer::MediaStatus s) {
                    if (s == QMediaPlayer::EndOfMedia && m_events.ended) m_events.ended();
                });
        connect(&m_player, &QMediaPlayer::errorOccurred, this,
                [this](QMediaPlayer::Error e, const QString& text) {
                    if (e == QMediaPlayer::NoError) return;
                    qCWarning(lcMedia, "%s: %s", qPrintable(m_path), qPrintable(text));
                    if (m_events.failed) m_events.failed(text);
                });
    }
    ~QtPlayerEngine() override {
        m_events = {};
        m_player.stop();
    }
    void SetEvents(Events events) override { m_events = std::move(events); }
    void SetVolume(float volume) override { m_audio.setVolume(volume); }
    void Open(const QString& path) override {
        m_path = path;
        m_player.stop();
        m_player.setSource(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
        // A missing file is reported as the backend would, through the loop.
        if (!path.isEmpty() && !QFileInfo(path).isFile())
            QMetaObject::invokeMethod(
                this,
                [this, path] {
                    if (m_path == path && m_events.failed) m_events.failed("File not found");
                },
                Qt::QueuedConnection);
    }
    void Play() override { m_player.play(); }
    void Pause() override { m_player.pause(); }
    void Stop() override { m_player.stop(); }
    qint64 Position() const override { return m_player.position(); }

private:
    Events m_events;
    QString m_path;
    QMediaPlayer m_player;
    QAudioOutput m_audio;
    QVideoSink m_sink;
};

PlayerEngineFactory& Factory() {
    static PlayerEngineFactory factory;
    return factory;
}

}  // namespace

void SetPlayerEngineFactory(PlayerEngineFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<IPlayerEngine> MakePlayerEngine() {
    if (Factory()) return Factory()();
    SelectPlayerBackend();
    return std::make_unique<QtPlayerEngine>();
}

void SelectPlayerBackend() {
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

QStringList MissingPlaybackElements() {
    static const PlaybackElement elements[] = {
        {"playbin", "gstreamer1.0-plugins-base"},
        {"decodebin", "gstreamer1.0-plugins-base"},
        {"videoconvert", "gstreamer1.0-plugins-base"},
        {"audioconvert", "gstreamer1.0-plugins-base"},
        {"asfdemux", "gstreamer1.0-plugins-ugly"},
        {"avdec_wmv2", "gstreamer1.0-libav"},
        {"avdec_wmav2", "gstreamer1.0-libav"},
    };
    QStringList missing;
    if (!gst_init_check(nullptr, nullptr, nullptr)) return {"gstreamer (libgstreamer1.0-0)"};
    for (const PlaybackElement& e : elements) {
        GstElementFactory* f = gst_element_factory_find(e.name);
        if (f)
            gst_object_unref(f);
        else
            missing << QString("%1 (%2)").arg(e.name, e.package);
    }
    return missing;
}

}  // namespace media
