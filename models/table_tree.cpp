#include "models/table_tree.h"

#include "platform/base/archive.h"
#include "platform/base/exceptions.h"

void CTableTreeBrench::Read(CArchive& ar) {
    // The record's head: the table's own settings, of which nothing is used any more.
    WORD w = 0;
    double d = 0;
    BYTE b = 0;
    DWORD dw = 0;
    CString s;
    ar >> w >> d >> d >> s;
    ar >> w >> w >> s;
    ar >> w >> w >> m_text;
    ar >> b >> b >> dw >> s;
    ar >> dw >> b >> dw;
    for (int i = 0; i < 5; ++i)
        ar >> b;
    ar >> dw >> dw;

    WORD count = 0;
    ar >> count;
    if (count > kMaxSavedColumns)
        throw CArchiveException(CArchiveException::badSchema, "table record: column count");
    for (WORD i = 0; i < count; ++i) {
        TableColumnStruct& column = m_columns[i];
        WORD decimals = 0, second = 0;
        ar >> m_positions[i] >> column.gridColumn >> column.reserved >> decimals >> second >>
            column.valueFormat;
        column.decimals = static_cast<SHORT>(decimals);
        column.second = static_cast<SHORT>(second);
        column.dataSet = nullptr;
    }
    m_columnCount = static_cast<SHORT>(count);
}
