#pragma once
// The video window, in its simplest form: it never records and keeps no quality record; closing
// still clears the temporary video files.

#include "app/child_frame.h"

class CVarnelDoc;

class CVideoFrame : public CChildFrame {
    DECLARE_DYNCREATE(CVideoFrame)
};

class CVideoView : public CView {
    DECLARE_DYNCREATE(CVideoView)
    ~CVideoView() override;
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnStop() {}
    bool HasQualityRecord() const { return false; }
    BYTE GetQualityCode() const { return 0; }
    // Deletes the "*.wmv" files of the data root's "Temp Data" folder.
    void DeleteTempVideoFiles();

    BYTE m_recording = 0;

private:
    CVarnelDoc* m_doc = nullptr;
};
