// What reaches a real X server's screen of dialogs, their drop-down lists, tool tips and the
// dialogs they open, with the main window (and its web engine) up and a window manager running.
// The dialogs run in the program's own modal loop, not the test script's, and the pictures are
// read back from the root window, not rendered from the widgets. Offscreen they skip; under CI
// they run in the X server step.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <functional>
#include <string>

#include "RES/commands.h"
#include "RES/dialogs/launch_settings.h"
#include "RES/dialogs/option_dialogs.h"
#include "RES/dialogs/x_axis_setup.h"
#include "app/varnel_app.h"
#include "logger/dorvik.h"
#include "platform/ui/dialog.h"
#include "platform/ui/modal_host.h"
#include "tests/app/x_session.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

// The screen's pixels in `r` (global coordinates), as the X server holds them.
QImage OnScreen(const QRect& r) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QRect GlobalRect(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

bool MostlyBlack(const QImage& image) {
    if (image.isNull()) return true;
    qint64 black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 24) ++black;
    return black * 2 > qint64(image.width()) * image.height();
}

// Pixels that stand out from the picture's most common colour: the strokes of a text.
int Ink(const QImage& image) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb ground = 0;
    int most = -1;
    for (const auto& [colour, n] : counts)
        if (n > most) ground = colour, most = n;
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (std::abs(qGray(image.pixel(x, y)) - qGray(ground)) > 60) ++ink;
    return ink;
}

// The picture of `r` once it is painted, kept for a person to look at.
QImage ShownPicture(const QRect& r, const char* name) {
    // Painting may trail the window's exposure by an event round or two.
    static_cast<void>(QTest::qWaitFor([&] { return !MostlyBlack(OnScreen(r)); }, 3000));
    QTest::qWait(100);
    const QImage picture = OnScreen(r);
    testing_support::SaveTestImage(picture, name);
    return picture;
}

void ExpectPainted(const QRect& r, const char* name) {
    SCOPED_TRACE(name);
    const QImage picture = ShownPicture(r, name);
    EXPECT_FALSE(MostlyBlack(picture)) << "the screen is black where it stands";
    EXPECT_GT(Ink(picture), 20) << "no text shows";
}

// While it lives, dialogs run modally as in the program, not through the test's script.
class ProgramModalLoop {
public:
    ProgramModalLoop() : m_script(&platform::ModalHost::Current()) {
        platform::ModalHost::Install(nullptr);
    }
    ~ProgramModalLoop() { platform::ModalHost::Install(m_script); }

private:
    platform::ModalHost* m_script;
};

// Once the modal dialog of `templateId` is up and exposed, inside its own modal loop, `look` runs;
// then the dialog is cancelled. None coming up fails the test.
void WhenDialogShows(UINT templateId, std::function<void(CDialog&)> look,
                     QDeadlineTimer deadline = QDeadlineTimer(8000)) {
    QTimer::singleShot(20, [templateId, look = std::move(look), deadline]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        auto* dialog = w ? dynamic_cast<CDialog*>(CWnd::FromWidget(w)) : nullptr;
        const bool exposed = w && w->windowHandle() && w->windowHandle()->isExposed();
        if (dialog && exposed && dialog->GetTemplateId() == templateId) {
            look(*dialog);
            if (!dialog->IsEnded()) dialog->EndDialog(IDCANCEL);
            return;
        }
        if (deadline.hasExpired()) {
            ADD_FAILURE() << "dialog " << templateId << " did not come up";
            if (dialog) dialog->EndDialog(IDCANCEL);
            return;
        }
        // Under another dialog the awaited one may be on its way: look again soon.
        WhenDialogShows(templateId, std::move(look), deadline);
    });
}

class ScreenPaint : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing_support::StartWindowManager(); }

    void SetUp() override {
        REQUIRE_REAL_SCREEN();
        QCoreApplication::setOrganizationName("Mercant Systems");
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame->GetWidget()->windowHandle()));
    }
    void TearDown() override {
        if (frame) app.ExitInstance();
    }

    testing_support::TempEnvironment env;
    testing_support::ScopedVirtualClock clock;
    // A logger that stays silent: the start-up shows no message about it.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ModalScript modals;
    CVarnelApp app;
    CFrameWnd* frame = nullptr;
};

TEST_F(ScreenPaint, ADialogsDropDownListAndToolTipReachTheScreen) {
    bool looked = false;
    WhenDialogShows(IDD_UNIT_SETTINGS, [&](CDialog& d) {
        looked = true;
        ExpectPainted(GlobalRect(d.GetWidget()), "screen-unit-settings");

        // The Temperature list as a user opens it: each of its entries shows.
        auto* combo = qobject_cast<QComboBox*>(d.GetDlgItem(IDC_TEMPERATURE_UNIT)->GetWidget());
        ASSERT_NE(combo, nullptr);
        ASSERT_GT(combo->count(), 1);
        QTest::mouseClick(combo, Qt::LeftButton, {}, combo->rect().center());
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return list->window()->windowHandle() &&
                       list->window()->windowHandle()->isExposed();
            },
            3000))
            << "the list did not open";
        ExpectPainted(GlobalRect(list->window()), "screen-unit-settings-temperature-list");
        for (int i = 0; i < combo->count(); ++i) {
            const QRect row = list->visualRect(combo->model()->index(i, 0));
            const QRect onScreen(list->viewport()->mapToGlobal(row.topLeft()), row.size());
            EXPECT_GT(Ink(OnScreen(onScreen)), 5) << "entry " << combo->itemText(i).toStdString();
        }
        combo->hidePopup();
        // The focus that comes back to the dialog would hide a tip shown before it.
        QTest::qWait(300);

        // A tool tip over the dialog.
        const QPoint at = combo->mapToGlobal(combo->rect().bottomLeft() + QPoint(4, 8));
        QToolTip::showText(at, "Degrees Celsius, Fahrenheit or Kelvin", combo);
        QWidget* tip = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->windowType() == Qt::ToolTip && w->isVisible() && w->windowHandle() &&
                        w->windowHandle()->isExposed())
                        tip = w;
                return tip != nullptr;
            },
            3000))
            << "the tool tip did not show";
        ExpectPainted(GlobalRect(tip), "screen-unit-settings-tooltip");
        QToolTip::hideText();
    });
    {
        const ProgramModalLoop programLoop;
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_UNIT_SETTINGS));
    }
    EXPECT_TRUE(looked);
}

TEST_F(ScreenPaint, ADialogOpenedFromADialogReachesTheScreen) {
    // Launch settings needs a worksheet, opened as a user opens one.
    const CString lesson = env.File("Lesson.htm");
    QFile page(lesson.ToQString());
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body><p>Lesson</p></body></html>");
    page.close();
    modals.ExpectFileDialog(lesson);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_OPEN_WORKSHEET));

    bool looked = false;
    WhenDialogShows(IDD_LAUNCH_SETTINGS, [&](CDialog& launch) {
        ExpectPainted(GlobalRect(launch.GetWidget()), "screen-launch-settings");
        WhenDialogShows(IDD_X_AXIS_SETUP, [&](CDialog& axis) {
            looked = true;
            ExpectPainted(GlobalRect(axis.GetWidget()), "screen-launch-settings-x-axis");
        });
        testing_support::Press(launch, IDC_LAUNCH_X_AXIS);
    });
    {
        const ProgramModalLoop programLoop;
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_LAUNCH_SETTINGS));
    }
    EXPECT_TRUE(looked);
}

}  // namespace
