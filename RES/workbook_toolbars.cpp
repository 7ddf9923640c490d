#include "RES/workbook_toolbars.h"

#include "RES/commands.h"

namespace {

const std::vector<UINT>& Buttons() {
    static const std::vector<UINT> ids{
        ID_WORKBOOK_OPEN_TB,      ID_WORKBOOK_PRINT,       ID_BLANK_BUTTON,
        ID_WORKBOOK_SPLIT_TB,     ID_WORKBOOK_COPY,        ID_WORKBOOK_PASTE,
        ID_BLANK_BUTTON,          ID_WORKBOOK_NEW_TEXT_TB, ID_WORKBOOK_OPEN_TEXT_TB,
        ID_WORKBOOK_SAVE_TEXT_TB, ID_WORKBOOK_PRINT_TEXT,  ID_BLANK_BUTTON,
        ID_BLANK_BUTTON,          ID_WORKBOOK_LAUNCH_TB};
    return ids;
}

}  // namespace

const ToolbarTemplate& WorkbookToolbarTemplate() {
    static const ToolbarTemplate bar{IDR_WORKBOOK_TOOLBAR, Buttons()};
    return bar;
}

const ToolbarTemplate& WorkbookToolbar2Template() {
    static const ToolbarTemplate bar{IDR_WORKBOOK_TOOLBAR2, Buttons()};
    return bar;
}
