#pragma once
// The class library's standard command and string ids.

#include "platform/base/types.h"

constexpr UINT ID_EDIT_CLEAR = 0xE120;
constexpr UINT ID_EDIT_COPY = 0xE122;
constexpr UINT ID_EDIT_CUT = 0xE123;
constexpr UINT ID_EDIT_PASTE = 0xE125;
constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;
constexpr UINT ID_EDIT_UNDO = 0xE12B;
constexpr UINT ID_FILE_PRINT = 0xE107;

// The string resource of the application's title.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;

constexpr UINT ID_FILE_NEW = 57600;
constexpr UINT ID_FILE_OPEN = 57601;
constexpr UINT ID_FILE_SAVE = 57603;
constexpr UINT ID_FILE_SAVE_AS = 57604;
constexpr UINT ID_FILE_PRINT_SETUP = 57606;
constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
constexpr UINT ID_APP_ABOUT = 57664;
constexpr UINT ID_APP_EXIT = 57665;
constexpr UINT ID_INDICATOR_CAPS = 59137;
constexpr UINT ID_INDICATOR_NUM = 59138;
constexpr UINT ID_INDICATOR_SCRL = 59139;
constexpr UINT AFX_IDW_TOOLBAR = 59392;
constexpr UINT AFX_IDW_STATUS_BAR = 59393;
