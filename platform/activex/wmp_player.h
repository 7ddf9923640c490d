#pragma once
// The media player control (class "{6BF52A52-394A-11D3-B153-00C04F79FAA6}") and its wrapper
// CWMPPlayer4.
//
// Player members: 1 URL (string; a put opens the file, reads its script commands and, with
// automatic start, plays), 10 playState (1 stopped, 2 paused, 3 playing; 0 before any media),
// 4 controls (the controls object: methods 51 play, 52 stop, 53 pause).
// Events: 5101 PlayStateChange (state), 5301 ScriptCommand (type, parameter), 9080 MediaError
// (a text; the control shows no box of its own).
//
// A change the program asks for (URL, play, pause, stop) raises PlayStateChange before the call
// returns. The media's end and its failures come through the message loop: at the end the script
// commands not yet raised come first, then the stopped state; a failure raises MediaError (once
// for a file), then the stopped state. Buffering keeps the last state. Script commands are raised
// as the position reaches their times (watched on every position report and every 50 ms while
// playing); stop and a new URL rewind them, pause keeps the place.
//
// A template entry's text gives the design-time state as "key=value" pairs separated by ';':
// uiMode, stretchToFit, autoStart, volume (0 to 100), enableErrorDialogs, URL.

#include <QImage>
#include <memory>

#include "platform/activex/control_base.h"
#include "platform/media/player_engine.h"
#include "platform/mediafile/script_schedule.h"

namespace platform::player {

constexpr DISPID kUrl = 1, kControls = 4, kPlayState = 10;
constexpr DISPID kPlay = 51, kStop = 52, kPause = 53;
constexpr DISPID kPlayStateChange = 5101, kScriptCommand = 5301, kMediaError = 9080;
enum PlayState : LONG { kUndefined = 0, kStopped = 1, kPaused = 2, kPlaying = 3 };

struct PlayerSettings {
    CString uiMode = "full";
    bool stretchToFit = false;
    bool autoStart = true;
    LONG volume = 50;
    bool enableErrorDialogs = true;
    CString url;
};

class PlayerModel : public DispatchTarget, public std::enable_shared_from_this<PlayerModel> {
public:
    static constexpr std::uint32_t kPlayerId = 1, kControlsId = 2;
    HRESULT InvokeObject(std::uint32_t objectId, DISPID id, WORD kind,
                         std::span<const VARIANT> args, VARIANT* result) override;
    // The control's side of the members; cleared when it is destroyed.
    std::function<void(const CString& url)> onUrl;
    std::function<void(DISPID method)> onControl;
    PlayerSettings settings;
    LONG state = kUndefined;
};

}  // namespace platform::player

class CWMPControl : public CActiveXControl {
public:
    static constexpr const char* kClassName = "{6BF52A52-394A-11D3-B153-00C04F79FAA6}";
    static constexpr UINT_PTR kWatchTimer = 1;
    static constexpr UINT kWatchPeriod = 50;

    CWMPControl();
    ~CWMPControl() override;
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    DispatchHandle GetDispatch() const override;
    CString Dump() const override;

    const platform::player::PlayerSettings* Settings() const {
        return m_model ? &m_model->settings : nullptr;
    }
    LONG PlayState() const { return m_model ? m_model->state : 0; }
    const media::ScriptCommandSchedule& Schedule() const { return m_schedule; }
    media::IPlayerEngine* Engine() const { return m_engine.get(); }
    // What the window shows: the latest frame, and how many frames have come.
    const QImage& Frame() const { return m_frame; }
    int FrameCount() const { return m_frameCount; }

    void OnTimer(UINT_PTR id) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;

private:
    void SetUrl(const CString& url);
    void Control(DISPID method);
    // Changes the state and raises it; false when the window is gone afterwards.
    bool ChangeState(LONG state);
    void Watch(qint64 positionMs);
    void OnEnded(unsigned generation);
    void OnFailed(unsigned generation, const QString& text);
    void StartWatch();
    void StopWatch();

    std::shared_ptr<platform::player::PlayerModel> m_model;
    std::unique_ptr<media::IPlayerEngine> m_engine;
    media::ScriptCommandSchedule m_schedule;
    unsigned m_generation = 0;
    unsigned m_failedGeneration = 0;
    bool m_watching = false;
    bool m_raising = false;
    QImage m_frame;
    int m_frameCount = 0;
};

// The controls object as the program calls it.
class CWMPControls : public CDispatchDriver {
public:
    CWMPControls() = default;
    explicit CWMPControls(const CDispatchDriver& d) : CDispatchDriver(d) {}
    void play() const { InvokeMethod(platform::player::kPlay); }
    void stop() const { InvokeMethod(platform::player::kStop); }
    void pause() const { InvokeMethod(platform::player::kPause); }
};

class CWMPPlayer4 : public CActiveXWrapper {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    CString get_URL() const { return GetDriver().GetString(platform::player::kUrl); }
    void put_URL(const CString& url) const { GetDriver().SetString(platform::player::kUrl, url); }
    LONG get_playState() const { return GetDriver().GetLong(platform::player::kPlayState); }
    CWMPControls get_controls() const {
        return CWMPControls(GetDriver().GetObject(platform::player::kControls));
    }
    CWMPControl* Player() const { return dynamic_cast<CWMPControl*>(GetControl()); }
};
