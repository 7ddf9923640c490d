#include "platform/mediafile/script_schedule.h"

#include <algorithm>
#include <climits>

namespace media {

void ScriptCommandSchedule::Load(std::vector<AsfScriptCommand> commands) {
    std::stable_sort(
        commands.begin(), commands.end(),
        [](const AsfScriptCommand& a, const AsfScriptCommand& b) { return a.timeMs < b.timeMs; });
    m_commands = std::move(commands);
    m_next = 0;
}

std::vector<AsfScriptCommand> ScriptCommandSchedule::Due(long long positionMs) {
    std::vector<AsfScriptCommand> due;
    while (m_next < m_commands.size() &&
           static_cast<long long>(m_commands[m_next].timeMs) <= positionMs)
        due.push_back(m_commands[m_next++]);
    return due;
}

std::vector<AsfScriptCommand> ScriptCommandSchedule::Rest() {
    std::vector<AsfScriptCommand> rest(m_commands.begin() + static_cast<ptrdiff_t>(m_next),
                                       m_commands.end());
    m_next = m_commands.size();
    return rest;
}

LONG ScriptParameterValue(const CString& text) {
    // The text comes from the file: its digits may be any number of them.
    long long value = 0;
    for (const char c : text.str()) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<LONG>(value);
}

}  // namespace media
