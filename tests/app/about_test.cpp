#include <gtest/gtest.h>

#include <QTest>

#include "RES/dialogs/about.h"
#include "app/varnel_app.h"
#include "logger/dorvik.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/shell.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

TEST(About, ShowsTheVersionAndItsLinkOpensTheReadmeThroughTheOpener) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ModalScript modals;
    platform::ModalHost::Install(&modals);
    std::vector<QUrl> opened;
    platform::SetShellOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    modals.ExpectDialog(IDD_ABOUT, [](CDialog& dlg) {
        EXPECT_EQ(dlg.GetWindowText(), "About Varnel");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_ABOUT_VERSION), "Varnel Version 3.3.11");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_ABOUT_OK), "OK");
        CWnd* link = dlg.GetDlgItem(IDC_ABOUT_LINK);
        ASSERT_NE(link, nullptr);
        EXPECT_TRUE(link->GetWindowText().Left(7) == "file://");
        QTest::mouseClick(link->GetWidget(), Qt::LeftButton);
        testing_support::Press(dlg, IDC_ABOUT_OK);
    });
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*app.GetMainFrame(), ID_APP_ABOUT));
    EXPECT_EQ(modals.Pending(), 0u);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("README.md"));
    app.ExitInstance();
    platform::SetShellOpener({});
    platform::ModalHost::Install(nullptr);
}

}  // namespace
