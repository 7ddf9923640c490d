// File > Print: the print selection, the graph on one page, and the table.

#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>

#include "RES/commands.h"
#include "RES/dialogs/print_selection.h"
#include "RES/graph_bars.h"
#include "app/print_selection_dialog.h"
#include "platform/activex/dispatch.h"
#include "platform/msg/standard_ids.h"
#include "tests/displays/table_view_fixture.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::RecordingDevice;

QByteArray FileBytes(const CString& path) {
    QFile f(path.ToQString());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every stream of the file but its metadata, inflated: what the pages draw.
QByteArray PdfDrawing(const QByteArray& pdf) {
    QByteArray out;
    static const QRegularExpression start("stream\\r?\\n");
    for (qsizetype at = 0;;) {
        const QRegularExpressionMatch m = start.match(QString::fromLatin1(pdf), at);
        if (!m.hasMatch()) break;
        const qsizetype from = m.capturedEnd();
        const qsizetype to = pdf.indexOf("endstream", from);
        if (to < 0) break;
        QByteArray packed = pdf.mid(from, to - from);
        // qUncompress wants the size in front; it grows the buffer as it needs.
        packed.prepend(QByteArray("\0\0\0\1", 4));
        QByteArray inflated = qUncompress(packed);
        if (inflated.isEmpty()) inflated = pdf.mid(from, to - from);
        // The metadata carries the time of printing, not a drawing.
        if (!inflated.contains("xpacket")) out += inflated;
        at = to + 9;
    }
    return out;
}

int PdfPages(const QByteArray& pdf) {
    return static_cast<int>(
        QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

class PrintSelection : public table_test::TableViewTest {
protected:
    PrintSelection() {
        // The real main window, whose File menu and toolbar have Print.
        mainFrame.CreateMainWindow();
        mainFrame.SetDocument(&doc);
        mainFrame.ShowWindow(SW_SHOW);
    }
    struct Range {
        LONG from = -1, to = -1;
        BYTE table = 0;
        bool operator==(const Range&) const = default;
    };
    // Runs the dialog; `act` works it and presses a button.
    Range Run(const std::function<void(CDialog&)>& act) {
        CPrintSelectionDialog dialog;
        dialog.SetViews(&view, &table);
        modals.ExpectDialog(IDD_PRINT_SELECTION, act);
        if (dialog.DoModal() != IDOK) return {};
        return {dialog.m_fromIndex, dialog.m_toIndex, dialog.m_printTable};
    }
    static void Leave(CDialog& d, UINT id) {
        d.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), EN_KILLFOCUS), 0);
    }
    static bool Enabled(CDialog& d, UINT id) {
        return d.GetDlgItem(static_cast<int>(id))->IsWindowEnabled();
    }
    static QDateTimeEdit* Picker(CDialog& d, UINT id) {
        return qobject_cast<QDateTimeEdit*>(d.GetDlgItem(static_cast<int>(id))->GetWidget());
    }
    // As the user sets a picker: the dialog hears of it.
    static void Pick(CDialog& d, UINT id, QDateTime t) { Picker(d, id)->setDateTime(t); }
    static QDateTime At(int h, int m, int s) {
        return QDateTime(QDate(2000, 1, 1), QTime(h, m, s));
    }
};

TEST_F(PrintSelection, SampleRangesAreClampedHoweverTheyAreEntered) {
    table.AddDataSetColumns(light);  // 30 samples, no plots
    // Without plots: Graph disabled, Table checked, Print all checked, the fields off.
    EXPECT_EQ(Run([](CDialog& d) {
                  EXPECT_FALSE(Enabled(d, IDC_PRINT_GRAPH));
                  EXPECT_EQ(d.IsDlgButtonChecked(IDC_PRINT_TABLE), BST_CHECKED);
                  EXPECT_EQ(d.IsDlgButtonChecked(IDC_PRINT_ALL_DATA), BST_CHECKED);
                  EXPECT_FALSE(Enabled(d, IDC_PRINT_FROM));
                  EXPECT_EQ(d.GetDlgItemText(IDC_PRINT_TO), "29");
                  testing_support::Press(d, IDC_PRINT);
              }),
              (Range{0, 29, 1}));

    struct Case {
        const char* name;
        const char* from;
        const char* to;
        bool enter;  // confirmed with Enter in the field, which is never left
        Range expect;
    } cases[] = {
        {"From above To", "20", "10", false, {10, 10, 1}},
        {"To above the last", "3", "99", false, {3, 29, 1}},
        {"Enter after typing", "5", "999", true, {5, 29, 1}},
        {"negative and text", "-5", "abc", true, {0, 0, 1}},
        {"text From", "abc", "7", false, {0, 7, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run([&](CDialog& d) {
                      testing_support::SetChecked(d, IDC_PRINT_ALL_DATA, false);
                      testing_support::TypeText(d, IDC_PRINT_TO, c.to);
                      if (!c.enter) Leave(d, IDC_PRINT_TO);
                      testing_support::TypeText(d, IDC_PRINT_FROM, c.from);
                      if (c.enter) {
                          QTest::keyClick(d.GetDlgItem(IDC_PRINT_FROM)->GetWidget(),
                                          Qt::Key_Return);
                          return;
                      }
                      Leave(d, IDC_PRINT_FROM);
                      testing_support::Press(d, IDC_PRINT);
                  }),
                  c.expect)
            << c.name;
    }

    // Checking Print all again resets the range to the whole table.
    EXPECT_EQ(Run([](CDialog& d) {
                  testing_support::SetChecked(d, IDC_PRINT_ALL_DATA, false);
                  testing_support::TypeText(d, IDC_PRINT_FROM, "12");
                  testing_support::SetChecked(d, IDC_PRINT_ALL_DATA, true);
                  EXPECT_EQ(d.GetDlgItemText(IDC_PRINT_FROM), "0");
                  EXPECT_FALSE(Enabled(d, IDC_PRINT_FROM));
                  testing_support::Press(d, IDC_PRINT);
              }),
              (Range{0, 29, 1}));
}

TEST_F(PrintSelection, PrintAllReachesTheLastSampleOfAGappySet) {
    table.AddDataSetColumns(AddGapped({0, 1, 2}, {1, 2, 3}, 0, "Short"));
    table.AddDataSetColumns(AddGapped({0, 10, 40}, {1, 2, 3}, 0, "Gappy"));
    EXPECT_EQ(Run([](CDialog& d) { testing_support::Press(d, IDC_PRINT); }), (Range{0, 40, 1}));
}

TEST_F(PrintSelection, WithPlotsTheGraphIsChosenAndTheTableOnRequest) {
    Add(light);
    table.AddDataSetColumns(light);
    EXPECT_EQ(Run([](CDialog& d) {
                  EXPECT_TRUE(Enabled(d, IDC_PRINT_GRAPH));
                  EXPECT_EQ(d.IsDlgButtonChecked(IDC_PRINT_GRAPH), BST_CHECKED);
                  EXPECT_FALSE(Enabled(d, IDC_PRINT_ALL_DATA));
                  testing_support::Press(d, IDC_PRINT);
              }).table,
              0);
    EXPECT_EQ(Run([](CDialog& d) {
                  testing_support::Press(d, IDC_PRINT_TABLE);
                  EXPECT_TRUE(Enabled(d, IDC_PRINT_ALL_DATA));
                  testing_support::Press(d, IDC_PRINT);
              }),
              (Range{0, 29, 1}));
}

TEST_F(PrintSelection, ClockTimesChooseTheRangeInTimeModes) {
    // One sample a minute from 12:00:00: the last at 12:29:00.
    CDataTreeBrench* minutes =
        AddSet(graph_test::SetFields{"Slow", 37, 100, 2, 0, 1, "V"}, Ramp(30, 0));
    Add(minutes);
    view.m_xAxis.timeFormat = 5;  // hh:mm:ss
    table.AddDataSetColumns(minutes);
    const auto pickTable = [](CDialog& d) {
        testing_support::Press(d, IDC_PRINT_TABLE);
        testing_support::SetChecked(d, IDC_PRINT_ALL_DATA, false);
    };
    EXPECT_EQ(Run([&](CDialog& d) {
                  EXPECT_FALSE(d.GetDlgItem(IDC_PRINT_FROM)->IsWindowVisible());
                  EXPECT_TRUE(d.GetDlgItem(IDC_PRINT_FROM_TIME)->IsWindowVisible());
                  EXPECT_EQ(Picker(d, IDC_PRINT_FROM_TIME)->dateTime(), At(12, 0, 0));
                  EXPECT_EQ(Picker(d, IDC_PRINT_TO_TIME)->dateTime(), At(12, 29, 0));
                  EXPECT_EQ(Picker(d, IDC_PRINT_TO_DATE)->date(), QDate(2000, 1, 1));
                  pickTable(d);
                  // The last sample's own time is the last index, not one past it.
                  testing_support::Press(d, IDC_PRINT);
              }),
              (Range{0, 29, 1}));

    struct Case {
        const char* name;
        QDateTime from, to;
        Range expect;
    } cases[] = {
        {"a stretch", At(12, 5, 0), At(12, 10, 0), {5, 11, 1}},
        {"To before From on one date: the next day", At(12, 20, 0), At(12, 10, 0), {20, 29, 1}},
        {"before the first and after the last", At(11, 0, 0), At(13, 0, 0), {0, 29, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run([&](CDialog& d) {
                      pickTable(d);
                      Pick(d, IDC_PRINT_FROM_TIME, c.from);
                      Pick(d, IDC_PRINT_TO_TIME, c.to);
                      testing_support::Press(d, IDC_PRINT);
                  }),
                  c.expect)
            << c.name;
    }
    // A time before the first sample is put back to it in both pickers of the pair.
    Run([&](CDialog& d) {
        pickTable(d);
        Pick(d, IDC_PRINT_FROM_TIME, At(11, 0, 0));
        EXPECT_EQ(Picker(d, IDC_PRINT_FROM_TIME)->dateTime(), At(12, 0, 0));
        testing_support::Press(d, IDCANCEL);
    });
}

TEST_F(PrintSelection, ARateWithoutIntervalCountsInSeconds) {
    CDataTreeBrench* odd = AddSet(graph_test::SetFields{"Odd", 42, 100, 2, 0, 1, "V"}, Ramp(30, 0));
    Add(odd);
    view.m_xAxis.timeFormat = 5;
    table.AddDataSetColumns(odd);
    EXPECT_EQ(Run([&](CDialog& d) {
                  EXPECT_EQ(Picker(d, IDC_PRINT_TO_TIME)->dateTime(), At(12, 0, 29));
                  testing_support::Press(d, IDC_PRINT_TABLE);
                  testing_support::SetChecked(d, IDC_PRINT_ALL_DATA, false);
                  Pick(d, IDC_PRINT_FROM_TIME, At(12, 0, 5));
                  testing_support::Press(d, IDC_PRINT);
              }),
              (Range{5, 29, 1}));
}

TEST_F(PrintSelection, FilePrintSaysNoDataOrPrintsTheChosenTablePages) {
    modals.ExpectMessage(CVarnelDoc::kNoDataText, IDOK);
    EXPECT_TRUE(testing_support::ChooseMenuCommand(mainFrame, ID_FILE_PRINT));

    table.AddDataSetColumns(light);
    table.FillGrid(0);
    const CString pdf = env.File("table.pdf");
    modals.ExpectDialog(IDD_PRINT_SELECTION,
                        [](CDialog& d) { testing_support::Press(d, IDC_PRINT); });
    modals.ExpectPrint(pdf);
    EXPECT_TRUE(testing_support::PressToolbarButton(mainFrame, ID_PRINT_TB));
    const QByteArray bytes = FileBytes(pdf);
    EXPECT_GE(PdfPages(bytes), 1);
    EXPECT_EQ(modals.Pending(), 0u);
}

// ---- the graph on paper

class GraphPrint : public graph_test::GraphViewTest {
protected:
    GraphPrint() : GraphViewTest(true) {
        Add(AddSet({1, 3, 2}));
        view.PlotAllData(0);
        CDispatchDriver cursor = view.GetGraph().GetCursors().Item(1);
        cursor.SetProperty(8, VarI4(1));
        cursor.SetLong(6, 1);
        cursor.SetBool(9, true);
        view.GetGraph().GetGraph().SetLong(9001, static_cast<LONG>(kStyled));
    }
    bool CursorShown() const { return view.GetGraph().GetCursors().Item(1).GetBool(9); }
    LONG Background() const { return view.GetGraph().GetGraph().GetLong(9001); }
    static constexpr COLORREF kStyled = RGB(10, 20, 30);
};

TEST_F(GraphPrint, FillsThePageInVectorsOnWhiteWithoutTheCursorAndRestoresTheLook) {
    // An A4 printable area of 200 x 287 mm at 600 dpi: the picture is 4615 x 6623.
    RecordingDevice page(4725, 6780, 600);
    {
        QPainter painter(&page);
        CDC dc(&painter, true);
        view.PrintGraphPage(dc);
    }
    ASSERT_FALSE(page.lines.empty());
    const QRectF bounds(0, 0, 4615, 6623);
    QRectF reach;
    for (const QLineF& l : page.lines) {
        EXPECT_TRUE(bounds.adjusted(-1, -1, 1, 1).contains(l.p1()) &&
                    bounds.adjusted(-1, -1, 1, 1).contains(l.p2()))
            << l.x1() << "," << l.y1() << " " << l.x2() << "," << l.y2();
        reach |= QRectF(l.p1(), l.p2()).normalized();
    }
    for (const RecordingDevice::Text& t : page.texts)
        EXPECT_TRUE(bounds.contains(t.at)) << t.text.toStdString();
    EXPECT_GT(reach.right(), 0.9 * 4615);
    EXPECT_GT(reach.bottom(), 0.9 * 6623);
    EXPECT_EQ(Background(), static_cast<LONG>(kStyled));
    EXPECT_TRUE(CursorShown());

    // The cursor's lines are in the picture on screen but not on paper.
    RecordingDevice screen(4725, 6780, 600);
    {
        QPainter painter(&screen);
        const CCWPicture picture(view.GetGraph().GetPicture());
        picture.SetWidth(static_cast<LONG>(200 / 26.0 * 96));
        picture.SetHeight(static_cast<LONG>(287 / 26.0 * 96));
        picture.Render(painter, bounds);
    }
    EXPECT_EQ(screen.lines.size(), page.lines.size() + 2);

    // White paper, whatever the background on screen.
    QImage image(760, 1090, QImage::Format_RGB32);
    image.fill(Qt::red);
    {
        QPainter painter(&image);
        CDC dc(&painter, true);
        view.PrintGraphPage(dc);
    }
    testing_support::SaveTestImage(image, "graph_print_page");
    EXPECT_EQ(testing_support::Px(image, 600, 100), RGB(255, 255, 255));
    EXPECT_EQ(testing_support::Px(image, 759, 1089), RGB(255, 0, 0));
}

TEST_F(GraphPrint, FilePrintMakesOnePageWithoutImagesAndCancelChangesNothing) {
    view.GetGraph().GetCursors().Item(1).SetBool(9, false);
    const CString pdf = env.File("graph.pdf");
    modals.ExpectDialog(IDD_PRINT_SELECTION,
                        [](CDialog& d) { testing_support::Press(d, IDC_PRINT); });
    modals.ExpectPrint(pdf);
    EXPECT_TRUE(testing_support::ChooseMenuCommand(mainFrame, ID_FILE_PRINT));
    const QByteArray bytes = FileBytes(pdf);
    EXPECT_EQ(PdfPages(bytes), 1);
    EXPECT_FALSE(bytes.contains("/Subtype /Image"));
    EXPECT_FALSE(CursorShown());
    EXPECT_EQ(Background(), static_cast<LONG>(kStyled));

    modals.ExpectPrint(env.File("none.pdf"), IDCANCEL);
    view.PrintGraph();
    EXPECT_FALSE(QFile::exists(env.File("none.pdf").ToQString()));
    EXPECT_EQ(Background(), static_cast<LONG>(kStyled));
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(GraphPrint, TheDataCursorsLeaveThePageAndComeBackAsTheyWere) {
    // Cursor A where the user clicked, cursor B at the plot's end, from the graph's toolbar.
    view.m_cursorPlotNumber = 1;
    view.m_cursorPointIndex = 1;
    ASSERT_TRUE(testing_support::PressToolbarButton(frame, ID_GV_DISPLAY_CURSOR));
    ASSERT_TRUE(testing_support::PressToolbarButton(frame, ID_GV_SECOND_CURSOR));
    ASSERT_EQ(view.m_cursorCount, 2);
    const auto cursors = State().cursors;
    ASSERT_GE(cursors.size(), 3u);
    for (size_t c = 0; c < 3; ++c)
        ASSERT_TRUE(cursors[c].visible) << c;
    const CString readout = frame.GetPositionText();
    ASSERT_NE(readout, "Position : ");

    const auto printPage = [&] {
        auto page = std::make_unique<RecordingDevice>(4725, 6780, 600);
        QPainter painter(page.get());
        CDC dc(&painter, true);
        view.PrintGraphPage(dc);
        return page;
    };
    const auto renderPicture = [&] {
        auto page = std::make_unique<RecordingDevice>(4725, 6780, 600);
        QPainter painter(page.get());
        const CCWPicture picture(view.GetGraph().GetPicture());
        picture.SetWidth(static_cast<LONG>(200 / 26.0 * 96));
        picture.SetHeight(static_cast<LONG>(287 / 26.0 * 96));
        picture.Render(painter, QRectF(0, 0, 4615, 6623));
        return page;
    };
    const auto lines = [](const RecordingDevice& d) {
        std::vector<std::pair<double, double>> out;  // each line by its two ends' sums
        for (const QLineF& l : d.lines)
            out.emplace_back(l.x1() + l.x2(), l.y1() + l.y2());
        std::sort(out.begin(), out.end());
        return out;
    };
    const auto shown = renderPicture();
    const auto printed = printPage();
    const auto printedPdf = env.File("cursors.pdf");
    modals.ExpectDialog(IDD_PRINT_SELECTION,
                        [](CDialog& d) { testing_support::Press(d, IDC_PRINT); });
    modals.ExpectPrint(printedPdf);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(mainFrame, ID_FILE_PRINT));

    // Each cursor back as it was: shown, at its place, on its plot; the read-out unchanged.
    for (size_t c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        const platform::graph::Cursor& now = State().cursors.at(c);
        EXPECT_TRUE(now.visible);
        EXPECT_EQ(now.x, cursors[c].x);
        EXPECT_EQ(now.y, cursors[c].y);
        EXPECT_EQ(now.index, cursors[c].index);
        EXPECT_EQ(now.plot, cursors[c].plot);
    }
    EXPECT_EQ(view.m_cursorCount, 2);
    EXPECT_EQ(frame.GetPositionText(), readout);

    // The page is the picture with every cursor hidden by hand: no line at a cursor's X or Y.
    CDispatchDriver all = view.GetGraph().GetCursors();
    for (LONG c = 1; c <= 3; ++c)
        all.Item(c).SetBool(9, false);
    const auto bare = renderPicture();
    const auto barePdf = env.File("bare.pdf");
    modals.ExpectDialog(IDD_PRINT_SELECTION,
                        [](CDialog& d) { testing_support::Press(d, IDC_PRINT); });
    modals.ExpectPrint(barePdf);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(mainFrame, ID_FILE_PRINT));
    EXPECT_EQ(lines(*printed), lines(*bare));
    EXPECT_EQ(shown->lines.size(), bare->lines.size() + 6) << "two lines a cursor on screen";
    const QByteArray drawn = PdfDrawing(FileBytes(printedPdf));
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_EQ(drawn, PdfDrawing(FileBytes(barePdf)));
}

}  // namespace
