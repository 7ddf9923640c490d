#pragma once
// Paths are joined and split here only, with '/' where the Windows design writes '\'.

#include "platform/base/cstring.h"

namespace platform {

// a + "/" + b, with exactly one separator between them; an empty part gives the other.
CString PathJoin(const CString& a, const CString& b);
// Splits at the last separator: the folder (without it) and the name after it. Without a
// separator the folder is empty.
void PathSplitLast(const CString& path, CString& folder, CString& name);
CString PathFolder(const CString& path);
CString PathName(const CString& path);
// The name without its last extension (".vnp"), and the extension with its dot ("" if none).
CString PathStem(const CString& path);
CString PathExtension(const CString& path);
// Turns the design's '\' separators into '/'.
CString PathFromWindows(const CString& path);

bool FolderExists(const CString& path);
bool FileExists(const CString& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool CreateFolder(const CString& path);

}  // namespace platform
