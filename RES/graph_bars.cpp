#include "RES/graph_bars.h"

#include <map>

#include "RES/commands.h"

const ToolbarTemplate& GraphBasicToolbarTemplate() {
    static const ToolbarTemplate t{
        IDR_GRAPH_BASIC_TOOLBAR,
        {ID_GV_ADD_ANNOTATION, ID_GV_MOVE_ANNOTATION, ID_GV_ZOOM, ID_GV_AUTOSCALE,
         ID_GV_DISPLAY_CURSOR, ID_GV_SECOND_CURSOR, ID_GV_PROPERTIES, ID_GV_EXPORT}};
    return t;
}

const ToolbarTemplate& GraphSimpleToolbarTemplate() {
    static const ToolbarTemplate t{
        IDR_GRAPH_SIMPLE_TOOLBAR,
        {ID_GV_ADD_ANNOTATION, ID_GV_MOVE_ANNOTATION, ID_GV_ZOOM, ID_GV_AUTOSCALE,
         ID_GV_DISPLAY_CURSOR, ID_GV_SECOND_CURSOR, ID_GV_PROPERTIES, ID_GV_EXPORT, ID_BLANK_BUTTON,
         ID_GV_PAUSE, ID_GV_ADD_PREDICTION, ID_GV_ERASE_PREDICTION}};
    return t;
}

const ToolbarTemplate& GraphAdvancedToolbarTemplate() {
    static const ToolbarTemplate t{
        IDR_GRAPH_ADVANCED_TOOLBAR,
        {ID_GV_ADD_ANNOTATION, ID_GV_MOVE_ANNOTATION, ID_GV_ZOOM, ID_GV_PAN, ID_GV_AUTOSCALE,
         ID_GV_DISPLAY_CURSOR, ID_GV_SECOND_CURSOR, ID_GV_BAR_GRAPH, ID_GV_Y_VS_X, ID_GV_PROPERTIES,
         ID_GV_ADD_GRAPH, ID_GV_EXPORT, ID_BLANK_BUTTON, ID_GV_PAUSE, ID_GV_ADD_PREDICTION,
         ID_GV_ERASE_PREDICTION}};
    return t;
}

const ToolbarTemplate& GraphInfoBarTemplate() {
    static const ToolbarTemplate t{IDR_GRAPH_INFO_BAR,
                                   {ID_GV_READOUT, ID_BLANK_BUTTON, ID_GV_POSITION}};
    return t;
}

CString GraphCommandText(UINT id) {
    static const std::map<UINT, const char*> texts{
        {ID_GV_PROPERTIES, "Properties"},
        {ID_GV_EXPORT, "Export to Excel"},
        {ID_GV_AUTOSCALE, "Autoscale"},
        {ID_GV_ADD_GRAPH, "Add Graph to project"},
        {ID_GV_ADD_PREDICTION, "Add prediction"},
        {ID_GV_PAUSE, "Pause\\Continue"},
        {ID_GV_DISPLAY_CURSOR, "Display cursor"},
        {ID_GV_PAN, "Pan"},
        {ID_GV_ZOOM, "Zoom to selection"},
        {ID_GV_BAR_GRAPH, "Bar graph"},
        {ID_GV_Y_VS_X, "Y vs X graph"},
        {ID_GV_ERASE_PREDICTION, "Erase prediction"},
        {ID_GV_SECOND_CURSOR, "Toggle second cursor"},
        {ID_GV_MOVE_ANNOTATION, "Move annotation mode"},
        {ID_GV_ADD_ANNOTATION, "Add new annotation"},
    };
    const auto it = texts.find(id);
    return it == texts.end() ? CString() : CString(it->second);
}
