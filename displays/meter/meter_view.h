#pragma once
// CMeterView: up to four live readings of the logger as meters: an analog knob, a bar slide, a
// "change" lamp whose colour runs from white to red across the range, or segment digits. One
// meter fills the window, or four share it in panels that the user selects to change one kind.

#include <array>

#include "controls/digistring.h"
#include "displays/meter/meter_frame.h"
#include "models/sensor_units.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/gdi/objects.h"
#include "platform/ui/form_view.h"

class CVarnelDoc;
class CSettings;
class CSetupView;

class CMeterView : public CFormView, public CEventSinkHost {
    DECLARE_DYNCREATE(CMeterView)

public:
    static constexpr int kMeters = 4;
    static constexpr UINT IDC_DIGITS_FIRST = 2032;  // 2032..2035
    // Meter kinds, and the display modes 0..3 that show one meter of that kind.
    static constexpr BYTE kAnalog = 0, kBar = 1, kChange = 2, kDigital = 3, kNone = 255;
    static constexpr int kFourMeters = 4;
    // Below this client size four meters do not fit.
    static constexpr int kFourMinWidth = 272, kFourMinHeight = 232;

    CMeterView();
    ~CMeterView() override;

    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnDraw(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, CPoint point) override;

    // The display mode the settings hold: 0..3 one meter of that kind, 4 four meters.
    int GetDisplayMode() const;
    // The mode the last layout showed: 4 falls back to 0 in a small window.
    int GetLayoutMode() const { return m_layoutMode; }
    void LayoutMeters();
    void ShowReadings(double r1, double r2, double r3, double r4);
    void SetMeterSensor(int meter, int code);
    void SetMeterCaption(int meter, const CString& caption);
    void SetRange(int meter, double minimum, double maximum, const CString& unit);
    void ApplyUnitSettings();
    // Selects panel 0..3 (a second selection of the same panel deselects it); -1 or `deselect`
    // deselects all.
    void ShowPanel(int panel, BOOL deselect);

    int GetSelectedPanel() const { return m_selectedPanel; }
    BYTE GetKind(int meter) const { return m_kind[meter]; }
    BYTE GetShownKind(int meter) const { return m_shownKind[meter]; }
    void SetKind(int meter, BYTE kind) { m_kind[meter] = kind; }
    void SetShownKind(int meter, BYTE kind) { m_shownKind[meter] = kind; }
    double GetMinimum(int meter) const { return m_min[meter]; }
    double GetMaximum(int meter) const { return m_max[meter]; }
    CRect GetPanelRect(int meter) const { return m_panel[meter]; }
    bool IsInitialised() const { return m_initialised != 0; }

    CCWKnob& GetKnob(int meter) { return m_knob[meter]; }
    CCWSlide& GetSlide(int meter) { return m_slide[meter]; }
    CCWButton& GetLamp(int meter) { return m_lamp[meter]; }
    CDigistring& GetDigits(int meter) { return m_digits[meter]; }
    CStatic& GetLabel(int meter) { return m_label[meter]; }
    CButton& GetPanel(int meter) { return m_group[meter]; }

    // "%.1f", padded with spaces in front and behind in turn to 6 characters.
    static CString FormatReading(double value);
    static CString CentreText(CString text);

    // The commands.
    void OnFourMeters();
    void OnMeterKind(UINT id);
    void OnSelectPanel(UINT id);

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    DECLARE_MESSAGE_MAP()

private:
    CSettings* Settings() const;
    CSetupView* SetupView() const;
    CMeterFrame* MeterFrame() const;
    int SensorCode(int meter) const;
    void CreateDigits();
    void Layout(int cx, int cy);
    void HideMeter(int meter);
    void ShowKind(int meter, BYTE kind);
    void DeselectAll();
    void KeepRangeInChosenUnit(int meter);

    CVarnelDoc* m_doc = nullptr;
    std::array<CCWKnob, kMeters> m_knob;
    std::array<CCWSlide, kMeters> m_slide;
    std::array<CCWButton, kMeters> m_lamp;
    std::array<CDigistring, kMeters> m_digits;
    std::array<CStatic, kMeters> m_label;
    std::array<CButton, kMeters> m_group;
    std::array<CRect, kMeters> m_panel;
    std::array<double, kMeters> m_min{0, 0, 0, 0};
    std::array<double, kMeters> m_max{10, 10, 10, 10};
    // The quantity of each meter's sensor and the unit its range ends are in, so that a unit
    // change converts them as it converts the readings.
    std::array<SensorQuantity, kMeters> m_rangeQuantity{};
    std::array<int, kMeters> m_rangeUnit{};
    std::array<BYTE, kMeters> m_kind{kAnalog, kBar, kChange, kDigital};
    std::array<BYTE, kMeters> m_shownKind{kNone, kNone, kNone, kNone};
    std::array<BYTE, kMeters> m_selected{0, 0, 0, 0};
    CStatic m_separator1;
    CStatic m_separator2;
    int m_selectedPanel = -1;
    BYTE m_initialised = 0;
    int m_layoutMode = kFourMeters;
    CFont m_captionFont;
};
