// Logger > Download from a simulated QK: the four headers, the choice of a stored set, its reads
// with the progress box, and a new experiment; and what an aborted download leaves.

#include "RES/dialogs/selective_download.h"
#include "experiment/fetch_progress_dialog.h"
#include "experiment/selective_download_dialog.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::QkModel;
using dorvik_sim::QkStoredSet;

WORD StoredRaw(int channel, DWORD sample) {
    return WORD(channel * 97 + sample * 5);
}

QkStoredSet SetAt(BYTE minute, BYTE mask, WORD samples) {
    QkStoredSet set = dorvik_sim::MakeStoredSet(mask, samples, StoredRaw);
    set.start[4] = minute;
    set.kind = 1;  // Easy Log
    return set;
}

class QkDownloadCommand : public DocTest {
protected:
    // Stored: set 0 the oldest, set 1 the newest, set 2 between; set 3 cannot be read.
    void SetUp() override {
        MakeQk();
        WithModel<QkModel>([&](QkModel& m) {
            m.storedSets[0] = SetAt(10, 0x01, 20);
            m.storedSets[1] = SetAt(50, 0x03, 20);
            m.storedSets[2] = SetAt(30, second, samples);
        });
        ASSERT_TRUE(StartAndConnect());
    }
    // Chooses the second row of the list, the middle set, and records what the rows showed.
    void ExpectChoiceOfSecondRow() {
        modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD, [this](CDialog& d) {
            auto& dialog = static_cast<CSelectiveDownloadDialog&>(d);
            firstSelected = dialog.GetSelectedSet();
            for (int r = 0; r < 4; ++r)
                rowTypes.push_back(dialog.GetDlgItemText(int(IDC_DOWNLOAD_TYPE_FIRST) + r));
            testing_support::Press(d, int(IDC_DOWNLOAD_ROW_FIRST) + 1);
            testing_support::Press(d, IDOK);
        });
    }
    bool Ended() {
        return Wait([&] { return Count(UM_RUN_ENDED) >= 1; });
    }

    BYTE second = 0x0B;  // channels 0, 1, 3
    WORD samples = 30;
    int firstSelected = -1;
    std::vector<CString> rowTypes;
};

TEST_F(QkDownloadCommand, TheChosenSetBecomesTheCurrentDownload) {
    const int number = CVarnelDoc::GetExperimentCounter();
    ExpectChoiceOfSecondRow();
    Command(ID_LOGGER_DOWNLOAD);
    ASSERT_TRUE(Ended());
    clock.Advance(300);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(firstSelected, 1) << "the newest set is chosen at first";
    EXPECT_EQ(rowTypes, (std::vector<CString>{"Easy Log", "Easy Log", "Easy Log", ""}));
    EXPECT_EQ(Count(UM_RUN_ENDED), 1);
    EXPECT_EQ(Count(UM_FETCH_PROGRESS) >= 3, true);
    EXPECT_EQ(doc.GetFetchProgress(), nullptr) << "closed and deleted at the end";

    CDataTreeBrench* experiment = doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number));
    ASSERT_NE(experiment, nullptr);
    EXPECT_EQ(doc.m_currentDownload, experiment);
    const auto sets = DataSetsOf(experiment);
    ASSERT_EQ(sets.size(), 3u);
    const int channels[] = {0, 1, 3};
    const auto stored = WithModel<QkModel>([](QkModel& m) { return m.storedSets[2]->samples; });
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const int ch = channels[i];
        EXPECT_EQ(sets[i]->m_inputKind, ch);
        const ChannelInfoStruct& r = logger.GetStoredChannel(ch);
        ASSERT_EQ(sets[i]->GetYCount(), samples);
        for (DWORD s = 0; s < samples; ++s)
            EXPECT_DOUBLE_EQ((*sets[i]->m_y)[s], stored[size_t(ch)][s] * r.gain + r.offset) << s;
    }
    const auto reads = WithModel<QkModel>([](QkModel& m) {
        std::vector<std::string> out;
        for (const auto& c : m.commands)
            if (c.letters[0] == 'C') out.push_back(c.letters + char('0' + c.frame[2]));
        return out;
    });
    ASSERT_FALSE(reads.empty());
    for (const std::string& r : reads)
        EXPECT_EQ(r[2], '2') << "only the chosen set is read: " << r;
}

class QkDownloadAbort : public QkDownloadCommand {
protected:
    QkDownloadAbort() { samples = 1500; }
    // Starts the download and waits for its experiment and some of its samples.
    CDataTreeBrench* StartAndWaitForSamples() {
        ExpectChoiceOfSecondRow();
        doc.m_modified = 0;
        Command(ID_LOGGER_DOWNLOAD);
        EXPECT_TRUE(
            Wait([&] { return doc.m_currentRun[0] && doc.m_currentRun[0]->GetYCount() > 100; }));
        return doc.m_currentDownload;
    }
};

TEST_F(QkDownloadAbort, CancelledThePartialExperimentStaysSelectedAndModified) {
    CDataTreeBrench* partial = StartAndWaitForSamples();
    ASSERT_NE(partial, nullptr);
    ASSERT_NE(doc.GetFetchProgress(), nullptr);
    testing_support::Press(*doc.GetFetchProgress(), IDCANCEL);
    ASSERT_TRUE(Ended());
    clock.Advance(300);
    EXPECT_EQ(Count(UM_REFRESH_RUN), 1);
    EXPECT_EQ(doc.m_dataList.FindById(partial->m_id), partial);
    EXPECT_LT(doc.m_currentRun[0]->GetYCount(), samples);
    EXPECT_EQ(tree.GetSelectedItem(), tree.FindExperimentItem(partial->m_id));
    EXPECT_EQ(doc.m_modified, 1);
    EXPECT_EQ(doc.GetFetchProgress(), nullptr);
    EXPECT_EQ(doc.m_runInProgress, 0);
}

TEST_F(QkDownloadAbort, HungUpThePartialExperimentStaysSelectedAndTheUserIsToldOnce) {
    CDataTreeBrench* partial = StartAndWaitForSamples();
    ASSERT_NE(partial, nullptr);
    modals.ExpectMessage(CDorvik::kLinkLostText, IDOK);
    sim->line.HangUp();
    ASSERT_TRUE(Ended());
    clock.Advance(2500);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(modals.Shown().size(), 2u);  // the choice and the lost link
    EXPECT_EQ(Count(UM_RUN_ENDED), 1);
    EXPECT_EQ(doc.m_dataList.FindById(partial->m_id), partial);
    EXPECT_EQ(tree.GetSelectedItem(), tree.FindExperimentItem(partial->m_id));
    EXPECT_EQ(doc.m_modified, 1);
    EXPECT_EQ(doc.GetFetchProgress(), nullptr);
}

class BasicDownload : public DocTest {
protected:
    void SetUp() override {
        MakeBasic();
        WithModel<dorvik_sim::BasicModel>([](dorvik_sim::BasicModel& m) {
            dorvik_sim::BasicStoredRun run;
            run.mask = 0x03;
            run.rateCode = 64;
            run.runLength = 20;
            for (int i = 0; i < 40; ++i)
                run.data.push_back(BYTE(3 * i));
            m.storedRun = run;
        });
        ASSERT_TRUE(StartAndConnect());
    }
};

TEST_F(BasicDownload, AFailedDownloadAfterAGoodOneLeavesBothAsTheyWere) {
    Command(ID_LOGGER_DOWNLOAD);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(300);
    CDataTreeBrench* good = doc.m_currentDownload;
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(good->m_modelCode, 0);
    ASSERT_EQ(DataSetsOf(good).size(), 2u);
    EXPECT_EQ(DataSetsOf(good)[0]->GetYCount(), 20);
    const int before = doc.m_dataList.GetCount();
    doc.m_modified = 0;

    // The next one's block comes with a bad checksum: it fails before it makes anything.
    comm.counts.clear();
    WithModel<dorvik_sim::BasicModel>([](dorvik_sim::BasicModel& m) { m.corruptBlock = 0; });
    modals.ExpectMessage(CDorvik::kDownloadFailedText, IDOK);
    Command(ID_LOGGER_DOWNLOAD);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(2500);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(Count(UM_NEW_EXPERIMENT), 0);
    EXPECT_EQ(doc.m_currentDownload, nullptr);
    EXPECT_EQ(doc.m_dataList.GetCount(), before) << "the good download stays as it was";
    EXPECT_EQ(DataSetsOf(good)[0]->GetYCount(), 20);
    EXPECT_EQ(doc.m_modified, 0);
}

}  // namespace
