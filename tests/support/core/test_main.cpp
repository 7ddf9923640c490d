// The main of the core's test programs: Qt Core alone, with no widget and no display, and the
// numeric locale pinned.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/base/numeric_locale.h"
#include "tests/support/core/harness.h"

namespace {
// Tests share one Qt queue when they run in one process.
class LeftoverDrain : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        testing_support::DrainLeftoverCoreEvents();
    }
};
}  // namespace

int main(int argc, char** argv) {
    testing_support::EnsureRuntimeFolder();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("VarnelTests");
    platform::PinNumericLocale();

    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new LeftoverDrain);
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
