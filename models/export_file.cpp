#include "models/export_file.h"

#include "logger/helpers.h"
#include "platform/base/file.h"

CString FindExportFileName(const CString& folder) {
    CString lastFailure;
    for (int n = 0; n < kExportFileNames; ++n) {
        const CString name = CString::Formatted("%s%s%d%s", folder.GetString(), "tmp~", n, ".csv");
        // An office suite keeps the file it shows writable, but marks it with a lock file.
        const CString lock =
            CString::Formatted("%s.~lock.%s%d%s#", folder.GetString(), "tmp~", n, ".csv");
        if (CFile::Exists(lock)) continue;
        CFile file;
        CFileException error(CFileException::none, 0, name);
        if (!file.Open(name, CFile::modeCreate | CFile::modeWrite, &error)) {
            lastFailure = error.GetErrorMessage();
            continue;
        }
        file.Close();
        return name;
    }
    LogSaveError("FindExportFileName",
                 lastFailure.IsEmpty() ? folder + ": every export name is locked" : lastFailure);
    return CString();
}
