#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <cmath>
#include <limits>

#include "platform/activex/instruments.h"
#include "platform/activex/register.h"
#include "platform/ui/dialog.h"
#include "tests/activex/fixture.h"

using namespace activex_test;
using testing_support::RenderWidget;
using testing_support::SaveTestImage;

namespace {

class HostDialog : public CDialog, public CEventSinkHost {
public:
    using CDialog::CDialog;
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, 4012, sw);
        DDX_Control(dx, 4008, lamp);
        DDX_Control(dx, 1997, back);
        DDX_Control(dx, 1996, forward);
        DDX_Control(dx, 4941, knob);
        DDX_Control(dx, 4933, slide);
    }
    CCWButton sw, lamp, back, forward;
    CCWKnob knob;
    CCWSlide slide;
};

const DialogTemplate kTemplate{
    900,
    "Instruments",
    0,
    0,
    300,
    200,
    WS_POPUP | WS_CAPTION,
    "Tahoma",
    8,
    {
        dlg::Control("mode=switch;color=#FF0000", 4012, "CWButton", WS_TABSTOP, 10, 10, 30, 14),
        dlg::Control("mode=lamp;text=Light (lux);back=#FFFFFF", 4008, "CWButton", 0, 50, 10, 80,
                     30),
        dlg::Control("Back", 1997, "CWButton", WS_TABSTOP, 10, 50, 40, 14),
        // The test program sits one folder below the program's, so "../" reaches its pictures.
        dlg::Control("mode=picture;stretch=0;picture=../pictures/forward.xpm", 1996, "CWButton",
                     WS_TABSTOP, 60, 50, 24, 24),
        dlg::Control("caption=Temperature;unit=C;min=0;max=100", 4941, "CWKnob", 0, 140, 10, 100,
                     100),
        dlg::Control("Pressure", 4933, "CWSlide", 0, 250, 10, 40, 150),
    }};

class InstrumentTest : public testing_support::HarnessTest {
protected:
    InstrumentTest() : dialog(kTemplate) {
        platform::RegisterActiveXControls();
        EXPECT_TRUE(dialog.Create());
        dialog.ShowWindow(SW_SHOW);
        for (UINT id : {4012u, 4008u, 1997u, 1996u, 4941u, 4933u})
            events.Listen(dialog, id, {-600, -601, -605});
    }
    ~InstrumentTest() override {
        dialog.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    void Click(CActiveXWrapper& w, bool twice = false) {
        QWidget* widget = w.GetWidget();
        const QPointF p(5, 5);
        auto send = [&](QEvent::Type t) {
            const Qt::MouseButtons held =
                t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent e(t, p, widget->mapToGlobal(p), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(widget, &e);
        };
        send(QEvent::MouseButtonPress);
        send(QEvent::MouseButtonRelease);
        if (twice) {
            send(QEvent::MouseButtonDblClick);
            send(QEvent::MouseButtonRelease);
        }
    }
    HostDialog dialog;
    Recorder events;
};

TEST_F(InstrumentTest, ASwitchTogglesBeforeItsClickAndADoubleClickStaysConsistent) {
    std::vector<bool> seen;
    dialog.GetEventSinks().Clear();
    dialog.GetEventSinks().On(4012, -600, [&] {
        seen.push_back(dialog.sw.GetValue());
        events.log.push_back("-600()");
    });
    // The set-up view's DblClick handler inverts the value.
    dialog.GetEventSinks().On(4012, -601, [&] {
        seen.push_back(dialog.sw.GetValue());
        dialog.sw.SetValue(!dialog.sw.GetValue());
        events.log.push_back("-601()");
    });
    events.Listen(dialog, 4012, {-605});
    EXPECT_FALSE(dialog.sw.GetValue());
    Click(dialog.sw);
    EXPECT_EQ(seen, std::vector<bool>{true});
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, -600}));
    QImage face = RenderWidget(dialog.sw.GetWidget());
    EXPECT_EQ(face.pixel(face.width() / 2, 3) & 0xFFFFFF, 0xFF0000u);  // on: the on colour

    events.Clear();
    seen.clear();
    Click(dialog.sw, true);
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, -600, -605, -601}));
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));
    EXPECT_FALSE(dialog.sw.GetValue());  // where its Click left it
    face = RenderWidget(dialog.sw.GetWidget());
    EXPECT_EQ(face.pixel(face.width() / 2, 3) & 0xFFFFFF, 0xA0A0A0u);  // off: grey
}

TEST_F(InstrumentTest, PushAndLampButtonsNeverToggleAndADisabledOneRaisesNothing) {
    Click(dialog.back);
    EXPECT_EQ(events.log, (std::vector<std::string>{"-605(1,0,5,5)", "-600()"}));
    EXPECT_FALSE(dialog.back.GetValue());
    // Space clicks the focused button once, at its release.
    events.Clear();
    dialog.GetWidget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.GetWidget()));
    dialog.back.GetControl()->SetFocus();
    ASSERT_EQ(QApplication::focusWidget(), dialog.back.GetWidget());
    for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(t, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(QApplication::focusWidget(), &key);
        EXPECT_EQ(events.log.size(), t == QEvent::KeyPress ? 0u : 1u);
    }
    EXPECT_EQ(events.log, std::vector<std::string>{"-600()"});
    events.Clear();
    Click(dialog.lamp);
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, -600}));
    EXPECT_FALSE(dialog.lamp.GetValue());
    ASSERT_EQ(dialog.lamp.SetBackColor(RGB(255, 55, 55)), S_OK);
    const QImage lamp = RenderWidget(dialog.lamp.GetWidget());
    SaveTestImage(lamp, "button_lamp");
    EXPECT_EQ(lamp.pixel(4, 4) & 0xFFFFFF, 0xFF3737u);
    // The text is drawn, in white or black by contrast.
    EXPECT_GT(CountColour(lamp, lamp.rect(), qRgb(0, 0, 0)) +
                  CountColour(lamp, lamp.rect(), qRgb(255, 255, 255)),
              10);

    events.Clear();
    dialog.back.EnableWindow(FALSE);
    dialog.back.GetControl()->EnableWindow(FALSE);
    static_cast<CWButton*>(dialog.back.GetControl())->MouseDown(1, 0, QPoint(5, 5), false);
    static_cast<CWButton*>(dialog.back.GetControl())->MouseUp(1, QPoint(5, 5));
    static_cast<CWButton*>(dialog.back.GetControl())->ClickByKey();
    EXPECT_TRUE(events.log.empty());
}

TEST_F(InstrumentTest, APictureLoadsAndABadPathKeepsThePreviousOne) {
    QImage png(20, 10, QImage::Format_RGB32);
    png.fill(qRgb(0, 200, 0));
    const CString path = env.File("switch.png");
    ASSERT_TRUE(png.save(path.ToQString()));
    ASSERT_EQ(dialog.back.GetDriver().SetLong(9060, 3), S_OK);
    const CDispatchDriver picture = dialog.back.GetImage().GetObject(256);
    ASSERT_EQ(picture.SetString(1, path), S_OK);
    ASSERT_EQ(picture.SetBool(4, false), S_OK);
    ASSERT_EQ(Call(picture, 8), S_OK);
    QImage face = RenderWidget(dialog.back.GetWidget());
    SaveTestImage(face, "button_picture");
    EXPECT_GT(face.pixelColor(face.width() / 2, face.height() / 2).green(), 150);
    EXPECT_LT(face.pixelColor(face.width() / 2, face.height() / 2).red(), 60);
    const CString before = dialog.back.GetControl()->Dump();
    ASSERT_EQ(picture.SetString(1, env.File("missing.png")), S_OK);
    EXPECT_EQ(Call(picture, 8), E_INVALIDARG);
    EXPECT_NE(dialog.back.GetControl()->Dump().Find(before.Mid(before.Find("image="))), -1);
    face = RenderWidget(dialog.back.GetWidget());
    EXPECT_GT(face.pixelColor(face.width() / 2, face.height() / 2).green(), 150);
    EXPECT_LT(face.pixelColor(face.width() / 2, face.height() / 2).red(), 60);
}

TEST_F(InstrumentTest, EveryShippedPictureLoadsAndIsDrawn) {
    // A face whose middle is not the plain back colour shows its picture.
    auto drawn = [](CCWButton& button) {
        const QImage face = RenderWidget(button.GetWidget());
        return (face.pixel(face.width() / 2, face.height() / 2) & 0xFFFFFF) != 0xF0F0F0u;
    };
    EXPECT_TRUE(drawn(dialog.forward));  // named by its template entry

    const QStringList names =
        QDir(ProgramFile("pictures").ToQString()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names, (QStringList{"back.xpm", "clock.xpm", "external1.xpm", "external2.xpm",
                                  "forward.xpm", "humidity.xpm", "light.xpm", "pressure.xpm",
                                  "sound.xpm", "temperature.xpm"}));
    ASSERT_EQ(dialog.back.SetText(""), S_OK);
    ASSERT_EQ(dialog.back.GetDriver().SetLong(9060, 3), S_OK);
    EXPECT_FALSE(drawn(dialog.back));
    const CDispatchDriver picture = dialog.back.GetImage().GetObject(256);
    ASSERT_EQ(picture.SetBool(4, false), S_OK);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString path = ProgramFile("pictures").ToQString() + "/" + name;
        ASSERT_EQ(picture.SetString(1, CString(path)), S_OK);
        ASSERT_EQ(Call(picture, 8), S_OK);
        EXPECT_TRUE(drawn(dialog.back));
    }
}

TEST_F(InstrumentTest, KnobAndSlideShowTheirValueClampedToTheRange) {
    const CDispatchDriver knobAxis = dialog.knob.GetAxis();
    EXPECT_EQ(Call(knobAxis, 14, {VarR8(5), VarR8(5)}), E_INVALIDARG);
    EXPECT_EQ(Call(knobAxis, 14, {VarR8(0), VarR8(std::numeric_limits<double>::infinity())}),
              E_INVALIDARG);
    EXPECT_EQ(Call(knobAxis, 14, {VarI4(0)}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(dialog.knob.SetValue(std::nan("")), E_INVALIDARG);
    ASSERT_EQ(Call(knobAxis, 14, {VarI4(0), VarR8(10)}), S_OK);
    ASSERT_EQ(knobAxis.SetBool(9, true), S_OK);
    ASSERT_EQ(knobAxis.SetString(11, "C"), S_OK);
    ASSERT_EQ(knobAxis.SetString(-518, "Temperature (C)"), S_OK);
    EXPECT_EQ(dialog.knob.GetDriver().GetString(-518), "Temperature (C)");  // one text, two paths

    struct Row {
        double put, value;
    };
    for (const Row r : {Row{0, 0}, Row{5, 5}, Row{10, 10}, Row{14.4, 10}, Row{-3, 0}}) {
        SCOPED_TRACE(r.put);
        ASSERT_EQ(dialog.knob.SetValue(r.put), S_OK);
        EXPECT_EQ(dialog.knob.GetValue(), r.value);
        // The needle points along the dial: from the lower left (min) over the top to the lower
        // right.
        const QImage image = RenderWidget(dialog.knob.GetWidget());
        const double f = r.value / 10, a = (225 - 270 * f) * M_PI / 180;
        const QWidget* w = dialog.knob.GetWidget();
        const QFontMetricsF fm(QFont("DejaVu Sans"));
        const QPointF c(w->width() / 2.0, (w->height() - 15) / 2.0);
        bool red = false;
        for (double rad = 8; rad < 16; rad += 1) {
            const QPoint q = (c + QPointF(std::cos(a), -std::sin(a)) * rad).toPoint();
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const QColor col = image.pixelColor(q + QPoint(dx, dy));
                    if (col.red() > 150 && col.green() < 90) red = true;
                }
        }
        EXPECT_TRUE(red);
        if (r.put == 5) SaveTestImage(image, "knob_middle");
    }

    const CDispatchDriver slideAxis = dialog.slide.GetAxis();
    ASSERT_EQ(Call(slideAxis, 14, {VarR8(0), VarR8(100)}), S_OK);
    for (const Row r : {Row{0, 0}, Row{50, 50}, Row{100, 100}, Row{250, 100}}) {
        SCOPED_TRACE(r.put);
        ASSERT_EQ(dialog.slide.SetValue(r.put), S_OK);
        EXPECT_EQ(dialog.slide.GetValue(), r.value);
        const QImage image = RenderWidget(dialog.slide.GetWidget());
        if (r.put == 50) SaveTestImage(image, "slide_middle");
        // The bar's column: blue up to the value's height, white above.
        const int x =
            static_cast<int>(image.width() * 0.5 - std::max(6.0, image.width() * 0.25) / 2);
        int blue = 0, white = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            blue += p == 0x0040D0u;
            white += p == 0xFFFFFFu;
        }
        if (r.value == 0)
            EXPECT_EQ(blue, 0);
        else if (r.value == 100)
            EXPECT_EQ(white, 0);
        else
            EXPECT_NEAR(static_cast<double>(blue) / (blue + white), 0.5, 0.05);
    }
    // The caption is drawn: the slide's top rows hold text.
    const QImage withCaption = RenderWidget(dialog.slide.GetWidget());
    int dark = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < withCaption.width(); ++x)
            dark += withCaption.pixelColor(x, y).value() < 100;
    EXPECT_GT(dark, 5);
}

TEST(GaugeScale, FourDigitLabelsKeepClearOfTheDialAndInsideTheGauge) {
    using platform::instruments::GaugeState;
    auto dark = [](const QImage& image, int x, int y) {
        return image.valid(x, y) && qGray(image.pixel(x, y)) < 128;
    };
    auto edgesBlank = [&](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            if (dark(image, 0, y) || dark(image, image.width() - 1, y)) return false;
        return true;
    };
    const struct { double min, max; } ranges[] = {{0, 10}, {0, 1400}, {-2000, 2000}};
    for (const auto& r : ranges) {
        SCOPED_TRACE(r.max);
        GaugeState s;
        s.min = r.min, s.max = r.max, s.scaleShown = true;

        QImage knob(140, 140, QImage::Format_RGB32);
        knob.fill(Qt::white);
        {
            QPainter p(&knob);
            platform::instruments::PaintKnob(p, QRectF(knob.rect()), s, true);
        }
        SaveTestImage(knob, ("knob_scale_" + std::to_string(int(r.max))).c_str());
        // The bottom of the dial carries no tick: the first ink below the centre dot is the rim.
        const QPointF c(70, 70);
        int rim = 6;
        while (rim < 70 && !dark(knob, 70, 70 + rim))
            ++rim;
        ASSERT_LT(rim, 60);
        const double inner = rim + 0.5;  // the rim is 2 px wide
        int onGap = 0;
        for (int y = 0; y < knob.height(); ++y)
            for (int x = 0; x < knob.width(); ++x) {
                const double d = std::hypot(x + 0.5 - c.x(), y + 0.5 - c.y());
                onGap += d > inner + 2.5 && d < inner + 4 && dark(knob, x, y);
            }
        EXPECT_EQ(onGap, 0) << "a label touches the rim";
        EXPECT_TRUE(edgesBlank(knob)) << "a label is cut at the knob's side";

        QImage slide(60, 200, QImage::Format_RGB32);
        slide.fill(Qt::white);
        {
            QPainter p(&slide);
            platform::instruments::PaintSlide(p, QRectF(slide.rect()), s, true);
        }
        SaveTestImage(slide, ("slide_scale_" + std::to_string(int(r.max))).c_str());
        EXPECT_TRUE(edgesBlank(slide)) << "a label is cut at the slide's side";
    }
}

TEST_F(InstrumentTest, GaugesRaiseMouseDownAndWrappersOfGoneControlsFail) {
    QWidget* w = dialog.knob.GetWidget();
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(7, 9), w->mapToGlobal(QPointF(7, 9)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    EXPECT_EQ(events.log, std::vector<std::string>{"-605(1,0,7,9)"});
    dialog.DestroyWindow();
    EXPECT_EQ(dialog.knob.SetValue(1), RPC_E_DISCONNECTED);
    EXPECT_EQ(dialog.sw.SetValue(true), RPC_E_DISCONNECTED);
}

}  // namespace
