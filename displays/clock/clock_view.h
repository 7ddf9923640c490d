#pragma once
// CClockView: the time of day in large segment digits, refreshed once a second while the window
// has a size.

#include "controls/digistring.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/gdi/objects.h"
#include "platform/ui/form_view.h"

class CVarnelDoc;

class CClockView : public CFormView, public CEventSinkHost {
    DECLARE_DYNCREATE(CClockView)

public:
    static constexpr UINT IDC_DIGITS = 4925;
    static constexpr UINT_PTR kTimer = 4926;
    static constexpr UINT kTimerPeriod = 1000;

    CClockView();
    ~CClockView() override;

    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnEraseBkgnd(CDC* dc) override;

    bool IsReady() const { return m_ready != 0; }
    bool IsTimerRunning() const { return m_timerRunning != 0; }
    CDigistring& GetDigits() { return m_digits; }
    CCWButton& GetButton() { return m_button; }
    // The local time now, as the digits show it.
    void ShowTime();

protected:
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    void CreateDigits();
    void StartTimer();
    void StopTimer();
    void Layout(int cx, int cy);

    CVarnelDoc* m_doc = nullptr;
    CCWButton m_button;
    CBrush m_background;
    BYTE m_ready = 0;
    CDigistring m_digits;
    BYTE m_timerRunning = 0;
};
