#pragma once
// The recording video window, in its simplest form: it shows nothing yet.

#include "app/child_frame.h"

class CVarnelDoc;

class CRecordingVideoFrame : public CChildFrame {};

class CRecordingVideoView : public CView {
public:
    ~CRecordingVideoView() override;
    BOOL Create(CWnd* parent, CVarnelDoc* doc);

private:
    CVarnelDoc* m_doc = nullptr;
};
