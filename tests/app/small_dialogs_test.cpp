// The small dialogs: export, unit and interface-level settings, the storage folder dialog with its
// folder browser, and the hyperlink label.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include "RES/dialogs/option_dialogs.h"
#include "app/hyper_link.h"
#include "app/option_dialogs.h"
#include "app/storage_path_dialog.h"
#include "platform/msg/keys.h"
#include "tests/support/harness.h"

namespace {

using testing_support::Press;

class SmallDialogsTest : public testing_support::HarnessTest {};

TEST_F(SmallDialogsTest, ExportUnitAndLevelDialogsArePresetAndHandBackTheChoice) {
    CCSVsettingDialog csv;
    csv.SetIgnoreRegional(TRUE);
    modals.ExpectDialog(IDD_CSV_SETTINGS, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Export file settings");
        EXPECT_EQ(d.GetDlgItemText(IDC_IGNORE_REGIONAL), "Ignore regional settings");
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_IGNORE_REGIONAL), 1u);
        Press(d, IDC_IGNORE_REGIONAL);
        Press(d, IDC_IGNORE_REGIONAL);
        Press(d, IDC_IGNORE_REGIONAL);
        Press(d, IDOK);
    });
    EXPECT_EQ(csv.DoModal(), IDOK);
    EXPECT_FALSE(csv.GetIgnoreRegional()) << "ticked and unticked";

    CUnitSettingsDialog units;
    units.SetUnits(2, 5);
    modals.ExpectDialog(IDD_UNIT_SETTINGS, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Unit settings");
        auto& p = dynamic_cast<CComboBox&>(*d.GetDlgItem(IDC_PRESSURE_UNIT));
        EXPECT_EQ(p.GetCount(), 6);
        EXPECT_EQ(p.GetCurSel(), 5);
        p.SetCurSel(3);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PRESSURE_UNIT, CBN_SELCHANGE));
        Press(d, IDOK);
    });
    EXPECT_EQ(units.DoModal(), IDOK);
    BYTE t = 9, p = 9;
    units.GetUnits(t, p);
    EXPECT_EQ(t, 2);
    EXPECT_EQ(p, 3);

    const struct {
        BYTE preset;
        int press;
        int end;
        BYTE level;
    } rows[] = {{0, IDC_LEVEL_ADVANCED, IDOK, 2},
                {2, IDC_LEVEL_SIMPLE, IDOK, 1},
                {1, IDC_LEVEL_BASIC, IDOK, 0},
                {1, IDC_LEVEL_BASIC, IDCANCEL, 1}};
    for (const auto& r : rows) {
        CUserInterfaceDialog level;
        level.SetLevel(r.preset);
        modals.ExpectDialog(IDD_USER_INTERFACE, [&](CDialog& d) {
            EXPECT_EQ(d.GetWindowText(), "User interface setting");
            EXPECT_EQ(d.IsDlgButtonChecked(IDC_LEVEL_BASIC + r.preset), 1u);
            Press(d, r.press);
            Press(d, r.end);
        });
        EXPECT_EQ(level.DoModal(), r.end);
        EXPECT_EQ(level.GetLevel(), r.level);
    }
}

TEST(FolderBrowser, ShortensTheStatusPathByCharacters) {
    const CString p35(std::string(35, 'a'));
    EXPECT_EQ(CFolderDialog::ShortenPath(p35), p35);
    EXPECT_EQ(CFolderDialog::ShortenPath(p35 + "b"), p35 + "...");
    // A letter of two UTF-8 bytes counts once and is never cut in two.
    const CString accented = CString(std::string(34, 'a')) + "é";
    EXPECT_EQ(CFolderDialog::ShortenPath(accented + "b"), accented + "...");
    EXPECT_EQ(CFolderDialog::ShortenPath(accented), accented);
}

TEST_F(SmallDialogsTest, TheStoragePathTakesOnlyAFolderFromTheBrowser) {
    const QString start = env.Path().ToQString() + "/start";
    const QString other = env.Path().ToQString() + "/other";
    QDir().mkpath(start);
    QDir().mkpath(other);
    QFile file(other + "/plain.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    struct Row {
        const char* name;
        QString chosen;  // empty: cancelled
        QString path;
    };
    const Row rows[] = {
        {"cancelled", "", start},
        {"a file is no folder", other + "/plain.txt", start},
        {"a folder", other, other},
    };
    for (const Row& r : rows) {
        CStoragePathDialog dialog;
        dialog.SetPath(CString(start));
        modals.ExpectDialog(IDD_STORAGE_PATH, [&](CDialog& d) {
            EXPECT_EQ(d.GetWindowText(), "Set user data path");
            EXPECT_EQ(d.GetDlgItemText(IDC_STORAGE_PATH), CString(start));
            Press(d, IDC_STORAGE_BROWSE);
            EXPECT_EQ(d.GetDlgItemText(IDC_STORAGE_PATH), CString(r.path)) << r.name;
            Press(d, IDOK);
        });
        modals.ExpectQtDialog([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Current Selection");
            auto* status = d.findChild<QLabel*>("status");
            EXPECT_TRUE(status && status->text() == CFolderDialog::ShortenPath(start).ToQString());
            if (r.chosen.isEmpty()) return int(QDialog::Rejected);
            auto& f = dynamic_cast<QFileDialog&>(d);
            f.setDirectory(QFileInfo(r.chosen).absolutePath());
            f.selectFile(r.chosen);
            return int(QDialog::Accepted);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.GetPath(), CString(r.path)) << r.name;
    }
}

// A link whose opens are scripted: each returns the next result.
class ScriptedLink : public CHyperLink {
public:
    std::vector<INT_PTR> results;
    int opens = 0;

protected:
    INT_PTR ShellOpen(const CString&) override {
        ++opens;
        const INT_PTR r = results.empty() ? 33 : results.front();
        if (!results.empty()) results.erase(results.begin());
        return r;
    }
};

class HyperLinkTest : public testing_support::HarnessTest {
protected:
    HyperLinkTest() {
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 400, 200), nullptr, 0);
        CHyperLink::SetColours(RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0));
    }
    ~HyperLinkTest() override {
        CHyperLink::SetColours(RGB(0, 0, 255), RGB(128, 0, 128), RGB(128, 0, 128), RGB(255, 0, 0));
        host.DestroyWindow();
    }
    void Make(ScriptedLink& link, DWORD style = SS_LEFT, const char* text = "Mercant") {
        ASSERT_TRUE(
            link.Create(text, WS_CHILD | WS_VISIBLE | style, CRect(20, 10, 220, 40), &host, 100));
        link.SetURL("https://example.org/varnel");
    }
    static COLORREF Shown(const CHyperLink& link) {
        const QColor c = link.GetWidget()->palette().color(QPalette::WindowText);
        return RGB(c.red(), c.green(), c.blue());
    }
    CWnd host;
};

TEST_F(HyperLinkTest, StylesAreChangedOnlyByDisjointSets) {
    ScriptedLink link;
    Make(link);
    EXPECT_EQ(link.GetLinkStyle(), 21u);
    EXPECT_FALSE(link.ModifyLinkStyle(1 | 4, 4 | 8));
    EXPECT_EQ(link.GetLinkStyle(), 21u);
    EXPECT_TRUE(link.ModifyLinkStyle(1, 2 | 8));
    EXPECT_EQ(link.GetLinkStyle(), 30u);
    EXPECT_FALSE(link.GetWidget()->font().underline());
}

TEST_F(HyperLinkTest, TheColourFollowsHoverPressAndVisitInThatOrder) {
    struct Row {
        const char* name;
        DWORD add;
        bool hover, focus, visited;
        COLORREF colour;
    };
    const Row rows[] = {
        {"plain", 0, false, false, false, RGB(1, 0, 0)},
        {"visited", 0, false, false, true, RGB(3, 0, 0)},
        {"pressed", 0, false, true, true, RGB(2, 0, 0)},
        {"pressed without the active colour", 64, false, true, true, RGB(3, 0, 0)},
        {"hover without its bit", 0, true, true, false, RGB(2, 0, 0)},
        {"hover with its bit", 2, true, true, true, RGB(4, 0, 0)},
    };
    for (const Row& r : rows) {
        ScriptedLink link;
        Make(link);
        link.ModifyLinkStyle(0, r.add);
        link.SetVisited(r.visited);
        if (r.focus) link.SendMessage(WM_SETFOCUS);
        if (r.hover) link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(link.GetTextColour(), r.colour) << r.name;
        EXPECT_EQ(Shown(link), r.colour) << r.name;
        link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(0xFFFF, 0xFFFF));
        EXPECT_FALSE(link.IsHovering()) << r.name;
    }
}

TEST_F(HyperLinkTest, AnEmptyTextShowsTheAddressWithATooltipAndTheHand) {
    ScriptedLink link;
    Make(link, SS_LEFT, "");
    EXPECT_EQ(link.GetWindowText(), "https://example.org/varnel");
    EXPECT_EQ(link.GetWidget()->toolTip(), "https://example.org/varnel");
    EXPECT_TRUE(link.GetWidget()->font().underline());
    EXPECT_EQ(CHyperLink::GetLinkCursor(), LoadCursor(nullptr, IDC_HAND));
}

TEST_F(HyperLinkTest, OpensOnButtonUpOrDownWithBit8OrSpaceAndIsThenVisited) {
    ScriptedLink link;
    Make(link);
    QWidget* w = link.GetWidget();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(link.opens, 0);
    EXPECT_FALSE(link.GetVisited());
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(link.opens, 1);
    EXPECT_TRUE(link.GetVisited());

    link.ModifyLinkStyle(0, 8);
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(link.opens, 2);
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(link.opens, 2);

    QTest::keyClick(w, Qt::Key_Space);
    EXPECT_EQ(link.opens, 3);
    QTest::keyClick(w, Qt::Key_A);
    EXPECT_EQ(link.opens, 3);
}

TEST_F(HyperLinkTest, FailuresAreToldByTheirCode) {
    ScriptedLink link;
    Make(link);
    // Above 32 is success: an unknown failure is one of the codes below it.
    link.results = {2, 31, 7};
    modals.ExpectMessage("Can't open link:\n\nThe specified file was not found.", IDOK);
    modals.ExpectMessage(
        "Can't open link:\n\nThere is no application associated\nwith the given filename "
        "extension.",
        IDOK);
    modals.ExpectMessage("Can't open link:\n\nUnknown Error (7) occurred.", IDOK);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(link.FollowLink());
    EXPECT_FALSE(link.GetVisited());
    EXPECT_EQ(CHyperLink::ErrorText(99), "Can't open link:\n\nUnknown Error (99) occurred.");
}

TEST_F(HyperLinkTest, AutoSizeKeepsTheEdgeTheAlignmentNames) {
    const struct {
        DWORD style;
        const char* name;
    } rows[] = {{SS_LEFT, "left"}, {SS_CENTER, "centre"}, {SS_RIGHT, "right"}};
    for (const auto& r : rows) {
        ScriptedLink link;
        Make(link, r.style);
        const QRect g = link.GetWidget()->geometry();
        const int width = QFontMetrics(link.GetWidget()->font()).horizontalAdvance("Mercant");
        EXPECT_NEAR(g.width(), width, 1) << r.name;
        const int kept = r.style == SS_LEFT     ? g.left()
                         : r.style == SS_CENTER ? g.left() + g.width() / 2
                                                : g.right() + 1;
        EXPECT_NEAR(kept, r.style == SS_LEFT ? 20 : r.style == SS_CENTER ? 120 : 220, 1) << r.name;
    }
}

}  // namespace
