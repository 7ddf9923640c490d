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
    // A video view outside the standard windows (a test's) over `doc`.
    BOOL Create(CWnd* parent, CVarnelDoc* doc);
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnStop() {}
    bool HasQualityRecord() const { return false; }
    WORD GetQualityCode() const { return m_qualityCode; }
    // Kept for the recording, which has no encoder yet.
    void SetQualityCode(WORD code) { m_qualityCode = code; }
    // There is no capture device to start.
    virtual void InitVideoDevice(int) {}
    // Deletes the "*.wmv" files of the data root's "Temp Data" folder.
    void DeleteTempVideoFiles();

    // Where the video picture goes, in the main frame's area.
    void SetVideoRect(const CRect& rect) { m_videoRect = rect; }
    const CRect& GetVideoRect() const { return m_videoRect; }

    BYTE m_recording = 0;
    WORD m_qualityCode = 0;

private:
    CVarnelDoc* m_doc = nullptr;
    CRect m_videoRect;
};
