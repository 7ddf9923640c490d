#pragma once
// The button, knob and slide controls ("CWButton", "CWKnob", "CWSlide") and their wrappers.
//
// Button members: 2 value (bool), 5 on colour, -501 back colour, 3 text, 11 image object (its 256
// is the picture: 1 file path, 4 stretch, method 8 loads), 9060 mode (0 push, 1 switch, 2 lamp,
// 3 picture push). Events: -600 Click, -601 DblClick, -605 mouse down (button, shift, x, y).
// A switch toggles before its Click; the second click of a double click toggles too and raises
// DblClick instead. Push and picture buttons raise Click at release, then DblClick for the second
// click of a double click; a lamp never toggles. A disabled button raises nothing.
//
// Knob and slide members: 257 value (clamped to the range), 258 axis object (method 14 (min, max)
// sets the range, 9 scale numbers shown, 11 unit text, -518 caption), -518 caption. Event: -605.
//
// A template entry's text gives the initial members as "key=value" pairs separated by ';': mode
// (push, switch, lamp, picture), text, color and back (#RRGGBB), value (0 or 1), picture (a path
// under the program folder) and stretch (0 or 1) for a button; caption, unit, min and max for a
// knob or slide. A text without '=' is the button's text or the gauge's caption.

#include <QImage>
#include <memory>

#include "platform/activex/control_base.h"

class QPainter;

namespace platform::instruments {

struct ButtonState {
    bool value = false;
    COLORREF onColor = RGB(0, 192, 0);
    COLORREF backColor = RGB(0xF0, 0xF0, 0xF0);
    CString text;
    LONG mode = 0;  // 0 push, 1 switch, 2 lamp, 3 picture push
    CString picturePath;
    bool stretch = true;
    std::shared_ptr<const QImage> picture;
};

class ButtonModel : public DispatchTarget, public std::enable_shared_from_this<ButtonModel> {
public:
    static constexpr std::uint32_t kButtonId = 1, kImageId = 2, kPictureId = 3;
    HRESULT InvokeObject(std::uint32_t objectId, DISPID id, WORD kind,
                         std::span<const VARIANT> args, VARIANT* result) override;
    ButtonState state;
    std::function<void()> onChange;
    bool LoadPicture(const CString& path);  // false keeps the previous picture
};

struct GaugeState {
    double value = 0, min = 0, max = 10;
    // No needle or bar until a value is set: a reading of the minimum is not made up.
    bool valueSet = false;
    bool scaleShown = true;
    CString unit, caption;
    double Fraction() const { return max > min ? (value - min) / (max - min) : 0; }
};

class GaugeModel : public DispatchTarget, public std::enable_shared_from_this<GaugeModel> {
public:
    static constexpr std::uint32_t kGaugeId = 1, kAxisId = 2;
    HRESULT InvokeObject(std::uint32_t objectId, DISPID id, WORD kind,
                         std::span<const VARIANT> args, VARIANT* result) override;
    GaugeState state;
    std::function<void()> onChange;
};

void PaintButton(QPainter& p, const QRectF& r, const ButtonState& s, bool enabled, bool pressed);
void PaintKnob(QPainter& p, const QRectF& r, const GaugeState& s, bool enabled);
void PaintSlide(QPainter& p, const QRectF& r, const GaugeState& s, bool enabled);

}  // namespace platform::instruments

class CWButton : public CActiveXControl {
public:
    CWButton();
    ~CWButton() override;
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    DispatchHandle GetDispatch() const override;
    CString Dump() const override;
    const platform::instruments::ButtonState* State() const {
        return m_model ? &m_model->state : nullptr;
    }

    // Input as the widget delivers it; also for tests.
    void MouseDown(SHORT button, SHORT shift, QPoint pos, bool doubleClick);
    void MouseUp(SHORT button, QPoint pos);
    void ClickByKey();
    bool Pressed() const { return m_pressed; }

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;

private:
    void Click(bool second);
    std::shared_ptr<platform::instruments::ButtonModel> m_model;
    bool m_pressed = false;
    bool m_secondClick = false;
};

// The knob and the slide differ only in their look.
class CWGauge : public CActiveXControl {
public:
    ~CWGauge() override;
    using CWnd::Create;
    DispatchHandle GetDispatch() const override;
    CString Dump() const override;
    const platform::instruments::GaugeState* State() const {
        return m_model ? &m_model->state : nullptr;
    }
    void MouseDown(SHORT button, SHORT shift, QPoint pos);
    virtual void Paint(QPainter& p, const QRectF& r) const = 0;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;

private:
    std::shared_ptr<platform::instruments::GaugeModel> m_model;
};

class CWKnob : public CWGauge {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    void Paint(QPainter& p, const QRectF& r) const override;
};

class CWSlide : public CWGauge {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    void Paint(QPainter& p, const QRectF& r) const override;
};

class CCWButton : public CActiveXWrapper {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    bool GetValue() const { return GetDriver().GetBool(2); }
    HRESULT SetValue(bool on) const { return GetDriver().SetBool(2, on); }
    HRESULT SetOnColor(COLORREF c) const { return GetDriver().SetLong(5, static_cast<LONG>(c)); }
    HRESULT SetBackColor(COLORREF c) const {
        return GetDriver().SetLong(DISPID_BACKCOLOR, static_cast<LONG>(c));
    }
    HRESULT SetText(const CString& text) const { return GetDriver().SetString(3, text); }
    CDispatchDriver GetImage() const { return GetDriver().GetObject(11); }
};

class CCWKnob : public CActiveXWrapper {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    double GetValue() const { return GetDriver().GetDouble(257); }
    HRESULT SetValue(double v) const { return GetDriver().SetDouble(257, v); }
    CDispatchDriver GetAxis() const { return GetDriver().GetObject(258); }
};

class CCWSlide : public CActiveXWrapper {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    double GetValue() const { return GetDriver().GetDouble(257); }
    HRESULT SetValue(double v) const { return GetDriver().SetDouble(257, v); }
    CDispatchDriver GetAxis() const { return GetDriver().GetObject(258); }
};
