#pragma once
// The recording video window: drives the media encoder, shows the camera's preview, records into
// "Temp Data/<stamp>.wmv" under the data root and writes the sample count as markers while a run
// is tied to the recording.

#include <memory>

#include "app/child_frame.h"
#include "platform/media/encoder.h"

class CVarnelDoc;
class CPreciseDateTime;

class CRecordingVideoFrame : public CChildFrame {
    DECLARE_DYNCREATE(CRecordingVideoFrame)
};

class CRecordingVideoView : public CView {
    DECLARE_DYNCREATE(CRecordingVideoView)

public:
    static constexpr UINT kMarkerTimer = 4847;
    static constexpr UINT kStopTimer = 4848;
    static constexpr UINT kRelayoutTimer = 4849;
    static constexpr UINT kStopDelay = 4500;
    static constexpr UINT kRelayoutDelay = 500;
    static constexpr const char* kDefaultVideoInput = "Device://Default_Video_Device";
    static constexpr const char* kDefaultAudioInput = "Device://Default_Audio_Device";
    // Texts of ours.
    static constexpr const char* kStopFirstText = "Stop video recording first";
    static constexpr const char* kNoFileText =
        "The video cannot be recorded: no file can be made in %s.";

    ~CRecordingVideoView() override;
    // A recording view outside the standard windows (a test's) over `doc`.
    BOOL Create(CWnd* parent, CVarnelDoc* doc);
    // Takes the document it was made for as its own, and makes the encoder.
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnInitialUpdate() override;

    void StartRecording();
    bool RequestStop(bool immediate, bool closing);
    void StopRecording(bool closing);
    void SendSyncMarker(int value);
    CString GetRecordedFileName() const { return m_recording ? m_recordingPath : CString(); }
    WORD GetQualityCode() const { return m_qualityCode; }
    void LoadProfile(WORD code);
    void InitDevice();
    void ShutDownDevice();
    void DeleteTempFiles();
    void SelectVideoDevice();
    void StartPreview();
    void StopPreview();

    void OnTimer(UINT_PTR id) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnRelayoutTimer();

    // The "Temp Data/" folder under the data root.
    static CString TempFolder();
    // Tests fix the clock that names recordings.
    static void SetClockForTesting(CPreciseDateTime (*now)());

    bool m_encoderRunning = false;
    bool m_previewRunning = false;
    bool m_previewWanted = false;
    QWidget* m_previewWindow = nullptr;
    CVarnelDoc* m_doc = nullptr;
    bool m_stopTimerRunning = false;
    bool m_relayoutTimerRunning = false;
    bool m_markerTimerRunning = false;
    bool m_deviceInitialised = false;
    bool m_videoPresent = false;
    bool m_audioPresent = false;
    SHORT m_markerPeriod = 100;
    std::unique_ptr<media::IMediaEncoder> m_encoder;
    LONG m_previewCookie = -1;
    CString m_recordingPath;
    CString m_discardPath;
    WORD m_qualityCode = 32;
    int m_resizeCount = 0;
    CString m_videoDeviceInput = kDefaultVideoInput;
    bool m_tiedToExperiment = false;
    bool m_recording = false;
    bool m_deviceReady = false;

private:
    void StartEncoder();
    void StopEncoder();
    void AddVideo();
    void RemoveVideo();
    void AddAudio();
    void RemoveAudio();
    // Starts a timer, or tells the user (after the current handler) and leaves the flag clear.
    bool StartTimer(UINT id, UINT period, bool& running);
    void KillTimerFlag(UINT id, bool& running);
    void SetToggleCaption(bool enable);
    CString ScratchName() const;
    // In the doc log: the file the encoder did not write, and why.
    void LogArchiveError(const char* where) const;
    QWidget* PreviewWindow() const;
};
