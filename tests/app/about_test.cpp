#include <gtest/gtest.h>

#include <QTest>

#include "RES/dialogs/about.h"
#include "app/varnel_app.h"
#include "platform/ui/shell.h"
#include "platform/win/standard_ids.h"
#include "tests/support/harness.h"
#include "tests/support/sim_port.h"

namespace {

TEST(About, ShowsTheVersionAndItsLinkOpensTheReadmeThroughTheOpener) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
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
    app.m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_EQ(modals.Pending(), 0u);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("README.md"));
    app.ExitInstance();
    platform::SetShellOpener({});
    platform::ModalHost::Install(nullptr);
}

}  // namespace
