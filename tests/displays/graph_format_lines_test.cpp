// The Lines page of "Format graph" on the real view, sheet and control, through the modal script.

#include <QDateTimeEdit>
#include <QPainter>
#include <cmath>

#include "RES/commands.h"
#include "RES/dialogs/graph_format.h"
#include "displays/graph/graph_format.h"
#include "logger/helpers.h"
#include "platform/activex/instruments.h"
#include "platform/ui/date_time_ctrl.h"
#include "platform/ui/property_sheet.h"
#include "tests/displays/graph_tool_fixture.h"

namespace graph_test {
namespace {

using testing_support::Press;
using testing_support::SetChecked;

class FormatLinesTest : public GraphViewTest {
protected:
    FormatLinesTest() {
        light = AddSet({1, 4, 2, 5});
        temp = AddSet(TemperatureFields(), {20, 22, 21, 23});
        for (auto* d : {light, temp})
            view.PlotAllData(Add(d));
    }
    // Opens the sheet on the Lines page at `entry`, lets `act` work on it, then presses `button`.
    void OnLines(int entry, const std::function<void(CGraphFormatLines&)>& act, int button,
                 std::vector<COLORREF> colours = {}) {
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
            auto& sheet = dynamic_cast<CGraphFormatProperty&>(d);
            sheet.SetActivePage(1);
            CGraphFormatLines& page = sheet.m_lines;
            auto* combo = static_cast<CComboBox*>(page.GetDlgItem(IDC_FORMAT_ENTRIES));
            combo->SetCurSel(entry);
            platform::NotifyParent(combo->GetWidget(), CBN_SELCHANGE);
            act(page);
            Press(d, button);
        });
        for (COLORREF c : colours)
            modals.ExpectColor(c);
        view.OpenFormatSheet(0);
        EXPECT_EQ(modals.Pending(), 0u);
    }
    static void Pick(CGraphFormatLines& page, UINT id, int item) {
        auto* combo = static_cast<CComboBox*>(page.GetDlgItem(static_cast<int>(id)));
        combo->SetCurSel(item);
        platform::NotifyParent(combo->GetWidget(), CBN_SELCHANGE);
    }
    static bool Enabled(CGraphFormatLines& page, UINT id) {
        return page.GetDlgItem(static_cast<int>(id))->IsWindowEnabled();
    }
    const platform::graph::Plot& ControlPlot(int p) const { return State().plots.at(size_t(p)); }
    CDataTreeBrench* light = nullptr;
    CDataTreeBrench* temp = nullptr;
    COLORREF colour = 0;
};

TEST_F(FormatLinesTest, EditsReachControlRecordsAndSettings) {
    colour = RGB(0, 128, 0);
    OnLines(1,
            [&](CGraphFormatLines& page) {
                EXPECT_EQ(page.GetDlgItemText(IDC_FORMAT_LINE_GROUP), "Line");
                Pick(page, IDC_FORMAT_WEIGHT, 2);
                EXPECT_EQ(page.Records()[1].lineWidth, 5);
                EXPECT_FALSE(Enabled(page, IDC_FORMAT_MARKER_STYLE));
                SetChecked(page, IDC_FORMAT_MARKER_VISIBLE, true);
                Pick(page, IDC_FORMAT_MARKER_STYLE, 3);
                EXPECT_EQ(page.Records()[1].markerStyle, 16);
                dynamic_cast<CWButton*>(page.GetDlgItem(IDC_FORMAT_LINE_PICKER))->ClickByKey();
                EXPECT_EQ(page.Records()[1].lineColor, RGB(0, 128, 0));
                // The second style: weight 1, its combo disabled.
                Pick(page, IDC_FORMAT_ENTRIES, 2);
                Pick(page, IDC_FORMAT_LINE_STYLE, 1);
                EXPECT_EQ(page.Records()[2].lineStyle, 4);
                EXPECT_EQ(page.Records()[2].lineWidth, 1);
                EXPECT_FALSE(Enabled(page, IDC_FORMAT_WEIGHT));
                // Both boxes cleared: the line stays.
                SetChecked(page, IDC_FORMAT_LINE_VISIBLE, false);
                EXPECT_TRUE(page.IsDlgButtonChecked(IDC_FORMAT_MARKER_VISIBLE));
                SetChecked(page, IDC_FORMAT_MARKER_VISIBLE, false);
                EXPECT_TRUE(page.IsDlgButtonChecked(IDC_FORMAT_LINE_VISIBLE));
                EXPECT_TRUE(page.Records()[2].lineVisible);
                EXPECT_FALSE(page.Records()[2].markerVisible);
                // The X entry: only its colour.
                Pick(page, IDC_FORMAT_ENTRIES, 0);
                EXPECT_EQ(page.GetDlgItemText(IDC_FORMAT_LINE_GROUP), "X Axis");
                EXPECT_TRUE(Enabled(page, IDC_FORMAT_LINE_COLOR));
                EXPECT_FALSE(Enabled(page, IDC_FORMAT_MARKER_STYLE));
            },
            IDOK, {colour});
    EXPECT_EQ(ControlPlot(0).lineColor, RGB(0, 128, 0));
    EXPECT_EQ(ControlPlot(0).width, 5);
    EXPECT_EQ(ControlPlot(0).marker, 16);
    EXPECT_EQ(ControlPlot(1).lineStyle, 4);
    EXPECT_EQ(view.m_plots[0].colour, RGB(0, 128, 0));
    EXPECT_EQ(view.m_format[0].lineWidth, 5);
    EXPECT_EQ(doc.GetSettings()->m_lineRecords[0].lineColor, RGB(0, 128, 0));
    EXPECT_EQ(doc.GetSettings()->m_lineRecords[1].lineStyle, 4);
    EXPECT_TRUE(doc.m_formatLineSettings);
    // Saved: a fresh read of the file has it.
    CSettings reread(doc.GetSettings()->m_filePath);
    EXPECT_EQ(reread.m_lineRecords[0].lineColor, RGB(0, 128, 0));
}

// Restore defaults acts on the sheet: after a Cancel the settings, records and control are as
// they were.
TEST_F(FormatLinesTest, RestoreDefaultsThenCancelChangesNothing) {
    CSettings& s = *doc.GetSettings();
    s.m_lineRecords[0].lineWidth = 3;
    const auto rows = std::vector<GraphLinesInfoStruct>(s.m_lineRecords, s.m_lineRecords + 9);
    const PlotRecordStruct before = view.m_plots[1];
    const COLORREF controlColour = ControlPlot(1).lineColor;
    OnLines(
        2,
        [&](CGraphFormatLines& page) {
            Pick(page, IDC_FORMAT_LINE_STYLE, 1);
            page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FORMAT_RESTORE, BN_CLICKED));
            EXPECT_EQ(page.Records()[2].lineStyle, 1);
            EXPECT_EQ(page.Records()[2].lineColor, view.GetSensorColor(100, 0, 0));
            // The light set has no sensor colour: it takes its place's, as when it was plotted.
            EXPECT_EQ(page.Records()[1].lineColor, s.m_plotColors[0]);
            EXPECT_EQ(page.Records()[0], GraphLinesInfoStruct());
        },
        IDCANCEL);
    EXPECT_EQ(std::vector<GraphLinesInfoStruct>(s.m_lineRecords, s.m_lineRecords + 9), rows);
    EXPECT_EQ(view.m_plots[1].lineStyle, before.lineStyle);
    EXPECT_EQ(view.m_plots[1].colour, before.colour);
    EXPECT_EQ(ControlPlot(1).lineColor, controlColour);
}

// In bar mode only the colours are written: the plot keeps the control's bar look.
TEST_F(FormatLinesTest, BarModeWritesOnlyColours) {
    view.OnBarGraph();
    ASSERT_EQ(view.m_plotCount, 1);
    const LONG style = ControlPlot(0).lineStyle;
    colour = RGB(10, 20, 30);
    OnLines(1,
            [&](CGraphFormatLines& page) {
                Pick(page, IDC_FORMAT_WEIGHT, 2);
                Pick(page, IDC_FORMAT_LINE_STYLE, 1);
                dynamic_cast<CWButton*>(page.GetDlgItem(IDC_FORMAT_LINE_PICKER))->ClickByKey();
            },
            IDOK, {colour});
    EXPECT_EQ(ControlPlot(0).lineColor, RGB(10, 20, 30));
    EXPECT_EQ(ControlPlot(0).fillColor, RGB(10, 20, 30));
    EXPECT_EQ(ControlPlot(0).lineStyle, style);
    EXPECT_EQ(ControlPlot(0).width, 1);
}

// Pixels: the new line colour is drawn; a line switched off with markers on leaves markers only.
TEST_F(FormatLinesTest, Pixels) {
    auto render = [&] {
        QImage image(600, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        view.GetGraph().GetGraphControl()->Render(painter, QRectF(0, 0, 600, 400),
                                                  QSizeF(600, 400));
        return image;
    };
    // Inside the plot area only: the axis takes the plot's colour too.
    VARIANT area;
    ASSERT_EQ(view.GetGraph().GetGraph().GetProperty(9003, area), S_OK);
    const std::vector<double> r = *area.parray;
    auto count = [&](const QImage& image, COLORREF c) {
        int n = 0;
        const QRgb want = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        for (int y = int(r[1]) + 2; y < int(r[3]) - 2; ++y)
            for (int x = int(r[0]) + 2; x < int(r[2]) - 2; ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF);
        return n;
    };
    const COLORREF green = RGB(0, 160, 0);
    EXPECT_EQ(count(render(), green), 0);
    colour = green;
    OnLines(1,
            [&](CGraphFormatLines& page) {
                dynamic_cast<CWButton*>(page.GetDlgItem(IDC_FORMAT_LINE_PICKER))->ClickByKey();
            },
            IDOK, {colour});
    const QImage coloured = render();
    testing_support::SaveTestImage(coloured, "format_lines_colour");
    const int line = count(coloured, green);
    EXPECT_GT(line, 100);

    OnLines(
        1,
        [&](CGraphFormatLines& page) {
            SetChecked(page, IDC_FORMAT_MARKER_VISIBLE, true);
            SetChecked(page, IDC_FORMAT_LINE_VISIBLE, false);
        },
        IDOK);
    EXPECT_EQ(ControlPlot(0).lineStyle, 0);
    EXPECT_NE(ControlPlot(0).marker, 0);
    const QImage markers = render();
    testing_support::SaveTestImage(markers, "format_lines_markers");
    // Markers are in the marker colour (black by default): no green line is left.
    EXPECT_LT(count(markers, green), line / 10) << "only the axis ticks";
}

// On the X entry the marker side is greyed, its colour button too: flat and grey where the line's
// enabled button shows a raised edge.
TEST_F(FormatLinesTest, TheXEntryGreysTheMarkerColourButton) {
    OnLines(
        0,
        [&](CGraphFormatLines& page) {
            EXPECT_FALSE(Enabled(page, IDC_FORMAT_MARKER_PICKER));
            const QImage line =
                page.GetDlgItem(IDC_FORMAT_LINE_PICKER)->GetWidget()->grab().toImage();
            const QImage marker =
                page.GetDlgItem(IDC_FORMAT_MARKER_PICKER)->GetWidget()->grab().toImage();
            testing_support::SaveTestImage(marker, "format_lines_x_marker_button");
            const QPoint edge(line.width() / 2, 0);
            EXPECT_EQ(line.pixel(edge) & 0xFFFFFF, 0xFFFFFFu) << "the enabled button's raised edge";
            EXPECT_NE(marker.pixel(edge) & 0xFFFFFF, 0xFFFFFFu);
            EXPECT_NE(marker.pixel(marker.width() / 2, marker.height() - 1) & 0xFFFFFF, 0x606060u);
        },
        IDCANCEL);
}

}  // namespace
}  // namespace graph_test

namespace graph_test {
namespace {

class FormatScaleTest : public GraphViewTest {};

// A clock-time X axis is edited on the date and time pickers; a maximum not after the minimum
// gives a day from the minimum. Logarithmic and grid reach the axis.
TEST_F(FormatScaleTest, PickersAndLogarithmic) {
    std::vector<double> y(100, 1.0);
    CDataTreeBrench* d = AddSet(y);
    view.PlotAllData(Add(d));
    view.m_xAxis.timeFormat = 5;
    const double interval = RateInfo(d->m_rateCode).intervalSeconds;
    ASSERT_GT(interval, 0);
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& dlg) {
        auto& sheet = dynamic_cast<CGraphFormatProperty&>(dlg);
        CGraphFormatScales& page = sheet.m_scales;
        EXPECT_FALSE(page.GetDlgItem(IDC_FORMAT_MIN)->IsWindowVisible());
        auto* minTime = dynamic_cast<CDateTimeCtrl*>(page.GetDlgItem(IDC_FORMAT_MIN_TIME));
        auto* maxTime = dynamic_cast<CDateTimeCtrl*>(page.GetDlgItem(IDC_FORMAT_MAX_TIME));
        ASSERT_NE(minTime, nullptr);
        EXPECT_TRUE(minTime->IsWindowVisible());
        SYSTEMTIME t{};
        minTime->GetTime(&t);
        EXPECT_EQ(t.wHour, 12);  // the recording's start
        testing_support::SetChecked(page, IDC_FORMAT_AUTOSCALE, false);
        // The user puts the minimum before the recording: it is kept at its start.
        auto* edit = qobject_cast<QDateTimeEdit*>(minTime->GetWidget());
        edit->setTime(QTime(11, 0, 0));
        minTime->GetTime(&t);
        EXPECT_EQ(t.wHour, 12);
        EXPECT_EQ(t.wMinute, 0);
        // The maximum before the minimum.
        qobject_cast<QDateTimeEdit*>(maxTime->GetWidget())->setTime(QTime(11, 30, 0));
        testing_support::SetChecked(page, IDC_FORMAT_LOGARITHMIC, true);
        testing_support::Press(dlg, IDOK);
    });
    view.OpenFormatSheet(0);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_DOUBLE_EQ(view.GetAxisMinimum(1), 0);
    EXPECT_DOUBLE_EQ(view.GetAxisMaximum(1), std::trunc(86400 / interval));
    EXPECT_TRUE(State().axes.at(0).logarithmic);
}

}  // namespace
}  // namespace graph_test

namespace graph_test {
namespace {

class FormatSheetKeysTest : public GraphToolFixture {};

// Escape in a page of the sheet, opened from Graph > Properties, cancels it: the edit made on the
// page does not reach the graph.
TEST_F(FormatSheetKeysTest, EscapeInAPageCancelsTheSheet) {
    Show(SetFields{}, {1, 4, 2, 5});
    const WORD width = State().plots.at(0).width;
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
        auto& sheet = dynamic_cast<CGraphFormatProperty&>(d);
        sheet.SetActivePage(1);
        CGraphFormatLines& page = sheet.m_lines;
        auto* entries = static_cast<CComboBox*>(page.GetDlgItem(IDC_FORMAT_ENTRIES));
        entries->SetCurSel(1);
        platform::NotifyParent(entries->GetWidget(), CBN_SELCHANGE);
        auto* weight = static_cast<CComboBox*>(page.GetDlgItem(IDC_FORMAT_WEIGHT));
        weight->SetCurSel(2);
        platform::NotifyParent(weight->GetWidget(), CBN_SELCHANGE);
        weight->GetWidget()->setFocus();
        testing_support::PressEscape(d);
        EXPECT_TRUE(d.IsEnded());
    });
    Command(ID_GRAPH_PROPERTIES);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(State().plots.at(0).width, width);
}

}  // namespace
}  // namespace graph_test
