// The readers of recordings' headers and of profiles: any input is refused or read, never a crash
// or a huge allocation.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "platform/mediafile/asf_script.h"
#include "platform/mediafile/media_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<media::AsfScriptCommand> commands;
    if (media::ReadAsfScriptCommands(bytes, commands)) {
        QByteArray header;
        int64_t change = 0;
        media::RewriteAsfHeader(bytes, commands, header, change);
    }
    media::MediaProfile profile;
    media::ParseMediaProfile(bytes, profile);
    return 0;
}
