#include "experiment/setup_view.h"

#include "RES/dialogs/setup_view.h"
#include "logger/dorvik.h"

IMPLEMENT_DYNCREATE(CSetupView, CFormView)

CSetupView::CSetupView() : CFormView(SetupViewTemplate()) {}

BOOL CSetupView::Create(CWnd* parent, const RECT& rect, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

void CSetupView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    m_ready = 1;
}

void CSetupView::ApplySensorSelection(CDorvik* logger) const {
    if (!logger) return;
    for (int ch = 0; ch < CDorvik::kChannels; ++ch)
        logger->SetLiveChannelEnabled(ch, (m_sensorMask >> ch) & 1);
}
