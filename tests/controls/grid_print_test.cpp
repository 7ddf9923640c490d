#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <fstream>
#include <sstream>

#include "platform/base/file.h"
#include "tests/controls/grid_fixture.h"
#include "tests/support/core/address_space_limit.h"

namespace {

using grid_testing::GridTest;
using testing_support::RecordingDevice;

std::string ReadFile(const CString& path) {
    std::ifstream in(path.GetString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int PdfPages(const CString& path) {
    QFile f(path.ToQString());
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return static_cast<int>(
        QString::fromLatin1(f.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

class GridPrint : public GridTest {
protected:
    void SetUp() override {
        SetUpGrid(1, 600, 300);
        Fill(1000, 0);
        for (int i = 0; i < 200; ++i) {
            x.push_back(i);
            values.push_back(2.0 * i + 1);
        }
        columns = {GridPrintColumn{x, values}};
        format.m_nMode = 3;
    }
    std::vector<double> x, values;
    std::vector<GridPrintColumn> columns;
    TimeColumnFormat format;
};

TEST_F(GridPrint, PrintsEverySampleOfTheRangeOnAsManyPagesAsItNeeds) {
    const CString pdf = env.File("table.pdf");
    modals.ExpectPrint(pdf);
    grid.PrintTable("Varnel table", columns.data(), 1, 0, 199, 0.5, format, nullptr, 0);
    const int rowsPerPage = grid.GetPrintPageHeight() / 19;
    ASSERT_GT(rowsPerPage, 10);
    EXPECT_EQ(PdfPages(pdf), (200 + rowsPerPage - 1) / rowsPerPage);
    // A narrow table keeps the least width instead of being spread over the paper.
    EXPECT_GT(grid.GetPrintLogicalPageSize().cx, 600);
    EXPECT_LT(grid.GetPrintLogicalPageSize().cx, 700);

    // Cancelled, nothing is printed.
    const CString none = env.File("none.pdf");
    modals.ExpectPrint(none, IDCANCEL);
    grid.PrintTable("Varnel table", columns.data(), 1, 0, 199, 0.5, format, nullptr, 0);
    EXPECT_FALSE(CFile::Exists(none));
}

TEST_F(GridPrint, APageShowsTheSamplesOfARangeThatStartsLaterWithHeaderAndFooter) {
    // Samples 40 and 42 only: the printed rows must find them by their own numbers.
    x = {40, 42, 43};
    values = {81, 85, 87};
    columns = {GridPrintColumn{x, values}};
    const std::vector<CString> comments = [] {
        std::vector<CString> c(45);
        c[42] = "checked, twice";
        return c;
    }();
    grid.SetColumnWidth(3, 1200);  // the comment column is the wide one on screen
    grid.SetItemText(1, 3, "Comment");
    grid.SetPrintSource(columns.data(), 1, 0.5, format, &comments, 0);

    RecordingDevice page(2480, 3508, 300);
    QPainter painter(&page);
    CDC dc(&painter, true);
    CPrintInfo info;
    int endRow = 0;
    grid.OnBeginPrinting(&dc, &info, endRow, 40, 44);
    EXPECT_EQ(info.GetMaxPage(), 1u);
    info.m_nCurPage = 1;
    grid.OnPrint(&dc, &info, "Varnel table", endRow, 40, &comments);
    grid.OnEndPrinting(&dc, &info);

    std::vector<QString> texts;
    for (const auto& t : page.SortedTexts())
        texts.push_back(t.text.trimmed());
    auto has = [&](const char* s) {
        return std::find(texts.begin(), texts.end(), QString(s)) != texts.end();
    };
    EXPECT_TRUE(has("Varnel table"));
    EXPECT_TRUE(has("Page 1 of 1"));
    EXPECT_TRUE(has("Data 1 (V)"));
    EXPECT_TRUE(has("Comment"));
    // Row by row: sample number, time, value (none for 41 and 44), comment.
    auto rowOf = [&](const char* first) {
        std::vector<QString> row;
        const auto sorted = page.SortedTexts();
        for (size_t i = 0; i < sorted.size(); ++i)
            if (sorted[i].text == first) {
                for (size_t j = i;
                     j < sorted.size() && std::abs(sorted[j].at.y() - sorted[i].at.y()) < 1; ++j)
                    row.push_back(sorted[j].text);
                break;
            }
        return row;
    };
    EXPECT_EQ(rowOf("40"), (std::vector<QString>{"40", "20", "81"}));
    EXPECT_EQ(rowOf("41"), (std::vector<QString>{"41", "20.5"}));
    EXPECT_EQ(rowOf("42"), (std::vector<QString>{"42", "21", "85", "checked, twice"}));
    EXPECT_EQ(rowOf("44"), (std::vector<QString>{"44", "22"}));
    // The same page as a picture, for a person to look at.
    {
        QImage picture(1240, 1754, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter onPicture(&picture);
        CDC pictureDC(&onPicture, true);
        CPrintInfo pictureInfo;
        grid.OnBeginPrinting(&pictureDC, &pictureInfo, endRow, 40, 44);
        grid.OnPrint(&pictureDC, &pictureInfo, "Varnel table", endRow, 40, &comments);
        grid.OnEndPrinting(&pictureDC, &pictureInfo);
        onPicture.end();
        testing_support::SaveTestImage(picture, "grid_print_page");
    }
    // The comment column fits the page: every line lies on the paper, and the column is as
    // wide as a comment can be, not the 1200 it has on screen.
    ASSERT_FALSE(page.lines.empty());
    std::vector<double> columnEdges;
    for (const QLineF& line : page.lines) {
        EXPECT_LE(std::max(line.x1(), line.x2()), 2480.0);
        EXPECT_LE(std::max(line.y1(), line.y2()), 3508.0);
        if (line.x1() == line.x2()) columnEdges.push_back(line.x1());
    }
    std::sort(columnEdges.begin(), columnEdges.end());
    columnEdges.erase(std::unique(columnEdges.begin(), columnEdges.end()), columnEdges.end());
    ASSERT_GE(columnEdges.size(), 3u);
    const double firstColumn = columnEdges[1] - columnEdges[0];
    const double commentColumn = columnEdges.back() - columnEdges[columnEdges.size() - 2];
    EXPECT_LT(commentColumn / firstColumn, 0.5 * 1200.0 / grid.GetColumnWidth(0));
}

TEST_F(GridPrint, SavesQuotedFieldsThatLoadBack) {
    grid.SetItemText(0, 2, "Run 1, inside");
    grid.SetItemText(1, 2, "Temp \"C\"");
    grid.SetItemText(2, 2, "1.5");
    const CString path = env.File("grid.csv");
    ASSERT_TRUE(grid.Save(path));
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.substr(0, text.find('\n')), ",\"Run 1, inside\",");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), grid.GetRowCount());
    EXPECT_NE(text.find("Time (s),\"Temp \"\"C\"\"\",\n"), std::string::npos);

    CGridCtrl loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.GetColumnCount(), 2);  // the empty last column ends the headings
    EXPECT_EQ(loaded.GetItemText(0, 1), "Run 1, inside");
    EXPECT_EQ(loaded.GetItemText(1, 0), "Time (s)");
    EXPECT_EQ(loaded.GetItemText(1, 1), "Temp \"C\"");
    EXPECT_EQ(loaded.GetItemText(2, 1), "1.5");
    EXPECT_EQ(loaded.GetRowCount(), grid.GetRowCount());
}

TEST_F(GridPrint, TheTableSaveWritesEverySampleNotOnlyTheShownRows) {
    const std::vector<CString> comments = {"start", "", "a, b"};
    grid.InsertColumn("", DT_LEFT, 3);
    grid.SetItemText(1, 3, "Comment");
    const CString path = env.File("export.csv");
    ASSERT_TRUE(grid.SaveTable(path, columns.data(), 1, 0, 149, 0.5, format, &comments, 0));
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u + 150u);  // the two header rows and every sample
    EXPECT_EQ(lines[0], ",Set 1,");
    EXPECT_EQ(lines[1], "Time (s),Data 1 (V),Comment");
    EXPECT_EQ(lines[2], "0,1,start");
    EXPECT_EQ(lines[4], "1,5,\"a, b\"");
    EXPECT_EQ(lines[2 + 120], "60,241,");
}

TEST_F(GridPrint, FileErrorsAreShownAndLongLinesLoad) {
    const CString bad = env.File("missing/folder/grid.csv");
    CFile probe;
    CFileException expected(CFileException::none, 0, bad);
    ASSERT_FALSE(probe.Open(bad, CFile::modeWrite | CFile::modeCreate, &expected));
    modals.ExpectMessage(expected.GetErrorMessage(), IDOK);
    EXPECT_FALSE(grid.Save(bad));
    EXPECT_FALSE(CFile::Exists(bad));

    // No line limit: a field of five thousand characters comes back whole.
    const CString path = env.File("long.csv");
    {
        std::ofstream out(path.GetString(), std::ios::binary);
        out << "A," << std::string(5000, 'x') << "\nrow,value\n";
    }
    CGridCtrl loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.GetItemText(0, 1).GetLength(), 5000);
    EXPECT_EQ(loaded.GetItemText(1, 1), "value");
}

TEST_F(GridPrint, AFileLargerThanMemoryCanHoldIsTheLoadError) {
    if (!testing_support::kAllocationsMayFail)
        GTEST_SKIP() << "the sanitizer's allocator ends the process on any failed allocation";
    const CString path = env.File("huge.csv");
    {
        std::ofstream out(path.GetString(), std::ios::binary);
        out << "A,B\nrow,value\n";
    }
    CGridCtrl loaded;
    ASSERT_TRUE(loaded.Load(path));
    ASSERT_TRUE(QFile::resize(path.ToQString(), qint64(6) << 30));  // sparse: no disk is used

    modals.ExpectMessage("Unable to load grid data", IDOK);
    {
        // Past the grid's own limit, so that memory itself runs out.
        platform::FileSizeLimit::Override lifted(CGridCtrl::s_fileLimit, qint64(8) << 30);
        testing_support::AddressSpaceLimit limit(rlim_t(1) << 30);
        EXPECT_FALSE(loaded.Load(path));
    }
    // What the grid showed stays.
    EXPECT_EQ(loaded.GetItemText(1, 1), "value");
}

}  // namespace
