#pragma once
// The recording video window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CRecordingVideoFrame : public CChildFrame {
    DECLARE_DYNCREATE(CRecordingVideoFrame)
};

class CRecordingVideoView : public CView {
    DECLARE_DYNCREATE(CRecordingVideoView)
    ~CRecordingVideoView() override;
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    CVarnelDoc* m_doc = nullptr;
};
