#pragma once
// The video window: shows either the player or the recording view's live picture in the video
// rectangle, forwards the Video commands to the recording view, and plays a run's video with the
// graph following its markers.

#include "app/child_frame.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/wmp_player.h"
#include "platform/gdi/objects.h"
#include "platform/ui/form_view.h"

class CVarnelDoc;
class CRecordingVideoView;

class CVideoFrame : public CChildFrame {
    DECLARE_DYNCREATE(CVideoFrame)
};

class CVideoView : public CFormView, public CEventSinkHost {
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

    // ---- playback
    static constexpr UINT_PTR kPendingPlayTimer = 4850;
    static constexpr UINT kPendingPlayPeriod = 100;
    static constexpr double kAspectRatio = 0.8181818181818182;
    // Text of ours.
    static constexpr const char* kCannotPlayText = "The video file %s cannot be played.";

    CVideoView();
    void OnPlay();
    void OnPause();
    void OnScriptCommand(const CString& type, const CString& parameter);
    void OnPlayStateChange(LONG state);
    void OnMediaError(const CString& text);
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    void OnDraw(CDC* dc) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    double m_aspectRatio = kAspectRatio;
    CBrush m_backgroundBrush;
    CWMPPlayer4 m_player;
    // The file the player holds: Play resumes a paused video only when it is still the run's.
    CString m_loadedVideoPath;
    // Play waits for the run's own recording to be written whole.
    bool m_playPending = false;
    // A file that fails before it shows anything is no video to the user: the graph replays.
    int m_framesAtLoad = 0;
    bool m_replayAfterStop = false;

protected:
    int OnCreatePlayer();
    void PreparePlayback();
    // OnStop's player half.
    void StopPlayer();
    void PlayLoaded(bool resume);
    int FramesShown() const;
    void ReplayGraph();

private:
    CRecordingVideoView* Recorder() const;
    CVarnelDoc* m_doc = nullptr;
    bool m_stopping = false;
};
