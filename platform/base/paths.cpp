#include "platform/base/paths.h"

#include <filesystem>
#include <system_error>

namespace platform {

CString PathJoin(const CString& a, const CString& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    CString head(a), tail(b);
    head.TrimRight('/');
    tail.TrimLeft('/');
    if (head.IsEmpty() && a[0] == '/') return "/" + tail;
    return head + "/" + tail;
}

void PathSplitLast(const CString& path, CString& folder, CString& name) {
    const int i = path.ReverseFind('/');
    folder = i < 0 ? CString() : path.Left(i == 0 ? 1 : i);
    name = path.Mid(i + 1);
}

CString PathFolder(const CString& path) {
    CString folder, name;
    PathSplitLast(path, folder, name);
    return folder;
}

CString PathName(const CString& path) {
    CString folder, name;
    PathSplitLast(path, folder, name);
    return name;
}

CString PathStem(const CString& path) {
    const CString name = PathName(path);
    const int dot = name.ReverseFind('.');
    return dot <= 0 ? name : name.Left(dot);
}

CString PathExtension(const CString& path) {
    const CString name = PathName(path);
    const int dot = name.ReverseFind('.');
    return dot <= 0 ? CString() : name.Mid(dot);
}

CString PathFromWindows(const CString& path) {
    CString p(path);
    p.Replace('\\', '/');
    return p;
}

bool FolderExists(const CString& path) {
    std::error_code ec;
    return !path.IsEmpty() && std::filesystem::is_directory(path.str(), ec);
}

bool FileExists(const CString& path) {
    std::error_code ec;
    return !path.IsEmpty() && std::filesystem::is_regular_file(path.str(), ec);
}

bool CreateFolder(const CString& path) {
    if (path.IsEmpty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(path.str(), ec);
    return FolderExists(path);
}

}  // namespace platform
