// The meter view on a document without a logger, in a host window of a chosen size: layout,
// readings, sensors and units, commands and panel selection, and its picture.

#include <QImage>
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <cmath>

#include "RES/dialogs/meter_view.h"
#include "RES/main_menu.h"
#include "app/varnel_doc.h"
#include "displays/meter/meter_frame.h"
#include "displays/meter/meter_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/activex/register.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::Px;

class MeterViewTest : public testing_support::HarnessTest {
protected:
    MeterViewTest() : doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
        platform::RegisterActiveXControls();
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 700, 500), nullptr, 0);
        setup.Create(&host, CRect(0, 0, 10, 10), 3);
        setup.SetDocument(&doc);
        // The view in its own frame, whose toolbar holds the kind buttons.
        SetCommandTipLookup(&CommandTip);
        main.Create(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 700));
        frame.Create(nullptr, "Varnel", 0x00CF4000, CRect(0, 0, 600, 450), &main);
        view.Create(&frame, &doc);
        frame.SetActiveView(&view, FALSE);
        frame.InitialUpdateFrame(&doc, TRUE);
        Resize(600, 400);
    }
    ~MeterViewTest() override {
        view.DestroyWindow();
        setup.DestroyWindow();
        host.DestroyWindow();
        main.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    void Resize(int w, int h) {
        ASSERT_TRUE(testing_support::SizeFrameForView(frame, view, w, h)) << w << " x " << h;
    }
    void Mode(int mode) {
        settings.m_meterViewValue = static_cast<WORD>(mode);
        view.LayoutMeters();
    }
    CRect RectOf(CWnd& control) {
        CRect r;
        control.GetWindowRect(&r);
        view.ScreenToClient(&r);
        return r;
    }
    // A kind button of the frame's toolbar.
    void Press(UINT id) { ASSERT_TRUE(testing_support::PressToolbarButton(frame, id)); }
    double KnobValue(int m) { return view.GetKnob(m).GetValue(); }
    COLORREF LampColour(int m) {
        return static_cast<COLORREF>(view.GetLamp(m).GetDriver().GetLong(DISPID_BACKCOLOR));
    }
    CString DigitText(int m) { return view.GetDigits(m).GetText(); }
    static void Click(CWnd& w, QPoint at = QPoint(-1, -1)) {
        QWidget* widget = w.GetWidget();
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.x() < 0 ? widget->rect().center() : at);
    }

    CVarnelDoc doc;
    CSettings& settings = *doc.GetSettings();
    CWnd host;
    CSetupView setup;
    CMDIFrameWnd main;
    CMeterFrame frame;
    CMeterView view;
};

std::string Text(const CRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// Every meter control that shows, with its rectangle.
struct Placed {
    UINT id;
    CRect rect;
};

TEST_F(MeterViewTest, EachModeShowsItsControlsWhereTheLayoutPutsThem) {
    struct Case {
        int mode, w, h;
        std::vector<Placed> shown;
        int layoutMode;
    };
    const int w = 600, h = 400;
    // Panels: (0,0,294,200), (307,0,597,200), (0,205,294,390), (307,205,597,390).
    const std::vector<Case> cases = {
        {0, w, h, {{4941, CRect(30, 30, 570, 370)}}, 0},
        {1, w, h, {{4933, CRect(140, 20, 460, 380)}}, 1},
        {2, w, h, {{4937, CRect(17, 17, 583, 383)}}, 2},
        {3, w, h, {{2032, CRect(20, 100, 580, 275)}, {3992, CRect(20, 275, 580, 305)}}, 3},
        {4,
         w,
         h,
         {{4941, CRect(29, 20, 265, 180)},
          {4934, CRect(307 + 32, 20, 597 - 32, 180)},
          {4939, CRect(3, 210, 286, 385)},
          {2035, CRect(327, 205 + 50, 577, 205 + 132)},
          {3995, CRect(327, 205 + 132, 577, 205 + 162)},
          {4076, CRect(5, 5, 289, 195)},
          {4075, CRect(312, 5, 592, 195)},
          {4078, CRect(5, 216, 289, 385)},
          {4077, CRect(312, 216, 592, 385)}},
         4},
        {9, w, h, {}, 4},  // a stored mode out of range counts as four meters
        {4, 271, 400, {{4941, CRect(30, 30, 241, 370)}}, 0},
        {4, 600, 231, {{4941, CRect(30, 30, 570, 201)}}, 0},
    };
    for (const Case& c : cases) {
        settings.m_meterViewValue = static_cast<WORD>(c.mode);
        Resize(c.w, c.h);
        view.LayoutMeters();
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " " << c.w << "x" << c.h);
        EXPECT_EQ(view.GetLayoutMode(), c.layoutMode);
        std::vector<UINT> visible;
        for (CWnd* child : view.GetChildren()) {
            const UINT id = static_cast<UINT>(child->GetDlgCtrlID());
            if (child->IsWindowVisible() && child->GetAttachedItem() == nullptr)
                visible.push_back(id);
        }
        std::vector<UINT> expected;
        for (const Placed& p : c.shown)
            expected.push_back(p.id);
        if (c.layoutMode == 4) expected = {4076, 4075, 4078, 4077, 4941, 4934, 4939, 3995, 2035};
        std::sort(visible.begin(), visible.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(visible, expected);
        for (const Placed& p : c.shown) {
            CWnd* control = view.GetDlgItem(static_cast<int>(p.id));
            ASSERT_NE(control, nullptr) << p.id;
            EXPECT_EQ(Text(RectOf(*control)), Text(p.rect)) << p.id;
        }
    }
}

TEST_F(MeterViewTest, ReadingsWidenTheRangeAndShowOnEveryKind) {
    for (int& code : doc.m_meterChannels)
        code = 2;  // light: no unit conversion
    struct Case {
        double lo, hi, v;
        double wantLo, wantHi;
        COLORREF lamp;
        const char* digits;
    };
    const Case cases[] = {
        {0, 10, 12, 0, 14.4, RGB(255, 42, 42), " 12.0 "},
        {0, 10, -5, -6, 10, RGB(255, 239, 239), " -5.0 "},
        {0, 10, 0, 0, 10, RGB(255, 255, 255), "  0.0 "},
        {0, 10, 5, 0, 10, RGB(255, 127, 127), "  5.0 "},
        {0, 10, 10, 0, 10, RGB(255, 0, 0), " 10.0 "},
        {-10, 10, -20, -24, 10, RGB(255, 225, 225), " -20.0"},
        {5, 5, 5, 5, 5, RGB(255, 255, 255), "  5.0 "},
        {0, 10, 3.14159, 0, 10, RGB(255, 175, 175), "  3.1 "},
        {-20, 0, -12.34, -20, 0, RGB(255, 157, 157), " -12.3"},
        {0, 20000, 12345.6, 0, 20000, RGB(255, 97, 97), "12345.6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi << " with " << c.v);
        view.SetRange(0, c.lo, c.hi, "lx");
        view.ShowReadings(c.v, 0, 0, 0);
        EXPECT_NEAR(view.GetMinimum(0), c.wantLo, 1e-9);
        EXPECT_NEAR(view.GetMaximum(0), c.wantHi, 1e-9);
        EXPECT_DOUBLE_EQ(KnobValue(0), c.v);
        EXPECT_DOUBLE_EQ(view.GetSlide(0).GetValue(), c.v);
        EXPECT_EQ(LampColour(0), c.lamp);
        EXPECT_EQ(DigitText(0), c.digits);
    }
    // The knob's and the slide's axes take a widened range.
    view.SetRange(1, 0, 10, "lx");
    view.ShowReadings(0, 12, 0, 0);
    const auto* knob = dynamic_cast<const CWGauge*>(view.GetKnob(1).GetControl())->State();
    const auto* slide = dynamic_cast<const CWGauge*>(view.GetSlide(1).GetControl())->State();
    EXPECT_DOUBLE_EQ(knob->max, 14.4);
    EXPECT_DOUBLE_EQ(slide->max, 14.4);
    EXPECT_EQ(knob->unit, "lx");
    EXPECT_TRUE(knob->scaleShown);
}

TEST_F(MeterViewTest, SensorsGiveCaptionsAndRangesInTheChosenUnits) {
    const CString deg = "\xC2\xB0";
    struct Case {
        const char* name;
        int code;
        int externalType;  // -1: a built-in sensor
        BYTE temperatureUnit, pressureUnit;
        double reading;
        CString caption;
        double shown, lo, hi;
    };
    const double psi = 0.1450377;
    // The records' ranges are in Celsius and kPa and are shown converted, then widened by the
    // reading as ever.
    const Case cases[] = {
        {"temperature in F", 4, -1, 1, 0, 20, "Temperature (" + deg + "F)", 68, 14, 104},
        {"temperature in F, widened", 4, -1, 1, 0, 50, "Temperature (" + deg + "F)", 122, 14,
         1.2 * 122},
        {"temperature in K", 4, -1, 2, 0, 20, "Temperature (" + deg + "K)", 293.15, 263.15, 313.15},
        {"pressure in psi", 6, -1, 0, 1, 100, "Pressure (psi)", 100 * psi, 79.08 * psi,
         109.52 * psi},
        {"external type 16 in F", 0, 16, 1, 0, 10, "Temperature -10 - 50 (" + deg + "F)", 50, 14,
         122},
        {"external type 18 in psi", 0, 18, 0, 1, 50, "Pressure 0 - 10 (psi)", 50 * psi, 0,
         1.2 * 50 * psi},
        {"external pH, type 6, in psi", 0, 6, 1, 1, 7, "pH (pH)", 7, 0, 14},
        {"external light, type 4, in F", 0, 4, 1, 1, 100, "Light 0 - 130 (klx)", 100, 0, 130},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.m_temperatureUnit = c.temperatureUnit;
        settings.m_pressureUnit = c.pressureUnit;
        if (c.externalType >= 0) settings.SetExternalSensor(0, c.externalType);
        doc.m_meterChannels[0] = c.code;
        view.SetMeterSensor(0, c.code);
        EXPECT_EQ(view.GetLabel(0).GetWindowText(), c.caption);
        view.ShowReadings(c.reading, 0, 0, 0);
        EXPECT_NEAR(KnobValue(0), c.shown, 1e-6);
        EXPECT_NEAR(view.GetMinimum(0), c.lo, 1e-6);
        EXPECT_NEAR(view.GetMaximum(0), c.hi, 1e-6);
    }
    // The caption reaches the knob's axis, the slide, the lamp and the label.
    settings.m_temperatureUnit = 0;
    view.SetMeterSensor(2, 4);
    const CString caption =
        "Temperature (\xC2\xB0"
        "C)";
    EXPECT_EQ(view.GetKnob(2).GetDriver().GetObject(258).GetString(DISPID_CAPTION), caption);
    EXPECT_EQ(view.GetSlide(2).GetDriver().GetString(DISPID_CAPTION), caption);
    EXPECT_EQ(view.GetLamp(2).GetDriver().GetString(3), caption);
    EXPECT_EQ(view.GetLabel(2).GetWindowText(), caption);

    // A unit change while the meters show: captions again, readings converted.
    doc.m_meterChannels[2] = 4;
    settings.m_temperatureUnit = 1;
    view.ApplyUnitSettings();
    EXPECT_EQ(view.GetLabel(2).GetWindowText(),
              "Temperature (\xC2\xB0"
              "F)");
    EXPECT_DOUBLE_EQ(KnobValue(2), 32) << "the logger's latest value is 0 C";
}

// A sensor's name is the user's: its "&" is shown, as on the knob, slide and lamp.
TEST_F(MeterViewTest, ACaptionShowsItsAmpersandAsTyped) {
    const CString caption = "Tom & Jerry, R&D";
    view.SetMeterCaption(0, caption);
    auto* label = qobject_cast<QLabel*>(view.GetLabel(0).GetWidget());
    ASSERT_TRUE(label);
    // Shortened to fit, it keeps the whole text as its tooltip.
    EXPECT_TRUE(label->text() == caption.ToQString() || label->toolTip() == caption.ToQString())
        << label->text().toStdString();
    EXPECT_EQ(view.GetLamp(0).GetDriver().GetString(3), caption);
}

TEST_F(MeterViewTest, ACodeBeyondTheEightSensorRecordsLeavesTheMeterAtZeroToTen) {
    view.SetMeterSensor(1, 4);
    const CString caption = view.GetLabel(1).GetWindowText();
    ASSERT_FALSE(caption.IsEmpty());
    for (int code : {8, 9, 255, -1}) {
        view.SetMeterSensor(1, code);
        EXPECT_EQ(view.GetMinimum(1), 0) << code;
        EXPECT_EQ(view.GetMaximum(1), 10) << code;
        EXPECT_EQ(view.GetLabel(1).GetWindowText(), caption) << code;
    }
}

TEST_F(MeterViewTest, KindCommandsChangeTheModeOrTheSelectedMeter) {
    for (UINT id = 2086; id <= 2089; ++id) {
        Press(id);
        EXPECT_EQ(settings.m_meterViewValue, id - 2086);
        EXPECT_EQ(view.GetLayoutMode(), static_cast<int>(id - 2086));
    }
    doc.m_meterChannels[0] = 6;
    doc.m_meterChannels[1] = 2;
    Press(2085);
    EXPECT_EQ(settings.m_meterViewValue, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(view.GetKind(i), i);
        EXPECT_EQ(view.GetShownKind(i), i);
        EXPECT_EQ(doc.m_meterChannels[i], 6) << "every meter takes the first meter's sensor";
        EXPECT_NEAR(view.GetMaximum(i), 109.52, 1e-9);
    }
    EXPECT_EQ(setup.m_meterSensorsSingle, 1);

    // A selected panel changes its own kind: the old control goes, the new one shows.
    Click(view.GetLabel(1));
    ASSERT_EQ(view.GetSelectedPanel(), 1);
    Press(2089);
    EXPECT_EQ(settings.m_meterViewValue, 4);
    EXPECT_EQ(view.GetKind(1), CMeterView::kDigital);
    EXPECT_FALSE(view.GetSlide(1).IsWindowVisible());
    EXPECT_TRUE(view.GetDigits(1).IsWindowVisible());
    EXPECT_TRUE(view.GetLabel(1).IsWindowVisible());
    Press(2086);
    EXPECT_FALSE(view.GetDigits(1).IsWindowVisible());
    EXPECT_FALSE(view.GetLabel(1).IsWindowVisible());
    EXPECT_TRUE(view.GetKnob(1).IsWindowVisible());
    EXPECT_EQ(view.GetKind(1), CMeterView::kAnalog);
    // 2085 with a panel selected only deselects.
    Press(2085);
    EXPECT_EQ(view.GetSelectedPanel(), -1);
    EXPECT_EQ(view.GetKind(1), CMeterView::kAnalog);
}

TEST_F(MeterViewTest, ClicksSelectAPanelAndTheSetupViewFollows) {
    Mode(4);
    doc.m_meterChannels[0] = 4;
    doc.m_meterChannels[1] = 2;
    const CRect lower = view.GetPanelRect(2);
    auto kind3 = [&](BYTE kind) {
        view.SetKind(2, kind);
        view.LayoutMeters();
    };
    struct Case {
        const char* what;
        std::function<void()> click;
        int selected;
    };
    const std::vector<Case> cases = {
        {"in panel 1", [&] { Click(view, QPoint(150, 100)); }, 0},
        {"9 px below panel 3's top", [&] { Click(view, QPoint(150, lower.top + 9)); }, -1},
        {"11 px below panel 3's top", [&] { Click(view, QPoint(150, lower.top + 11)); }, 2},
        {"outside every panel", [&] { Click(view, QPoint(300, 100)); }, -1},
        {"caption 3994",
         [&] {
             kind3(CMeterView::kDigital);
             Click(view.GetLabel(2));
         },
         2},
        {"digit display 2034", [&] { Click(view.GetDigits(2)); }, 2},
        {"knob 4943",
         [&] {
             kind3(CMeterView::kAnalog);
             Click(view.GetKnob(2));
         },
         2},
        {"slide 4934", [&] { Click(view.GetSlide(1)); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.ShowPanel(-1, TRUE);
        setup.m_shownMeterSensor = -1;
        c.click();
        EXPECT_EQ(view.GetSelectedPanel(), c.selected);
        if (c.selected >= 0) {
            EXPECT_EQ(setup.m_meterSensorsSingle, 1);
            EXPECT_EQ(setup.m_shownMeterSensor, c.selected);
        }
    }
    // Meter 4 as a change meter: its lamp selects it.
    view.ShowPanel(-1, TRUE);
    view.SetKind(3, CMeterView::kChange);
    view.LayoutMeters();
    Click(view.GetLamp(3));
    EXPECT_EQ(view.GetSelectedPanel(), 3);
    // A second click on a selected panel deselects it.
    Click(view, QPoint(400, 100));
    EXPECT_EQ(view.GetSelectedPanel(), 1);
    Click(view, QPoint(400, 100));
    EXPECT_EQ(view.GetSelectedPanel(), -1);
    // A click outside the panels: the set-up view shows all four meters' sensors, which differ.
    Click(view, QPoint(300, 100));
    EXPECT_EQ(setup.m_meterSensorsSingle, 0);
    // Outside the four-meter mode nothing is selected.
    Mode(0);
    Click(view.GetLabel(0));
    EXPECT_EQ(view.GetSelectedPanel(), -1);
}

TEST_F(MeterViewTest, TheFirstUpdateMakesTheDigitDisplaysOnce) {
    view.OnInitialUpdate();
    view.OnUpdate(nullptr, 0, nullptr);
    std::vector<UINT> digits;
    for (CWnd* child : view.GetChildren())
        if (dynamic_cast<CDigistring*>(child)) digits.push_back(child->GetDlgCtrlID());
    EXPECT_EQ(digits, (std::vector<UINT>{2032, 2033, 2034, 2035}));
    EXPECT_EQ(doc.GetMeterView(), &view);
    EXPECT_EQ(view.GetDigits(0).GetDigiStyle(), DS_SMOOTH);
}

// Before the first reading (a QK sends none) the meters show their ranges and captions, not a
// made-up reading at the bottom of the range.
TEST_F(MeterViewTest, NoReadingShowsNoNeedleNoBarAndNoDigits) {
    Mode(4);
    view.SetRange(1, -10, 110, "F");  // a bar from the bottom to zero would show
    const auto marked = [](CWnd& control, QRgb ink) {
        const QImage picture = control.GetWidget()->grab().toImage();
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += (picture.pixel(x, y) & 0xFFFFFF) == (ink & 0xFFFFFF);
        return count;
    };
    const QRgb needle = qRgb(0xD0, 0, 0), bar = qRgb(0, 0x40, 0xD0);
    EXPECT_EQ(DigitText(3).Trim(), "");
    EXPECT_EQ(marked(view.GetKnob(0), needle), 0);
    EXPECT_EQ(marked(view.GetSlide(1), bar), 0);

    view.ShowReadings(0, 0, 0, 0);
    EXPECT_EQ(DigitText(3).Trim(), "0.0");
    EXPECT_GT(marked(view.GetKnob(0), needle), 0);
    view.ShowReadings(5, 5, 5, 5);
    EXPECT_GT(marked(view.GetSlide(1), bar), 0);
}

TEST_F(MeterViewTest, TheSelectedPanelIsRingedInBlueAndTheLampShowsItsColour) {
    Mode(4);
    view.SetRange(2, 0, 10, "");
    view.ShowReadings(0, 0, 5, 0);
    Click(view.GetLabel(1));
    ASSERT_EQ(view.GetSelectedPanel(), 1);
    const QImage image = testing_support::RenderWidget(view.GetWidget());
    testing_support::SaveTestImage(image, "meter_view_panel_2_selected");
    // The group box's own frame shades the ring a little.
    auto blue = [&](int x, int y) {
        const COLORREF c = Px(image, x, y);
        return GetBValue(c) >= 0xF0 && GetRValue(c) < 0x10 && GetGValue(c) < 0x10;
    };
    // The ring: 2 px inside the group box, on all four sides of panel 2 and of no other.
    for (int i = 0; i < 4; ++i) {
        const CRect p = view.GetPanelRect(i);
        const int top = p.top + (i < 2 ? 5 : 11) + 3, left = p.left + 8, right = p.right - 9,
                  bottom = p.bottom - 9;
        const int mx = (p.left + p.right) / 2;
        const bool ringed =
            blue(mx, top) && blue(left, top + 12) && blue(right, top + 12) && blue(mx, bottom);
        EXPECT_EQ(ringed, i == 1) << "panel " << i + 1;
    }
    const CRect lamp = RectOf(view.GetLamp(2));
    EXPECT_EQ(Px(image, lamp.CenterPoint().x, lamp.CenterPoint().y), RGB(255, 127, 127));
}

}  // namespace
