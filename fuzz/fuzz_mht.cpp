// The web archive reader on any bytes: it must never crash, hang or read past its input, a page
// it accepts is one of its parts, and every part it serves stays inside the archive's folder.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "platform/base/mht_archive.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

QString Address(const QString& path) {
    return "worksheet:" + path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    platform::mht::Archive archive;
    if (!platform::mht::Parse(bytes, archive)) return 0;
    Check(archive.mainIndex >= 0 && archive.mainIndex < static_cast<int>(archive.parts.size()));
    Check(archive.parts[static_cast<size_t>(archive.mainIndex)].mimeType == "text/html");
    const auto served = platform::mht::Serve(archive, "/w/a.mht", &Address);
    Check(served.parts.size() + 1 == archive.parts.size());
    for (const auto& part : served.parts)
        Check(part.path.startsWith("/w/") && !part.path.contains("/../"));
    platform::mht::DecodeQuotedPrintable(bytes);
    return 0;
}
