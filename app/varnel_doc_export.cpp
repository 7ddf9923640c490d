// The spreadsheet export: separators, the file the graph's data sets are written to, and the
// hand-over to the desktop's spreadsheet program.

#include <QFile>
#include <QLocale>

#include "app/main_frame.h"
#include "app/option_dialogs.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/csv_export.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/ui/shell.h"

void CVarnelDoc::ReadLocaleSeparators() {
    if (m_settings->m_fixedSeparators) {
        m_listSeparator = ",";
        m_decimalSymbol = ".";
        return;
    }
    // The default locale is the user's unless a caller has set another.
    const ExportSeparators s = LocaleExportSeparators(QLocale());
    m_listSeparator = s.list;
    m_decimalSymbol = s.decimal;
}

void CVarnelDoc::OnExportFileSettings() {
    CCSVsettingDialog dialog(MainFrame());
    dialog.SetIgnoreRegional(m_settings->m_fixedSeparators != 0);
    if (dialog.DoModal() != IDOK) return;
    m_settings->m_fixedSeparators = dialog.GetIgnoreRegional() ? 1 : 0;
    ReadLocaleSeparators();
    if (!m_settings->Save()) qCWarning(lcDoc, "the settings could not be saved");
}

BOOL CVarnelDoc::ExportToExcel(const CString& path, const std::vector<DWORD>& ids,
                               BOOL timeColumn) {
    if (ids.empty()) return FALSE;
    ExportTable table;
    for (DWORD id : ids)
        table.sets.push_back(m_dataList.FindById(id));
    if (ExportLastRow(table.sets) < 0) return FALSE;

    const CDataTreeBrench* first = nullptr;
    for (const CDataTreeBrench* set : table.sets)
        if (set && !set->IsExperiment() && set->GetXCount() > 0) {
            first = set;
            break;
        }
    table.timeColumn = timeColumn != FALSE;
    if (first && first->m_rateCode != 0) {
        const RateInfoStruct ri = RateInfo(first->m_rateCode);
        table.timeHeader = "Time" + CGraphView::GetTimeUnitCaption(ri.timeUnit);
        const CGraphView* graph = GetGraphView();
        const int mode =
            graph && graph->m_xAxis.timeFormat ? graph->m_xAxis.timeFormat : ri.timeUnit;
        const CPreciseDateTime start = first->m_startTime;
        table.timeCell = [start, ri, mode](LONG row) {
            return CGraphView::FormatTimeAxis(start, ri.intervalSeconds, ri.unitInterval, mode,
                                              FALSE, 1, row, 0);
        };
    } else {
        table.timeHeader = "Samples";
    }
    table.temperatureUnit = m_settings->m_temperatureUnit;
    table.pressureUnit = m_settings->m_pressureUnit;
    table.separators.list = m_listSeparator;
    table.separators.decimal = m_decimalSymbol;

    QFile file(path.ToQString());
    const auto failed = [&] {
        LogSaveError("CVarnelDoc::ExportToExcel", path + ": " + CString(file.errorString()));
        // A part of a table is no export: nothing is left to be opened by mistake.
        if (file.isOpen()) {
            file.close();
            QFile::remove(path.ToQString());
        }
        ShowMessage(kExcelErrorText, 0);
        return FALSE;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return failed();
    const QByteArray text = ExportText(table);
    if (file.write(text) != text.size() || !file.flush()) return failed();
    file.close();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecute(nullptr, "open", path, nullptr, nullptr, SW_SHOWMAXIMIZED));
    if (result <= 32) ShowMessage(CString::Formatted(kNoCsvProgramText, path.GetString()), 0);
    return TRUE;
}
