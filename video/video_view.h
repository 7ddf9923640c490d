#pragma once
// The video window: shows either the player or the recording view's live picture in the video
// rectangle, and forwards the Video commands to the recording view. Playback comes later: here
// the player area stays empty.

#include "app/child_frame.h"

class CVarnelDoc;
class CRecordingVideoView;

class CVideoFrame : public CChildFrame {
    DECLARE_DYNCREATE(CVideoFrame)
};

class CVideoView : public CView {
    DECLARE_DYNCREATE(CVideoView)

public:
    static constexpr const char* kCannotInitText =
        "Can't initialize Video.\nPlease check that both video and audio hardware are installed "
        "correctly.";

    ~CVideoView() override;
    // Takes the document it was made for as its own.
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnInitialUpdate() override;

    void OnRecord();
    void OnStop();
    // The Enable Video toggle; `tell` shows the failure to the user.
    virtual void InitVideoDevice(int tell);
    void SetQualityCode(WORD code);
    WORD GetQualityCode() const;
    CString GetRecordedFileName() const;
    bool IsVideoDeviceReady() const;
    bool IsRecording() const;
    void SetVideoRect(int left, int top, int right, int bottom);
    void SetVideoRect(const CRect& rect) {
        SetVideoRect(rect.left, rect.top, rect.right, rect.bottom);
    }
    const CRect& GetVideoRect() const { return m_videoRect; }
    void Relayout();

    bool HasQualityRecord() const { return m_recordingView != nullptr; }
    // What closing stores in the settings: the quality code while the device runs, else 0.
    BYTE GetVideoOnCode() const;
    // Deletes the "*.wmv" files of the data root's "Temp Data" folder but a running recording.
    void DeleteTempVideoFiles();

    bool m_playerMode = true;
    CRect m_videoRect;
    bool m_initialised = false;
    bool m_playing = false;
    bool m_recordingStartedHere = false;
    CRecordingVideoView* m_recordingView = nullptr;
    CString m_currentVideoPath;
    WORD m_qualityCode = 0;

private:
    CRecordingVideoView* Recorder() const;
    CVarnelDoc* m_doc = nullptr;
};
