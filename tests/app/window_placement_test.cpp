// The main window on a real X server with a window manager: its frame, title bar included, lies on
// the screen, and the rectangle it closes with is where the next start opens it. Offscreen there is
// no frame to place, so the tests skip there; under CI they run in the X server step.

#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <ostream>

#include "RES/commands.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/msg/standard_ids.h"
#include "tests/app/x_session.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << ", " << r.y() << " " << r.width() << " x " << r.height();
}

namespace {

QRect ToQRect(const CRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

class WindowPlacement : public ::testing::Test {
protected:
    // One window manager for the program's run: openbox when none runs yet.
    static void SetUpTestSuite() { testing_support::StartWindowManager(); }

    void SetUp() override {
        REQUIRE_REAL_SCREEN();
        area = QGuiApplication::primaryScreen()->availableGeometry();
        // The settings file lies in the program's data folder, which its start names.
        QCoreApplication::setOrganizationName("Mercant Systems");
    }

    void SaveRect(const QRect& r) {
        CSettings s;
        s.m_mainWindowRect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
        ASSERT_TRUE(s.Save());
    }
    static QWidget* Main(CVarnelApp& app) { return app.GetMainFrame()->GetWidget(); }
    // The frame once the window manager has framed the window and it stands where `want` says.
    static QRect FrameOnceAt(CVarnelApp& app, const QRect& want) {
        QWidget* w = Main(app);
        const bool placed = QTest::qWaitFor(
            [&] { return w->frameGeometry().size() != w->size() && w->frameGeometry() == want; },
            5000);
        return placed ? want : w->frameGeometry();
    }

    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    testing_support::ScopedVirtualClock clock;
    testing_support::ModalScript modals;
    QRect area;
};

TEST_F(WindowPlacement, TheFrameTitleBarIncludedOpensOnTheScreen) {
    const int w = area.width() * 3 / 4, h = area.height() * 3 / 4;
    struct Row {
        const char* name;
        QRect saved, want;
    };
    const Row rows[] = {
        {"fits", QRect(area.left() + 40, area.top() + 30, w, h),
         QRect(area.left() + 40, area.top() + 30, w, h)},
        {"above and left of the screen", QRect(area.left() - 200, area.top() - 100, w, h),
         QRect(area.left(), area.top(), w, h)},
        {"past the bottom right", QRect(area.right() - 100, area.bottom() - 50, w, h),
         QRect(area.right() + 1 - w, area.bottom() + 1 - h, w, h)},
        {"larger than the screen",
         QRect(area.left() - 50, area.top() - 50, area.width() * 2, area.height() * 2), area},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        SaveRect(r.saved);
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        const QRect frame = FrameOnceAt(app, r.want);
        EXPECT_NE(frame.size(), Main(app)->size()) << "the window manager framed the window";
        EXPECT_EQ(frame, r.want);
        EXPECT_TRUE(area.contains(frame)) << "the title bar lies on the screen";
        app.ExitInstance();
    }
}

TEST_F(WindowPlacement, TheRectangleAWindowClosesWithComesBackAtTheNextStart) {
    const QRect moved(area.left() + 50, area.top() + 40, std::min(area.width() - 60, 560),
                      std::min(area.height() - 50, 400));
    {
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        QWidget* w = Main(app);
        const QRect first(area.topLeft(), QSize(800, 600).boundedTo(area.size()));
        ASSERT_EQ(FrameOnceAt(app, first), first) << "where a first start opens it";
        // Where the user moves and sizes it; maximised, it still keeps that place.
        const QSize border = w->frameGeometry().size() - w->size();
        w->resize(moved.size() - border);
        w->move(moved.topLeft());
        EXPECT_EQ(FrameOnceAt(app, moved), moved);
        w->showMaximized();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return w->isMaximized() && w->frameGeometry() != moved; }, 5000));
        app.GetMainFrame()->SendMessage(WM_CLOSE);
        ASSERT_EQ(app.m_pMainWnd, nullptr);
        app.ExitInstance();
    }
    EXPECT_EQ(ToQRect(CSettings().m_mainWindowRect), moved);
    {
        // It comes back maximised, and restored it stands where it stood before.
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        QWidget* w = Main(app);
        EXPECT_TRUE(QTest::qWaitFor([&] { return w->isMaximized(); }, 5000));
        w->showNormal();
        EXPECT_EQ(FrameOnceAt(app, moved), moved);
        app.GetMainFrame()->SendMessage(WM_CLOSE);
        app.ExitInstance();
    }
    // Closed restored, it comes back restored.
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(FrameOnceAt(app, moved), moved);
    EXPECT_FALSE(Main(app)->isMaximized());
    app.ExitInstance();
}

TEST_F(WindowPlacement, FileDialogsStandCentredOnTheMainWindow) {
    // An 800 x 600 window off the screen's centre: a chooser centred on the screen, or at the
    // window's corner, lies half outside it.
    const QRect main(area.left() + 20, area.top() + 20, std::min(area.width() - 40, 800),
                     std::min(area.height() - 40, 600));
    SaveRect(main);
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    // No logger answers here.
    modals.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
    clock.RunPending();
    ASSERT_EQ(FrameOnceAt(app, main), main);
    const struct {
        const char* name;
        UINT id;
    } rows[] = {
        {"File > Import CSV File", ID_IMPORT_CSV},
        {"File > Open", ID_FILE_OPEN},
        {"File > Save As", ID_FILE_SAVE_AS},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QRect shown;
        modals.ExpectQtDialog([&](QDialog& d) {
            // The real chooser, as the program shows it, looked at once the window manager has
            // framed it.
            QTimer::singleShot(0, &d, [&] {
                EXPECT_TRUE(QTest::qWaitFor(
                    [&] { return d.isVisible() && d.frameGeometry().size() != d.size(); }, 5000));
                QTest::qWait(200);
                shown = d.frameGeometry();
                d.reject();
            });
            return modals.platform::ModalHost::RunQtDialog(d);
        });
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*app.GetMainFrame(), r.id));
        ASSERT_FALSE(shown.isEmpty());
        // Centred before its frame is known: the title bar may take it half its height lower.
        const QPoint off = shown.center() - main.center();
        EXPECT_LE(std::abs(off.x()), 2) << shown.x() << ", " << shown.y();
        EXPECT_LE(std::abs(off.y()), 16) << shown.x() << ", " << shown.y();
        EXPECT_TRUE(area.contains(shown));
    }
    app.ExitInstance();
}

}  // namespace
