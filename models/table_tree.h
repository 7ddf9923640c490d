#pragma once
// The table's column record and the table record of a project. Projects hold a list of table
// records that nothing restores: the reader reads each whole, so that what follows it in the file
// is found, and drops it.

#include "models/time_column_format.h"
#include "platform/base/cstring.h"
#include "platform/base/types.h"

class CArchive;
class CDataTreeBrench;

// One shown data set of the table.
struct TableColumnStruct {
    static constexpr int kMaxColumns = 8;

    CDataTreeBrench* dataSet = nullptr;  // not owned
    WORD gridColumn = 0;
    WORD reserved = 0;
    SHORT decimals = 2;
    SHORT second = 0;
    CString valueFormat = "%.2f";  // an entered value is rewritten with it
    DWORD flag = 0;
    // The data set's id: the record is only believed while the data list still has it.
    DWORD dataSetId = 0;
};

class CTableTreeBrench {
public:
    // The column count a record may give.
    static constexpr WORD kMaxSavedColumns = 8;
    static constexpr WORD kNoDataSet = 9999;

    CTableTreeBrench() = default;
    virtual ~CTableTreeBrench() = default;

    // Reads one table record; a short record, or a column count above 8, throws the archive
    // exception. The columns' data-set positions are kept as read (9999 for none).
    void Read(CArchive& ar);

    TableColumnStruct m_columns[TableColumnStruct::kMaxColumns];
    CString m_text;
    SHORT m_columnCount = 0;
    TimeColumnFormat m_timeFormat;
    // The record's data-set positions among the project's data sets.
    WORD m_positions[TableColumnStruct::kMaxColumns] = {};
};
