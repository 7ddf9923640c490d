// The encoder on GStreamer. The archive is made by rebuilding the pipeline: Start runs the
// sources into the preview only; Archive(start) replaces it by one that also encodes into the
// file, and Archive(stop) ends that file (end of stream awaited at the sink), writes the script
// commands into its header and goes back to the preview-only pipeline.

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "platform/base/log.h"
#include "platform/media/capture_devices.h"
#include "platform/media/encoder.h"
#include "platform/media/frame_slot.h"
#include "platform/mediafile/asf_script.h"
#include "platform/mediafile/media_profile.h"

namespace media {

const GUID CLSID_WMEncoder{
    0x632B606A, 0xBBC6, 0x11D2, {0xA3, 0x29, 0x00, 0x60, 0x97, 0xC4, 0xE4, 0x76}};
const GUID IID_IWMEncoder{
    0x632B607F, 0xBBC6, 0x11D2, {0xA3, 0x29, 0x00, 0x60, 0x97, 0xC4, 0xE4, 0x76}};
const GUID CLSID_WMEncPreview{
    0xC3043B13, 0xE649, 0x436A, {0x9C, 0xE7, 0x8D, 0xA8, 0xCB, 0x0B, 0xF7, 0xC8}};
const GUID IID_IWMEncDataView{
    0xBB406AA0, 0x2B2B, 0x11D3, {0xB3, 0x6B, 0x00, 0xC0, 0x4F, 0x61, 0x08, 0xFF}};

const std::vector<MediaElement>& RequiredMediaElements() {
    static const std::vector<MediaElement> elements = {
        {"queue", "libgstreamer1.0-0"},
        {"tee", "libgstreamer1.0-0"},
        {"fakesink", "libgstreamer1.0-0"},
        {"filesink", "libgstreamer1.0-0"},
        {"videoconvert", "gstreamer1.0-plugins-base"},
        {"videoscale", "gstreamer1.0-plugins-base"},
        {"videorate", "gstreamer1.0-plugins-base"},
        {"audioconvert", "gstreamer1.0-plugins-base"},
        {"audioresample", "gstreamer1.0-plugins-base"},
        {"appsink", "gstreamer1.0-plugins-base"},
        {"videotestsrc", "gstreamer1.0-plugins-base"},
        {"audiotestsrc", "gstreamer1.0-plugins-base"},
        {"v4l2src", "gstreamer1.0-plugins-good"},
        {"asfmux", "gstreamer1.0-plugins-bad"},
        {"asfdemux", "gstreamer1.0-plugins-ugly"},
        {"avenc_wmv2", "gstreamer1.0-libav"},
        {"avenc_wmav2", "gstreamer1.0-libav"},
        {"pulsesrc", "gstreamer1.0-pulseaudio"},
        {"alsasrc", "gstreamer1.0-alsa"},
    };
    return elements;
}

namespace {

// Every call of the encoder and its views comes from the GUI thread; the pipeline's threads only
// fill the frame slot.
void AssertGuiThread() {
    Q_ASSERT(!QCoreApplication::instance() ||
             QThread::currentThread() == QCoreApplication::instance()->thread());
}

bool InitGst() {
    static const bool ok = [] {
        GError* error = nullptr;
        if (gst_init_check(nullptr, nullptr, &error)) return true;
        qCWarning(lcMedia, "GStreamer does not start: %s", error ? error->message : "?");
        g_clear_error(&error);
        return false;
    }();
    return ok;
}

// The encoders' plugin takes a good part of a second to load the first time: loaded when the
// device comes on, it does not hold up the start of the first recording.
void LoadEncoderPlugins() {
    static const bool loaded = [] {
        for (const char* name : {"avenc_wmv2", "avenc_wmav2", "asfmux"}) {
            GstElementFactory* factory = gst_element_factory_find(name);
            if (!factory) continue;
            if (GstPluginFeature* feature = gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory)))
                gst_object_unref(feature);
            gst_object_unref(factory);
        }
        return true;
    }();
    (void)loaded;
}

bool HasElement(const char* name) {
    GstElementFactory* f = gst_element_factory_find(name);
    if (!f) return false;
    gst_object_unref(f);
    return true;
}

// The preview: the latest frame, aspect kept, on black, filling the window it was given.
class PreviewWidget : public QWidget {
public:
    PreviewWidget(QWidget* parent, std::shared_ptr<FrameSlot> slot)
        : QWidget(parent), m_slot(std::move(slot)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        parent->installEventFilter(this);
        setGeometry(parent->rect());
        m_slot->Attach(this);
    }
    ~PreviewWidget() override { m_slot->Detach(); }

protected:
    bool event(QEvent* e) override {
        if (m_slot->IsNotice(e)) {
            AssertGuiThread();
            m_frame = m_slot->Latest();
            update();
            return true;
        }
        return QWidget::event(e);
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == parentWidget() && e->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (m_frame.isNull()) return;
        QSize s = m_frame.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
        p.drawImage(target, m_frame);
    }

private:
    std::shared_ptr<FrameSlot> m_slot;
    QImage m_frame;
};

GstFlowReturn OnSample(GstAppSink* sink, gpointer data) {
    auto* slot = static_cast<std::shared_ptr<FrameSlot>*>(data);
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample) return GST_FLOW_OK;
    GstCaps* caps = gst_sample_get_caps(sample);
    GstStructure* s = caps ? gst_caps_get_structure(caps, 0) : nullptr;
    int w = 0, h = 0;
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (s && gst_structure_get_int(s, "width", &w) && gst_structure_get_int(s, "height", &h) &&
        buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const int stride = int(map.size) / std::max(h, 1);
        if (w > 0 && h > 0 && stride >= 4 * w)
            (*slot)->Push(QImage(map.data, w, h, stride, QImage::Format_RGB32).copy());
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

void FreeSlotRef(gpointer data) {
    delete static_cast<std::shared_ptr<FrameSlot>*>(data);
}

// The mux takes buffer times as they come, but the video encoder starts its stream 1000 hours
// into its segment (room for negative decode times); beside a sound stream starting at zero, every
// picture then lies past the file's end and players drop the video. So each stream reaches the
// mux in running time, under a segment from zero.
GstPadProbeReturn ToRunningTime(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* segment = static_cast<GstSegment*>(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
        if (GST_BUFFER_PTS_IS_VALID(buffer))
            GST_BUFFER_PTS(buffer) =
                gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
        if (GST_BUFFER_DTS_IS_VALID(buffer))
            GST_BUFFER_DTS(buffer) =
                gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_DTS(buffer));
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
    } else if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
               GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* incoming = nullptr;
        gst_event_parse_segment(event, &incoming);
        if (incoming->format == GST_FORMAT_TIME) {
            gst_segment_copy_into(incoming, segment);
            GstSegment fromZero;
            gst_segment_init(&fromZero, GST_FORMAT_TIME);
            gst_event_unref(event);
            GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_segment(&fromZero);
        }
    }
    return GST_PAD_PROBE_OK;
}

void FreeSegment(gpointer data) {
    gst_segment_free(static_cast<GstSegment*>(data));
}

void MuxInRunningTime(GstElement* mux) {
    GstIterator* it = gst_element_iterate_sink_pads(mux);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* pad = static_cast<GstPad*>(g_value_get_object(&item));
        GstSegment* segment = gst_segment_new();
        gst_segment_init(segment, GST_FORMAT_TIME);
        gst_pad_add_probe(
            pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
            &ToRunningTime, segment, &FreeSegment);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

class GstEncoder : public IMediaEncoder {
public:
    GstEncoder() : m_slot(std::make_shared<FrameSlot>()) {}
    ~GstEncoder() override {
        Stop();
        for (auto& [cookie, view] : m_views)
            delete view.widget.data();
    }

    HRESULT AddSourceGroup(const CString&) override {
        if (m_group) return E_INVALIDARG;
        m_group = true;
        return S_OK;
    }
    HRESULT RemoveSourceGroup(int index) override {
        if (!m_group || index != 0) return E_INVALIDARG;
        m_group = false;
        m_sources.clear();
        return S_OK;
    }
    HRESULT AddSource(int type) override {
        if (!m_group || (type != kSourceAudio && type != kSourceVideo && type != kSourceScript) ||
            m_sources.count(type) || m_pipeline)
            return E_INVALIDARG;
        m_sources.insert(type);
        return S_OK;
    }
    HRESULT RemoveSource(int type, int index) override {
        if (index != 0 || !m_sources.count(type) || m_pipeline) return E_INVALIDARG;
        m_sources.erase(type);
        m_inputs.erase(type);
        return S_OK;
    }
    HRESULT SetSourceInput(int type, const CString& input) override {
        const QString in = input.ToQString();
        // A removed source still checks the name: a listed one is taken when the source comes back.
        if (!m_sources.count(type))
            return type == kSourceVideo && FindCamera(in) ? S_OK : E_INVALIDARG;
        if (type == kSourceVideo) {
            if (in != "Device://Default_Video_Device" && !FindCamera(in)) return E_INVALIDARG;
        } else if (type == kSourceAudio) {
            if (in != "Device://Default_Audio_Device") return E_INVALIDARG;
        } else if (in != "UserScript://") {
            return E_INVALIDARG;
        }
        m_inputs[type] = in;
        return S_OK;
    }
    HRESULT SetProfile(const CString& path) override {
        m_profilePath = path.ToQString();
        return S_OK;
    }
    HRESULT SetOption(int, bool) override { return S_OK; }

    HRESULT Start() override {
        AssertGuiThread();
        if (m_pipeline) return S_OK;
        if (!InitGst()) return NS_E_DEVICE_NOT_READY;
        QString error;
        if (!ReadMediaProfile(m_profilePath, m_profile, &error)) {
            qCWarning(lcMedia, "profile %s: %s", qPrintable(m_profilePath), qPrintable(error));
            return NS_E_DEVICE_NOT_READY;
        }
        if (!BuildAndPlay(false)) return NS_E_DEVICE_NOT_READY;
        LoadEncoderPlugins();
        return S_OK;
    }
    HRESULT Stop() override {
        AssertGuiThread();
        if (!m_pipeline) return S_OK;
        Archive(kArchiveLocal, kArchiveStop);
        // The views stay: a restarted encoder feeds them again, as the program expects.
        TearDown();
        return S_OK;
    }
    HRESULT SetLocalFileName(const CString& path) override {
        m_fileName = path.ToQString();
        return S_OK;
    }
    HRESULT Archive(int type, int operation) override {
        AssertGuiThread();
        if (type != kArchiveLocal) return E_INVALIDARG;
        if (operation == kArchiveStart) {
            if (!m_pipeline) return NS_E_DEVICE_NOT_READY;
            if (m_archiving) return S_OK;
            if (m_fileName.isEmpty()) return E_INVALIDARG;
            TearDown();
            m_commands.clear();
            m_archiveError.clear();
            if (!BuildAndPlay(true)) {
                BuildAndPlay(false);
                return E_FAIL;
            }
            m_archiving = true;
            return S_OK;
        }
        if (operation != kArchiveStop) return E_INVALIDARG;
        if (!m_archiving) return S_OK;
        m_archiving = false;
        EndFile();
        TearDown();
        // The muxer's last packet counts only its content in its length, which some players
        // refuse: every packet is made whole before anything else reads the file.
        QString packetError;
        if (!CompleteAsfDataPackets(m_fileName, nullptr, &packetError)) {
            qCWarning(lcMedia, "%s: %s", qPrintable(m_fileName), qPrintable(packetError));
            if (m_archiveError.isEmpty()) m_archiveError = m_fileName + ": " + packetError;
        }
        if (!m_commands.empty()) {
            QString error;
            if (!WriteAsfScriptCommands(m_fileName, m_commands, &error))
                qCWarning(lcMedia, "markers not written to %s: %s", qPrintable(m_fileName),
                          qPrintable(error));
        }
        m_commands.clear();
        if (!BuildAndPlay(false)) {
            qCWarning(lcMedia, "the sources did not start again after the recording");
            HideViews();
        }
        return m_archiveError.isEmpty() ? S_OK : E_FAIL;
    }
    CString GetArchiveError() const override { return CString(m_archiveError); }
    HRESULT SendScript(int stream, const CString& type, const CString& data) override {
        AssertGuiThread();
        if (stream != 0 || !m_archiving || !m_sources.count(kSourceScript)) return E_UNEXPECTED;
        m_commands.push_back({uint32_t(RunningTimeMs()), type.ToQString(), data.ToQString()});
        return S_OK;
    }

    HRESULT AddPreview(LONG* cookie) override {
        if (!m_sources.count(kSourceVideo)) return E_INVALIDARG;
        *cookie = m_nextCookie++;
        m_views[*cookie] = {};
        return S_OK;
    }
    HRESULT RemoveAllPreviews() override {
        for (auto& [cookie, view] : m_views)
            delete view.widget.data();
        m_views.clear();
        return S_OK;
    }
    HRESULT SetViewProperties(LONG cookie, QWidget* window) override {
        AssertGuiThread();
        auto it = m_views.find(cookie);
        if (it == m_views.end()) return E_INVALIDARG;
        if (it->second.window != window) delete it->second.widget.data();
        it->second.window = window;
        return S_OK;
    }
    LONG StartView(LONG cookie) override {
        AssertGuiThread();
        auto it = m_views.find(cookie);
        if (it == m_views.end() || !it->second.window || !m_pipeline || !m_videoRunning) return 0;
        // One window shows the frames at a time.
        for (auto& [other, view] : m_views)
            if (other != cookie) delete view.widget.data();
        if (!it->second.widget) it->second.widget = new PreviewWidget(it->second.window, m_slot);
        it->second.widget->show();
        return 1;
    }
    HRESULT StopView(LONG cookie) override {
        AssertGuiThread();
        auto it = m_views.find(cookie);
        if (it == m_views.end()) return E_INVALIDARG;
        delete it->second.widget.data();
        return S_OK;
    }
    QWidget* GetViewWindow(LONG cookie) const override {
        auto it = m_views.find(cookie);
        return it == m_views.end() ? nullptr : it->second.window.data();
    }

private:
    struct View {
        QPointer<QWidget> window;
        QPointer<PreviewWidget> widget;
    };

    static std::optional<CaptureDevice> FindCamera(const QString& input) {
        const auto devices = ListVideoDevices();
        if (input == "Device://Default_Video_Device") {
            if (devices.empty()) return std::nullopt;
            return devices.front();
        }
        for (const auto& d : devices)
            if ("Device://" + d.friendlyName == input) return d;
        return std::nullopt;
    }

    void HideViews() {
        for (auto& [cookie, view] : m_views)
            delete view.widget.data();
    }

    QString Description(bool archive, const QString& audioSource, bool& video, bool& audio) const {
        video = m_profile.hasVideo && m_sources.count(kSourceVideo);
        audio = m_profile.hasAudio && m_sources.count(kSourceAudio);
        QStringList parts;
        if (video) {
            const auto camera =
                FindCamera(m_inputs.count(kSourceVideo) ? m_inputs.at(kSourceVideo)
                                                        : "Device://Default_Video_Device");
            if (!camera) return {};
            const QString src =
                camera->node.isEmpty()
                    ? QString("videotestsrc is-live=true pattern=%1").arg(camera->testPattern)
                    : QString("v4l2src device=%1").arg(camera->node);
            parts << QString(
                         "%1 ! videoconvert ! videoscale ! videorate ! "
                         "video/x-raw,format=I420,width=%2,height=%3,framerate=%4/"
                         "1,pixel-aspect-ratio=1/1 ! "
                         "tee name=vt vt. ! queue leaky=downstream max-size-buffers=2 ! "
                         "videoconvert ! "
                         "video/x-raw,format=BGRx ! appsink name=preview max-buffers=1 drop=true "
                         "sync=false")
                         .arg(src)
                         .arg(m_profile.width)
                         .arg(m_profile.height)
                         .arg(m_profile.frameRate);
            if (archive)
                parts << QString("vt. ! queue ! avenc_wmv2 bitrate=%1 ! queue ! mux.")
                             .arg(m_profile.videoBitRate);
        }
        if (audio) {
            QString chain =
                QString("%1 ! audioconvert ! audioresample ! audio/x-raw,rate=%2,channels=%3 ! ")
                    .arg(audioSource)
                    .arg(m_profile.audioSampleRate)
                    .arg(m_profile.audioChannels);
            chain += archive ? QString("queue ! avenc_wmav2 bitrate=%1 ! queue ! mux.")
                                   .arg(m_profile.audioBitRate)
                             : QString("fakesink sync=false");
            parts << chain;
        }
        if (archive) parts << "asfmux name=mux preroll=0 ! filesink name=file";
        return parts.join(' ');
    }

    bool BuildAndPlay(bool archive) {
        QStringList audioSources;
        if (UseTestSources())
            audioSources << "audiotestsrc is-live=true freq=440";
        else
            audioSources << "pulsesrc"
                         << "alsasrc";
        for (const QString& audioSource : audioSources) {
            bool video = false, audio = false;
            const QString description = Description(archive, audioSource, video, audio);
            if (description.isEmpty() || (!video && !audio)) {
                qCWarning(lcMedia,
                          "no source to start (camera missing or profile without sources)");
                return false;
            }
            if (TryPlay(description, archive)) {
                m_videoRunning = video;
                return true;
            }
            if (!audio) break;
        }
        return false;
    }

    bool TryPlay(const QString& description, bool archive) {
        GError* error = nullptr;
        GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
        if (error) {
            qCWarning(lcMedia, "pipeline not made: %s", error->message);
            g_clear_error(&error);
            if (pipeline) gst_object_unref(pipeline);
            return false;
        }
        if (archive) {
            GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "file");
            g_object_set(sink, "location", m_fileName.toLocal8Bit().constData(), nullptr);
            gst_object_unref(sink);
            GstElement* mux = gst_bin_get_by_name(GST_BIN(pipeline), "mux");
            MuxInRunningTime(mux);
            gst_object_unref(mux);
        }
        if (GstElement* preview = gst_bin_get_by_name(GST_BIN(pipeline), "preview")) {
            GstAppSinkCallbacks callbacks{};
            callbacks.new_sample = &OnSample;
            gst_app_sink_set_callbacks(GST_APP_SINK(preview), &callbacks,
                                       new std::shared_ptr<FrameSlot>(m_slot), &FreeSlotRef);
            gst_object_unref(preview);
        }
        m_pipeline = pipeline;
        m_writing = archive;
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        if (!AwaitOnBus(GST_MESSAGE_STATE_CHANGED)) {
            TearDown();
            return false;
        }
        return true;
    }

    // Reads the bus on this (the GUI) thread until the pipeline is playing, or end of stream
    // reached the sink, for 3 s at most. False on an error or the time running out.
    bool AwaitOnBus(GstMessageType wanted) {
        GstBus* bus = gst_element_get_bus(m_pipeline);
        QElapsedTimer timer;
        timer.start();
        bool result = false;
        for (;;) {
            const qint64 left = 3000 - timer.elapsed();
            if (left <= 0) {
                qCWarning(lcMedia, "the pipeline did not answer within 3 s");
                break;
            }
            GstMessage* m = gst_bus_timed_pop_filtered(
                bus, GstClockTime(left) * GST_MSECOND,
                GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS | GST_MESSAGE_STATE_CHANGED));
            if (!m) continue;
            bool done = false;
            if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR) {
                GError* error = nullptr;
                gchar* debug = nullptr;
                gst_message_parse_error(m, &error, &debug);
                // The debug text carries the system's reason where the element gives one.
                qCWarning(lcMedia, "pipeline error on %s: %s (%s)", qPrintable(m_fileName),
                          error ? error->message : "?", debug ? debug : "");
                if (m_writing && m_archiveError.isEmpty())
                    m_archiveError = m_fileName + ": " + SystemWords(error, debug);
                g_clear_error(&error);
                g_free(debug);
                done = true;
            } else if (GST_MESSAGE_TYPE(m) == wanted) {
                if (wanted == GST_MESSAGE_EOS) {
                    result = done = true;
                } else if (GST_MESSAGE_SRC(m) == GST_OBJECT(m_pipeline)) {
                    GstState now;
                    gst_message_parse_state_changed(m, nullptr, &now, nullptr);
                    if (now == GST_STATE_PLAYING) result = done = true;
                }
            }
            gst_message_unref(m);
            if (done) break;
        }
        gst_object_unref(bus);
        return result;
    }

    // The system's words sit on the debug text's last line ("system error: Permission denied");
    // a full disk gives only its code, and the message alone names only the file.
    static QString SystemWords(const GError* error, const gchar* debug) {
        if (error && error->domain == GST_RESOURCE_ERROR &&
            error->code == GST_RESOURCE_ERROR_NO_SPACE_LEFT)
            return QString::fromUtf8(std::strerror(ENOSPC));
        const QString text = QString::fromUtf8(debug ? debug : "");
        QString words = text.contains('\n') ? text.section('\n', -1).trimmed() : QString();
        const QString lead = "system error: ";
        if (words.startsWith(lead)) words = words.mid(lead.size());
        if (words.isEmpty() && error) words = QString::fromUtf8(error->message);
        return words.isEmpty() ? QString("unknown error") : words;
    }

    void EndFile() {
        if (!m_pipeline) return;
        gst_element_send_event(m_pipeline, gst_event_new_eos());
        if (!AwaitOnBus(GST_MESSAGE_EOS))
            qCWarning(lcMedia, "%s may be incomplete", qPrintable(m_fileName));
    }

    void TearDown() {
        if (!m_pipeline) return;
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
        m_pipeline = nullptr;
        m_videoRunning = false;
    }

    qint64 RunningTimeMs() const {
        GstClock* clock = gst_element_get_clock(m_pipeline);
        if (!clock) return 0;
        const GstClockTime now = gst_clock_get_time(clock);
        gst_object_unref(clock);
        const GstClockTime base = gst_element_get_base_time(m_pipeline);
        return now > base ? qint64((now - base) / GST_MSECOND) : 0;
    }

    bool m_group = false;
    std::set<int> m_sources;
    std::map<int, QString> m_inputs;
    QString m_profilePath, m_fileName;
    MediaProfile m_profile;
    GstElement* m_pipeline = nullptr;
    bool m_videoRunning = false;
    bool m_archiving = false;
    // The pipeline running writes the file; the first failure it reports, with its file.
    bool m_writing = false;
    QString m_archiveError;
    std::vector<AsfScriptCommand> m_commands;
    std::shared_ptr<FrameSlot> m_slot;
    std::map<LONG, View> m_views;
    LONG m_nextCookie = 1;
};

EncoderFactory& Factory() {
    static EncoderFactory factory;
    return factory;
}

}  // namespace

std::vector<MediaElement> MissingMediaElements() {
    std::vector<MediaElement> missing;
    if (!InitGst()) return RequiredMediaElements();
    for (const auto& e : RequiredMediaElements())
        if (!HasElement(e.element)) missing.push_back(e);
    return missing;
}

std::unique_ptr<IMediaEncoder> CreateEncoder(const GUID& clsid, const GUID& iid, HRESULT* result) {
    std::unique_ptr<IMediaEncoder> made;
    if (Factory()) made = Factory()(clsid);
    // The preview lives inside the encoder here: previews are added through AddPreview.
    else if (clsid == CLSID_WMEncoder && iid == IID_IWMEncoder)
        made = std::make_unique<GstEncoder>();
    if (result) *result = made ? S_OK : REGDB_E_CLASSNOTREG;
    return made;
}

void SetEncoderFactory(EncoderFactory factory) {
    Factory() = std::move(factory);
}

}  // namespace media
