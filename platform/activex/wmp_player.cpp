#include "platform/activex/wmp_player.h"

#include <QPainter>
#include <QWidget>

#include "platform/base/log.h"
#include "platform/msg/message_loop.h"
#include "platform/win/widget_bridge.h"

namespace platform::player {

HRESULT PlayerModel::InvokeObject(std::uint32_t objectId, DISPID id, WORD kind,
                                  std::span<const VARIANT> args, VARIANT* result) {
    if (objectId == kControlsId) {
        if (kind != DISPATCH_METHOD || (id != kPlay && id != kStop && id != kPause))
            return DISP_E_MEMBERNOTFOUND;
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        if (onControl) onControl(id);
        return S_OK;
    }
    if (objectId != kPlayerId) return DISP_E_MEMBERNOTFOUND;
    const bool get = kind == DISPATCH_PROPERTYGET, put = kind == DISPATCH_PROPERTYPUT;
    switch (id) {
        case kUrl:
            if (get) {
                if (result) *result = VarStr(settings.url);
                return S_OK;
            }
            if (put) {
                if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
                CString url;
                if (const HRESULT hr = coerce::String(args[0], url); FAILED(hr)) return hr;
                settings.url = url;
                if (onUrl) onUrl(url);
                return S_OK;
            }
            break;
        case kPlayState:
            if (get) {
                if (result) *result = VarI4(state);
                return S_OK;
            }
            break;
        case kControls:
            if (get) {
                if (result) *result = VarObject(DispatchHandle(weak_from_this(), kControlsId));
                return S_OK;
            }
            break;
        default:
            break;
    }
    return DISP_E_MEMBERNOTFOUND;
}

namespace {

// "key=value;key=value" from a template entry.
void ReadSettings(const CString& text, PlayerSettings& s) {
    for (const QString& item : text.ToQString().split(';', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf('=');
        if (eq < 0) continue;
        const QString key = item.left(eq).trimmed(), value = item.mid(eq + 1).trimmed();
        const bool on = value == "1" || value.compare("true", Qt::CaseInsensitive) == 0;
        if (key == "uiMode")
            s.uiMode = CString(value);
        else if (key == "stretchToFit")
            s.stretchToFit = on;
        else if (key == "autoStart")
            s.autoStart = on;
        else if (key == "volume")
            s.volume = std::clamp(value.toInt(), 0, 100);
        else if (key == "enableErrorDialogs")
            s.enableErrorDialogs = on;
        else if (key == "URL")
            s.url = CString(value);
    }
}

class PlayerWidget : public QWidget {
public:
    explicit PlayerWidget(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        auto* c = dynamic_cast<CWMPControl*>(CWnd::FromHandlePermanent(HandleOfWidget(this)));
        if (!c || c->Frame().isNull()) return;
        const QImage& f = c->Frame();
        QRect at = rect();
        if (!c->Settings() || !c->Settings()->stretchToFit) {
            QSize s = f.size();
            s.scale(rect().size(), Qt::KeepAspectRatio);
            at = QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
        }
        p.drawImage(at, f);
    }
};

}  // namespace
}  // namespace platform::player

using namespace platform::player;

CWMPControl::CWMPControl() = default;
CWMPControl::~CWMPControl() {
    if (m_hWnd) DestroyWindow();
}

BOOL CWMPControl::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CWnd::Create(kClassName, "", style, rect, parent, id);
}

QWidget* CWMPControl::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    return new PlayerWidget(parentWidget);
}

int CWMPControl::OnCreate(LPCREATESTRUCT cs) {
    m_model = std::make_shared<PlayerModel>();
    ReadSettings(cs->lpszName, m_model->settings);
    const platform::WindowWatch self(*this);
    m_model->onUrl = [self](const CString& url) {
        if (auto* c = dynamic_cast<CWMPControl*>(self.Window())) c->SetUrl(url);
    };
    m_model->onControl = [self](DISPID method) {
        if (auto* c = dynamic_cast<CWMPControl*>(self.Window())) c->Control(method);
    };
    m_engine = media::MakePlayerEngine();
    media::IPlayerEngine::Events events;
    events.position = [self](qint64 ms) {
        if (auto* c = dynamic_cast<CWMPControl*>(self.Window())) c->Watch(ms);
    };
    // The end and failures run after whatever handler is running, as window messages would.
    events.ended = [self, this] {
        const unsigned generation = m_generation;
        platform::MessageLoop::Current().Post([self, generation] {
            if (auto* c = dynamic_cast<CWMPControl*>(self.Window())) c->OnEnded(generation);
        });
    };
    events.failed = [self, this](const QString& text) {
        const unsigned generation = m_generation;
        platform::MessageLoop::Current().Post([self, generation, text] {
            if (auto* c = dynamic_cast<CWMPControl*>(self.Window())) c->OnFailed(generation, text);
        });
    };
    events.frame = [self](const QImage& frame) {
        auto* c = dynamic_cast<CWMPControl*>(self.Window());
        if (!c) return;
        c->m_frame = frame;
        ++c->m_frameCount;
        c->Invalidate(FALSE);
    };
    m_engine->SetEvents(std::move(events));
    m_engine->SetVolume(static_cast<float>(m_model->settings.volume) / 100.0f);
    if (!m_model->settings.url.IsEmpty()) SetUrl(m_model->settings.url);
    return 0;
}

void CWMPControl::OnDestroy() {
    StopWatch();
    if (m_engine) m_engine->SetEvents({});
    m_engine.reset();
    if (m_model) m_model->onUrl = nullptr, m_model->onControl = nullptr;
    m_model.reset();
}

DispatchHandle CWMPControl::GetDispatch() const {
    return m_model ? DispatchHandle(m_model, PlayerModel::kPlayerId) : DispatchHandle();
}

CString CWMPControl::Dump() const {
    if (!m_model) return CString();
    const PlayerSettings& s = m_model->settings;
    return CString::Formatted(
        "player uiMode=\"%s\" stretchToFit=%d autoStart=%d volume=%d enableErrorDialogs=%d "
        "URL=\"%s\" playState=%d\n",
        s.uiMode, s.stretchToFit, s.autoStart, static_cast<int>(s.volume), s.enableErrorDialogs,
        s.url, static_cast<int>(m_model->state));
}

bool CWMPControl::ChangeState(LONG state) {
    if (!m_model || m_model->state == state) return true;
    m_model->state = state;
    if (state == kPlaying)
        StartWatch();
    else
        StopWatch();
    const platform::WindowWatch self(*this);
    std::vector<VARIANT> args{VarI4(state)};
    return Raise(self, kPlayStateChange, args);
}

void CWMPControl::SetUrl(const CString& url) {
    // A new file: its commands from the start, the old media's late news ignored.
    ++m_generation;
    StopWatch();
    m_frame = QImage();
    Invalidate(FALSE);
    std::vector<media::AsfScriptCommand> commands;
    QString error;
    if (!url.IsEmpty() && !media::ReadAsfScriptCommandsFromFile(url.ToQString(), commands, &error))
        qCInfo(lcMedia, "no script commands in %s: %s", url.GetString(), qPrintable(error));
    m_schedule.Load(std::move(commands));
    m_engine->Open(url.ToQString());
    if (url.IsEmpty()) {
        m_model->state = kUndefined;
        return;
    }
    if (m_model->settings.autoStart) Control(kPlay);
}

void CWMPControl::Control(DISPID method) {
    if (!m_model || !m_engine || m_model->settings.url.IsEmpty()) return;
    const LONG state = m_model->state;
    if (method == kPlay && state != kPlaying) {
        m_failedGeneration = 0;
        m_engine->Play();
        ChangeState(kPlaying);
    } else if (method == kPause && state == kPlaying) {
        m_engine->Pause();
        ChangeState(kPaused);
    } else if (method == kStop && (state == kPlaying || state == kPaused)) {
        m_engine->Stop();
        m_schedule.Rewind();
        ChangeState(kStopped);
    }
}

void CWMPControl::StartWatch() {
    if (m_watching) return;
    m_watching = SetTimer(kWatchTimer, kWatchPeriod, nullptr) != 0;
}

void CWMPControl::StopWatch() {
    if (!m_watching) return;
    KillTimer(kWatchTimer);
    m_watching = false;
}

void CWMPControl::OnTimer(UINT_PTR id) {
    if (id == kWatchTimer && m_engine) Watch(m_engine->Position());
}

void CWMPControl::Watch(qint64 positionMs) {
    // A handler may stop, pause or reload the player: the rest wait for the next watch then.
    if (!m_model || m_model->state != kPlaying || m_raising) return;
    const unsigned generation = m_generation;
    const platform::WindowWatch self(*this);
    m_raising = true;
    for (const media::AsfScriptCommand& c : m_schedule.Due(positionMs)) {
        std::vector<VARIANT> args{VarStr(CString(c.type)), VarStr(CString(c.text))};
        if (!Raise(self, kScriptCommand, args)) return;
        if (m_generation != generation || m_model->state != kPlaying) break;
    }
    m_raising = false;
}

void CWMPControl::OnEnded(unsigned generation) {
    if (generation != m_generation || !m_model || m_model->state != kPlaying) return;
    const platform::WindowWatch self(*this);
    m_raising = true;
    for (const media::AsfScriptCommand& c : m_schedule.Rest()) {
        std::vector<VARIANT> args{VarStr(CString(c.type)), VarStr(CString(c.text))};
        if (!Raise(self, kScriptCommand, args)) return;
        if (m_generation != generation || m_model->state != kPlaying) {
            m_raising = false;
            return;
        }
    }
    m_raising = false;
    m_engine->Stop();
    m_schedule.Rewind();
    ChangeState(kStopped);
}

void CWMPControl::OnFailed(unsigned generation, const QString& text) {
    // A backend reports one failure in several messages: the media fails once.
    if (generation != m_generation || !m_model || m_failedGeneration == generation) return;
    m_failedGeneration = generation;
    const platform::WindowWatch self(*this);
    std::vector<VARIANT> args{VarStr(CString(text))};
    if (!Raise(self, kMediaError, args)) return;
    if (generation != m_generation || m_model->state == kStopped) return;
    m_engine->Stop();
    m_schedule.Rewind();
    ChangeState(kStopped);
}

BOOL CWMPPlayer4::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CreateControl(std::make_unique<CWMPControl>(), CWMPControl::kClassName, rect, parent, id,
                         style);
}
