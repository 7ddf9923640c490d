// File > Import CSV File: a text file of columns becomes one experiment with a data set per value
// column, plotted and shown in the table. The parsing is in logger/csv_import.

#include <algorithm>
#include <new>
#include <string>

#include "app/data_tree_view.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/csv_import.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/file.h"
#include "platform/base/file_limit.h"
#include "platform/base/log.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/modal_host.h"

namespace {

char SeparatorChar(const CString& separator) {
    return separator.GetLength() == 1 ? separator.GetString()[0] : ',';
}

constexpr double kMissingField = -999999.0;
constexpr WORD kImportedModelCode = 100;
constexpr WORD kNoSensorRange = 255;
constexpr double kUnsetRangeLow = 9999999.0;
constexpr double kUnsetRangeHigh = -9999999.0;

// Takes an import back out of the project: the nodes from index `first` on, with their items in
// the data map, plots and table columns.
void TakeBackImport(CVarnelDoc& doc, int first) {
    CGraphView* graph = doc.GetGraphView();
    CTableView* table = doc.GetTableView();
    CDataTreeView* tree = doc.GetDataTreeView();
    for (int i = doc.m_dataList.GetCount() - 1; i >= first; --i) {
        const CDataTreeBrench* node = doc.m_dataList.GetAt(i);
        const DWORD id = node->m_id;
        if (node->IsExperiment()) {
            if (tree) tree->DeleteItem(tree->FindExperimentItem(id));
        } else {
            if (graph && graph->FindPlotByDataSet(id) >= 0) graph->RemovePlot(id, -1);
            if (table) table->RemoveDataSet(id);
            if (tree) tree->DeleteDataSetItem(id);
        }
        doc.m_dataList.Remove(id);
    }
    if (table) table->FillGrid(-1);
}

}  // namespace

CString CVarnelDoc::AskCsvFileName() {
    CFileDialog dialog(TRUE, "csv", GetDataRoot() + "Varnel Data/" + "*.csv", OFN_HIDEREADONLY,
                       "CSV files (*.csv)|*.csv|", nullptr);
    if (dialog.DoModal() != IDOK) return CString();
    return dialog.GetPathName();
}

CString CVarnelDoc::GetCsvField(const CString& line, int index) const {
    const std::vector<std::string> fields =
        csv::SplitLine(line.str(), SeparatorChar(m_listSeparator));
    if (index < 0 || static_cast<size_t>(index) >= fields.size()) return CString();
    return CString(fields[static_cast<size_t>(index)].c_str());
}

double CVarnelDoc::GetCsvNumber(const CString& line, int index, const CString& separator) const {
    const char sep = SeparatorChar(separator);
    const std::vector<std::string> fields = csv::SplitLine(line.str(), sep);
    if (index < 0 || static_cast<size_t>(index) >= fields.size()) return kMissingField;
    const char decimal = m_decimalSymbol.GetLength() == 1 && m_decimalSymbol.GetString()[0] != sep
                             ? m_decimalSymbol.GetString()[0]
                             : 0;
    double value = 0;
    // Text is no number: the import keeps no sample for it.
    if (!csv::ParseNumber(fields[static_cast<size_t>(index)], decimal, value)) return kMissingField;
    return value;
}

WORD CVarnelDoc::CountSeparators(const CString& line, const CString& separator) {
    const std::vector<std::string> fields = csv::SplitLine(line.str(), SeparatorChar(separator));
    return fields.size() < 2 ? WORD(65535) : static_cast<WORD>(fields.size() - 1);
}

CString CVarnelDoc::GetColumnName(const CString& header, int index) const {
    const std::vector<std::string> fields =
        csv::SplitLine(header.str(), SeparatorChar(m_listSeparator));
    if (index < 0 || static_cast<size_t>(index) >= fields.size()) return "???";
    return CString(csv::ColumnName(fields[static_cast<size_t>(index)]).c_str());
}

CString CVarnelDoc::GetColumnUnit(const CString& header, int index) const {
    const std::vector<std::string> fields =
        csv::SplitLine(header.str(), SeparatorChar(m_listSeparator));
    if (index < 0 || static_cast<size_t>(index) >= fields.size()) return "????";
    return CString(csv::ColumnUnit(fields[static_cast<size_t>(index)]).c_str());
}

WORD CVarnelDoc::TimeModeFromUnit(const CString& unit) {
    return csv::TimeModeFromUnit(unit.str());
}

CPreciseDateTime CVarnelDoc::ParseCsvTime(const CString& text, WORD mode) const {
    return csv::ParseTime(text.str(), mode, m_now());
}

WORD CVarnelDoc::RateCodeFromStep(double t1, double t0, WORD mode) {
    return csv::RateCodeFromStep(t1, t0, mode).value_or(0);
}

WORD CVarnelDoc::RateCodeFromTimes(const CString& text0, const CString& text1, WORD mode) const {
    return csv::RateCodeFromTimes(text0.str(), text1.str(), mode, m_now()).value_or(0);
}

void CVarnelDoc::ImportCsv() {
    CGraphView* graph = GetGraphView();
    if (graph && graph->m_predictMode) {
        if (ShowMessage(kEndPredictText, 4) != IDYES) return;
        graph->TogglePredictMode();
    }
    const CString path = AskCsvFileName();
    if (path.IsEmpty()) return;

    csv::FileStruct file;
    try {
        CFile in;
        CFileException error(CFileException::none, 0, path);
        if (!in.Open(path, CFile::modeRead | CFile::typeBinary, &error)) {
            qCWarning(lcDoc, "%s", error.GetErrorMessage().GetString());
            AfxMessageBox(CString("Cannot open the file ") + path + ".", MB_ICONEXCLAMATION);
            return;
        }
        const ULONGLONG length = in.GetLength();
        if (!csv::fileLimit.Admits(length)) {
            ShowMessage(CString::Formatted(kCsvTooLargeText, csv::fileLimit.Text().GetString()), 0);
            return;
        }
        if (length == 0) return;
        const csv::ReadBytes read = [&in](char* to, size_t size) {
            return static_cast<size_t>(
                in.Read(to, static_cast<UINT>(std::min<size_t>(size, 1u << 30))));
        };
        file = csv::Parse(read, length, m_listSeparator.str(), m_decimalSymbol.str(), m_now());
    } catch (const CFileException& e) {
        qCWarning(lcDoc, "%s", e.GetErrorMessage().GetString());
        AfxMessageBox(CString("Cannot open the file ") + path + ".", MB_ICONEXCLAMATION);
        return;
    } catch (const std::bad_alloc&) {
        qCWarning(lcDoc) << path.GetString()
                         << "needs more memory than there is; the project is left as it was";
        ShowMessage(kCsvNoMemoryText, 0);
        return;
    }
    if (file.result == csv::Result::tooManyColumns) {
        ShowMessage(CString::Formatted(kCsvTooWideText, static_cast<int>(csv::kMaxColumns)), 0);
        return;
    }
    if (file.result == csv::Result::noColumns) {
        ShowMessage(kNoDataColumnsText, 0);
        return;
    }
    if (file.result == csv::Result::noData) {
        ShowMessage(kNoDataRowsText, 0);
        return;
    }
    const size_t n = file.columns.size();
    const WORD rateCode = file.rateCode;

    CDorvik& logger = *m_logger;
    const BYTE reported = logger.GetReportedRateCode();
    // From `first` on, the project's nodes are the import's until it is whole: a failure takes
    // them out. Before that, nothing of the file has gone in.
    int first = -1;
    BYTE modified = m_modified;
    const auto takeBack = [&] {
        if (first >= 0) TakeBackImport(*this, first);
        logger.SetReportedRateCode(reported);
        m_modified = modified;
    };
    try {
        const bool sameRate = reported == rateCode || reported == 255;
        // Room is judged before anything is asked or cleared; a clear leaves the fit group.
        const bool clears = !sameRate || m_settings->m_recordingMode == 0;
        const int kept = clears ? 1 : m_dataList.GetCount();
        if (kept + 1 + static_cast<int>(n) > kMaxProjectBranches) {
            ShowMessage(kNoRoomText, 0);
            return;
        }
        // Why the samples are numbered, or how the times are read, where the file does not say.
        const std::string unit = csv::UnreadTimeUnit(file.header[0]);
        if (!unit.empty())
            ShowMessage(CString::Formatted(rateCode ? kCsvUnitAsSecondsText : kCsvUnitNumberedText,
                                           unit.c_str()),
                        0);
        else if (file.irregular)
            ShowMessage(kCsvStepText, 0);
        if (sameRate) {
            switch (m_settings->m_recordingMode) {
                case 0:
                    if (!ClearProject(true)) return;
                    break;
                case 1:
                    if (graph) graph->RefreshGraph(TRUE);
                    break;
                default:
                    break;
            }
        } else {
            const BYTE answer = ShowMessage(kRateChangedText, 3);
            if (answer == IDCANCEL) return;
            // A save that did not happen must not lose the data it was meant to keep.
            if (answer == IDYES && !SaveProject(false)) return;
            ClearProject(false);
        }

        std::string name = path.str();
        const size_t slash = name.find_last_of('/');
        if (slash != std::string::npos) name.erase(0, slash + 1);

        modified = m_modified;
        first = m_dataList.GetCount();
        logger.SetReportedRateCode(static_cast<BYTE>(rateCode));
        CDataTreeView* tree = GetDataTreeView();
        CDataTreeBrench* experiment = AddDataGroup(CString(name.c_str()));
        if (!experiment) {
            takeBack();
            ShowMessage(kCannotImportText, 0);
            return;
        }
        if (tree) tree->ExpandData();
        std::vector<CDataTreeBrench*> added;
        for (size_t c = 0; c < n; ++c) {
            csv::ColumnStruct& column = file.columns[c];
            CDataTreeBrench* dataSet =
                AddDataBranch(experiment, std::make_shared<CDataArray>(std::move(column.samples)),
                              std::make_shared<CDataArray>(std::move(column.values)),
                              CString(csv::ColumnName(file.header[c + 1]).c_str()), rateCode,
                              CString(csv::ColumnUnit(file.header[c + 1]).c_str()), file.start, 0,
                              -1, 0, CString(), kNoSensorRange, kUnsetRangeLow, kUnsetRangeHigh);
            if (!dataSet) {
                // Half an import is none.
                takeBack();
                ShowMessage(kCannotImportText, 0);
                return;
            }
            dataSet->m_modelCode = kImportedModelCode;
            added.push_back(dataSet);
        }
        for (CDataTreeBrench* dataSet : added) {
            if (graph) {
                BOOL plotAdded = FALSE;
                const SHORT plot = graph->AddPlot(dataSet, PlotRecordStruct::kNoChannel, FALSE,
                                                  plotAdded, FALSE, -1);
                if (plotAdded) graph->PlotAllData(plot);
            }
        }
        // In every recording mode the table lists what the graph now shows: a replace has
        // cleared the graph's plots but not the table's columns.
        ShowGraphDataSetsInTable();
        if (m_tableView) m_tableView->FillGrid(-1);
    } catch (const std::bad_alloc&) {
        // The graph's and the table's copies come on top of the values: what is left of those
        // goes first.
        file = csv::FileStruct();
        takeBack();
        qCWarning(lcDoc) << path.GetString() << "needs more memory than there is;"
                         << (first >= 0 ? "the import is taken back" : "nothing of it is taken in");
        ShowMessage(kCsvNoMemoryText, 0);
    }
}
