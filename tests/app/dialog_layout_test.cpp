// Every dialog template, and the form views made from templates, as the program builds them, at
// the dialog font and at one 1.25 times larger: every text fits its control, no two controls
// overlap (but a group box around what it holds), every control lies inside its window, and a
// closed combo is one line high. The pictures are kept under test-output/dialogs/ for a person.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <algorithm>
#include <functional>
#include <numeric>

#include "RES/dialogs/about.h"
#include "RES/dialogs/annotation_caption.h"
#include "RES/dialogs/com_setup.h"
#include "RES/dialogs/external_sensor_selection.h"
#include "RES/dialogs/graph_title.h"
#include "RES/dialogs/insert_new_column.h"
#include "RES/dialogs/launch_settings.h"
#include "RES/dialogs/meter_setting.h"
#include "RES/dialogs/meter_settings.h"
#include "RES/dialogs/meter_view.h"
#include "RES/dialogs/msg_dialog.h"
#include "RES/dialogs/option_dialogs.h"
#include "RES/dialogs/print_selection.h"
#include "RES/dialogs/select_camera_driver.h"
#include "RES/dialogs/selective_download.h"
#include "RES/dialogs/sensor_color.h"
#include "RES/dialogs/sensor_properties.h"
#include "RES/dialogs/timing_wizard.h"
#include "RES/dialogs/video_quality.h"
#include "RES/dialogs/x_axis_setup.h"
#include "RES/dialogs/xy_setting.h"
#include "app/about_dlg.h"
#include "app/com_setup.h"
#include "app/message_dialog.h"
#include "app/msg_dialog.h"
#include "app/option_dialogs.h"
#include "app/print_selection_dialog.h"
#include "app/storage_path_dialog.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/annotation_caption_dialog.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/graph/x_axis_setup_dialog.h"
#include "displays/graph/xy_setting_dialog.h"
#include "displays/meter/meter_setting_dialog.h"
#include "displays/meter/meter_view.h"
#include "displays/sensor_color_settings_dialog.h"
#include "displays/sensor_properties_dialog.h"
#include "displays/table/insert_new_column.h"
#include "experiment/external_sensor_selection_dialog.h"
#include "experiment/fetch_progress_dialog.h"
#include "experiment/launch_settings_dialog.h"
#include "experiment/selective_download_dialog.h"
#include "experiment/setup_view.h"
#include "experiment/timing_wizard.h"
#include "logger/settings.h"
#include "platform/ui/property_sheet.h"
#include "platform/ui/text_fit.h"
#include "platform/win/placement.h"
#include "platform/win/widget_bridge.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "video/select_camera_driver_dialog.h"
#include "video/video_quality.h"

namespace {

constexpr QChar kEllipsis(0x2026);

CString Describe(const QWidget* w) {
    CWnd* wnd = CWnd::FromHandlePermanent(platform::HandleOfWidget(w));
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) text = group->title();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) text = combo->currentText();
    CString out;
    out.Format("%s %d \"%s\"", w->metaObject()->className(), wnd ? wnd->GetDlgCtrlID() : -1,
               CString(text).GetString());
    return out;
}

// How much wider and taller a control would have to be to show its text whole; 0 by 0 when it
// does.
QSize Shortfall(const QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty()) return {};
        const QRect area = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = fm.boundingRect(QRect(area.topLeft(), QSize(area.width(), 100000)),
                                             flags, label->text());
        return {std::max(0, needed.width() - area.width()),
                std::max(0, needed.height() - area.height())};
    }
    if (auto* group = qobject_cast<const QGroupBox*>(w))
        return {std::max(0, fm.horizontalAdvance(platform::WithoutMnemonics(group->title())) +
                                fm.height() - w->width()),
                0};
    auto* button = qobject_cast<const QAbstractButton*>(w);
    if (!button || button->text().isEmpty()) return {};
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (button->inherits("QCheckBox")) contents = QStyle::SE_CheckBoxContents;
    if (button->inherits("QRadioButton")) contents = QStyle::SE_RadioButtonContents;
    const QRect area = w->style()->subElementRect(contents, &option, w);
    return {std::max(
                0, fm.horizontalAdvance(platform::WithoutMnemonics(button->text())) - area.width()),
            std::max(0, fm.height() - area.height())};
}

int ComboEntryWidth(const QComboBox* combo, int i) {
    return combo->fontMetrics().horizontalAdvance(combo->itemText(i)) +
           (combo->itemIcon(i).isNull() ? 0 : combo->iconSize().width() + 4);
}

// The empty room left and right of a combo on its rows, less a small gap to what lies there: a
// label's text, another control, the frame of the group box around it, the window's edge.
int FreeBeside(const QComboBox* combo) {
    constexpr int kGap = 3;
    const QRect box = combo->geometry();
    const QWidget* parent = combo->parentWidget();
    int left = box.left() - kGap, right = parent->width() - 1 - kGap;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w == combo || w->isWindow() || !w->isVisibleTo(parent)) continue;
        QRect taken = w->geometry();
        if (qobject_cast<QGroupBox*>(w) && taken.contains(box)) {
            left = std::min(left, box.left() - (taken.left() + 2) - kGap);
            right = std::min(right, taken.right() - 2 - kGap);
            continue;
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
            const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
            taken = label->fontMetrics()
                        .boundingRect(label->contentsRect(), flags, label->text())
                        .translated(taken.topLeft());
        }
        if (taken.bottom() < box.top() || taken.top() > box.bottom()) continue;
        if (taken.right() < box.left())
            left = std::min(left, box.left() - taken.right() - 1 - kGap);
        if (taken.left() > box.right()) right = std::min(right, taken.left() - 1 - kGap);
    }
    return std::max(0, left) + std::max(0, right - box.right());
}

bool Shortened(const QWidget* w) {
    QString shown;
    if (auto* label = qobject_cast<const QLabel*>(w)) shown = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) shown = button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) shown = group->title();
    return shown.endsWith(kEllipsis);
}

std::vector<QWidget*> ShownChildren(const QWidget* parent) {
    std::vector<QWidget*> out;
    for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && w->isVisibleTo(parent))
            out.push_back(w);
    return out;
}

int IdOf(const QWidget* w) {
    CWnd* wnd = CWnd::FromHandlePermanent(platform::HandleOfWidget(w));
    return wnd ? wnd->GetDlgCtrlID() : -1;
}

// What a window's design allows: controls whose texts its template cannot hold at the dialog
// font, and pairs of controls laid over each other.
struct Allowed {
    std::vector<int> shortened;
    std::vector<std::pair<int, int>> overlaps;
    bool Shortened(const QWidget* w) const {
        return std::find(shortened.begin(), shortened.end(), IdOf(w)) != shortened.end();
    }
    bool Overlap(const QWidget* a, const QWidget* b) const {
        for (auto [first, second] : overlaps)
            if ((IdOf(a) == first && IdOf(b) == second) || (IdOf(a) == second && IdOf(b) == first))
                return true;
        return false;
    }
};

// The faults of the controls in `window`, and in the pages it shows. At the dialog font a text
// is shortened only where `allowed` says so; at a larger one any may be, with all of it in its
// tooltip.
void CollectFaults(QWidget* window, bool larger, const Allowed& allowed,
                   std::vector<CString>& faults) {
    const std::vector<QWidget*> children = ShownChildren(window);
    for (QWidget* w : children) {
        if (!window->rect().contains(w->geometry()))
            faults.push_back(Describe(w) + " lies outside its window");
        const QSize missing = Shortfall(w);
        if (missing.width() > 0 || missing.height() > 0)
            faults.push_back(Describe(w) +
                             CString::Formatted(" cuts its text (%d x %d pixels short)",
                                                missing.width(), missing.height()));
        // A lone "&" before a space or at the end underlines nothing a user can type.
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w)) {
            const QString text =
                QString(qobject_cast<QGroupBox*>(w) ? qobject_cast<QGroupBox*>(w)->title()
                                                    : qobject_cast<QAbstractButton*>(w)->text())
                    .replace("&&", "");
            const qsizetype at = text.indexOf('&');
            if (at >= 0 && (at + 1 == text.size() || text[at + 1].isSpace()))
                faults.push_back(Describe(w) + " underlines a space");
        }
        if (Shortened(w)) {
            if (!larger && !allowed.Shortened(w))
                faults.push_back(Describe(w) + " is shortened");
            else if (testing_support::ShownTooltip(w).isEmpty())
                faults.push_back(Describe(w) + " is shortened without its text in a tooltip");
        }
        // A combo's or a list's scroll bars are its own, never a window's laid over it.
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractScrollArea*>(w))
            for (const QScrollBar* bar :
                 w->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly))
                if (bar->isVisibleTo(w))
                    faults.push_back(Describe(w) + " shows a window's scroll bar over its own");
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            if (combo->height() >= 2 * combo->fontMetrics().height())
                faults.push_back(Describe(w) + CString::Formatted(" is %d pixels high when closed",
                                                                  combo->height()));
            // What the box cannot show whole, its tooltip holds.
            QStyleOptionComboBox option;
            option.initFrom(combo);
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                               QStyle::SC_ComboBoxEditField, combo);
            const QString text = combo->currentText();
            if (!combo->isEditable() &&
                combo->fontMetrics().horizontalAdvance(text) > field.width() - 2 &&
                testing_support::ShownTooltip(combo) != text)
                faults.push_back(Describe(w) + " cuts \"" + CString(text) + "\" without a tooltip");
            // Its widest entry shows whole where the window has empty room beside it.
            int widest = 0, longest = -1;
            for (int i = 0; i < combo->count(); ++i)
                if (const int width = ComboEntryWidth(combo, i); width > widest)
                    widest = width, longest = i;
            const int missing = widest - (field.width() - 2), free = FreeBeside(combo);
            if (!combo->isEditable() && missing > 0 && missing <= free)
                faults.push_back(Describe(w) + " cuts \"" + CString(combo->itemText(longest)) +
                                 CString::Formatted("\" with %d pixels free beside it", free));
        }
        if (dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(platform::HandleOfWidget(w))))
            CollectFaults(w, larger, allowed, faults);
    }
    for (size_t i = 0; i < children.size(); ++i)
        for (size_t j = i + 1; j < children.size(); ++j) {
            const QRect a = children[i]->geometry(), b = children[j]->geometry();
            if (!a.intersects(b)) continue;
            const bool aHolds = qobject_cast<QGroupBox*>(children[i]) && a.contains(b);
            const bool bHolds = qobject_cast<QGroupBox*>(children[j]) && b.contains(a);
            if (!aHolds && !bHolds && !allowed.Overlap(children[i], children[j]))
                faults.push_back(Describe(children[i]) + " overlaps " + Describe(children[j]));
        }
}

class DialogLayout : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        ASSERT_TRUE(frame && doc);
        // A plot, for the dialogs that work on one.
        CDataTreeBrench* experiment = doc->AddDataGroup("Exp. 1");
        auto x = std::make_shared<CDataArray>(10);
        std::iota(x->begin(), x->end(), 0.0);
        auto y = std::make_shared<CDataArray>(*x);
        CDataTreeBrench* set = doc->AddDataBranch(
            experiment, std::move(x), std::move(y), "Temperature", 41,
            "\xC2\xB0"
            "C",
            CPreciseDateTime(2024, 5, 6, 7, 8, 9), 0, -1, 0, "", 255, 9999999.0, -9999999.0);
        doc->GetGraphView()->ShowDataSet(set);
    }
    void TearDown() override { app.ExitInstance(); }

    CSettings& S() { return *doc->GetSettings(); }

    // Checks the window as it stands, names what is wrong after `name`, and keeps its picture.
    void Check(const CString& name, QWidget* window, const Allowed& allowed = {}) {
        if (escaping) return;
        std::vector<CString> faults;
        CollectFaults(window, scale != 1.0, allowed, faults);
        for (const CString& f : faults)
            ADD_FAILURE() << name.GetString() << " at " << scale << ": " << f.GetString();
        QDir().mkpath(VARNEL_TEST_OUTPUT_DIR "/dialogs");
        CString file = "dialogs/" + name;
        file.Replace(":", "");
        if (scale != 1.0) file += " at 1.25";
        testing_support::SaveTestImage(testing_support::RenderWidget(window), file);
    }
    // Opens a modal dialog of template `id` by `open`, checks it (and each page of a sheet) and
    // cancels it.
    void CheckModal(const CString& name, UINT id, const std::function<void()>& open,
                    const std::function<void(CDialog&)>& prepare = {},
                    const Allowed& allowed = {}) {
        modals.ExpectDialog(id, [&](CDialog& d) {
            if (escaping) {
                testing_support::PressEscape(d);
                EXPECT_TRUE(d.IsEnded()) << name.GetString() << " stays open on Escape";
                return;
            }
            if (prepare) prepare(d);
            if (auto* sheet = dynamic_cast<CPropertySheet*>(&d)) {
                for (int i = 0; i < sheet->GetPageCount(); ++i) {
                    ASSERT_TRUE(sheet->SetActivePage(i)) << name.GetString();
                    Check(name + " - " + CString(sheet->GetPage(i)->GetTemplate().caption),
                          d.GetWidget(), allowed);
                }
            } else {
                Check(name, d.GetWidget(), allowed);
            }
            d.EndDialog(IDCANCEL);
        });
        open();
        EXPECT_EQ(modals.Pending(), 0u) << name.GetString() << " did not open";
    }
    template <class Dialog>
    void CheckDialog(const CString& name, Dialog& dialog, const Allowed& allowed = {}) {
        CheckModal(
            name, dialog.GetTemplateId(), [&] { dialog.DoModal(); }, {}, allowed);
    }

    void CheckAll() {
        {
            CAboutDlg d(frame);
            CheckDialog("About", d);
        }
        {
            CAnnotationCaptionDialog d(frame);
            CheckDialog("New annotation caption", d);
        }
        {
            CComSetup d(frame);
            CheckDialog("Communication Setup", d);
        }
        {
            CExternalSensorSelectionDialog d(frame);
            d.SetSensorTable(S().m_sensorTypes, S().m_externalSensor1);
            CheckDialog("External sensor selection", d);
        }
        {
            CFetchProgressDialog d(frame);
            ASSERT_TRUE(d.Create(frame));
            d.SetTotal(100);
            d.ShowWindow(SW_SHOW);
            Check("Download Progress", d.GetWidget());
            d.DestroyWindow();
        }
        CheckModal("Format graph", IDD_PROPERTY_SHEET,
                   [&] { doc->GetGraphView()->OpenFormatSheet(0); });
        {
            CGraphTitleDialog d(frame);
            CheckDialog("Graph title", d);
        }
        {
            CInsertNewColumn d(frame);
            CheckDialog("Insert manual column", d);
        }
        for (BOOL qk : {FALSE, TRUE}) {
            CLaunchSettingsDialog d(frame);
            d.SetDocument(doc);
            d.SetSensorTable(S().m_sensorTypes, S().m_externalSensor1, S().m_externalSensor2);
            d.SetLaunchPath(env.File(qk ? "Lesson.qdr" : "Lesson.hdr"));
            d.SetModel(qk);
            const CString name = qk ? "Launch settings for Dorvik QK" : "Launch settings";
            // Each mode shows settings of its own.
            CheckModal(
                name, IDD_LAUNCH_SETTINGS, [&] { d.DoModal(); },
                [&](CDialog& dialog) {
                    for (UINT mode : {IDC_LAUNCH_METER, IDC_LAUNCH_TIMING}) {
                        CWnd* radio = dialog.GetDlgItem(static_cast<int>(mode));
                        if (!radio || !radio->IsWindowVisible())
                            continue;  // a Dorvik times nothing
                        testing_support::Press(dialog, static_cast<int>(mode));
                        Check(name + (mode == IDC_LAUNCH_METER ? " - Meter" : " - Timing"),
                              dialog.GetWidget());
                    }
                    testing_support::Press(dialog, IDC_LAUNCH_GRAPH);
                });
        }
        {
            CMessageDialog d(frame);
            ASSERT_TRUE(d.Create(frame));
            d.SetMessage("Reading the data sets of the logger...");
            d.ShowWindow(SW_SHOW);
            Check("Status", d.GetWidget());
            d.DestroyWindow();
        }
        {
            CMeterSettingDialog d(frame);
            CheckDialog("Meter settings", d);
        }
        {
            CDialog d(MeterSettingsTemplate(), frame);
            CheckDialog("Meter settings (first form)", d);
        }
        for (UINT set : {MSG_SET_OK, MSG_SET_YESNOCANCEL}) {
            CMsgDialog d(
                "Unable to connect to the Logger.\nMake sure that the Logger is:\n"
                "\t1) Connected\n\t2) Turned on\n\t3) Not running",
                set, frame);
            CheckDialog(set == MSG_SET_OK ? "Message" : "Question", d);
        }
        {
            CCSVsettingDialog d(frame);
            CheckDialog("Export file settings", d);
        }
        {
            CUnitSettingsDialog d(frame);
            CheckDialog("Unit settings", d);
        }
        {
            CUserInterfaceDialog d(frame);
            CheckDialog("User interface setting", d);
        }
        {
            CStoragePathDialog d(frame);
            CheckDialog("Set storage folder path", d);
        }
        {
            CPrintSelectionDialog d(frame);
            d.SetViews(doc->GetGraphView(), doc->GetTableView());
            CheckDialog("Print selection", d);
        }
        {
            testing_support::ScopedEnv cameras("VARNEL_MEDIA_TEST_SOURCES", "1");
            CSelectCameraDriverDialog d(true, false, frame);
            CheckDialog("Select Video Device", d);
        }
        {
            CSelectiveDownloadDialog d(frame);
            d.SetLogger(doc->GetLogger());
            CheckDialog("Download", d);
        }
        {
            CSensorColorSettingsDialog d(frame);
            d.SetColors(S().m_plotColors);
            CheckDialog("Sensor color settings dialog", d);
        }
        for (BOOL external : {FALSE, TRUE}) {
            LaunchChannelStruct record;
            record.color = RGB(255, 0, 0);
            record.maximum = 50;
            CSensorPropertiesDialog d(frame);
            d.SetChannelRecord(&record);
            d.SetLaunchContext(doc);
            d.SetSensor(external, external ? 0 : 2);
            CheckDialog(
                external ? "Sensor display properties, external" : "Sensor display properties", d);
        }
        CheckModal("Timing Wizard", IDD_PROPERTY_SHEET, [&] {
            CTimingWizard wizard("Timing Wizard", doc, frame, 0);
            wizard.DoModal();
        });
        {
            CTimingLaunchParameterDialog d(frame);
            CheckDialog("Timing parameter", d);
        }
        {
            // Every radio, with the rate its quality shows, stays clear of its box's frame line
            // and title.
            CVideoQuality d(frame);
            CheckModal(
                "AV file format", d.GetTemplateId(), [&] { d.DoModal(); },
                [](CDialog& dialog) {
                    const struct {
                        UINT group;
                        std::vector<UINT> radios;
                    } groups[] = {
                        {IDC_QUALITY_GROUP,
                         {IDC_QUALITY_HIGH, IDC_QUALITY_NORMAL, IDC_QUALITY_LOW}},
                        {IDC_OPTIONS_GROUP,
                         {IDC_CONTENT_AUDIO_VIDEO, IDC_CONTENT_AUDIO, IDC_CONTENT_VIDEO}},
                    };
                    for (const auto& g : groups) {
                        auto* box =
                            qobject_cast<QGroupBox*>(dialog.GetDlgItem(int(g.group))->GetWidget());
                        ASSERT_TRUE(box);
                        const QRect inside = platform::GroupContents(box);
                        for (UINT id : g.radios) {
                            const QWidget* radio = dialog.GetDlgItem(int(id))->GetWidget();
                            EXPECT_FALSE(Shortened(radio)) << Describe(radio).GetString();
                            const QRect r = radio->geometry();
                            EXPECT_TRUE(inside.contains(r))
                                << "radio " << id << " at " << r.y() << ".." << r.bottom()
                                << " is not inside its group's frame, below its title ("
                                << inside.y() << ".." << inside.bottom() << ", " << r.x() << ".."
                                << r.right() << " in " << inside.x() << ".." << inside.right()
                                << ")";
                        }
                    }
                });
        }
        {
            LaunchChannelStruct record;
            record.index = -1;
            record.maximum = 100;
            const BYTE bits[2] = {16, 128};
            CXAxisSetupDisplayProperties d(frame);
            d.SetSensors(bits, 2, 9, &record);
            d.SetChannels({{"Temperature", -20, 120}, {"Sound", 40, 110}});
            CheckDialog("X Axis Properties", d);
        }
        {
            const SensorListItemStruct sensors[2] = {{0, "Temperature", "C", 0},
                                                     {3, "Light", "lux", 0}};
            CXYSettingDialog d(doc->GetGraphView());
            d.SetSensorList(sensors, 2);
            d.SetDocument(doc);
            CheckDialog("Y vs X setting dialog", d);
        }

        // The form views, in a window of their own at the size their template gives.
        CWnd host;
        ASSERT_TRUE(host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, 0));
        // At the least size it lays itself out for, and a larger one.
        for (const CSize& least : {CSize(220, 240), CSize(340, 360)}) {
            const CSize size(platform::FontPixelsX(least.cx), platform::FontPixelsY(least.cy));
            CSetupView setup;
            ASSERT_TRUE(setup.Create(&host, CRect(0, 0, size.cx, size.cy), 3));
            setup.SetDocument(doc);
            setup.OnInitialUpdate();
            Check(CString::Formatted("Set-up view %dx%d", int(least.cx), int(least.cy)),
                  setup.GetWidget());
            setup.DestroyWindow();
        }
        {
            CMeterView meters;
            ASSERT_TRUE(meters.Create(&host, doc));
            meters.MoveWindow(0, 0, 640, 400);
            meters.OnInitialUpdate();
            // The third meter, a change meter, lies over its panel's frame.
            Check("Meter view", meters.GetWidget(),
                  {{}, {{IDC_METER_PANEL_3, IDC_METER_LAMP_FIRST + 2}}});
            meters.DestroyWindow();
        }
        host.DestroyWindow();
        testing_support::ProcessQtEvents();
    }

    testing_support::NoComPorts noPorts;
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    double scale = 1.0;
    bool escaping = false;  // each modal is only closed with Escape
};

TEST_F(DialogLayout, EveryTemplateFitsItsTextsAtTheDialogFontAndALargerOne) {
    ASSERT_EQ(QFontInfo(platform::DialogFont()).family(), "DejaVu Sans Condensed")
        << "the dialog font's face is missing (fonts-dejavu-extra)";
    for (double s : {1.0, 1.25}) {
        scale = s;
        testing_support::ScopedDialogFontScale font(s);
        CheckAll();
    }
}

// Escape, where a user's focus is, closes every dialog and property sheet as Cancel.
TEST_F(DialogLayout, EscapeClosesEveryDialogAndSheet) {
    escaping = true;
    CheckAll();
}

}  // namespace
