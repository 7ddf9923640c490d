#pragma once
// A scripted player engine: the test sets its position and makes it end, fail or show a frame on
// cue. Installed for the lifetime of a FakePlayer; every player control made meanwhile uses it.

#include <QFile>
#include <string>
#include <vector>

#include "platform/media/player_engine.h"
#include "platform/mediafile/asf_script.h"

namespace testing_support {

class FakePlayer {
public:
    FakePlayer() {
        media::SetPlayerEngineFactory([this] { return std::make_unique<Engine>(*this); });
    }
    ~FakePlayer() { media::SetPlayerEngineFactory({}); }
    FakePlayer(const FakePlayer&) = delete;
    FakePlayer& operator=(const FakePlayer&) = delete;

    // Moves the position and reports it, as the media's clock does.
    void MoveTo(qint64 ms) {
        position = ms;
        if (events.position) events.position(ms);
    }
    void End() {
        if (events.ended) events.ended();
    }
    void Fail(const QString& text) {
        if (events.failed) events.failed(text);
    }
    void ShowFrame(const QImage& frame) {
        if (events.frame) events.frame(frame);
    }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;
    QString opened;
    qint64 position = 0;
    float volume = -1;
    media::IPlayerEngine::Events events;

private:
    class Engine : public media::IPlayerEngine {
    public:
        explicit Engine(FakePlayer& p) : m_p(p) {}
        ~Engine() override { m_p.events = {}; }
        void SetEvents(Events e) override { m_p.events = std::move(e); }
        void SetVolume(float v) override { m_p.volume = v; }
        void Open(const QString& path) override {
            m_p.opened = path;
            m_p.position = 0;
            m_p.calls.push_back("open " + path.section('/', -1).toStdString());
        }
        void Play() override { m_p.calls.push_back("play"); }
        void Pause() override { m_p.calls.push_back("pause"); }
        void Stop() override {
            m_p.position = 0;
            m_p.calls.push_back("stop");
        }
        qint64 Position() const override { return m_p.position; }

    private:
        FakePlayer& m_p;
    };
};

// Writes a small file with an ASF header that holds `markers` (no playable data: the fake plays
// it). False when it cannot be written.
inline bool WriteMarkedAsf(const QString& path,
                           const std::vector<media::AsfScriptCommand>& markers) {
    const auto put = [](QByteArray& out, const char* guid) { out.append(guid, 16); };
    const auto putInt = [](QByteArray& out, uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char(uint8_t(v >> (8 * i))));
    };
    const char header[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
    const char fileProps[] = "\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65";
    const char data[] = "\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
    QByteArray props;
    put(props, fileProps);
    putInt(props, 104, 8);
    props.append(104 - 24, '\0');
    QByteArray body;
    put(body, data);
    putInt(body, 74, 8);
    body.append(50, '\0');
    QByteArray file;
    put(file, header);
    putInt(file, 30 + props.size(), 8);
    putInt(file, 1, 4);
    file.append('\x01').append('\x02');
    file += props + body;
    const uint64_t size = uint64_t(file.size());
    for (int i = 0; i < 8; ++i)
        file[30 + 40 + i] = char(uint8_t(size >> (8 * i)));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size()) return false;
    f.close();
    return markers.empty() || media::WriteAsfScriptCommands(path, markers);
}

}  // namespace testing_support
