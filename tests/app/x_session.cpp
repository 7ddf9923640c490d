#include "tests/app/x_session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>

#include <xcb/xcb.h>

namespace testing_support {

bool WindowManagerRuns() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    bool runs = false;
    if (!xcb_connection_has_error(c)) {
        const char name[] = "_NET_SUPPORTING_WM_CHECK";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        if (atom && atom->atom != XCB_ATOM_NONE) {
            xcb_get_property_reply_t* p = xcb_get_property_reply(
                c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
            // The property outlives a window manager that was killed: its window must live too.
            if (p && xcb_get_property_value_length(p) >= int(sizeof(xcb_window_t))) {
                const xcb_window_t check = *static_cast<xcb_window_t*>(xcb_get_property_value(p));
                xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(
                    c, xcb_get_window_attributes(c, check), nullptr);
                runs = a != nullptr;
                free(a);
            }
            free(p);
        }
        free(atom);
    }
    xcb_disconnect(c);
    return runs;
}

void StartWindowManager() {
    // One for all suites: a window manager started again in the same run may not yet frame the
    // first window it is shown.
    static QProcess* openbox = nullptr;
    if (openbox || QGuiApplication::platformName() != "xcb" || WindowManagerRuns()) return;
    if (QStandardPaths::findExecutable("openbox").isEmpty()) return;
    openbox = new QProcess;
    openbox->start("openbox", {"--sm-disable"});
    static_cast<void>(QTest::qWaitFor(WindowManagerRuns, 10000));
    qAddPostRoutine([] {
        openbox->terminate();
        openbox->waitForFinished(5000);
        delete openbox;
        openbox = nullptr;
    });
}

std::string WhyNoRealScreen(bool& mustRun) {
    mustRun = false;
    if (QGuiApplication::platformName() != "xcb")
        return "needs a real X server (QT_QPA_PLATFORM=xcb)";
    if (WindowManagerRuns()) return {};
    mustRun = std::getenv("CI") != nullptr;
    return mustRun ? "no window manager runs and openbox could not start"
                   : "no window manager (install openbox)";
}

}  // namespace testing_support
