// A QK run on the simulator, then Graph > Export to Excel: the run's samples reach the file that
// the desktop's spreadsheet program is asked to open.

#include <QDir>
#include <QFile>
#include <QUrl>

#include "RES/commands.h"
#include "logger/helpers.h"
#include "platform/ui/shell.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;

class ExportAfterARun : public DocTest {
protected:
    void SetUp() override {
        auto model = std::make_unique<QkModel>();
        model->liveSensors[6] = QkSensor{"Voltage", "V", -2.5f, 2.5f, 0, 1023};
        MakeQk(std::move(model));
        settings.m_recordingMode = 1;
        settings.m_fixedSeparators = 1;
        doc.ReadLocaleSeparators();
        QDir().mkpath(GetDataRoot().ToQString());
        platform::SetShellOpener([this](const QUrl& url) {
            opened.push_back(url.toLocalFile());
            return true;
        });
        ASSERT_TRUE(StartAndConnect());
        ChooseQkSetup(51, 0x7F, 25);  // 20 ms
    }
    void TearDown() override { platform::SetShellOpener({}); }
    std::vector<QString> opened;
};

TEST_F(ExportAfterARun, TheRecordedSamplesAreWrittenAndOpened) {
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(300);
    ASSERT_EQ(graph.m_plotCount, 7);
    const CDataTreeBrench* voltage = graph.m_plots[6].dataSet;
    const size_t samples = voltage->m_y->size();
    ASSERT_GT(samples, 10u);

    Command(ID_GRAPH_EXPORT);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (GetDataRoot() + "tmp~0.csv").ToQString());
    QFile file(opened[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(static_cast<size_t>(lines.size()), samples + 2);  // heading, rows, nothing after
    EXPECT_TRUE(lines[0].startsWith("\xEF\xBB\xBFTime(s),"));
    EXPECT_TRUE(lines[0].endsWith(QByteArray(",") + voltage->m_name.GetString() + "(V)\r"))
        << lines[0].toStdString();
    // Row 10: its time, then the last plot's value last.
    const QList<QByteArray> row = lines[11].chopped(1).split(',');
    ASSERT_EQ(row.size(), 8);
    EXPECT_EQ(row[0], "0.200");
    EXPECT_EQ(row[7], FormatValue((*voltage->m_y)[10], 3, false).GetString());
}

}  // namespace
