#include "platform/activex/instruments.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <cmath>

#include "platform/base/number_format.h"
#include "platform/msg/keys.h"
#include "platform/msg/message_pos.h"
#include "platform/win/widget_bridge.h"

namespace co = platform::coerce;

namespace platform::instruments {
namespace {

QColor Colour(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

template <class Get, class Set>
HRESULT Property(WORD kind, std::span<const VARIANT> args, VARIANT* result, Get get, Set set) {
    if (kind == DISPATCH_PROPERTYGET) {
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        if (result) *result = get();
        return S_OK;
    }
    if (kind == DISPATCH_PROPERTYPUT) {
        if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
        return set(args[0]);
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ColourProp(WORD kind, std::span<const VARIANT> args, VARIANT* result, COLORREF& field) {
    return Property(
        kind, args, result, [&] { return VarI4(static_cast<LONG>(field)); },
        [&](const VARIANT& v) {
            COLORREF c;
            const HRESULT hr = co::Color(v, c);
            if (SUCCEEDED(hr)) field = c;
            return hr;
        });
}

HRESULT StringProp(WORD kind, std::span<const VARIANT> args, VARIANT* result, CString& field) {
    return Property(
        kind, args, result, [&] { return VarStr(field); },
        [&](const VARIANT& v) {
            CString s;
            const HRESULT hr = co::String(v, s);
            if (SUCCEEDED(hr)) field = s;
            return hr;
        });
}

HRESULT BoolProp(WORD kind, std::span<const VARIANT> args, VARIANT* result, bool& field) {
    return Property(
        kind, args, result, [&] { return VarBool(field); },
        [&](const VARIANT& v) {
            bool b;
            const HRESULT hr = co::Bool(v, b);
            if (SUCCEEDED(hr)) field = b;
            return hr;
        });
}

HRESULT ObjectGet(WORD kind, std::span<const VARIANT> args, VARIANT* result, DispatchHandle h) {
    if (kind != DISPATCH_PROPERTYGET) return DISP_E_MEMBERNOTFOUND;
    if (!args.empty()) return DISP_E_BADPARAMCOUNT;
    if (result) *result = VarObject(h);
    return S_OK;
}

// Black or white, whichever stands out more on `face`.
QColor TextOn(const QColor& face) {
    const double luminance = 0.299 * face.red() + 0.587 * face.green() + 0.114 * face.blue();
    return luminance > 140 ? Qt::black : Qt::white;
}

QColor Greyed(const QColor& c) {
    const int g = (c.red() + c.green() + c.blue()) / 3;
    return QColor((g + 2 * 0xD8) / 3, (g + 2 * 0xD8) / 3, (g + 2 * 0xD8) / 3);
}

QFont InstrumentFont() {
    QFont f("DejaVu Sans");
    f.setPixelSize(11);
    return f;
}

// The scale of a knob or slide: values from min to max at least `spacing` pixels apart.
std::vector<double> ScaleValues(const GaugeState& s, double pixels, double spacing, int& decimals) {
    const graph::TickSet t =
        graph::ChooseTicks(graph::NumberFormat(), s.min, s.max, pixels, spacing, 0, false);
    decimals = t.decimals;
    return t.major;
}

CString ScaleLabel(double v, int decimals) {
    return graph::NumberFormat().Label(v, decimals);
}

constexpr double kLabelGap = 4;  // between a knob's rim and its scale labels

double WidestScaleLabel(const GaugeState& s, double pixels, double spacing,
                        const QFontMetricsF& fm) {
    int decimals = 0;
    double w = 0;
    for (double v : ScaleValues(s, pixels, spacing, decimals))
        w = std::max(w, fm.horizontalAdvance(ScaleLabel(v, decimals).ToQString()));
    return w;
}

}  // namespace

// ---- button model ----

bool ButtonModel::LoadPicture(const CString& path) {
    auto image = std::make_shared<QImage>();
    if (path.IsEmpty() || !image->load(path.ToQString())) return false;
    state.picture = std::move(image);
    return true;
}

HRESULT ButtonModel::InvokeObject(std::uint32_t objectId, DISPID id, WORD kind,
                                  std::span<const VARIANT> args, VARIANT* result) {
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    if (objectId == kButtonId) {
        switch (id) {
            case 2:
                hr = BoolProp(kind, args, result, state.value);
                break;
            case 5:
                hr = ColourProp(kind, args, result, state.onColor);
                break;
            case DISPID_BACKCOLOR:
                hr = ColourProp(kind, args, result, state.backColor);
                break;
            case 3:
                hr = StringProp(kind, args, result, state.text);
                break;
            case 11:
                hr = ObjectGet(kind, args, result, DispatchHandle(weak_from_this(), kImageId));
                break;
            case 9060:
                hr = Property(
                    kind, args, result, [&] { return VarI4(state.mode); },
                    [&](const VARIANT& v) {
                        LONG m;
                        if (const HRESULT e = co::I4(v, m); FAILED(e)) return e;
                        if (m < 0 || m > 3) return E_INVALIDARG;
                        state.mode = m;
                        return S_OK;
                    });
                break;
            default:
                break;
        }
    } else if (objectId == kImageId) {
        if (id == 256)
            hr = ObjectGet(kind, args, result, DispatchHandle(weak_from_this(), kPictureId));
    } else if (objectId == kPictureId) {
        switch (id) {
            case 1:
                hr = StringProp(kind, args, result, state.picturePath);
                break;
            case 4:
                hr = BoolProp(kind, args, result, state.stretch);
                break;
            case 8:
                if (kind != DISPATCH_METHOD)
                    hr = DISP_E_MEMBERNOTFOUND;
                else if (!args.empty())
                    hr = DISP_E_BADPARAMCOUNT;
                else
                    hr = LoadPicture(state.picturePath) ? S_OK : E_INVALIDARG;
                break;
            default:
                break;
        }
    } else {
        return RPC_E_DISCONNECTED;
    }
    if (SUCCEEDED(hr) && kind != DISPATCH_PROPERTYGET && onChange) onChange();
    return hr;
}

// ---- gauge model ----

HRESULT GaugeModel::InvokeObject(std::uint32_t objectId, DISPID id, WORD kind,
                                 std::span<const VARIANT> args, VARIANT* result) {
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    if (objectId == kGaugeId) {
        switch (id) {
            case 257:
                hr = Property(
                    kind, args, result, [&] { return VarR8(state.value); },
                    [&](const VARIANT& v) {
                        double d;
                        if (const HRESULT e = co::FiniteR8(v, d); FAILED(e)) return e;
                        state.value = std::clamp(d, state.min, state.max);
                        state.valueSet = true;
                        return S_OK;
                    });
                break;
            case 258:
                hr = ObjectGet(kind, args, result, DispatchHandle(weak_from_this(), kAxisId));
                break;
            case DISPID_CAPTION:
                hr = StringProp(kind, args, result, state.caption);
                break;
            default:
                break;
        }
    } else if (objectId == kAxisId) {
        switch (id) {
            case 14:
                if (kind != DISPATCH_METHOD) {
                    hr = DISP_E_MEMBERNOTFOUND;
                } else if (args.size() != 2) {
                    hr = DISP_E_BADPARAMCOUNT;
                } else {
                    double lo, hi;
                    if (FAILED(hr = co::R8(args[0], lo)) || FAILED(hr = co::R8(args[1], hi))) break;
                    if (!std::isfinite(lo) || !std::isfinite(hi) || !(lo < hi)) {
                        hr = E_INVALIDARG;
                        break;
                    }
                    state.min = lo, state.max = hi;
                    state.value = std::clamp(state.value, lo, hi);
                    hr = S_OK;
                }
                break;
            case 9:
                hr = BoolProp(kind, args, result, state.scaleShown);
                break;
            case 11:
                hr = StringProp(kind, args, result, state.unit);
                break;
            case DISPID_CAPTION:
                hr = StringProp(kind, args, result, state.caption);
                break;
            default:
                break;
        }
    } else {
        return RPC_E_DISCONNECTED;
    }
    if (SUCCEEDED(hr) && kind != DISPATCH_PROPERTYGET && onChange) onChange();
    return hr;
}

// ---- painting ----

void PaintButton(QPainter& p, const QRectF& r, const ButtonState& s, bool enabled, bool pressed) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QColor face = Colour(s.backColor);
    if (s.mode == 1) face = s.value ? Colour(s.onColor) : QColor(0xA0, 0xA0, 0xA0);
    if (!enabled) face = Greyed(face);
    const QRectF box = r.adjusted(0, 0, -1, -1);
    p.fillRect(r, face);
    if (s.mode == 3 && s.picture && !s.picture->isNull()) {
        QRectF place = box.adjusted(2, 2, -2, -2);
        if (!s.stretch) {
            const QSizeF size = QSizeF(s.picture->size()).scaled(place.size(), Qt::KeepAspectRatio);
            place = QRectF(place.center() - QPointF(size.width() / 2, size.height() / 2), size);
        }
        if (!enabled) {
            QImage grey = s.picture->convertToFormat(QImage::Format_Grayscale8);
            p.drawImage(place, grey);
        } else {
            p.drawImage(place, *s.picture);
        }
    }
    // A raised or sunken edge, as a button shows it; a disabled one lies flat and grey, as the
    // greyed controls beside it do.
    const bool sunk = pressed || (s.mode == 1 && s.value);
    const QColor light(0xFF, 0xFF, 0xFF), dark(0x60, 0x60, 0x60), grey(0xB0, 0xB0, 0xB0);
    p.setPen(!enabled ? grey : sunk ? dark : light);
    p.drawLine(box.topLeft(), box.topRight());
    p.drawLine(box.topLeft(), box.bottomLeft());
    p.setPen(!enabled ? grey : sunk ? light : dark);
    p.drawLine(box.bottomLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomRight());
    if (!s.text.IsEmpty()) {
        p.setFont(InstrumentFont());
        p.setPen(enabled ? TextOn(face) : QColor(0xA0, 0xA0, 0xA0));
        p.drawText(box.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap,
                   s.text.ToQString());
    }
    p.restore();
}

void PaintKnob(QPainter& p, const QRectF& r, const GaugeState& s, bool enabled) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setFont(InstrumentFont());
    const QFontMetricsF fm(p.font());
    const QColor ink = enabled ? Qt::black : QColor(0x90, 0x90, 0x90);
    const double captionH = s.caption.IsEmpty() ? 0 : fm.height() + 2;
    const QRectF dialArea = r.adjusted(0, 0, 0, -captionH);
    const double side = std::min(dialArea.width(), dialArea.height());
    const QPointF c = dialArea.center();
    double radius = std::max(4.0, side / 2 - (s.scaleShown ? fm.height() + 6 : 4));
    int decimals = 0;
    if (s.scaleShown) {
        // Room beside the dial for the widest label, which the sides of the dial can hold.
        const double widest = WidestScaleLabel(s, radius * 1.5 * M_PI, 30, fm);
        radius = std::max(4.0, std::min(radius, dialArea.width() / 2 - widest - kLabelGap - 1));
    }
    // A 270-degree dial: the minimum at the lower left, the maximum at the lower right.
    auto angle = [&](double f) { return (225.0 - 270.0 * f) * M_PI / 180.0; };
    auto at = [&](double f, double rad) {
        return c + QPointF(std::cos(angle(f)), -std::sin(angle(f))) * rad;
    };
    p.setPen(QPen(ink, 2));
    p.setBrush(enabled ? QColor(0xFA, 0xFA, 0xFA) : QColor(0xE8, 0xE8, 0xE8));
    p.drawEllipse(c, radius, radius);
    p.setBrush(Qt::NoBrush);
    const std::vector<double> ticks = ScaleValues(s, radius * 1.5 * M_PI, 30, decimals);
    p.setPen(QPen(ink, 1));
    for (double v : ticks) {
        const double f = (v - s.min) / (s.max - s.min);
        p.drawLine(at(f, radius - 6), at(f, radius));
        if (s.scaleShown) {
            const QString text = ScaleLabel(v, decimals).ToQString();
            const double w = fm.horizontalAdvance(text), h = fm.height();
            // Out along the tick by the box's half extent that way, so its nearest point keeps
            // the gap from the rim whatever the label's width.
            const double extent =
                std::abs(std::cos(angle(f))) * w / 2 + std::abs(std::sin(angle(f))) * h / 2;
            const QPointF q = at(f, radius + kLabelGap + extent);
            p.drawText(QRectF(q.x() - w / 2, q.y() - h / 2, w, h), Qt::AlignCenter, text);
        }
    }
    if (s.scaleShown && !s.unit.IsEmpty())
        p.drawText(QRectF(c.x() - radius, c.y() + radius * 0.3, 2 * radius, fm.height()),
                   Qt::AlignCenter, s.unit.ToQString());
    if (s.valueSet) {
        const double f = std::clamp(s.Fraction(), 0.0, 1.0);
        p.setPen(QPen(enabled ? QColor(0xD0, 0, 0) : ink, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, at(f, radius - 8));
    }
    p.setBrush(ink);
    p.drawEllipse(c, 3, 3);
    if (captionH > 0) {
        p.setPen(ink);
        p.drawText(QRectF(r.left(), r.bottom() - captionH, r.width(), captionH), Qt::AlignCenter,
                   fm.elidedText(s.caption.ToQString(), Qt::ElideRight, r.width()));
    }
    p.restore();
}

void PaintSlide(QPainter& p, const QRectF& r, const GaugeState& s, bool enabled) {
    p.save();
    p.setFont(InstrumentFont());
    const QFontMetricsF fm(p.font());
    const QColor ink = enabled ? Qt::black : QColor(0x90, 0x90, 0x90);
    const double captionH = s.caption.IsEmpty() ? 0 : fm.height() + 2;
    const double unitH = s.unit.IsEmpty() || !s.scaleShown ? 0 : fm.height() + 2;
    const double top = r.top() + captionH + fm.height() / 2 + 2;
    const double bottom = r.bottom() - unitH - fm.height() / 2 - 2;
    const double barW = std::max(6.0, r.width() * 0.25);
    double barL = r.left() + r.width() * 0.5 - barW;
    if (s.scaleShown) {
        // The bar moves left where the labels right of their ticks would be cut.
        const double widest = WidestScaleLabel(s, std::max(1.0, bottom - top), 25, fm);
        barL = std::max(r.left() + 1, std::min(barL, r.right() - 7 - widest - barW));
    }
    const QRectF bar(barL, top, barW, std::max(1.0, bottom - top));
    p.fillRect(bar, enabled ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xE8, 0xE8, 0xE8));
    if (s.valueSet) {
        const double f = std::clamp(s.Fraction(), 0.0, 1.0);
        const QRectF fill(bar.left(), bar.bottom() - f * bar.height(), bar.width(),
                          f * bar.height());
        p.fillRect(fill, enabled ? QColor(0, 0x40, 0xD0) : QColor(0xA0, 0xA0, 0xA0));
    }
    p.setPen(QPen(ink, 1));
    p.drawRect(bar);
    int decimals = 0;
    const std::vector<double> ticks = ScaleValues(s, bar.height(), 25, decimals);
    for (double v : ticks) {
        const double y = bar.bottom() - (v - s.min) / (s.max - s.min) * bar.height();
        p.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 5, y));
        if (s.scaleShown)
            p.drawText(QRectF(bar.right() + 7, y - fm.height() / 2, r.right() - bar.right() - 7,
                              fm.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, ScaleLabel(v, decimals).ToQString());
    }
    if (captionH > 0)
        p.drawText(QRectF(r.left(), r.top(), r.width(), captionH), Qt::AlignCenter,
                   fm.elidedText(s.caption.ToQString(), Qt::ElideRight, r.width()));
    if (unitH > 0)
        p.drawText(QRectF(r.left(), r.bottom() - unitH, r.width(), unitH), Qt::AlignCenter,
                   s.unit.ToQString());
    p.restore();
}

namespace {

// "key=value;key=value" from a template entry.
std::vector<std::pair<std::string, std::string>> InitPairs(const CString& text) {
    std::vector<std::pair<std::string, std::string>> out;
    const std::string& s = text.str();
    size_t start = 0;
    while (start <= s.size()) {
        const size_t end = std::min(s.find(';', start), s.size());
        const std::string item = s.substr(start, end - start);
        const size_t eq = item.find('=');
        if (eq != std::string::npos) out.emplace_back(item.substr(0, eq), item.substr(eq + 1));
        start = end + 1;
    }
    return out;
}

bool ParseColour(const std::string& v, COLORREF& out) {
    if (v.size() != 7 || v[0] != '#') return false;
    char* end = nullptr;
    const unsigned long rgb = std::strtoul(v.c_str() + 1, &end, 16);
    if (*end) return false;
    out = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

class ButtonWidget : public QWidget {
public:
    explicit ButtonWidget(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

protected:
    CWButton* Control() const {
        return dynamic_cast<CWButton*>(CWnd::FromHandlePermanent(HandleOfWidget(this)));
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (CWButton* b = Control(); b && b->State())
            PaintButton(p, QRectF(rect()), *b->State(), isEnabled(), b->Pressed());
    }
    void mousePressEvent(QMouseEvent* e) override { Press(e, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { Press(e, true); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (CWButton* b = Control())
            b->MouseUp(activex::ButtonCode(e->button()), e->position().toPoint());
        update();
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
            if (CWButton* b = Control()) b->ClickByKey();
            update();
        } else {
            QWidget::keyReleaseEvent(e);
        }
    }
    bool focusNextPrevChild(bool) override { return false; }

private:
    void Press(QMouseEvent* e, bool second) {
        const QPoint g = e->globalPosition().toPoint();
        SetMessagePos(g.x(), g.y());
        if (CWButton* b = Control())
            b->MouseDown(activex::ButtonCode(e->button()), activex::ShiftState(e->modifiers()),
                         e->position().toPoint(), second);
        update();
    }
};

class GaugeWidget : public QWidget {
public:
    explicit GaugeWidget(QWidget* parent) : QWidget(parent) {}

protected:
    CWGauge* Control() const {
        return dynamic_cast<CWGauge*>(CWnd::FromHandlePermanent(HandleOfWidget(this)));
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (CWGauge* g = Control()) g->Paint(p, QRectF(rect()));
    }
    void mousePressEvent(QMouseEvent* e) override {
        const QPoint g = e->globalPosition().toPoint();
        SetMessagePos(g.x(), g.y());
        if (CWGauge* c = Control())
            c->MouseDown(activex::ButtonCode(e->button()), activex::ShiftState(e->modifiers()),
                         e->position().toPoint());
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
};

std::vector<VARIANT> MouseArgs(SHORT button, SHORT shift, QPoint pos) {
    return {VarI2(button), VarI2(shift), VarI4(pos.x()), VarI4(pos.y())};
}

}  // namespace
}  // namespace platform::instruments

using namespace platform::instruments;

// ---- CWButton ----

CWButton::CWButton() = default;
CWButton::~CWButton() {
    if (m_hWnd) DestroyWindow();
}

BOOL CWButton::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CWnd::Create("CWButton", "", style, rect, parent, id);
}

QWidget* CWButton::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    return new ButtonWidget(parentWidget);
}

int CWButton::OnCreate(LPCREATESTRUCT cs) {
    m_model = std::make_shared<ButtonModel>();
    const platform::WindowWatch self(*this);
    m_model->onChange = [self] {
        if (CWnd* w = self.Window()) w->Invalidate(FALSE);
    };
    ButtonState& s = m_model->state;
    const auto pairs = InitPairs(cs->lpszName);
    if (pairs.empty()) s.text = cs->lpszName;
    for (const auto& [key, value] : pairs) {
        if (key == "mode") {
            static const char* const modes[] = {"push", "switch", "lamp", "picture"};
            for (LONG m = 0; m < 4; ++m)
                if (value == modes[m] || value == std::to_string(m)) s.mode = m;
        } else if (key == "text") {
            s.text = CString(value);
        } else if (key == "color") {
            ParseColour(value, s.onColor);
        } else if (key == "back") {
            ParseColour(value, s.backColor);
        } else if (key == "value") {
            s.value = value == "1";
        } else if (key == "stretch") {
            s.stretch = value != "0";
        } else if (key == "picture") {
            // Template pictures live under the program folder; a missing one leaves the face plain.
            QString path = QString::fromStdString(value);
            if (QFileInfo(path).isRelative())
                path = QDir(QCoreApplication::applicationDirPath()).filePath(path);
            s.picturePath = CString(path);
            m_model->LoadPicture(s.picturePath);
        }
    }
    return 0;
}

void CWButton::OnDestroy() {
    if (m_model) m_model->onChange = nullptr;
    m_model.reset();
}

DispatchHandle CWButton::GetDispatch() const {
    return m_model ? DispatchHandle(m_model, ButtonModel::kButtonId) : DispatchHandle();
}

CString CWButton::Dump() const {
    if (!m_model) return CString();
    const ButtonState& s = m_model->state;
    return CString::Formatted(
        "button value=%d on=%06X back=%06X text=\"%s\" mode=%d picture=\"%s\" stretch=%d "
        "image=%p\n",
        s.value, static_cast<unsigned>(s.onColor), static_cast<unsigned>(s.backColor), s.text,
        static_cast<int>(s.mode), s.picturePath, s.stretch,
        static_cast<const void*>(s.picture.get()));
}

void CWButton::MouseDown(SHORT button, SHORT shift, QPoint pos, bool doubleClick) {
    if (!m_model || !IsWindowEnabled()) return;
    const platform::WindowWatch self(*this);
    if (button == 1) {
        m_pressed = true;
        m_secondClick = doubleClick;
    }
    auto args = MouseArgs(button, shift, pos);
    Raise(self, DISPID_MOUSEDOWN, args);
}

void CWButton::MouseUp(SHORT button, QPoint pos) {
    if (button != 1 || !m_pressed) return;
    m_pressed = false;
    if (!m_model || !IsWindowEnabled()) return;
    CRect client;
    GetClientRect(&client);
    if (pos.x() < client.left || pos.y() < client.top || pos.x() >= client.right ||
        pos.y() >= client.bottom)
        return;
    Click(m_secondClick);
}

void CWButton::ClickByKey() {
    if (m_model && IsWindowEnabled()) Click(false);
}

void CWButton::Click(bool second) {
    const platform::WindowWatch self(*this);
    ButtonState& s = m_model->state;
    std::vector<VARIANT> none;
    if (s.mode == 1) {
        // The handler sees the new value.
        s.value = !s.value;
        Invalidate(FALSE);
        Raise(self, second ? DISPID_DBLCLICK : DISPID_CLICK, none);
        return;
    }
    if (!Raise(self, DISPID_CLICK, none)) return;
    if (second) Raise(self, DISPID_DBLCLICK, none);
}

// ---- CWGauge, CWKnob, CWSlide ----

CWGauge::~CWGauge() {
    if (m_hWnd) DestroyWindow();
}

QWidget* CWGauge::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    return new GaugeWidget(parentWidget);
}

int CWGauge::OnCreate(LPCREATESTRUCT cs) {
    m_model = std::make_shared<GaugeModel>();
    const platform::WindowWatch self(*this);
    m_model->onChange = [self] {
        if (CWnd* w = self.Window()) w->Invalidate(FALSE);
    };
    GaugeState& s = m_model->state;
    const auto pairs = InitPairs(cs->lpszName);
    if (pairs.empty()) s.caption = cs->lpszName;
    double lo = s.min, hi = s.max;
    for (const auto& [key, value] : pairs) {
        if (key == "caption")
            s.caption = CString(value);
        else if (key == "unit")
            s.unit = CString(value);
        else if (key == "min")
            lo = std::strtod(value.c_str(), nullptr);
        else if (key == "max")
            hi = std::strtod(value.c_str(), nullptr);
    }
    if (std::isfinite(lo) && std::isfinite(hi) && lo < hi) s.min = lo, s.max = hi;
    s.value = s.min;
    return 0;
}

void CWGauge::OnDestroy() {
    if (m_model) m_model->onChange = nullptr;
    m_model.reset();
}

DispatchHandle CWGauge::GetDispatch() const {
    return m_model ? DispatchHandle(m_model, GaugeModel::kGaugeId) : DispatchHandle();
}

CString CWGauge::Dump() const {
    if (!m_model) return CString();
    const GaugeState& s = m_model->state;
    return CString::Formatted(
        "gauge value=%.17g range=%.17g..%.17g scale=%d unit=\"%s\" caption=\"%s\"\n", s.value,
        s.min, s.max, s.scaleShown, s.unit, s.caption);
}

void CWGauge::MouseDown(SHORT button, SHORT shift, QPoint pos) {
    if (!m_model || !IsWindowEnabled()) return;
    auto args = MouseArgs(button, shift, pos);
    Raise(platform::WindowWatch(*this), DISPID_MOUSEDOWN, args);
}

BOOL CWKnob::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CWnd::Create("CWKnob", "", style, rect, parent, id);
}

void CWKnob::Paint(QPainter& p, const QRectF& r) const {
    if (const GaugeState* s = State()) PaintKnob(p, r, *s, IsWindowEnabled());
}

BOOL CWSlide::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CWnd::Create("CWSlide", "", style, rect, parent, id);
}

void CWSlide::Paint(QPainter& p, const QRectF& r) const {
    if (const GaugeState* s = State()) PaintSlide(p, r, *s, IsWindowEnabled());
}

// ---- wrappers ----

BOOL CCWButton::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CreateControl(std::make_unique<CWButton>(), "CWButton", rect, parent, id, style);
}

BOOL CCWKnob::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CreateControl(std::make_unique<CWKnob>(), "CWKnob", rect, parent, id, style);
}

BOOL CCWSlide::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CreateControl(std::make_unique<CWSlide>(), "CWSlide", rect, parent, id, style);
}
