#pragma once
// The engine under the media player control: opens a file, plays, pauses, stops, and tells its
// position, its end, its failures and its frames. The program's engine runs on Qt Multimedia;
// tests put a scripted one in its place.
//
// Notifications may come at any moment on the GUI thread, also from inside a call; the control
// defers the end and failures to the message loop itself.

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

namespace media {

class IPlayerEngine {
public:
    struct Events {
        std::function<void(qint64 ms)> position;
        std::function<void()> ended;
        std::function<void(const QString& text)> failed;
        std::function<void(const QImage& frame)> frame;
    };
    virtual ~IPlayerEngine() = default;
    virtual void SetEvents(Events events) = 0;
    virtual void SetVolume(float volume) = 0;  // 0 to 1
    // An empty path closes the media.
    virtual void Open(const QString& path) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    // Stops and goes back to the start.
    virtual void Stop() = 0;
    virtual qint64 Position() const = 0;
};

using PlayerEngineFactory = std::function<std::unique_ptr<IPlayerEngine>()>;
// An empty factory gives the Qt Multimedia engine back.
void SetPlayerEngineFactory(PlayerEngineFactory factory);
std::unique_ptr<IPlayerEngine> MakePlayerEngine();

// Qt Multimedia's FFmpeg backend crashes with an audio output and no sound device: the program
// plays on its GStreamer backend unless QT_MEDIA_BACKEND says otherwise. Called before the first
// player is made.
void SelectPlayerBackend();

// The GStreamer elements playback needs, each with the package that brings it.
struct PlaybackElement {
    const char* name;
    const char* package;
};
// The names of those missing, with their packages ("asfdemux (gstreamer1.0-plugins-ugly)").
QStringList MissingPlaybackElements();

}  // namespace media
