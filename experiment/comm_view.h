#pragma once
// CCommView: the window nobody sees that gives the logger object a host. Every logger timer runs
// on it, and every logger event comes to it as a private message sent synchronously; it hands
// each on to the document.

#include "platform/ui/form_view.h"

class CVarnelDoc;

class CCommView : public CFormView {
    DECLARE_DYNCREATE(CCommView)
public:
    CCommView();
    // Binds the view to the document, then makes it.
    BOOL Create(CWnd* parent, CVarnelDoc* doc, UINT id = AFX_IDW_PANE_FIRST);
    CVarnelDoc* GetDoc() const { return m_doc; }

    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;

    // Set by whoever makes a sensor change itself: the next report of one is no news.
    BYTE m_sensorsChangedPending = 0;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnTimer(UINT_PTR id) override;

    LRESULT OnLoggerIdentified(WPARAM wParam, LPARAM lParam);
    LRESULT OnNewExperiment(WPARAM wParam, LPARAM lParam);
    LRESULT OnRunEnded(WPARAM wParam, LPARAM lParam);
    LRESULT OnLoggerAnswered(WPARAM wParam, LPARAM lParam);
    LRESULT OnSensorsChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnRateChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnStatusMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnRefreshRun(WPARAM wParam, LPARAM lParam);
    LRESULT OnLoggerCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateMeters(WPARAM wParam, LPARAM lParam);
    LRESULT OnFetchProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnSelectDownload(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CVarnelDoc* m_doc = nullptr;
    bool m_updated = false;
};
