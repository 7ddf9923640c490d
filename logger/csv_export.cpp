#include "logger/csv_export.h"

#include <QLocale>

#include "logger/data_tree.h"
#include "logger/helpers.h"

namespace {

bool HasValues(const CDataTreeBrench* set) {
    return set && !set->IsExperiment() && set->GetXCount() > 0 && set->GetYCount() > 0;
}

CString Quoted(const CString& field, const CString& separator) {
    const bool plain = (separator.IsEmpty() || field.Find(separator.GetString()) < 0) &&
                       field.FindOneOf("\"\r\n") < 0;
    if (plain) return field;
    CString quoted = field;
    quoted.Replace("\"", "\"\"");
    return "\"" + quoted + "\"";
}

double Converted(const CDataTreeBrench* set, double value, const ExportTable& table,
                 CString& unit) {
    CString expression;
    if (IsTemperatureSensor(set))
        return ConvertTemperature(value, table.temperatureUnit, expression, unit);
    if (IsPressureSensor(set)) return ConvertPressure(value, table.pressureUnit, expression, unit);
    return value;
}

}  // namespace

ExportSeparators LocaleExportSeparators(const QLocale& locale) {
    ExportSeparators s;
    s.decimal = CString(locale.decimalPoint());
    s.decimal.TrimRight();
    if (s.decimal.IsEmpty()) s.decimal = ".";
    s.list = s.decimal == "," ? ";" : ",";
    return s;
}

LONG ExportLastRow(const std::vector<const CDataTreeBrench*>& sets) {
    LONG last = -1;
    for (const CDataTreeBrench* set : sets) {
        if (!HasValues(set)) continue;
        const int n = std::min(set->GetXCount(), set->GetYCount());
        last = std::max(last, static_cast<LONG>((*set->m_x)[static_cast<size_t>(n - 1)]));
    }
    return last;
}

QByteArray ExportText(const ExportTable& table) {
    std::vector<const CDataTreeBrench*> sets;
    for (const CDataTreeBrench* set : table.sets)
        if (HasValues(set)) sets.push_back(set);
    const CString& sep = table.separators.list;
    const CString& dec = table.separators.decimal;

    std::vector<CString> header;
    if (table.timeColumn) {
        CString time = table.timeHeader;
        time.Replace(".", dec.GetString());
        header.push_back(Quoted(time, sep));
    }
    for (const CDataTreeBrench* set : sets) {
        CString unit = set->m_unit;
        Converted(set, 0.0, table, unit);
        header.push_back(Quoted(set->m_name + "(" + unit + ")", sep));
    }

    std::string out = "\xEF\xBB\xBF";
    auto writeRow = [&](const std::vector<CString>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i) out += sep.str();
            out += cells[i].str();
        }
        out += "\r\n";
    };
    writeRow(header);

    const LONG last = ExportLastRow(sets);
    std::vector<size_t> cursor(sets.size(), 0);
    std::vector<CString> row;
    for (LONG r = 0; r <= last; ++r) {
        row.clear();
        if (table.timeColumn) {
            CString time = table.timeCell ? table.timeCell(r) : CString::Formatted("%d", r);
            time.Replace(".", dec.GetString());
            row.push_back(Quoted(time, sep));
        }
        for (size_t k = 0; k < sets.size(); ++k) {
            const CDataTreeBrench* set = sets[k];
            const size_t n = static_cast<size_t>(std::min(set->GetXCount(), set->GetYCount()));
            size_t& c = cursor[k];
            // Sample numbers out of order or repeated: the cursor never goes back.
            while (c < n && (*set->m_x)[c] < r)
                ++c;
            CString cell;
            if (c < n && (*set->m_x)[c] == r) {
                CString unit;
                cell = FormatValue(Converted(set, (*set->m_y)[c], table, unit), 3, false);
                cell.Replace(".", dec.GetString());
                ++c;
            }
            row.push_back(cell);
        }
        writeRow(row);
    }
    return QByteArray::fromStdString(out);
}
