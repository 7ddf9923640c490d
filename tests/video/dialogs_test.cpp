// The Video properties and Select Video Device dialogs, through the document's commands.

#include <gtest/gtest.h>

#include "RES/commands.h"
#include "RES/dialogs/select_camera_driver.h"
#include "RES/dialogs/video_quality.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "logger/dorvik.h"
#include "platform/media/capture_devices.h"
#include "platform/media/encoder.h"
#include "platform/ui/controls.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "video/recording_video_view.h"
#include "video/select_camera_driver_dialog.h"
#include "video/video_quality.h"
#include "video/video_view.h"

using namespace media;
using testing_support::Press;
using testing_support::SetChecked;

namespace {

// An encoder that takes every call and remembers the video input.
class QuietEncoder : public IMediaEncoder {
public:
    explicit QuietEncoder(CString& input) : m_input(input) {}
    HRESULT AddSourceGroup(const CString&) override { return S_OK; }
    HRESULT RemoveSourceGroup(int) override { return S_OK; }
    HRESULT AddSource(int) override { return S_OK; }
    HRESULT RemoveSource(int, int) override { return S_OK; }
    HRESULT SetSourceInput(int type, const CString& in) override {
        if (in.ToQString().contains("Refused")) return E_INVALIDARG;
        if (type == kSourceVideo) m_input = in;
        return S_OK;
    }
    HRESULT SetProfile(const CString&) override { return S_OK; }
    HRESULT SetOption(int, bool) override { return S_OK; }
    HRESULT Start() override { return S_OK; }
    HRESULT Stop() override { return S_OK; }
    HRESULT SetLocalFileName(const CString&) override { return S_OK; }
    HRESULT Archive(int, int) override { return S_OK; }
    HRESULT SendScript(int, const CString&, const CString&) override { return S_OK; }
    HRESULT AddPreview(LONG* cookie) override {
        *cookie = 1;
        return S_OK;
    }
    HRESULT RemoveAllPreviews() override { return S_OK; }
    HRESULT SetViewProperties(LONG, QWidget*) override { return S_OK; }
    LONG StartView(LONG) override { return 1; }
    HRESULT StopView(LONG) override { return S_OK; }
    QWidget* GetViewWindow(LONG) const override { return nullptr; }

private:
    CString& m_input;
};

class VideoDialogTest : public testing_support::HarnessTest {
protected:
    CString input;
    std::unique_ptr<CVarnelDoc> doc;
    CMainFrame mainFrame;
    CWnd host;
    std::unique_ptr<CRecordingVideoView> view;
    std::unique_ptr<CVideoView> video;

    VideoDialogTest() {
        SetEncoderFactory([this](const GUID&) { return std::make_unique<QuietEncoder>(input); });
        doc = std::make_unique<CVarnelDoc>();
        doc->m_mainFrame = &mainFrame;
        // The real main window, whose Video menu carries the commands.
        mainFrame.CreateMainWindow();
        mainFrame.SetDocument(doc.get());
        mainFrame.ShowWindow(SW_SHOW);
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0);
        view = std::make_unique<CRecordingVideoView>();
        view->Create(&host, doc.get());
        video = std::make_unique<CVideoView>();
        video->Create(&host, doc.get());
        video->OnInitialUpdate();
    }
    ~VideoDialogTest() override {
        video.reset();
        view.reset();
        mainFrame.DestroyWindow();
        doc.reset();
        host.DestroyWindow();
        SetEncoderFactory({});
        qunsetenv("VARNEL_MEDIA_TEST_SOURCES");
    }
    void Command(UINT id) { ASSERT_TRUE(testing_support::ChooseMenuCommand(mainFrame, id)); }
};

}  // namespace

TEST_F(VideoDialogTest, QualityPresetsAndCaptions) {
    const struct {
        WORD preset;
        UINT content, quality;  // 0: none selected
        const char *high, *normal, *low;
    } rows[] = {
        {32, IDC_CONTENT_AUDIO_VIDEO, IDC_QUALITY_NORMAL, "High (12KBps)", "Normal (5KBps)",
         "Low (3KBps)"},
        {23, IDC_CONTENT_VIDEO, IDC_QUALITY_HIGH, "High (12KBps)", "Normal (6KBps)", "Low (4KBps)"},
        {11, IDC_CONTENT_AUDIO, IDC_QUALITY_LOW, "High (3KBps)", "Normal (2KBps)", "Low (1.5KBps)"},
        {0, 0, 0, "High", "Normal", "Low"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.preset);
        view->m_qualityCode = r.preset;
        modals.ExpectDialog(IDD_VIDEO_QUALITY, [&](CDialog& d) {
            EXPECT_EQ(d.GetWindowText(), "Video properties");
            for (UINT id : {IDC_CONTENT_AUDIO_VIDEO, IDC_CONTENT_AUDIO, IDC_CONTENT_VIDEO,
                            IDC_QUALITY_HIGH, IDC_QUALITY_NORMAL, IDC_QUALITY_LOW})
                EXPECT_EQ(d.IsDlgButtonChecked(int(id)) == BST_CHECKED,
                          id == r.content || id == r.quality)
                    << id;
            EXPECT_EQ(d.GetDlgItemText(IDC_QUALITY_HIGH), r.high);
            EXPECT_EQ(d.GetDlgItemText(IDC_QUALITY_NORMAL), r.normal);
            EXPECT_EQ(d.GetDlgItemText(IDC_QUALITY_LOW), r.low);
            Press(d, IDCANCEL);
        });
        Command(ID_VIDEO_PROPERTIES);
        EXPECT_EQ(view->GetQualityCode(), r.preset) << "Cancel keeps the code";
    }

    // A content click changes the captions only; OK with Video only and High gives 23.
    view->m_qualityCode = 32;
    modals.ExpectDialog(IDD_VIDEO_QUALITY, [](CDialog& d) {
        SetChecked(d, IDC_CONTENT_AUDIO, true);
        EXPECT_EQ(d.GetDlgItemText(IDC_QUALITY_LOW), "Low (1.5KBps)");
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_QUALITY_NORMAL), UINT(BST_CHECKED));
        SetChecked(d, IDC_CONTENT_VIDEO, true);
        SetChecked(d, IDC_QUALITY_HIGH, true);
        Press(d, IDOK);
    });
    Command(ID_VIDEO_PROPERTIES);
    EXPECT_EQ(view->GetQualityCode(), 23);
    EXPECT_EQ(view->m_markerPeriod, 100);
    EXPECT_FALSE(view->m_audioPresent);
}

TEST_F(VideoDialogTest, NoCameraHere) {
    // This machine has no camera: the message, the dialog ends with 8, the device stays off.
    std::vector<QString> names;
    if (EnumerateVideoDevices(names) != 1) GTEST_SKIP() << "a camera is attached";
    modals.ExpectMessage(CSelectCameraDriverDialog::kNoHardwareText, IDOK);
    Command(ID_SELECT_VIDEO_DEVICE);
    EXPECT_FALSE(view->m_deviceReady);
}

TEST_F(VideoDialogTest, SelectingATestCamera) {
    qputenv("VARNEL_MEDIA_TEST_SOURCES", "1");
    enum Answer { Ok, Cancel, Escape };
    // In order: each row starts from the state and device the one before left.
    const struct {
        const char* name;
        bool onBefore;
        Answer answer;
        int pick;
        const char* input;  // the device afterwards
        bool onAfter;
    } rows[] = {
        {"on, second of two", true, Ok, 1, "Device://Test Camera 2", true},
        {"on, Cancel keeps the device", true, Cancel, 0, "Device://Test Camera 2", true},
        {"on, Escape keeps the device", true, Escape, 0, "Device://Test Camera 2", true},
        {"off, Cancel leaves it off", false, Cancel, 0, "Device://Test Camera 2", false},
        {"off, Escape leaves it off", false, Escape, 0, "Device://Test Camera 2", false},
        {"off, OK switches it on", false, Ok, 0, "Device://Test Camera 1", true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        if (view->m_deviceReady != r.onBefore) video->InitVideoDevice(false);
        ASSERT_EQ(view->m_deviceReady, r.onBefore);
        modals.ExpectDialog(IDD_SELECT_CAMERA_DRIVER, [&](CDialog& d) {
            EXPECT_EQ(d.GetWindowText(), "Select Video Device");
            EXPECT_EQ(d.GetDlgItemText(IDC_CAMERA_LABEL), "Video Device :");
            auto* combo = dynamic_cast<CComboBox*>(d.GetDlgItem(IDC_CAMERA_LIST));
            ASSERT_TRUE(combo);
            EXPECT_EQ(combo->GetCount(), 2);
            switch (r.answer) {
                case Ok:
                    combo->SetCurSel(r.pick);
                    Press(d, IDOK);
                    break;
                case Cancel:
                    Press(d, IDCANCEL);
                    break;
                case Escape:
                    testing_support::PressEscape(d);
                    break;
            }
        });
        Command(ID_SELECT_VIDEO_DEVICE);
        EXPECT_EQ(view->m_videoDeviceInput, r.input);
        EXPECT_EQ(input, r.input);
        EXPECT_EQ(view->m_deviceReady, r.onAfter);
        // What the user sees: the toggle's caption and whether Record is offered.
        const auto toggle = testing_support::MenuCommandState(mainFrame, ID_VIDEO_ENABLE);
        EXPECT_NE(toggle.where.find(r.onAfter ? "Disable video" : "Enable video"),
                  std::string::npos)
            << toggle.where;
        EXPECT_EQ(testing_support::MenuCommandState(mainFrame, ID_VIDEO_RECORD).enabled, r.onAfter);
    }
    if (view->m_deviceReady) video->InitVideoDevice(false);
    EXPECT_FALSE(view->m_deviceReady) << "Enable twice switches it off";

    // Refused during a recording.
    video->InitVideoDevice(false);
    view->StartRecording();
    ASSERT_TRUE(view->m_recording);
    modals.ExpectMessage(CRecordingVideoView::kStopFirstText, IDOK);
    Command(ID_SELECT_VIDEO_DEVICE);
    view->StopRecording(false);
}

TEST_F(VideoDialogTest, OneCameraOrARefusedNameGivesTheDefault) {
    video->InitVideoDevice(false);
    ASSERT_TRUE(view->m_deviceReady);
    struct Row {
        const char* name;
        std::vector<QString> cards;
        int pick;
        const char* input;
        std::vector<QString> listed;
    } rows[] = {
        {"one camera, OK", {"USB Cam"}, 0, "Device://Default_Video_Device", {"USB Cam"}},
        {"a name the encoder refuses",
         {"Refused Cam", "Other"},
         0,
         "Device://Default_Video_Device",
         {"Refused Cam", "Other"}},
        {"a repeated name", {"Cam", "Cam"}, 1, "Device://Cam (2)", {"Cam", "Cam (2)"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetCaptureCardsForTesting(r.cards, true);
        modals.ExpectDialog(IDD_SELECT_CAMERA_DRIVER, [&](CDialog& d) {
            auto* combo = dynamic_cast<CComboBox*>(d.GetDlgItem(IDC_CAMERA_LIST));
            ASSERT_TRUE(combo);
            std::vector<QString> listed;
            for (int i = 0; i < combo->GetCount(); ++i) {
                CString text;
                combo->GetLBText(i, text);
                listed.push_back(text.ToQString());
            }
            EXPECT_EQ(listed, r.listed);
            combo->SetCurSel(r.pick);
            Press(d, IDOK);
        });
        Command(ID_SELECT_VIDEO_DEVICE);
        EXPECT_EQ(view->m_videoDeviceInput, r.input);
        EXPECT_TRUE(view->m_deviceReady);
    }
    SetCaptureCardsForTesting({}, false);
}

TEST_F(VideoDialogTest, ProfilesByCode) {
    const struct {
        WORD code;
        bool video, audio, preview;
        SHORT period;
    } rows[] = {
        {11, false, true, false, 500}, {12, false, true, false, 500}, {13, false, true, false, 500},
        {21, true, false, true, 100},  {22, true, false, true, 100},  {23, true, false, true, 100},
        {31, true, true, true, 100},   {32, true, true, true, 100},   {33, true, true, true, 100}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.code);
        view->LoadProfile(r.code);
        EXPECT_EQ(view->m_videoPresent, r.video);
        EXPECT_EQ(view->m_audioPresent, r.audio);
        EXPECT_EQ(view->m_previewWanted, r.preview);
        EXPECT_EQ(view->m_markerPeriod, r.period);
        EXPECT_EQ(view->GetQualityCode(), r.code);
    }
    // Other codes keep the sources as they were.
    for (WORD code : {0, 14, 34}) {
        view->LoadProfile(code);
        EXPECT_TRUE(view->m_videoPresent);
        EXPECT_TRUE(view->m_audioPresent);
        EXPECT_EQ(view->GetQualityCode(), code);
    }
}
