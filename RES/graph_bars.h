#pragma once
// The graph frame's toolbars (one per user-interface level), its read-out bar and the texts of
// the graph commands.

#include "platform/base/cstring.h"
#include "platform/ui/bars.h"

constexpr UINT ID_GV_PAN = 2082;
constexpr UINT ID_GV_ZOOM = 2083;
constexpr UINT ID_GV_BAR_GRAPH = 2091;
constexpr UINT ID_GV_Y_VS_X = 2105;
constexpr UINT ID_GV_ERASE_PREDICTION = 2110;
constexpr UINT ID_GV_SECOND_CURSOR = 2130;
constexpr UINT ID_GV_ADD_ANNOTATION = 2140;
constexpr UINT ID_GV_MOVE_ANNOTATION = 2141;
constexpr UINT ID_GV_DISPLAY_CURSOR = 3870;
constexpr UINT ID_GV_READOUT = 3879;
constexpr UINT ID_GV_POSITION = 3880;
constexpr UINT ID_GV_PROPERTIES = 3891;
constexpr UINT ID_GV_EXPORT = 3898;
constexpr UINT ID_GV_AUTOSCALE = 3899;
constexpr UINT ID_GV_ADD_PREDICTION = 3900;
constexpr UINT ID_GV_PAUSE = 3901;
constexpr UINT ID_GV_ADD_GRAPH = 3903;

constexpr UINT IDR_GRAPH_ADVANCED_TOOLBAR = 168;
constexpr UINT IDR_GRAPH_INFO_BAR = 218;
constexpr UINT IDR_GRAPH_BASIC_TOOLBAR = 290;
constexpr UINT IDR_GRAPH_SIMPLE_TOOLBAR = 291;
// Both statics of the read-out bar.
constexpr UINT IDC_GRAPH_READOUT = 2044;

const ToolbarTemplate& GraphAdvancedToolbarTemplate();
const ToolbarTemplate& GraphBasicToolbarTemplate();
const ToolbarTemplate& GraphSimpleToolbarTemplate();
const ToolbarTemplate& GraphInfoBarTemplate();
// The text of a graph command; empty for the others.
CString GraphCommandText(UINT id);
