// Graph > Export to Excel through the document: the scratch file, its text, the opener, and the
// export file settings.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QMimeData>
#include <QSvgRenderer>
#include <QThread>
#include <QUrl>

#include "RES/commands.h"
#include "RES/dialogs/option_dialogs.h"
#include "logger/helpers.h"
#include "platform/ui/shell.h"
#include "tests/displays/graph_view_fixture.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

class GraphExport : public graph_test::GraphViewTest {
protected:
    GraphExport() : GraphViewTest(true) {}
    void SetUp() override {
        root = GetDataRoot();
        QDir().mkpath(root.ToQString());
        platform::SetShellOpener([this](const QUrl& url) {
            opened.push_back(url.toLocalFile());
            return true;
        });
    }
    void TearDown() override {
        platform::SetShellOpener({});
        QLocale::setDefault(QLocale::c());
    }
    QByteArray Written(int n) const {
        QFile f(CString::Formatted("%stmp~%d.csv", root.GetString(), n).ToQString());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    CString root;
    std::vector<QString> opened;
};

TEST_F(GraphExport, WritesThePlottedSetsToTheFirstFreeScratchFileAndOpensIt) {
    CDataTreeBrench* a = AddSet(graph_test::SetFields{"A", 49, 100, 2, 0, 0, "V"}, {1.5, 2, 2.25});
    CDataTreeBrench* b = AddSet(graph_test::SetFields{"B", 49, 100, 2, 0, 0, "V"}, {10, 30});
    (*b->m_x)[1] = 2;
    Add(a);
    Add(b);
    EXPECT_TRUE(testing_support::ChooseMenuCommand(mainFrame, ID_GRAPH_EXPORT));
    ASSERT_EQ(opened, (std::vector<QString>{(root + "tmp~0.csv").ToQString()}));
    const QList<QByteArray> lines = Written(0).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "\xEF\xBB\xBFTime(s),A(V),B(V)\r");
    EXPECT_EQ(lines[1], "0.000,1.5,10\r");  // rate 49: a sample every 0.1 s
    EXPECT_EQ(lines[2], "0.100,2,\r");
    EXPECT_EQ(lines[3], "0.200,2.25,30\r");

    // tmp~0 still shown by a spreadsheet program (its lock file beside it): tmp~1.
    QFile((root + ".~lock.tmp~0.csv#").ToQString()).open(QIODevice::WriteOnly);
    opened.clear();
    EXPECT_TRUE(testing_support::PressToolbarButton(frame, 3898));
    EXPECT_EQ(opened, (std::vector<QString>{(root + "tmp~1.csv").ToQString()}));

    // During a run nothing is written.
    opened.clear();
    QFile::remove((root + "tmp~1.csv").ToQString());
    doc.m_runInProgress = 1;
    view.OnExportToExcel();
    doc.m_runInProgress = 0;
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(QFile::exists((root + "tmp~1.csv").ToQString()));

    // Every name taken: the user is told once, nothing is opened.
    for (int n = 0; n < 100; ++n)
        QFile(CString::Formatted("%s.~lock.tmp~%d.csv#", root.GetString(), n).ToQString())
            .open(QIODevice::WriteOnly);
    modals.ExpectMessage(CVarnelDoc::kExcelErrorText, IDOK);
    view.OnExportToExcel();
    EXPECT_TRUE(opened.empty());
    for (int n = 0; n < 100; ++n)
        QFile::remove(CString::Formatted("%s.~lock.tmp~%d.csv#", root.GetString(), n).ToQString());
}

TEST_F(GraphExport, ANoProgramForCsvFilesIsReportedWithThePath) {
    Add(AddSet({1, 2}));
    platform::SetShellOpener([](const QUrl&) { return false; });
    const CString name = root + "tmp~0.csv";
    modals.ExpectMessage(CString::Formatted(CVarnelDoc::kNoCsvProgramText, name.GetString()), IDOK);
    view.OnExportToExcel();
    EXPECT_FALSE(Written(0).isEmpty());
}

// The desktop as a new user's machine has it: the opener and the type query are the first
// programs of those names on PATH.
TEST_F(GraphExport, TheDesktopsOpenerReceivesTheFileOrItsAbsenceIsReported) {
    Add(AddSet({1, 2}));
    platform::SetShellOpener({});
    const QString bin = env.File("bin").ToQString(), empty = env.File("empty").ToQString();
    QDir().mkpath(bin);
    QDir().mkpath(empty);
    const QString log = env.File("opened.txt").ToQString();
    const auto script = [&](const char* name, const QString& body) {
        QFile f(bin + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeUser);
    };
    script("xdg-mime", "echo libreoffice-calc.desktop");
    script("xdg-open", "printf '%s' \"$1\" > '" + log + "'");
    const QByteArray path = qgetenv("PATH");

    qputenv("PATH", bin.toUtf8() + ":" + path);
    view.OnExportToExcel();
    const QString name = (root + "tmp~0.csv").ToQString();
    // The opener runs on its own: wait for what it wrote.
    QByteArray got;
    for (int i = 0; i < 200 && got.isEmpty(); ++i) {
        QThread::msleep(50);
        QFile f(log);
        if (f.open(QIODevice::ReadOnly)) got = f.readAll();
    }
    EXPECT_EQ(got, name.toUtf8());

    qputenv("PATH", empty.toUtf8());
    modals.ExpectMessage(
        CString::Formatted(CVarnelDoc::kNoCsvProgramText, (root + "tmp~1.csv").GetString()), IDOK);
    QFile((root + ".~lock.tmp~0.csv#").ToQString()).open(QIODevice::WriteOnly);
    view.OnExportToExcel();
    qputenv("PATH", path);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(GraphExport, ExportFileSettingsChooseFixedOrLocaleSeparatorsAndAreSavedAtOnce) {
    QLocale::setDefault(QLocale("de_DE"));
    CSettings& settings = *doc.GetSettings();
    settings.m_fixedSeparators = 0;
    doc.ReadLocaleSeparators();
    EXPECT_EQ(doc.m_listSeparator, ";");
    EXPECT_EQ(doc.m_decimalSymbol, ",");

    auto run = [&](bool tick, int answer) {
        modals.ExpectDialog(IDD_CSV_SETTINGS, [tick, answer](CDialog& d) {
            if ((d.IsDlgButtonChecked(IDC_IGNORE_REGIONAL) != 0) != tick)
                testing_support::Press(d, IDC_IGNORE_REGIONAL);
            testing_support::Press(d, answer);
        });
        EXPECT_TRUE(testing_support::ChooseMenuCommand(mainFrame, ID_EXPORT_FILE_SETTINGS));
    };
    run(true, IDCANCEL);
    EXPECT_EQ(settings.m_fixedSeparators, 0);
    EXPECT_EQ(doc.m_listSeparator, ";");

    run(true, IDOK);
    EXPECT_EQ(settings.m_fixedSeparators, 1);
    EXPECT_EQ(doc.m_listSeparator, ",");
    EXPECT_EQ(doc.m_decimalSymbol, ".");
    CSettings reloaded;
    reloaded.Load();
    EXPECT_EQ(reloaded.m_fixedSeparators, 1);

    Add(AddSet(graph_test::SetFields{"A", 0, 100, 2, 0, 0, "V"}, {12.5}));
    view.OnExportToExcel();
    EXPECT_EQ(Written(0), "\xEF\xBB\xBFSamples,A(V)\r\n0,12.5\r\n");

    run(false, IDOK);
    EXPECT_EQ(settings.m_fixedSeparators, 0);
    EXPECT_EQ(doc.m_listSeparator, ";");
    EXPECT_EQ(doc.m_decimalSymbol, ",");
    view.OnExportToExcel();
    EXPECT_EQ(Written(0), "\xEF\xBB\xBFSamples;A(V)\r\n0;12,5\r\n");
    reloaded.Load();
    EXPECT_EQ(reloaded.m_fixedSeparators, 0);
}

}  // namespace

namespace {

class GraphCopy : public graph_test::GraphViewTest {
protected:
    GraphCopy() : GraphViewTest(true) {}
};

TEST_F(GraphCopy, PutsThePictureOnTheClipboardAsAnImageAndAsSvg) {
    Add(AddSet({1, 3, 2}));
    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(testing_support::ChooseMenuCommand(mainFrame, ID_GRAPH_COPY));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const CCWPicture picture(view.GetGraph().GetPicture());
    ASSERT_GT(picture.GetWidth(), 0);
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), QSize(picture.GetWidth(), picture.GetHeight()));
    QSvgRenderer svg(data->data("image/svg+xml"));
    EXPECT_TRUE(svg.isValid());
    EXPECT_FALSE(svg.defaultSize().isEmpty());
}

}  // namespace
