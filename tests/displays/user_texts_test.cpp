// Texts that a user typed or a file brought, drawn and printed as they are: an "&" in them is a
// character, never a mnemonic. A text of the program's own resources keeps its mnemonic.

#include <gtest/gtest.h>

#include <QPainter>
#include <functional>

#include "experiment/text_view.h"
#include "platform/gdi/dc.h"
#include "tests/displays/table_view_fixture.h"

namespace {

using testing_support::RecordingDevice;

class UserTexts : public table_test::TableViewTest {
protected:
    // What a drawing path puts on a 300 dpi A4 page, every text item run together.
    static QString Drawn(const std::function<void(CDC&, QPainter&)>& draw) {
        RecordingDevice page(2480, 3508, 300);
        {
            QPainter painter(&page);
            CDC dc(&painter, true);
            draw(dc, painter);
        }
        QString all;
        for (const auto& t : page.SortedTexts())
            all += t.text + "|";
        return all;
    }
};

TEST_F(UserTexts, AnAmpersandIsDrawnAndPrintedAsTyped) {
    const char* const texts[] = {"Tom & Jerry, R&D", "&Start", "end &", "a && b"};
    struct Path {
        const char* name;
        // Puts `text` where the path takes it from and draws or prints it.
        std::function<QString(const CString& text)> draw;
    };
    CTextView notes;
    const Path paths[] = {
        {"notes printed",
         [&](const CString& text) {
             return Drawn([&](CDC& dc, QPainter&) { notes.PrintPages(dc, text + "\r\nnext"); });
         }},
        {"table cell and data-set heading on screen",
         [&](const CString& text) {
             light->m_name = text;
             table.AddDataSetColumns(light);
             table.FillGrid(0);
             G().SetItemText(2, 1, text);
             // Drawn straight onto the page, so that its texts stay texts.
             G().SetDoubleBuffering(FALSE);
             return Drawn([&](CDC&, QPainter& painter) { W()->render(&painter); });
         }},
        {"table title and heading printed",
         [&](const CString& text) {
             light->m_name = text;
             table.AddDataSetColumns(light);
             table.FillGrid(0);
             return Drawn([&](CDC& dc, QPainter&) {
                 CPrintInfo info;
                 int endRow = 0;
                 G().OnBeginPrinting(&dc, &info, endRow, 0, 5);
                 info.m_nCurPage = 1;
                 G().OnPrint(&dc, &info, text, endRow, 0, nullptr);
                 G().OnEndPrinting(&dc, &info);
             });
         }},
        {"graph title, data set and annotation printed",
         [&](const CString& text) {
             light->m_name = text;
             Add(light);
             view.PlotAllData(0);
             view.SetGraphTitle(text);
             view.ShowAnnotation(3, 0, text, true);
             return Drawn([&](CDC& dc, QPainter&) { view.PrintGraphPage(dc); });
         }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        for (const char* text : texts) {
            SCOPED_TRACE(text);
            const QString drawn = path.draw(text);
            EXPECT_TRUE(drawn.contains(QString::fromUtf8(text))) << drawn.toStdString();
        }
    }

    // The program's own texts keep their mnemonics: the "&" marks a key and is not drawn.
    const QString menu = Drawn([](CDC& dc, QPainter&) {
        CRect box(0, 0, 600, 100);
        dc.DrawText("&Print...", &box, DT_SINGLELINE);
    });
    // The marked letter is drawn apart, underlined.
    EXPECT_EQ(QString(menu).remove('|'), "Print...") << menu.toStdString();
}

}  // namespace
