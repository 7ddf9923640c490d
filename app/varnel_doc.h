#pragma once
// CVarnelDoc: the program's one document. It owns the settings record, the logger object, the
// data sets and the saved graphs; every view and dialog reaches them through it.

#include <functional>
#include <memory>

#include "displays/graph/graph_tree.h"
#include "logger/data_tree.h"
#include "platform/win/frame.h"

class CDorvik;
class CSettings;
class CGraphView;
class CDataTreeView;
class CMainFrame;

class CVarnelDoc : public CDocument {
public:
    using LoggerFactory = std::function<std::unique_ptr<CDorvik>(CSettings*)>;

    // Reads the settings file, then makes the logger object on them; `makeLogger` stands in for
    // it (tests). The logger is idle until its host window starts it.
    explicit CVarnelDoc(const LoggerFactory& makeLogger = {});
    ~CVarnelDoc() override;
    CVarnelDoc(const CVarnelDoc&) = delete;
    CVarnelDoc& operator=(const CVarnelDoc&) = delete;

    CSettings* GetSettings() const { return m_settings.get(); }
    CDorvik* GetLogger() const { return m_logger.get(); }
    // The video file of the current run; empty while no video view records.
    CString GetCurrentRunVideoPath() const { return CString(); }

    CDataTreeList m_dataList;
    CGraphTreeList m_graphList;

    // The standard windows, once made; null before.
    CGraphView* m_graphView = nullptr;
    CDataTreeView* m_dataTreeView = nullptr;
    CMainFrame* m_mainFrame = nullptr;

    // Set by the format sheet when it set line or scale settings: new plots take them.
    BOOL m_formatLineSettings = FALSE;
    BOOL m_formatScaleSettings = FALSE;
    // A run keeps the plots' line settings.
    BOOL m_keepLineSettings = FALSE;
    // The X-axis settings stay as they are across runs.
    BOOL m_axisHold = FALSE;
    // Scroll Run: the X axis slides with the newest sample instead of growing.
    BOOL m_scrollRun = FALSE;

private:
    // The logger points at the settings: made after them, destroyed before them.
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CDorvik> m_logger;
};
