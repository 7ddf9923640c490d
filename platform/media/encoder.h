#pragma once
// The media encoder the recording view drives: one source group with up to three sources
// (video 2, audio 1, script 4), a profile, a local-file archive and a preview. Results are
// HRESULT-like: a failed call returns its code and the caller goes on.
//
// Objects are made through a factory keyed by class id, so tests put a recording fake in the
// place of the GStreamer encoder.
//
// Threads: the encoder's pipeline threads never call program code. Preview frames go into one
// locked latest-frame slot; at most one repaint notice is queued to the GUI thread (a newer frame
// replaces the older one, notices are never queued up). The bus is read on the GUI thread. Every
// call here is made on the GUI thread.

#include <functional>
#include <memory>

#include "platform/activex/dispatch.h"
#include "platform/base/cstring.h"
#include "platform/base/guid.h"

class QWidget;

constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT NS_E_DEVICE_NOT_READY = static_cast<HRESULT>(0xC00D0006u);  // "device not ready"
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);

namespace media {

// Class ids of the objects the program creates.
extern const GUID CLSID_WMEncoder;
extern const GUID IID_IWMEncoder;
extern const GUID CLSID_WMEncPreview;
extern const GUID IID_IWMEncDataView;

enum SourceType { kSourceAudio = 1, kSourceVideo = 2, kSourceScript = 4 };
enum ArchiveOperation { kArchiveStart = 1, kArchiveStop = 2 };
constexpr int kArchiveLocal = 1;

class IMediaEncoder {
public:
    virtual ~IMediaEncoder() = default;
    virtual HRESULT AddSourceGroup(const CString& name) = 0;
    virtual HRESULT RemoveSourceGroup(int index) = 0;
    virtual HRESULT AddSource(int type) = 0;
    virtual HRESULT RemoveSource(int type, int index) = 0;
    // Inputs: "Device://<friendly name>", "Device://Default_Video_Device",
    // "Device://Default_Audio_Device", "UserScript://". A device not listed is refused.
    virtual HRESULT SetSourceInput(int type, const CString& input) = 0;
    virtual HRESULT SetProfile(const CString& path) = 0;
    virtual HRESULT SetOption(int option, bool value) = 0;
    // Sources and preview running, nothing written; NS_E_DEVICE_NOT_READY when a source, an
    // element or the profile is missing.
    virtual HRESULT Start() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT SetLocalFileName(const CString& path) = 0;
    // Start: writes to the local file from the next frame. Stop: returns with the file whole and
    // its script commands in its header; a second stop does nothing.
    // A stop returns E_FAIL when the file was not written whole.
    virtual HRESULT Archive(int type, int operation) = 0;
    // Why the last archive failed: its file and the system's words; empty when it did not.
    virtual CString GetArchiveError() const { return CString(); }
    virtual HRESULT SendScript(int stream, const CString& type, const CString& data) = 0;

    // The preview of the video source.
    virtual HRESULT AddPreview(LONG* cookie) = 0;
    virtual HRESULT RemoveAllPreviews() = 0;
    virtual HRESULT SetViewProperties(LONG cookie, QWidget* window) = 0;
    // 1 while a video source runs and shows in the window given, else 0.
    virtual LONG StartView(LONG cookie) = 0;
    virtual HRESULT StopView(LONG cookie) = 0;
    virtual QWidget* GetViewWindow(LONG cookie) const = 0;
};

using EncoderFactory = std::function<std::unique_ptr<IMediaEncoder>(const GUID& clsid)>;
// Null when the class is not known (REGDB_E_CLASSNOTREG in `result`).
std::unique_ptr<IMediaEncoder> CreateEncoder(const GUID& clsid, const GUID& iid,
                                             HRESULT* result = nullptr);
// Tests install their own; an empty factory restores the GStreamer encoder.
void SetEncoderFactory(EncoderFactory factory);

// The GStreamer elements the encoder uses, each with the Debian package that holds it; the names
// of those missing.
struct MediaElement {
    const char* element;
    const char* package;
};
const std::vector<MediaElement>& RequiredMediaElements();
std::vector<MediaElement> MissingMediaElements();

}  // namespace media
