// The main of every test program: Qt on the offscreen platform unless told otherwise, the numeric
// locale pinned, and a real font, without which text measurements would be meaningless.

#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <cstdio>

#include "app/msg_dialog.h"
#include "platform/base/numeric_locale.h"
#include "platform/media/media_threads.h"
#include "platform/ui/bars.h"
#include "platform/ui/dialog.h"
#include "tests/support/harness.h"

namespace {
// Tests share one Qt queue when they run in one process.
class LeftoverDrain : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { testing_support::DrainLeftoverEvents(); }
};
}  // namespace

int main(int argc, char** argv) {
    media::KeepMediaThreads();
    // The worksheet browser shares its drawing contexts: set before Qt starts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // As root the web engine starts only without its sandbox; the tests load only their own pages.
    if (getuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // CTest's discovery runs the binaries without the test environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing_support::EnsureRuntimeFolder();
    QApplication app(argc, argv);
    QApplication::setApplicationName("VarnelTests");
    platform::PinNumericLocale();

    const QFontMetrics metrics(platform::DialogFont());
    if (QFontDatabase::families().isEmpty() || !metrics.inFont(QChar('A')) ||
        metrics.horizontalAdvance("W") <= 0) {
        std::fprintf(
            stderr,
            "No usable font is installed (install fonts-dejavu-core): the tests cannot run.\n");
        return 2;
    }

    // The core tells the user through the application's boxes, which the modal script answers.
    CMsgDialogPrompt prompt;
    InstallUserPrompt(&prompt);
    // The test programs sit one folder below the program's.
    SetToolbarPictureFolder(
        CString(QDir::cleanPath(VARNEL_TEST_OUTPUT_DIR "/../pictures/toolbar")));

    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new LeftoverDrain);
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The leak check at exit stops every thread; one of the media framework's still ending
    // under it brings the check down.
    media::EndMediaThreads();
    return result;
}
