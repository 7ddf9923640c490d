// Editing values and comments in the table through the grid's in-place editor, the column title
// dialog, the clipboard, printing and the export.

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "RES/dialogs/insert_new_column.h"
#include "app/data_tree_view.h"
#include "app/varnel_doc.h"
#include "controls/in_place_edit.h"
#include "models/varnel_file.h"
#include "platform/ui/shell.h"
#include "tests/displays/table_view_fixture.h"

namespace {

using table_test::TableViewTest;

class TableEdit : public TableViewTest {
protected:
    void SetUp() override {
        tableHost.GetWidget()->show();
        tableHost.GetWidget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(tableHost.GetWidget()));
        doc.m_modified = 0;
    }
    QPoint Centre(int row, int col) {
        CRect r;
        EXPECT_TRUE(G().GetCellRect(row, col, &r));
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Types the text into the cell: its first character asks for the editor, and when one opens
    // the rest follows, then Enter.
    bool TypeInto(int row, int col, const char* text) {
        G().SetFocus();
        G().SetFocusCell(row, col);
        G().SetSelectedRange(row, col, row, col);
        QTest::keyClick(W(), text[0]);
        clock.RunPending();
        CInPlaceEdit* edit = G().GetInPlaceEdit();
        if (!edit || edit->IsEnded()) return false;
        QWidget* w = edit->GetWidget();
        QTest::keyClicks(w, text + 1);
        QTest::keyClick(w, Qt::Key_Return);
        clock.RunPending();
        return true;
    }
    std::vector<double> Y(const CDataTreeBrench* d) { return *d->m_y; }
    std::vector<double> X(const CDataTreeBrench* d) { return *d->m_x; }
};

TEST_F(TableEdit, ARecordedValueChangesAfterOneQuestion) {
    view.ShowDataSet(light);
    table.FillGrid(0);
    modals.ExpectMessage(CTableView::kChangeDataText, IDYES);
    ASSERT_TRUE(TypeInto(4, 2, "2.5"));
    EXPECT_EQ(light->m_originCode, 2);
    EXPECT_EQ((*light->m_y)[2], 2.5);
    EXPECT_EQ(Cell(4, 2), "2.5");
    EXPECT_EQ(ControlY(0)[2], 2.5);
    EXPECT_EQ(doc.m_modified, 1);
    // No second question.
    ASSERT_TRUE(TypeInto(5, 2, "7"));
    EXPECT_EQ((*light->m_y)[3], 7);
    EXPECT_EQ(modals.Shown().size(), 1u);
}

// The question the user types into before pressing Yes, shown modal as the program shows it.
class TypingIntoTheQuestion : public platform::ModalHost {
public:
    explicit TypingIntoTheQuestion(const char* keys) : m_keys(keys) {}
    int RunMessageBox(CWnd*, const CString& text, const CString&, UINT) override {
        ADD_FAILURE() << "unexpected box: " << text.GetString();
        return IDNO;
    }
    void RunDialog(CDialog& dialog) override {
        ++m_asked;
        QWidget* w = dialog.GetWidget();
        w->setWindowModality(Qt::ApplicationModal);
        w->show();
        QTest::keyClicks(w->focusWidget() ? w->focusWidget() : w, m_keys);
        testing_support::Press(dialog, IDYES);
    }
    int m_asked = 0;

private:
    const char* m_keys;
};

TEST_F(TableEdit, KeysTypedWhileTheQuestionIsUpReachTheCellAfterYes) {
    table.AddDataSetColumns(light);
    table.FillGrid(0);
    G().SetFocus();
    G().SetFocusCell(4, 2);
    G().SetSelectedRange(4, 2, 4, 2);
    // "2" asks; "." is on its way to the table meanwhile; "5e1" goes to the question.
    TypingIntoTheQuestion host("5e1");
    platform::ModalHost::Install(&host);
    QCoreApplication::postEvent(
        W(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, "."));
    QTest::keyClick(W(), '2');
    platform::ModalHost::Install(&modals);
    clock.RunPending();
    EXPECT_EQ(host.m_asked, 1);
    CInPlaceEdit* edit = G().GetInPlaceEdit();
    ASSERT_TRUE(edit && !edit->IsEnded());
    EXPECT_EQ(edit->GetWindowText(), "2.5e1");
    QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
    clock.RunPending();
    EXPECT_EQ((*light->m_y)[2], 25);
}

TEST_F(TableEdit, NoKeepsTheDataAndRefusedRequestsOpenNoEditor) {
    table.AddDataSetColumns(light);
    table.FillGrid(0);
    modals.ExpectMessage(CTableView::kChangeDataText, IDNO);
    EXPECT_FALSE(TypeInto(4, 2, "2.5"));
    EXPECT_EQ(light->m_originCode, 1);
    // Enter and the header rows never open an editor.
    const CCellID cell(4, 2);
    EXPECT_EQ(table.SendMessage(UM_GRID_EDIT_REQUEST, PackCellID(cell), 13), 0);
    EXPECT_EQ(table.SendMessage(UM_GRID_EDIT_REQUEST, PackCellID(CCellID(1, 2)), '5'), 0);
    // Column 0 and 1 are not data.
    EXPECT_EQ(table.SendMessage(UM_GRID_EDIT_REQUEST, PackCellID(CCellID(4, 1)), '5'), 0);
    // State 2 goes in without a question.
    light->m_originCode = 2;
    EXPECT_TRUE(TypeInto(4, 2, "9"));
    EXPECT_EQ((*light->m_y)[2], 9);
}

TEST_F(TableEdit, AFreeSetTakesValuesInItsGapsOnlyBelowSamples) {
    CDataTreeBrench* free = AddGapped({0, 1, 2, 4, 5}, {10, 11, 12, 14, 15});
    table.AddDataSetColumns(free);
    table.FillGrid(0);
    ASSERT_TRUE(TypeInto(5, 2, "7"));
    EXPECT_EQ(X(free), (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Y(free), (std::vector<double>{10, 11, 12, 7, 14, 15}));
    EXPECT_EQ(doc.m_modified, 1);
    // Past its last sample: refused.
    EXPECT_FALSE(TypeInto(8, 2, "1"));
    // Typed straight into a row whose row above has no sample: the cell is emptied.
    table.AddDataSetColumns(light);
    table.FillGrid(0);
    G().SetItemText(8, 2, "5");
    G().SetItemText(7, 0, "");
    table.SendMessage(UM_GRID_VALUE_ENTERED, PackCellID(CCellID(8, 2)));
    EXPECT_EQ(Cell(8, 2), "");
    EXPECT_EQ(X(free).size(), 6u);
    // The sample is there already: its value is replaced, no second point.
    G().SetItemText(4, 2, "8");
    table.SendMessage(UM_GRID_VALUE_ENTERED, PackCellID(CCellID(4, 2)));
    EXPECT_EQ(X(free), (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Y(free)[2], 8);
}

TEST_F(TableEdit, TextsThatAreNotOneNumberChangeNothing) {
    CDataTreeBrench* free = AddGapped({0, 1, 2, 4}, {10, 11, 12, 14});
    light->m_originCode = 2;
    table.AddDataSetColumns(free);
    table.AddDataSetColumns(light);
    table.FillGrid(0);
    const std::vector<double> freeY = Y(free), lightY = Y(light);
    for (const char* text : {"abc", "12abc", "", ","}) {
        G().SetItemText(5, 2, text);
        table.SendMessage(UM_GRID_VALUE_ENTERED, PackCellID(CCellID(5, 2)));
        G().SetItemText(4, 3, text);
        table.SendMessage(UM_GRID_VALUE_CHANGED, PackCellID(CCellID(4, 3)));
        EXPECT_EQ(Y(free), freeY) << text;
        EXPECT_EQ(Y(light), lightY) << text;
        EXPECT_EQ(Cell(5, 2), "") << text;
        EXPECT_EQ(Cell(4, 3), "102") << text;
    }
    G().SetItemText(4, 3, "1E2");
    table.SendMessage(UM_GRID_VALUE_CHANGED, PackCellID(CCellID(4, 3)));
    EXPECT_EQ(Y(light)[2], 100);
}

TEST_F(TableEdit, AnEmptySetHasNothingToEdit) {
    CDataTreeBrench* empty = AddGapped({}, {});
    table.AddDataSetColumns(empty);
    table.AddDataSetColumns(light);
    table.FillGrid(0);
    EXPECT_EQ(table.SendMessage(UM_GRID_EDIT_REQUEST, PackCellID(CCellID(2, 2)), '5'), 0);
    EXPECT_EQ(G().GetInPlaceEdit(), nullptr);
}

TEST_F(TableEdit, AChangedRecordedValueGoesIntoAnEditedCopy) {
    view.ShowDataSet(light);
    table.FillGrid(0);
    // Without a data map no copy can be made: nothing changes.
    doc.m_dataTreeView = nullptr;
    G().SetItemText(4, 2, "3.5");
    table.SendMessage(UM_GRID_VALUE_CHANGED, PackCellID(CCellID(4, 2)));
    EXPECT_EQ(table.ColumnDataSet(0), light);
    EXPECT_EQ((*light->m_y)[2], 102);
    EXPECT_EQ(Cell(4, 2), "102");
    EXPECT_EQ(doc.m_dataList.FindByName(CTableView::kEditedDataGroup), nullptr);
    doc.m_dataTreeView = &tree;

    G().SetItemText(4, 2, "3.5");
    table.SendMessage(UM_GRID_VALUE_CHANGED, PackCellID(CCellID(4, 2)));
    CDataTreeBrench* group = doc.m_dataList.FindByName(CTableView::kEditedDataGroup);
    ASSERT_NE(group, nullptr);
    CDataTreeBrench* copy = table.ColumnDataSet(0);
    ASSERT_NE(copy, light);
    EXPECT_EQ(doc.m_dataList.GetExperimentOf(copy->m_id), group);
    EXPECT_EQ(copy->m_originCode, 2);
    EXPECT_EQ(copy->m_name, "Light");
    EXPECT_EQ((*copy->m_y)[2], 3.5);
    EXPECT_EQ((*light->m_y)[2], 102);
    EXPECT_EQ(Cell(0, 2), "Edited Data");
    EXPECT_EQ(view.m_plots[0].dataSet, copy);
    EXPECT_EQ(ControlY(0)[2], 3.5);

    // A second copy goes into the same group.
    table.AddDataSetColumns(sound);
    table.FillGrid(0);
    G().SetItemText(4, 3, "1");
    table.SendMessage(UM_GRID_VALUE_CHANGED, PackCellID(CCellID(4, 3)));
    int groups = 0;
    for (int i = 0; i < doc.m_dataList.GetCount(); ++i)
        groups += doc.m_dataList.GetAt(i)->m_name == CTableView::kEditedDataGroup;
    EXPECT_EQ(groups, 1);
}

TEST_F(TableEdit, CommentsKeepTheirLastTwentyCharactersOnTheirOwnSample) {
    // The gapped set first: the comment of a row belongs to the sample number shown there.
    CDataTreeBrench* gapped = AddGapped({0, 1, 5, 6}, {1, 2, 3, 4});
    table.AddDataSetColumns(gapped);
    table.FillGrid(0);
    ASSERT_TRUE(TypeInto(7, 3, "abcdefghijklmnopqrstuvwxy"));
    const auto& texts = experiment->m_experimentTexts;
    ASSERT_GE(texts.size(), 6u);
    EXPECT_EQ(texts[5], "fghijklmnopqrstuvwxy");
    EXPECT_EQ(Cell(7, 3), "fghijklmnopqrstuvwxy");
    EXPECT_EQ(doc.m_modified, 1);
    // Not at the point's index (2) in the x values.
    EXPECT_EQ(texts[2], "");
    table.FillGrid(0);
    EXPECT_EQ(Cell(7, 3), "fghijklmnopqrstuvwxy");
    EXPECT_EQ(Cell(4, 3), "");

    // A row without a sample takes no comment.
    table.FillGrid(0);
    G().SetItemText(12, 3, "late");
    table.SendMessage(UM_GRID_VALUE_ENTERED, PackCellID(CCellID(12, 3)));
    EXPECT_EQ(Cell(12, 3), "");
    EXPECT_EQ(texts.size(), 7u);
    EXPECT_FALSE(table.StoreComment(-1, "x"));
    EXPECT_FALSE(table.StoreComment(7, "x"));
}

TEST_F(TableEdit, TheTitleDialogRenamesAndChangesTheUnitOfAFreeSetOnly) {
    CDataTreeBrench* free = AddGapped({0, 1}, {1, 2}, 0, "Volts");
    view.ShowDataSet(free);
    view.ShowDataSet(light);
    table.FillGrid(0);
    modals.ExpectDialog(IDD_INSERT_NEW_COLUMN, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Change column title and unit");
        EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_TITLE), "Volts");
        EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_UNIT), "V");
        EXPECT_TRUE(d.GetDlgItem(IDC_COLUMN_UNIT)->IsWindowEnabled());
        // At most 20 and 4 characters can be typed.
        d.SetDlgItemText(IDC_COLUMN_TITLE, "");
        d.SetDlgItemText(IDC_COLUMN_UNIT, "");
        QTest::keyClicks(d.GetDlgItem(IDC_COLUMN_TITLE)->GetWidget(), "A title of twenty-five ch");
        QTest::keyClicks(d.GetDlgItem(IDC_COLUMN_UNIT)->GetWidget(), "mVolt");
        EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_TITLE), "A title of twenty-fi");
        EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_UNIT), "mVol");
        testing_support::TypeText(d, IDC_COLUMN_TITLE, "Battery");
        testing_support::TypeText(d, IDC_COLUMN_UNIT, "mV");
        testing_support::Press(d, IDOK);
    });
    QTest::mouseDClick(W(), Qt::LeftButton, Qt::NoModifier, Centre(1, 2));
    clock.RunPending();
    EXPECT_EQ(free->m_name, "Battery");
    EXPECT_EQ(free->m_unit, "mV");
    EXPECT_EQ(Cell(1, 2), "Battery (mV)");
    EXPECT_EQ(tree.GetTreeCtrl().GetItemText(tree.FindDataSetItem(free->m_id)), "Battery");
    EXPECT_EQ(State().axes[1].caption, "Battery(mV)");

    modals.ExpectDialog(IDD_INSERT_NEW_COLUMN, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Change column title");
        EXPECT_FALSE(d.GetDlgItem(IDC_COLUMN_UNIT)->IsWindowEnabled());
        testing_support::TypeText(d, IDC_COLUMN_TITLE, "Lamp");
        testing_support::Press(d, IDOK);
    });
    table.SendMessage(UM_GRID_HEADER_DBLCLK, PackCellID(CCellID(0, 3)));
    EXPECT_EQ(light->m_name, "Lamp");
    EXPECT_EQ(light->m_unit, "lux");
    EXPECT_EQ(Cell(1, 3), "Lamp (lux)");

    modals.ExpectDialog(IDD_INSERT_NEW_COLUMN, [](CDialog& d) {
        testing_support::TypeText(d, IDC_COLUMN_TITLE, "Nothing");
        testing_support::Press(d, IDCANCEL);
    });
    table.SendMessage(UM_GRID_HEADER_DBLCLK, PackCellID(CCellID(1, 3)));
    EXPECT_EQ(light->m_name, "Lamp");
    EXPECT_EQ(Cell(1, 3), "Lamp (lux)");
}

TEST_F(TableEdit, TheTitleDialogKeepsPresetsLongerThanItCanBeTyped) {
    // Titles take 20 typed characters and units 4; these presets are longer.
    struct Case {
        const char* name;
        bool pressure;
        WORD origin;
        const char* shown;  // the unit the column shows
    };
    const Case cases[] = {
        {"Linear(Exp. 1 - Temperature)", false, 2, "°F"},
        {"Barometric pressure (outside)", true, 0, "Inches Hg"},
    };
    doc.GetSettings()->m_temperatureUnit = 1;
    doc.GetSettings()->m_pressureUnit = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDataTreeBrench* set = AddGapped({0, 1}, {20, 21}, c.origin, c.name);
        set->m_modelCode = 100;
        set->m_inputKind = c.pressure ? 4 : 0;
        set->m_unit = c.pressure ? "kPa" : "°C";
        table.SetupGrid(RateInfo(41));
        table.AddDataSetColumns(set);
        table.FillGrid(0);
        modals.ExpectDialog(IDD_INSERT_NEW_COLUMN, [&](CDialog& d) {
            EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_TITLE), CString(c.name));
            EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_UNIT), CString(c.shown));
            if (c.pressure)
                testing_support::SaveTestImage(testing_support::RenderWidget(d.GetWidget()),
                                               "column_title_long_presets");
            testing_support::Press(d, IDOK);
        });
        table.SendMessage(UM_GRID_HEADER_DBLCLK, PackCellID(CCellID(1, 2)));
        EXPECT_EQ(modals.Pending(), 0u);
        // A plain OK changes nothing: the unit shown is not the one the values are kept in.
        EXPECT_EQ(set->m_name, CString(c.name));
        EXPECT_EQ(set->m_unit, CString(c.pressure ? "kPa" : "°C"));
        EXPECT_EQ(Cell(1, 2), CString(c.name) + " (" + c.shown + ")");
    }

    // Such a text can be shortened, and not lengthened: not even back to what it was.
    modals.ExpectDialog(IDD_INSERT_NEW_COLUMN, [](CDialog& d) {
        QWidget* title = d.GetDlgItem(IDC_COLUMN_TITLE)->GetWidget();
        title->setFocus();
        QTest::keyClick(title, Qt::Key_End);
        QTest::keyClicks(title, "!");
        EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_TITLE), "Barometric pressure (outside)");
        QTest::keyClick(title, Qt::Key_Backspace);
        QTest::keyClicks(title, ")");
        EXPECT_EQ(d.GetDlgItemText(IDC_COLUMN_TITLE), "Barometric pressure (outside");
        testing_support::Press(d, IDOK);
    });
    table.SendMessage(UM_GRID_HEADER_DBLCLK, PackCellID(CCellID(1, 2)));
    EXPECT_EQ(table.ColumnDataSet(0)->m_name, "Barometric pressure (outside");
}

TEST_F(TableEdit, CopyPutsTheSelectionOnTheClipboardAndNothingElseChangesData) {
    table.AddDataSetColumns(light);
    table.AddDataSetColumns(sound);
    table.FillGrid(0);
    G().SetFocus();
    G().SetFocusCell(2, 2);
    G().SetSelectedRange(2, 2, 3, 3);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(W(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Light (lux)\tSound (dB)\n100\t50\n101\t51");

    // The document's forwarder reaches the same copy.
    QGuiApplication::clipboard()->clear();
    doc.OnCmdMsg(ID_TABLE_COPY, 0, nullptr, nullptr);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Light (lux)\tSound (dB)\n100\t50\n101\t51");

    const std::vector<double> lightY = Y(light), soundY = Y(sound);
    QTest::keyClick(W(), Qt::Key_X, Qt::ControlModifier);
    clock.RunPending();
    QGuiApplication::clipboard()->setText("9\t9\n9\t9");
    G().SetFocusCell(4, 2);
    G().SetSelectedRange(4, 2, 4, 2);
    QTest::keyClick(W(), Qt::Key_V, Qt::ControlModifier);
    clock.RunPending();
    QTest::keyClick(W(), Qt::Key_Delete);
    clock.RunPending();
    doc.OnCmdMsg(ID_TABLE_CUT, 0, nullptr, nullptr);
    doc.OnCmdMsg(ID_TABLE_PASTE, 0, nullptr, nullptr);
    doc.OnCmdMsg(ID_TABLE_EDIT_DATA, 0, nullptr, nullptr);
    EXPECT_EQ(Y(light), lightY);
    EXPECT_EQ(Y(sound), soundY);
    table.FillGrid(0);
    EXPECT_EQ(Cell(2, 2), "100");
    EXPECT_EQ(Cell(4, 2), "102");
    EXPECT_EQ(Cell(3, 3), "51");

    // Without a table view the forwarders do nothing.
    doc.m_tableView = nullptr;
    EXPECT_TRUE(doc.OnCmdMsg(ID_TABLE_COPY, 0, nullptr, nullptr));
    doc.m_tableView = &table;
}

TEST_F(TableEdit, AutoscaleForgetsAValueTypedOver) {
    struct Case {
        const char* what;
        WORD origin;  // 0 free, 1 recorded (changed through an edited copy), 2 changeable
    };
    const Case cases[] = {{"a free set", 0}, {"a recorded set", 1}, {"a changeable set", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.RefreshGraph(TRUE);
        // 100 .. 109, sample 5 missing from the free set: it is typed into the gap.
        std::vector<double> x(10), y(10);
        std::iota(x.begin(), x.end(), 0.0);
        std::iota(y.begin(), y.end(), 100.0);
        if (c.origin == 0) x.erase(x.begin() + 5), y.erase(y.begin() + 5);
        CDataTreeBrench* set = AddGapped(x, y, c.origin, c.what);
        view.ShowDataSet(set);
        table.FillGrid(0);
        const auto type = [&](const char* text) {
            if (c.origin == 1) {
                G().SetItemText(7, 2, text);
                table.SendMessage(UM_GRID_VALUE_CHANGED, PackCellID(CCellID(7, 2)));
            } else {
                ASSERT_TRUE(TypeInto(7, 2, text));
            }
            view.OnAutoscale();
        };
        // Autoscale takes the extremes and a tenth more: 90 .. 109 / 0.9, or 1000 / 0.9.
        type("1000");
        EXPECT_NEAR(State().axes[1].max, 1000 / 0.9, 1e-9);
        type("105");
        EXPECT_NEAR(State().axes[1].max, 109 / 0.9, 1e-9);
        // An edited copy starts with no range of its own: 0 is not taken in.
        EXPECT_NEAR(State().axes[1].min, 90, 1e-9);
        EXPECT_EQ(table.ColumnDataSet(0) != set, c.origin == 1);
        table.RemoveDataSet(table.GetColumn(0).dataSetId);
    }
}

// ---- print and export ----

int PdfPages(const CString& path) {
    QFile f(path.ToQString());
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return static_cast<int>(
        QString::fromLatin1(f.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

std::vector<std::string> Lines(const CString& path) {
    std::ifstream in(path.GetString());
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

class TableOut : public TableEdit {
protected:
    void SetUp() override {
        TableEdit::SetUp();
        root = GetDataRoot();
        QDir().mkpath(root.ToQString());
        platform::SetShellOpener([this](const QUrl& url) {
            opened.push_back(url.toLocalFile());
            return true;
        });
        big = AddSet(graph_test::SetFields{"Big", 41, 100, 2, 0, 1, "V"}, Ramp(1000, 0, 0.5));
        table.AddDataSetColumns(big);
        table.FillGrid(0);
    }
    void TearDown() override { platform::SetShellOpener({}); }
    CString root;
    std::vector<QString> opened;
    CDataTreeBrench* big = nullptr;
};

TEST_F(TableOut, PrintsEverySampleOrTheChosenRange) {
    const CString all = env.File("all.pdf");
    modals.ExpectPrint(all);
    table.PrintTable("Varnel table", 0, 0);
    const int rowsPerPage = G().GetPrintPageHeight() / 19;
    ASSERT_GT(rowsPerPage, 10);
    EXPECT_EQ(PdfPages(all), (1000 + rowsPerPage - 1) / rowsPerPage);

    const CString some = env.File("some.pdf");
    modals.ExpectPrint(some);
    table.PrintTable("Varnel table", 100, 150);
    EXPECT_EQ(PdfPages(some), (51 + rowsPerPage - 1) / rowsPerPage);
}

TEST_F(TableOut, ExportWritesEverySampleToTheFirstFreeScratchFile) {
    experiment->m_experimentTexts.assign(1000, CString());
    experiment->m_experimentTexts[999] = "end, here";
    doc.OnCmdMsg(ID_TABLE_EXPORT, 0, nullptr, nullptr);
    const CString first = root + "tmp~0.csv";
    ASSERT_EQ(opened, (std::vector<QString>{first.ToQString()}));
    const auto lines = Lines(first);
    ASSERT_EQ(lines.size(), 1002u);
    EXPECT_EQ(lines[0], ",Exp. 1,Exp. 1");
    EXPECT_EQ(lines[1], "Time (s),Big (V),Comment");
    EXPECT_EQ(lines[2], "0,0,");
    EXPECT_EQ(lines[1001], "999,499.5,\"end, here\"");

    // tmp~0 cannot be written (here: a folder of that name): tmp~1.
    QFile::remove(first.ToQString());
    QDir().mkpath(first.ToQString());
    opened.clear();
    table.OnExportToExcel();
    EXPECT_EQ(opened, (std::vector<QString>{(root + "tmp~1.csv").ToQString()}));
}

TEST_F(TableOut, ExportWithEveryNameTakenTellsTheUserAndOpensNothing) {
    for (int n = 0; n < 100; ++n)
        QFile(CString::Formatted("%s.~lock.tmp~%d.csv#", root.GetString(), n).ToQString())
            .open(QIODevice::WriteOnly);
    modals.ExpectMessage(CTableView::kExportErrorText, IDOK);
    table.OnExportToExcel();
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(QFile::exists((root + "tmp~0.csv").ToQString()));
}

// ---- values in the units the user chose ----

struct UnitCase {
    const char* unit;
    bool pressure;
    BYTE choice;        // the settings' temperature or pressure unit
    const char* typed;  // typed over sample 2, and shown there
    double stored;      // what the data set keeps: temperatures in °C, pressures in kPa
};

void PrintTo(const UnitCase& c, std::ostream* os) {
    *os << c.unit;
}

const UnitCase kUnitCases[] = {
    {"°C", false, 0, "75", 75},
    {"°F", false, 1, "75", 23.888889},            // (75 - 32) x 5 / 9
    {"°K", false, 2, "300", 26.85},               // 300 - 273.15
    {"kPa", true, 0, "101.3", 101.3},             //
    {"psi", true, 1, "14.7", 101.352959},         // 14.7 / 0.1450377
    {"mm Hg", true, 2, "760", 101.325017},        // 760 / 7.5006156
    {"Inches Hg", true, 3, "29.92", 101.320759},  // 29.92 / 0.2952998
    {"atm", true, 4, "1", 101.325335},            // 1 / 0.0098692
    {"mBar", true, 5, "1013", 101.3},             // 1013 / 10
};

class TableUnits : public TableEdit, public testing::WithParamInterface<UnitCase> {
protected:
    void SetUp() override {
        TableEdit::SetUp();
        QDir().mkpath(GetDataRoot().ToQString());
        platform::SetShellOpener([this](const QUrl& url) {
            opened.push_back(url.toLocalFile());
            return true;
        });
    }
    void TearDown() override { platform::SetShellOpener({}); }

    // The texts of the printed row whose first cell is `sample`, as the grid prints the job it
    // holds.
    std::vector<QString> PrintedRow(const char* sample, int lastSample, std::vector<QString>& all) {
        testing_support::RecordingDevice page(2480, 3508, 300);
        {
            QPainter painter(&page);
            CDC dc(&painter, true);
            CPrintInfo info;
            int endRow = 0;
            G().OnBeginPrinting(&dc, &info, endRow, 0, lastSample);
            info.m_nCurPage = 1;
            G().OnPrint(&dc, &info, "Units", endRow, 0, &experiment->m_experimentTexts);
            G().OnEndPrinting(&dc, &info);
        }
        const auto sorted = page.SortedTexts();
        std::vector<QString> row;
        for (const auto& t : sorted)
            all.push_back(t.text);
        for (size_t i = 0; i < sorted.size(); ++i) {
            if (sorted[i].text != sample) continue;
            for (size_t j = i;
                 j < sorted.size() && std::abs(sorted[j].at.y() - sorted[i].at.y()) < 1; ++j)
                row.push_back(sorted[j].text);
            break;
        }
        return row;
    }

    std::vector<QString> opened;
};

TEST_P(TableUnits, AValueTypedInTheUnitShownGoesRoundWithoutLoss) {
    const UnitCase& c = GetParam();
    CSettings& settings = *doc.GetSettings();
    (c.pressure ? settings.m_pressureUnit : settings.m_temperatureUnit) = c.choice;
    // A recorded series the user may change, and a free one that has no sample 2 yet.
    CDataTreeBrench* recorded =
        c.pressure
            ? AddSet(graph_test::SetFields{"Pressure", 41, 100, 4, 0, 1, "kPa"}, Ramp(30, 100.0))
            : temperature;
    recorded->m_originCode = 2;
    CDataTreeBrench* free = AddGapped({0, 1, 3}, {20, 21, 23}, 0, "Free");
    free->m_modelCode = recorded->m_modelCode;
    free->m_inputKind = recorded->m_inputKind;
    free->m_unit = recorded->m_unit;
    table.AddDataSetColumns(recorded);
    table.AddDataSetColumns(free);
    table.FillGrid(0);
    const CString heading = recorded->m_name + " (" + c.unit + ")";
    EXPECT_EQ(Cell(1, 2), heading);

    // Edit and store.
    ASSERT_TRUE(TypeInto(4, 2, c.typed));
    ASSERT_TRUE(TypeInto(4, 3, c.typed));
    EXPECT_NEAR(Y(recorded)[2], c.stored, 1e-6);
    EXPECT_EQ(X(free), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_NEAR(Y(free)[2], c.stored, 1e-6);

    // Show.
    table.FillGrid(0);
    EXPECT_EQ(Cell(4, 2), CString(c.typed));
    EXPECT_EQ(Cell(4, 3), CString(c.typed));

    // Print.
    std::vector<QString> row, all;
    modals.ExpectPrint(env.File("units.pdf"), [&] { row = PrintedRow("2", 29, all); });
    table.PrintTable("Units", 0, 0);
    EXPECT_EQ(row, (std::vector<QString>{"2", "2", c.typed, c.typed}));
    EXPECT_NE(std::find(all.begin(), all.end(), heading.ToQString()), all.end());

    // Export.
    table.OnExportToExcel();
    ASSERT_EQ(opened.size(), 1u);
    const auto lines = Lines(CString(opened[0]));
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[1], (CString("Time (s),") + heading + ",Free (" + c.unit + "),Comment").str());
    EXPECT_EQ(lines[4], (CString("2,") + c.typed + "," + c.typed + ",").str());

    // Save and open: the file keeps the stored value, and the set read back shows it alike.
    const std::vector<double> kept = Y(free);
    const CString path = env.File("units.vnp");
    ASSERT_EQ(CVarnelFile(&doc).SaveWithVideo(path, "", false), CVarnelFile::SaveResult::written);
    QFile file(path.ToQString());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    ProjectContents contents;
    ASSERT_TRUE(CVarnelFile::ReadBytes(std::vector<BYTE>(raw.begin(), raw.end()), env.Path() + "/",
                                       contents));
    const CDataTreeBrench* read = nullptr;
    for (const auto& b : contents.branches)
        if (b.node && b.node->m_name == "Free") read = b.node.get();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Y(read), kept);
    CDataTreeBrench* back = AddGapped(X(read), Y(read), 0, "Back");
    back->m_modelCode = read->m_modelCode;
    back->m_inputKind = read->m_inputKind;
    back->m_unit = read->m_unit;
    table.AddDataSetColumns(back);
    table.FillGrid(0);
    EXPECT_EQ(Cell(1, 4), CString("Back (") + c.unit + ")");
    EXPECT_EQ(Cell(4, 4), CString(c.typed));
}

INSTANTIATE_TEST_SUITE_P(EveryUnit, TableUnits, testing::ValuesIn(kUnitCases));

}  // namespace
