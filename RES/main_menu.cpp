#include "RES/main_menu.h"

#include <map>

#include "RES/commands.h"
#include "RES/graph_bars.h"
#include "platform/msg/standard_ids.h"

namespace {

using Item = MenuTemplateItem;
const Item kSeparator{nullptr};

}  // namespace

const MenuTemplate& MainMenuTemplate() {
    static const MenuTemplate menu{
        IDR_MAINFRAME,
        {
            {"&File",
             0,
             {
                 {"New project", ID_NEW_PROJECT},
                 {"&Open Varnel data...\tCtrl+O", ID_FILE_OPEN},
                 {"&Save\tCtrl+S", ID_FILE_SAVE},
                 {"Save &As...", ID_FILE_SAVE_AS},
                 kSeparator,
                 {"View sample experiment", ID_SAMPLE_EXPERIMENT},
                 {"Import CSV File", ID_IMPORT_CSV},
                 kSeparator,
                 {"User interface settings", ID_USER_INTERFACE_SETTINGS},
                 {"Export file settings", ID_EXPORT_FILE_SETTINGS},
                 {"Unit settings", ID_UNIT_SETTINGS},
                 {"Sensor color settings", ID_SENSOR_COLOR_SETTINGS},
                 {"User data path settings", ID_USER_DATA_PATH},
                 kSeparator,
                 {"&Print...\tCtrl+P", ID_FILE_PRINT},
                 {"P&rint Setup...", ID_FILE_PRINT_SETUP},
                 kSeparator,
                 {"E&xit", ID_APP_EXIT},
             }},
            {"&View",
             0,
             {
                 {"Display Data map", ID_VIEW_DATA_MAP},
                 {"Display graph", ID_VIEW_GRAPH},
                 {"Display table", ID_VIEW_TABLE},
                 {"Display meters", ID_VIEW_METERS},
                 {"Display workbook", ID_VIEW_WORKBOOK},
                 {"Display video", ID_VIEW_VIDEO},
                 kSeparator,
                 {"Display video in main window", ID_VIEW_VIDEO_MAIN},
             }},
            {"&Graph",
             0,
             {
                 {"Pause/Continue", ID_GRAPH_PAUSE},
                 {"Add prediction", ID_GRAPH_PREDICTION},
                 {"Add to project", ID_GRAPH_ADD_TO_PROJECT},
                 kSeparator,
                 {"Zoom to selection", ID_GRAPH_ZOOM},
                 {"Pan graph", ID_GRAPH_PAN},
                 {"Autoscale", ID_GRAPH_AUTOSCALE},
                 {"Crop", ID_GRAPH_CROP},
                 {"Copy graph", ID_GRAPH_COPY},
                 kSeparator,
                 {"Graph title", ID_GRAPH_TITLE},
                 {"Properties", ID_GRAPH_PROPERTIES},
                 {"Export to Excel", ID_GRAPH_EXPORT},
                 {"Scroll Run", ID_GRAPH_SCROLL_RUN},
                 {"Single axis mode", ID_SINGLE_AXIS},
                 kSeparator,
                 {"Show annotations", ID_SHOW_ANNOTATIONS},
                 {"Add new annotation", ID_ADD_ANNOTATION},
                 {"Move annotations", ID_MOVE_ANNOTATIONS},
                 {"Edit annotation caption", ID_EDIT_ANNOTATION_CAPTION},
                 {"Delete Annotation", ID_DELETE_ANNOTATION},
             }},
            {"&Workbook",
             0,
             {
                 {"Open Worksheet", ID_OPEN_WORKSHEET},
                 {"Launch settings",
                  0,
                  {{"For Dorvik", ID_LAUNCH_SETTINGS}, {"For Dorvik QK", ID_LAUNCH_SETTINGS_QK}}},
                 {"Launch", ID_WORKBOOK_LAUNCH},
                 {"New text document", ID_WORKBOOK_NEW_TEXT},
                 {"Open text document", ID_WORKBOOK_OPEN_TEXT},
                 {"Save text document", ID_WORKBOOK_SAVE_TEXT},
                 {"Split View", ID_WORKBOOK_SPLIT_VIEW},
             }},
            {"V&ideo",
             0,
             {
                 {"Record", ID_VIDEO_RECORD},
                 {"Play", ID_VIDEO_PLAY},
                 {"Stop", ID_VIDEO_STOP},
                 {"Pause", ID_VIDEO_PAUSE},
                 kSeparator,
                 {"Video properties", ID_VIDEO_PROPERTIES},
                 {"Enable Video", ID_VIDEO_ENABLE},
                 {"Select Video Device", ID_SELECT_VIDEO_DEVICE},
             }},
            {"&Logger",
             0,
             {
                 {"Run", 4781},
                 {"Setup", ID_LOGGER_SETUP},
                 {"Send Setup", ID_SEND_SETUP},
                 {"Stop", 4782},
                 {"Recording Mode",
                  0,
                  {{"Single measurement", ID_MODE_SINGLE},
                   {"Replace", ID_MODE_REPLACE},
                   {"Add", ID_MODE_ADD}}},
                 {"Download", 4922},
                 kSeparator,
                 {"Select external sensor",
                  0,
                  {{"External 1", ID_EXTERNAL_SENSOR_1}, {"External 2", ID_EXTERNAL_SENSOR_2}}},
                 {"Comm setup", ID_COMM_SETUP},
             }},
            {"&Analysis",
             0,
             {
                 {"Linear fit", ID_LINEAR_FIT},
                 {"Slope", ID_SLOPE},
                 {"Area", ID_AREA},
                 {"Statistics", ID_STATISTICS},
                 kSeparator,
                 {"Timing Wizard", ID_TIMING_WIZARD},
             }},
            {"&Help",
             0,
             {
                 {"Help for Dorvik", ID_HELP_DORVIK},
                 {"Help for Dorvik QK", ID_HELP_DORVIK_QK},
                 kSeparator,
                 {"&About...", ID_APP_ABOUT},
             }},
        }};
    return menu;
}

const MenuTemplate& RunDropDownTemplate() {
    static const MenuTemplate menu{IDR_RUN_DROPDOWN,
                                   {{"Run",
                                     0,
                                     {{"Single measurement", ID_DROP_SINGLE},
                                      {"Replace", ID_DROP_REPLACE},
                                      {"Add", ID_DROP_ADD}}}}};
    return menu;
}

const ToolbarTemplate& AdvancedToolbarTemplate() {
    static const ToolbarTemplate bar{IDR_MAINFRAME,
                                     {ID_NEW_PROJECT,
                                      ID_FILE_OPEN,
                                      ID_FILE_SAVE,
                                      ID_PRINT_TB,
                                      ID_BLANK_BUTTON,
                                      ID_CONNECT,
                                      ID_RUN_TB,
                                      ID_SEND_SETUP_TB,
                                      ID_DOWNLOAD_TB,
                                      ID_STOP_TB,
                                      ID_BLANK_BUTTON,
                                      ID_DATA_MAP_TB,
                                      ID_METERS_TB,
                                      ID_SPARE_2151,
                                      ID_GRAPH_TB,
                                      ID_TABLE_TB,
                                      ID_DISPLAY_WORKBOOK_TB,
                                      ID_VIDEO_MAIN_TB,
                                      ID_BLANK_BUTTON,
                                      ID_TIMING_TB,
                                      ID_AREA_TB,
                                      ID_LINEAR_FIT,
                                      ID_SLOPE,
                                      ID_BLANK_BUTTON,
                                      ID_SEPARATOR,
                                      ID_PLAYBACK_STOP,
                                      ID_PLAYBACK_PLAY,
                                      ID_PLAYBACK_PAUSE,
                                      ID_PLAYBACK_RECORD}};
    return bar;
}

const ToolbarTemplate& BasicToolbarTemplate() {
    static const ToolbarTemplate bar{
        IDR_BASIC_TOOLBAR,
        {ID_FILE_OPEN, ID_FILE_SAVE, ID_PRINT_TB, ID_BLANK_BUTTON, ID_CONNECT, ID_RUN_TB,
         ID_DOWNLOAD_TB, ID_STOP_TB, ID_BLANK_BUTTON, ID_METERS_TB, ID_GRAPH_TB, ID_TABLE_TB,
         ID_DISPLAY_WORKBOOK_TB, ID_BLANK_BUTTON, ID_STATISTICS_TB, ID_BLANK_BUTTON, ID_TIMING_TB}};
    return bar;
}

const ToolbarTemplate& SimpleToolbarTemplate() {
    static const ToolbarTemplate bar{IDR_SIMPLE_TOOLBAR,
                                     {ID_FILE_OPEN,           ID_FILE_SAVE,      ID_PRINT_TB,
                                      ID_BLANK_BUTTON,        ID_CONNECT,        ID_RUN_TB,
                                      ID_DOWNLOAD_TB,         ID_STOP_TB,        ID_BLANK_BUTTON,
                                      ID_METERS_TB,           ID_GRAPH_TB,       ID_TABLE_TB,
                                      ID_DISPLAY_WORKBOOK_TB, ID_VIDEO_MAIN_TB,  ID_BLANK_BUTTON,
                                      ID_STATISTICS_TB,       ID_BLANK_BUTTON,   ID_TIMING_TB,
                                      ID_BLANK_BUTTON,        ID_PLAYBACK_STOP,  ID_PLAYBACK_PLAY,
                                      ID_PLAYBACK_PAUSE,      ID_PLAYBACK_RECORD}};
    return bar;
}

CString CommandTip(UINT id) {
    static const std::map<UINT, const char*> tips{
        {ID_NEW_PROJECT, "New project"},
        {ID_FILE_OPEN, "Open"},
        {ID_FILE_SAVE, "Save"},
        {ID_PRINT_TB, "Print"},
        {ID_CONNECT, "Connect to Dorvik"},
        {ID_RUN_TB, "Run"},
        {ID_SEND_SETUP_TB, "Send Setup"},
        {ID_DOWNLOAD_TB, "Download"},
        {ID_STOP_TB, "Stop"},
        {ID_DATA_MAP_TB, "Display Datamap"},
        {ID_METERS_TB, "Display Meters"},
        {2085, "Four meters"},
        {2086, "Analog meter"},
        {2087, "Bar meter"},
        {2088, "Change meter"},
        {2089, "Digital meter"},
        {ID_GRAPH_TB, "Display multi axis Graph"},
        {ID_TABLE_TB, "Display Table"},
        {ID_DISPLAY_WORKBOOK_TB, "Display Workbook"},
        {ID_VIDEO_MAIN_TB, "Display Video"},
        {ID_TIMING_TB, "Timing"},
        {ID_AREA_TB, "Area"},
        {ID_LINEAR_FIT, "Linear fit"},
        {ID_SLOPE, "Slope"},
        {ID_STATISTICS_TB, "Statistics"},
        {ID_PLAYBACK_STOP, "Stop"},
        {ID_PLAYBACK_PLAY, "Play"},
        {ID_PLAYBACK_PAUSE, "Pause"},
        {ID_PLAYBACK_RECORD, "Record"},
        {ID_WORKBOOK_OPEN_TB, "Open Worksheet"},
        {ID_WORKBOOK_PRINT, "Print worksheet"},
        {ID_WORKBOOK_SPLIT_TB, "Split view"},
        {ID_WORKBOOK_COPY, "Copy"},
        {ID_WORKBOOK_PASTE, "Paste"},
        {ID_WORKBOOK_NEW_TEXT_TB, "New text document"},
        {ID_WORKBOOK_OPEN_TEXT_TB, "Open text document"},
        {ID_WORKBOOK_SAVE_TEXT_TB, "Save text document"},
        {ID_WORKBOOK_PRINT_TEXT, "Print text"},
        {ID_WORKBOOK_LAUNCH_TB, "Launch"},
    };
    const auto it = tips.find(id);
    return it == tips.end() ? GraphCommandText(id) : CString(it->second);
}
