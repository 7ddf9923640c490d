#pragma once
// CMeterFrame: the meter window's frame. Like the other standard frames it has no caption and
// cannot be moved or sized by the user; its toolbar of meter kinds lies along its bottom edge.

#include "app/child_frame.h"
#include "displays/graph/graph_frame.h"
#include "platform/ui/bars.h"

// The meter commands: a kind for the single meter or the selected panel, and the four meters.
constexpr UINT ID_METER_FOUR = 2085;
constexpr UINT ID_METER_ANALOG = 2086;
constexpr UINT ID_METER_BAR = 2087;
constexpr UINT ID_METER_CHANGE = 2088;
constexpr UINT ID_METER_DIGITAL = 2089;
constexpr UINT IDR_METER_TOOLBAR = 250;

const ToolbarTemplate& MeterToolbarTemplate();

class CMeterFrame : public CChildFrame {
    DECLARE_DYNCREATE(CMeterFrame)

public:
    CMeterFrame();
    ~CMeterFrame() override;

    // The buttons take their states from the command route again.
    void UpdateToolbar();
    CGraphToolbar& GetToolbar() { return m_toolbar; }

    CStatusBar m_statusBar;
    CGraphToolbar m_toolbar;
    // The meter view's layout clears it while the window is too small for four meters.
    int m_fourMetersEnabled = 1;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnUpdateFourMeters(CCmdUI* cmdUI);
    DECLARE_MESSAGE_MAP()
};
