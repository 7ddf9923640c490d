// The table's frame in the application, and the table record of a project.

#include <gtest/gtest.h>

#include <QWidget>

#include "app/varnel_doc.h"
#include "displays/table/table_view.h"
#include "logger/dorvik.h"
#include "platform/base/archive.h"
#include "platform/base/exceptions.h"
#include "platform/base/file.h"
#include "tests/support/harness.h"

namespace {

class TableFrame : public testing_support::HarnessTest {};

TEST_F(TableFrame, HasNoCaptionAndNothingInItsMenuThatMovesOrSizesIt) {
    CVarnelDoc doc([](CSettings*) { return std::unique_ptr<CDorvik>(); });
    CMDIFrameWnd main;
    ASSERT_TRUE(main.Create(nullptr, "Varnel", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 600)));
    CTableFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, "Varnel", 0x00CF4000, CRect(0, 0, 300, 200), &main));
    CTableView table;
    ASSERT_TRUE(table.Create(&frame, &doc));
    frame.SetActiveView(&table, FALSE);
    frame.InitialUpdateFrame(&doc, TRUE);

    EXPECT_TRUE(frame.GetWidget()->windowFlags() & Qt::FramelessWindowHint);
    CMenu* menu = frame.GetSystemMenu(FALSE);
    ASSERT_EQ(menu->GetMenuItemCount(), 3);
    CString restore;
    menu->GetMenuString(0, restore, MF_BYPOSITION);
    EXPECT_EQ(restore, "&Restore");
    EXPECT_EQ(menu->GetMenuItemID(1), 0u);

    // The view is the document's table, set up with its grid.
    EXPECT_EQ(doc.GetTableView(), &table);
    ASSERT_NE(table.GetGrid(), nullptr);
    EXPECT_EQ(table.GetGrid()->GetDlgCtrlID(), 100);
    EXPECT_EQ(table.GetGrid()->GetRowCount(), 61);
    EXPECT_EQ(table.GetGrid()->GetFixedRowCount(), 2);
    EXPECT_EQ(table.GetGrid()->GetColumnWidth(0), 40);
    EXPECT_EQ(table.GetGrid()->GetGridColor(), CTableView::kGridLineColour);
    LOGFONT lf;
    table.GetGrid()->GetGridFont(&lf);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    EXPECT_EQ(table.GetGrid()->GetItemText(1, 1), "Time (s)");
    table.DestroyWindow();
    frame.DestroyWindow();
    main.DestroyWindow();
}

// A table record with `columns` column records.
std::vector<BYTE> TableRecord(WORD columns) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << WORD(1) << 1.0 << 2.0 << CString("a") << WORD(2) << WORD(3) << CString("b") << WORD(4)
       << WORD(5) << CString("Table") << BYTE(1) << BYTE(2) << DWORD(3) << CString("c") << DWORD(4)
       << BYTE(5) << DWORD(6);
    for (int i = 0; i < 5; ++i)
        ar << BYTE(i);
    ar << DWORD(7) << DWORD(8) << columns;
    for (WORD i = 0; i < columns; ++i)
        ar << WORD(i == 0 ? 9999 : i) << WORD(2 + i) << WORD(0) << WORD(2) << WORD(0)
           << CString("%.2f");
    ar << DWORD(0xABCDEF01);  // what follows the record
    ar.Close();
    return file.Detach();
}

TEST(TableRecord, IsReadWholeAndRefusesMoreThanEightColumns) {
    {
        CMemFile file(TableRecord(2));
        CArchive ar(&file, CArchive::load);
        CTableTreeBrench table;
        table.Read(ar);
        EXPECT_EQ(table.m_columnCount, 2);
        EXPECT_EQ(table.m_text, "Table");
        EXPECT_EQ(table.m_positions[0], CTableTreeBrench::kNoDataSet);
        EXPECT_EQ(table.m_positions[1], 1);
        EXPECT_EQ(table.m_columns[1].gridColumn, 3);
        EXPECT_EQ(table.m_columns[1].valueFormat, "%.2f");
        DWORD after = 0;
        ar >> after;
        EXPECT_EQ(after, 0xABCDEF01u);
    }
    for (WORD columns : {WORD(9), WORD(65535)}) {
        CMemFile file(TableRecord(columns));
        CArchive ar(&file, CArchive::load);
        CTableTreeBrench table;
        EXPECT_THROW(table.Read(ar), CArchiveException) << columns;
    }
    // Cut short anywhere: the archive exception.
    const std::vector<BYTE> whole = TableRecord(2);
    for (size_t n : {size_t(0), size_t(5), whole.size() / 2, whole.size() - 5}) {
        CMemFile file(std::vector<BYTE>(whole.begin(), whole.begin() + std::ptrdiff_t(n)));
        CArchive ar(&file, CArchive::load);
        CTableTreeBrench table;
        EXPECT_THROW(table.Read(ar), CArchiveException) << n;
    }
}

}  // namespace
