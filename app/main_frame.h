#pragma once
// The program's main window: the multiple-document frame that holds the standard windows.

#include <map>

#include "platform/win/frame.h"

// Commands whose enabled state the views set directly.
constexpr UINT ID_PLAYBACK_PLAY = 3801;
constexpr UINT ID_PLAYBACK_STOP = 3802;
constexpr UINT ID_PLAYBACK_PAUSE = 3803;
constexpr UINT ID_PLAYBACK_RECORD = 3804;
constexpr UINT ID_VIDEO_PLAY = 3815;
constexpr UINT ID_VIDEO_RECORD = 3814;
constexpr UINT ID_VIDEO_STOP = 3816;
constexpr UINT ID_VIDEO_PAUSE = 3817;
constexpr UINT ID_VIDEO_PROPERTIES = 3818;
constexpr UINT ID_VIDEO_ENABLE = 3820;
constexpr UINT ID_GRAPH_ADD_TO_PROJECT = 3884;
constexpr UINT ID_GRAPH_COPY = 3886;
constexpr UINT ID_GRAPH_PROPERTIES = 4808;
// One flag serves Export to Excel and the Area, Slope and Linear fit analyses.
constexpr UINT ID_GRAPH_EXPORT = 4815;

class CMainFrame : public CMDIFrameWnd {
public:
    CMainFrame();
    BOOL CreateMainWindow();

    void SetCommandEnabled(UINT id, BOOL enabled) { m_enabled[id] = enabled != FALSE; }
    // Commands never set are disabled.
    BOOL IsCommandEnabled(UINT id) const {
        const auto it = m_enabled.find(id);
        return it != m_enabled.end() && it->second;
    }

    // What the menus and the status bar show of the logger, for the frame's own code to show.
    // 1: a QK model answered; 0: a basic model.
    WPARAM m_loggerKind = 0;
    BYTE m_loggerModel = 0;
    BYTE m_runEnded = 1;
    CString m_statusText;

private:
    std::map<UINT, bool> m_enabled;
};
