// The program itself, started twice on a real X server under openbox: the main window's size,
// place and maximised state that one run ends with are what the next opens with. The window is
// sized, maximised and closed as the window manager does it for a user, through its requests.

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSettings>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <optional>
#include <ostream>
#include <vector>

#include <xcb/xcb.h>

#include "logger/settings.h"
#include "tests/app/x_session.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"

void PrintTo(const QRect& r, std::ostream* os);  // with the placement tests

namespace {

// A client of the X server of its own, beside the program's connection.
class X {
public:
    X() : m_c(xcb_connect(nullptr, nullptr)) {
        if (!xcb_connection_has_error(m_c))
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~X() { xcb_disconnect(m_c); }
    X(const X&) = delete;
    X& operator=(const X&) = delete;

    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }
    std::vector<uint32_t> Property(xcb_window_t w, const char* name, xcb_atom_t type) {
        std::vector<uint32_t> out;
        xcb_get_property_reply_t* p = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, w, Atom(name), type, 0, 64), nullptr);
        if (p && p->format == 32) {
            const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(p));
            out.assign(v, v + xcb_get_property_value_length(p) / 4);
        }
        free(p);
        return out;
    }
    // The managed windows of the process, by the pid each states.
    std::vector<xcb_window_t> WindowsOf(qint64 pid) {
        std::vector<xcb_window_t> out;
        for (uint32_t w : Property(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
            const auto owner = Property(w, "_NET_WM_PID", XCB_ATOM_CARDINAL);
            if (!owner.empty() && owner[0] == uint32_t(pid)) out.push_back(w);
        }
        return out;
    }
    // The window with the frame the window manager drew around it, on the screen.
    QRect Frame(xcb_window_t w) {
        xcb_get_geometry_reply_t* g =
            xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, w), nullptr);
        xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
            m_c, xcb_translate_coordinates(m_c, w, m_root, 0, 0), nullptr);
        QRect r;
        const auto extents = Property(w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
        if (g && t && extents.size() == 4)
            r = QRect(t->dst_x - int(extents[0]), t->dst_y - int(extents[2]),
                      g->width + int(extents[0] + extents[1]),
                      g->height + int(extents[2] + extents[3]));
        free(g);
        free(t);
        return r;
    }
    bool Maximised(xcb_window_t w) {
        const auto state = Property(w, "_NET_WM_STATE", XCB_ATOM_ATOM);
        const auto has = [&](const char* name) {
            return std::find(state.begin(), state.end(), Atom(name)) != state.end();
        };
        return has("_NET_WM_STATE_MAXIMIZED_VERT") && has("_NET_WM_STATE_MAXIMIZED_HORZ");
    }
    // What a user's drag of the frame asks the window manager for: the frame to `r`.
    void MoveResize(xcb_window_t w, const QRect& r) {
        // North-west gravity: the position is the frame's; from a pager (source 2).
        Send(w, "_NET_MOVERESIZE_WINDOW",
             {1u | (0xFu << 8) | (2u << 12), uint32_t(r.x()), uint32_t(r.y()), uint32_t(r.width()),
              uint32_t(r.height())});
    }
    // The title bar's maximise button, and again to restore.
    void Maximise(xcb_window_t w, bool on = true) {
        Send(w, "_NET_WM_STATE",
             {on ? 1u : 0u, Atom("_NET_WM_STATE_MAXIMIZED_VERT"),
              Atom("_NET_WM_STATE_MAXIMIZED_HORZ"), 2, 0});
    }
    // The close button of the title bar.
    void Close(xcb_window_t w) { Send(w, "_NET_CLOSE_WINDOW", {XCB_CURRENT_TIME, 2, 0, 0, 0}); }

private:
    void Send(xcb_window_t w, const char* type, std::initializer_list<uint32_t> data) {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = Atom(type);
        int i = 0;
        for (uint32_t d : data)
            e.data.data32[i++] = d;
        xcb_send_event(m_c, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&e));
        xcb_flush(m_c);
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root = XCB_WINDOW_NONE;
};

class RealStart : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing_support::StartWindowManager(); }
    void SetUp() override { REQUIRE_REAL_SCREEN(); }
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    // Starts the program and waits for its window, framed, at rest. The message that no
    // logger answered comes up over it; a user closes it first.
    xcb_window_t Start() {
        program.setProgram(VARNEL_PROGRAM);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start();
        if (!program.waitForStarted(10000)) return XCB_WINDOW_NONE;
        std::vector<xcb_window_t> shown;
        // Without the box the one window is taken after the wait.
        static_cast<void>(QTest::qWaitFor(
            [&] { return (shown = x.WindowsOf(program.processId())).size() == 2; }, 20000));
        if (shown.empty()) return XCB_WINDOW_NONE;
        // The main window is the larger.
        auto area = [&](xcb_window_t w) {
            const QRect f = x.Frame(w);
            return f.width() * f.height();
        };
        std::sort(shown.begin(), shown.end(),
                  [&](xcb_window_t a, xcb_window_t b) { return area(a) > area(b); });
        // A close asked for before the box is ready to answer it is lost: asked again until
        // it has gone.
        QElapsedTimer waited;
        waited.start();
        for (auto now = x.WindowsOf(program.processId());
             now.size() > 1 && waited.elapsed() < 15000; now = x.WindowsOf(program.processId())) {
            for (xcb_window_t w : now)
                if (w != shown[0]) x.Close(w);
            QTest::qWait(300);
        }
        Settle(shown[0]);
        return shown[0];
    }
    // Until the frame has stopped changing for a while: the window manager has answered.
    QRect Settle(xcb_window_t w) {
        QRect last = x.Frame(w);
        for (int still = 0, tries = 0; still < 5 && tries < 100; ++tries) {
            QTest::qWait(100);
            const QRect now = x.Frame(w);
            still = now == last ? still + 1 : 0;
            last = now;
        }
        return last;
    }
    // Closed by its title bar's button, with no data to keep: the program ends.
    bool Close(xcb_window_t w) {
        x.Close(w);
        return program.waitForFinished(20000) && program.exitStatus() == QProcess::NormalExit;
    }
    // The settings file the program keeps, and its registry store: the program's own, under the
    // user folders it was given (the test's store lies beside them).
    QString Found(const QString& name) {
        const QString folder = name.endsWith(".ini") ? "/config" : "/data";
        QDirIterator it(env.Path().ToQString() + folder, {name}, QDir::Files,
                        QDirIterator::Subdirectories);
        return it.hasNext() ? it.next() : QString();
    }
    std::optional<QRect> SavedRect() {
        const QString path = Found("Settings.vns");
        if (path.isEmpty()) return std::nullopt;
        const CRect r = CSettings(CString(path)).m_mainWindowRect;
        return QRect(r.left, r.top, r.Width(), r.Height());
    }
    QVariant StoredMaximised() {
        const QString path = Found("registry.ini");
        if (path.isEmpty()) return {};
        QSettings store(path, QSettings::IniFormat);
        for (const QString& key : store.allKeys())
            if (key.contains("Main window") && key.endsWith("Maximized")) return store.value(key);
        return {};
    }

    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    QProcess program;
    X x;
};

TEST_F(RealStart, TheMainWindowComesBackAsSizedOrMaximised) {
    xcb_window_t w = Start();
    ASSERT_NE(w, XCB_WINDOW_NONE) << "the program's window";
    const QRect first = x.Frame(w);
    const QRect sized(first.x() + 60, first.y() + 40, first.width() - 100, first.height() - 80);
    x.MoveResize(w, sized);
    const QRect moved = Settle(w);
    ASSERT_NE(moved, first) << "the window manager sized the window";
    ASSERT_TRUE(Close(w));
    const auto saved = SavedRect();
    ASSERT_TRUE(saved.has_value()) << "the settings file";
    EXPECT_EQ(*saved, moved) << "the settings keep the frame as it closed";

    // Started again: where and as large as it closed. Maximised, then closed.
    w = Start();
    ASSERT_NE(w, XCB_WINDOW_NONE);
    EXPECT_EQ(x.Frame(w), moved);
    EXPECT_FALSE(x.Maximised(w));
    // As a user clicks again a button that did not take.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (x.Maximised(w)) return true;
            x.Maximise(w);
            QTest::qWait(300);
            return false;
        },
        10000));
    Settle(w);
    const qint64 settingsSize = QFile(Found("Settings.vns")).size();
    ASSERT_TRUE(Close(w));
    EXPECT_EQ(StoredMaximised().toInt(), 1) << "the registry store keeps the maximised state";
    EXPECT_EQ(SavedRect(), std::optional<QRect>(moved)) << "and the settings the restored frame";
    EXPECT_EQ(QFile(Found("Settings.vns")).size(), settingsSize) << "the file's layout stays";

    // Maximised at the next start; restored by the window manager, the frame it had.
    w = Start();
    ASSERT_NE(w, XCB_WINDOW_NONE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return x.Maximised(w); }, 5000))
        << "frame " << x.Frame(w).x() << ", " << x.Frame(w).y() << " " << x.Frame(w).width()
        << " x " << x.Frame(w).height() << ", windows " << x.WindowsOf(program.processId()).size();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (!x.Maximised(w)) return true;
            x.Maximise(w, false);
            QTest::qWait(300);
            return false;
        },
        10000));
    EXPECT_EQ(Settle(w), moved);
    ASSERT_TRUE(Close(w));
    EXPECT_EQ(StoredMaximised().toInt(), 0);
    EXPECT_EQ(SavedRect(), std::optional<QRect>(moved));
}

}  // namespace
