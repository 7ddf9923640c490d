// Workbook > Launch: the launch file beside the worksheet sets up the logger, the set-up window
// and the displays as the teacher prepared them. The run itself is left to the student.

#include <QFileInfo>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "experiment/comm_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "experiment/text_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/launch_header.h"
#include "logger/settings.h"
#include "platform/base/log.h"

namespace {

// The set-up window's switch of a basic mask bit; -1 for none.
int SwitchOfBit(BYTE bit) {
    for (int k = 0; k < CSetupView::kSensors; ++k)
        if (CSetupView::kBasicBits[k] == bit) return k;
    return -1;
}

// A QK's enable bit for a sensor's basic mask bit; 0 for a bit of no sensor.
BYTE QkBitOf(BYTE bit) {
    switch (bit) {
        case 1:
            return 32;
        case 2:
            return 64;
        case 4:
            return 4;
        case 16:
            return 1;
        case 32:
            return 8;
        case 64:
            return 16;
        case 128:
            return 2;
        default:
            return 0;
    }
}

}  // namespace

BYTE CHtmlDocView::ChannelSensorBit(int record) {
    static constexpr BYTE kBits[CLaunchHeader::kMaxSensors] = {16, 4, 32, 64, 128, 1, 2};
    return record >= 0 && record < CLaunchHeader::kMaxSensors ? kBits[record] : 0;
}

int CHtmlDocView::FindSensorPosition(const CLaunchHeader& header, BYTE bit) {
    const int count = std::min<int>(header.m_sensorCount, CLaunchHeader::kMaxSensors);
    for (int i = 0; i < count; ++i)
        if (header.m_sensorBits[i] == bit) return i;
    return -1;
}

void CHtmlDocView::OnLaunch() {
    if (!m_doc || m_worksheetPath.IsEmpty()) return;
    CDorvik& logger = *m_doc->GetLogger();
    CSettings& settings = *m_doc->GetSettings();
    const bool qkLogger = logger.IsQKModel();
    CString path;
    if (!LaunchFileExists(m_worksheetPath, qkLogger ? TRUE : FALSE, &path)) return;
    m_launchPath = path;
    CLaunchHeader header;
    CString reason;
    // A file that cannot be read, or holds no launch kind, changes nothing.
    if (!header.LoadFromFile(path, &reason)) {
        ShowMessage(CString::Formatted(kUnreadableLaunchText,
                                       CString(QFileInfo(path.ToQString()).fileName()).GetString(),
                                       reason.GetString()),
                    0);
        return;
    }
    if (m_doc->m_runInProgress) {
        ShowMessage(CVarnelDoc::kRunningText, 0);
        return;
    }
    CSetupView* setup = m_doc->GetSetupView();
    CGraphView* graph = m_doc->GetGraphView();
    const bool qkFile = header.m_qkModel != 0;
    const auto modelMessage = [&]() -> bool {
        if (qkFile && !qkLogger) {
            ShowMessage(kForQKText, 0);
            return true;
        }
        if (!qkFile && qkLogger) {
            ShowMessage(kForBasicText, 0);
            return true;
        }
        return false;
    };
    const auto setBarGraph = [&](bool wanted) {
        if (graph && wanted != (graph->m_barGraph != 0)) graph->OnBarGraph();
    };

    if (header.m_kind == CLaunchHeader::kSnapshot) {
        if (m_doc->m_timingMode) m_doc->ToggleTimingMode(FALSE);
        if (modelMessage()) return;
        CMeterView* meters = m_doc->GetMeterView();
        if (meters) {
            if (meters->GetSelectedPanel() >= 0) meters->ShowPanel(-1, TRUE);
            for (int i = 0; i < CMeterView::kMeters; ++i) {
                meters->SetShownKind(i, CMeterView::kNone);
                meters->SetKind(i, static_cast<BYTE>(i));
            }
        }
        m_doc->ShowMeters();
        if (setup) setup->m_snapshotLaunch = 1;
        settings.m_meterViewValue = header.m_meterType;
        if (!qkFile && (header.m_meterSensor == 1 || header.m_meterSensor == 2)) {
            const int slot = header.m_meterSensor - 1;
            const BYTE type = slot == 0 ? header.m_externalType1 : header.m_externalType2;
            (slot == 0 ? settings.m_externalSensor1 : settings.m_externalSensor2) = type;
            settings.SetExternalSensor(slot, type);
            if (meters)
                for (int i = 0; i < CMeterView::kMeters; ++i)
                    meters->SetMeterSensor(i, slot);
        }
        if (setup) setup->SelectSensorByBit(header.m_meterSensor);
        if (header.m_fourMeterLayout) {
            for (int i = 0; i < CMeterView::kMeters; ++i) {
                const int code = BitMaskToIndex(header.m_meterSensors[i]);
                m_doc->m_meterChannels[i] = code;
                if (meters) {
                    meters->SetMeterSensor(i, code);
                    meters->SetKind(i, header.m_meterTypes[i]);
                }
            }
        }
        if (meters) meters->LayoutMeters();
        if (!settings.Save()) qCWarning(lcExperiment, "the settings could not be saved");
        return;
    }

    if (header.m_kind == CLaunchHeader::kGraph) {
        if (setup) setup->m_snapshotLaunch = 0;
        if (m_doc->m_timingMode) m_doc->ToggleTimingMode(FALSE);
        // Bars only against time.
        setBarGraph(header.m_barGraph != 0 &&
                    header.m_channels[CLaunchHeader::kXAxisRecord].index < 0);
        modelMessage();  // told, and the launch goes on
        m_doc->SetRecordingMode(header.m_recordingMode);
        m_doc->SetScrollRun(header.m_scrollRun ? TRUE : FALSE, TRUE);
        if (setup) {
            setup->m_rateCode = header.m_rateCode;
            setup->m_runLength = static_cast<DWORD>(header.m_runLength);
        }
        if (qkFile) {
            logger.SetRegimeRateCode(header.m_rateCode);
            logger.SetRunLength(static_cast<DWORD>(header.m_runLength));
            if (setup) {
                setup->UpdateControls();
                for (int k = 0; k < CSetupView::kSensors; ++k)
                    setup->GetSwitch(k).SetValue(false);
            }
        }
        BYTE mask = 0;
        short count = 0;
        const int selected = std::min<int>(header.m_sensorCount, CLaunchHeader::kMaxSensors);
        for (int i = 0; i < selected; ++i) {
            const BYTE bit = header.m_sensorBits[i];
            if (qkFile) {
                const BYTE qkBit = QkBitOf(bit);
                if (!qkBit) continue;
                if (bit == 1 || bit == 2) {
                    if (settings.m_sensorSlots[bit - 1].absent) {
                        ShowMessage(bit == 1 ? kConnectExternal1Text : kConnectExternal2Text, 0);
                        if (setup) setup->UpdateControls();
                        return;
                    }
                }
                mask = static_cast<BYTE>(mask | qkBit);
                if (setup && SwitchOfBit(bit) >= 0)
                    setup->GetSwitch(SwitchOfBit(bit)).SetValue(true);
                ++count;
            } else {
                mask = static_cast<BYTE>(mask + bit);
                if (bit == 1 || bit == 2) {
                    const BYTE type = bit == 1 ? header.m_externalType1 : header.m_externalType2;
                    (bit == 1 ? settings.m_externalSensor1 : settings.m_externalSensor2) = type;
                    settings.SetExternalSensor(bit - 1, type);
                }
            }
        }
        if (setup) setup->m_sensorMask = mask;
        if (!qkFile) {
            m_doc->IssueLoggerCommand(CVarnelDoc::kCommandLiveReadings);
        } else {
            logger.SetMask(mask);
            logger.SetRegimeRateCode(header.m_rateCode);
            logger.SetRunLength(static_cast<DWORD>(header.m_runLength));
            if (setup) setup->m_selectedCount = count;
        }
        ApplyLaunchPlots(header);
        m_doc->ShowGraph();
        if (graph) {
            if (header.m_singleGraphMode) {
                if (!settings.m_singleAxis) graph->ToggleSingleAxisMode();
                graph->m_singleGraphSelection = header.m_singleGraphSelection;
            } else if (settings.m_singleAxis) {
                graph->ToggleSingleAxisMode();
            }
        }
        return;
    }

    // Photogate timing: every other kind the reader accepts.
    m_doc->ClearProject(true);
    settings.m_timingMethod = header.m_timingMethod;
    settings.m_timingDistance1 = header.m_distance1;
    settings.m_timingMeasurement = header.m_timingMeasurement;
    settings.m_timingDistance2 = header.m_distance2;
    m_doc->SetScrollRun(header.m_scrollRun ? TRUE : FALSE, TRUE);
    setBarGraph(header.m_barGraph != 0);
    if (!m_doc->m_timingMode) {
        m_doc->ToggleTimingMode(FALSE);
    } else {
        if (header.m_timingMeasurement != 0) m_doc->EditTimingParameters();
        m_doc->ShowGraph();
    }
    m_doc->m_launchPlots = 0;
}

void CHtmlDocView::ApplyLaunchPlots(const CLaunchHeader& header) {
    if (!m_doc) return;
    CGraphView* graph = m_doc->GetGraphView();
    if (graph) graph->ResetPlotSettings();
    m_doc->ClearProject(true);
    if (graph) {
        for (int r = 0; r < CLaunchHeader::kMaxSensors; ++r) {
            const LaunchChannelStruct& c = header.m_channels[r];
            if (!c.selected || graph->m_livePlotCount >= CGraphView::kMaxPlots) continue;
            const BYTE bit = ChannelSensorBit(r);
            PlotRecordStruct& p = graph->m_livePlots[graph->m_livePlotCount++];
            const int position = FindSensorPosition(header, bit);
            p.channel = position >= 0 ? static_cast<WORD>(position) : PlotRecordStruct::kNoChannel;
            // The sensor's own colour, even when the file does not list its bit.
            const COLORREF colour = header.m_propertiesChanged ? static_cast<COLORREF>(c.color)
                                                               : graph->GetSensorColorByBit(bit);
            p.TakeLineRow({colour, c.lineStyle, c.lineWidth, static_cast<BOOL>(c.lineVisible),
                           static_cast<COLORREF>(c.markerColor), c.markerStyle,
                           static_cast<BOOL>(c.markerVisible)});
            p.yAutoscale = static_cast<LONG>(c.autoScale);
            p.yMin = c.minimum;
            p.yMax = c.maximum;
        }
        const LaunchChannelStruct& x = header.m_channels[CLaunchHeader::kXAxisRecord];
        graph->m_xAxisIsSensor = x.index > -1 ? 1 : 0;
        // A sensor on X: the run plots the others against it.
        graph->m_liveYvsX = graph->m_xAxisIsSensor;
        graph->m_liveXAxis.channel =
            x.index > -1 ? static_cast<WORD>(x.index) : PlotRecordStruct::kNoChannel;
        graph->m_liveXAxis.yAutoscale = static_cast<LONG>(x.autoScale);
        graph->m_liveXAxis.yMin = x.minimum;
        graph->m_liveXAxis.yMax = x.maximum;
        graph->m_liveXAxis.colour = static_cast<COLORREF>(x.color);
    }
    // The logger reports the new sensors next: that notice must not cancel the launch.
    if (CCommView* comm = m_doc->GetCommView()) comm->m_sensorsChangedPending = 1;
    m_doc->m_launchPlots = 1;
}

void CHtmlDocView::ClearWorksheetSelection() {
    CHtmlFormView* form = GetFormPane();
    if (form && form->m_browser.QueryStatusWB(OLECMDID_CLEARSELECTION) ==
                    (OLECMDF_SUPPORTED | OLECMDF_ENABLED))
        form->m_browser.ExecWB(OLECMDID_CLEARSELECTION, 0);
}
