#pragma once
// Hands out a media file's script commands as playback reaches their times: each once, in time
// order (the file's order among equal times), several at once when they fall due together.
// The player rewinds it on stop and on a new file, and drains it at the media's end.

#include <cstddef>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/mediafile/asf_script.h"

namespace media {

class ScriptCommandSchedule {
public:
    // Takes a new file's commands and rewinds.
    void Load(std::vector<AsfScriptCommand> commands);
    void Clear() { Load({}); }
    void Rewind() { m_next = 0; }
    // The commands whose time is at or before `positionMs` not handed out yet.
    std::vector<AsfScriptCommand> Due(long long positionMs);
    // Every command not handed out yet (the media ended).
    std::vector<AsfScriptCommand> Rest();
    size_t Size() const { return m_commands.size(); }
    size_t Fired() const { return m_next; }

private:
    std::vector<AsfScriptCommand> m_commands;
    size_t m_next = 0;
};

// A command's parameter read as its leading decimal digits: 0 when it starts with none, and
// 2147483647 when they do not fit 32 bits.
LONG ScriptParameterValue(const CString& text);

}  // namespace media
