// The choice of a stored set: its order by start time, clicks on a row's texts, and a QK logger
// that holds nothing to download.

#include <QTest>

#include "RES/dialogs/selective_download.h"
#include "experiment/selective_download_dialog.h"
#include "experiment/timing_wizard.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;

class HeaderDorvik : public CDorvik {
public:
    explicit HeaderDorvik(CSettings* settings)
        : CDorvik(settings, std::make_unique<dorvik_test::RecordingPort>()) {}
    void SetHeader(int set, LONGLONG ticks, BYTE state, BYTE kind, DWORD samples) {
        DataSetHeaderStruct& h = m_dataSetHeaders[set];
        h.startTime = CPreciseDateTime(ticks, CPreciseDateTime::valid);
        h.mode = state;
        h.kind = kind;
        h.sampleCount = samples;
    }
    void DropCommands() { m_commandQueue.clear(); }
    void SetHost(CWnd& host) { m_hostWindow = host.GetSafeHwnd(); }
};

LONGLONG Ticks(int32_t high, uint32_t low) {
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<uint32_t>(high)) << 32) | low);
}

class StoredSetChoice : public testing_support::HarnessTest {
protected:
    CSettings settings{env.File("Settings.vns")};
    HeaderDorvik logger{&settings};

    std::vector<BYTE> Order(CSelectiveDownloadDialog& d) const {
        return {d.GetDateOrder(), d.GetDateOrder() + 4};
    }
};

}  // namespace

TEST_F(StoredSetChoice, LaterTimesComeFirstByTheirSignedHighAndUnsignedLowWords) {
    struct Case {
        const char* name;
        LONGLONG ticks[4];
        std::vector<BYTE> order;
    } cases[] = {
        {"high words -1 and 0",
         {Ticks(-1, 9), Ticks(0, 1), Ticks(-1, 8), Ticks(0, 0)},
         {1, 3, 0, 2}},
        {"the low word's top bit",
         {Ticks(5, 0x7FFFFFFF), Ticks(5, 0x80000000), Ticks(4, 0xFFFFFFFF), Ticks(6, 0)},
         {3, 1, 0, 2}},
        {"equal times keep their order",
         {Ticks(2, 7), Ticks(3, 1), Ticks(2, 7), Ticks(2, 7)},
         {1, 0, 2, 3}},
    };
    for (const Case& c : cases) {
        for (int set = 0; set < 4; ++set)
            logger.SetHeader(set, c.ticks[set], 0, 1, 20);
        std::vector<BYTE> order;
        int selected = -1;
        modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD, [&](CDialog& d) {
            auto& dialog = static_cast<CSelectiveDownloadDialog&>(d);
            order = Order(dialog);
            selected = dialog.GetSelectedSet();
            testing_support::Press(d, IDCANCEL);
        });
        CSelectiveDownloadDialog dialog;
        dialog.SetLogger(&logger);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(order, c.order) << c.name;
        EXPECT_EQ(selected, c.order[0]) << c.name << ": the newest is chosen at first";
    }
}

TEST_F(StoredSetChoice, AClickOnARowsTextChoosesTheRow) {
    // Newest first: sets 2, 0, 3; set 1 is left out.
    logger.SetHeader(0, Ticks(0, 30), 0, 4, 7);
    logger.SetHeader(1, Ticks(0, 50), 3, 1, 5);
    logger.SetHeader(2, Ticks(0, 40), 0, 5, 10);
    logger.SetHeader(3, Ticks(0, 20), 0, 7, 3);
    std::vector<CString> types, samples;
    bool spareShown = true;
    modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD, [&](CDialog& d) {
        for (int r = 0; r < 3; ++r) {
            types.push_back(d.GetDlgItemText(int(IDC_DOWNLOAD_TYPE_FIRST) + r));
            samples.push_back(d.GetDlgItemText(int(IDC_DOWNLOAD_SAMPLES_FIRST) + r));
        }
        spareShown = d.GetDlgItem(int(IDC_DOWNLOAD_TIME_FIRST) + 3)->IsWindowVisible() != FALSE;
        // The third row's sample count (4065).
        QTest::mouseClick(d.GetDlgItem(int(IDC_DOWNLOAD_SAMPLES_FIRST) + 2)->GetWidget(),
                          Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(d.IsDlgButtonChecked(int(IDC_DOWNLOAD_ROW_FIRST) + 2), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(int(IDC_DOWNLOAD_ROW_FIRST)), BST_UNCHECKED);
        testing_support::Press(d, IDOK);
    });
    CSelectiveDownloadDialog dialog;
    dialog.SetLogger(&logger);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetSelectedSet(), 3);
    EXPECT_EQ(types, (std::vector<CString>{"Timing", "Snapshot", ""}));
    EXPECT_EQ(samples, (std::vector<CString>{"2", "7", ""}));
    EXPECT_FALSE(spareShown);
}

// End to end: a QK logger with no stored set offers nothing, and leaving the choice reads nothing
// and leaves nothing running.
TEST_F(DocTest, ADownloadWithNothingStoredEndsAtTheChoice) {
    MakeQk();
    ASSERT_TRUE(StartAndConnect());
    const auto dataReads = [&] {
        return WithModel<dorvik_sim::QkModel>([](dorvik_sim::QkModel& m) {
            return std::count_if(m.commands.begin(), m.commands.end(),
                                 [](const auto& c) { return c.letters[0] == 'C'; });
        });
    };
    const auto before = dataReads();
    // Escape, then OK with no row: both end the download.
    for (const bool escape : {true, false}) {
        bool noData = false;
        modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD, [&](CDialog& d) {
            noData = d.GetDlgItem(int(IDC_DOWNLOAD_NO_DATA))->IsWindowVisible() != FALSE;
            if (escape)
                testing_support::PressEscape(d);
            else
                testing_support::Press(d, IDOK);
        });
        Command(ID_LOGGER_DOWNLOAD);
        ASSERT_TRUE(Wait([&] { return modals.Pending() == 0; }));
        clock.Advance(3000);
        EXPECT_TRUE(noData) << escape;
        EXPECT_EQ(dataReads(), before) << escape;
        EXPECT_EQ(doc.m_runInProgress, 0) << escape;
        EXPECT_EQ(doc.m_commandTimerOn, 0) << escape;
        EXPECT_EQ(doc.m_currentDownload, nullptr) << escape;
        EXPECT_TRUE(logger.IsCommandQueueEmpty()) << escape;
    }
}

namespace {

// A stored timing set needs the timing settings its gate times can give: the wizard, restricted,
// when they are others; its Cancel ends the download before anything is read.
class TimingSetDownload : public DocTest {
protected:
    TimingSetDownload()
        : DocTest([](CSettings* s) {
              auto logger = std::make_unique<HeaderDorvik>(s);
              logger->SetHeader(0, Ticks(0, 5), 0, 5, 4);
              return logger;
          }) {
        // The command timer runs on it; no search is started.
        EXPECT_TRUE(comm.Create(&host, &doc, 4));
        static_cast<HeaderDorvik&>(logger).SetHost(comm);
    }
};

}  // namespace

TEST_F(TimingSetDownload, RunsTheRestrictedWizardWhenTheSettingsDoNotFit) {
    const struct {
        const char* name;
        BYTE method, measurement;
        bool wizard, cancel;
        BYTE methodAfter, measurementAfter;
    } rows[] = {
        {"acceleration at one gate", 0, 2, true, false, 1, 0},
        {"time between gates", 1, 0, false, false, 1, 0},
        {"cancel in the wizard", 0, 1, true, true, 0, 1},
    };
    for (const auto& r : rows) {
        settings.m_timingMethod = r.method;
        settings.m_timingMeasurement = r.measurement;
        modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD,
                            [](CDialog& d) { testing_support::Press(d, IDOK); });
        if (r.wizard)
            modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
                auto& wizard = dynamic_cast<CTimingWizard&>(d);
                EXPECT_EQ(wizard.m_mode, 1) << r.name;
                testing_support::Press(d, r.cancel ? int(IDCANCEL) : int(CTimingWizard::kFinishId));
            });
        doc.SelectDownloadSet();
        ASSERT_TRUE(Wait([&] { return modals.Pending() == 0; })) << r.name;
        EXPECT_EQ(settings.m_timingMethod, r.methodAfter) << r.name;
        EXPECT_EQ(settings.m_timingMeasurement, r.measurementAfter) << r.name;
        EXPECT_EQ(logger.IsCommandQueueEmpty(), r.cancel) << r.name;
        EXPECT_EQ(logger.IsCommandTimerOn(), !r.cancel) << r.name;
        // Start each row from an idle logger.
        static_cast<HeaderDorvik&>(logger).DropCommands();
        logger.StopCommandTimer();
    }
}
