// A project's table record on any bytes: a read either throws the archive exception or gives at
// most eight columns.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "models/table_tree.h"
#include "platform/base/archive.h"
#include "platform/base/exceptions.h"
#include "platform/base/file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load);
    try {
        CTableTreeBrench table;
        table.Read(ar);
        if (table.m_columnCount < 0 || table.m_columnCount > TableColumnStruct::kMaxColumns)
            std::abort();
    } catch (const CArchiveException&) {
    }
    return 0;
}
