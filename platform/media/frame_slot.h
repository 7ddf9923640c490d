#pragma once
// The hand-over of preview frames from a pipeline thread to the GUI thread: one locked slot
// holding the latest frame, and at most one notice queued to the target at a time. A frame that
// arrives before the target has drawn the previous one replaces it; notices never pile up.
// Push may be called from any thread; everything else from the GUI thread. Once Detach returns,
// no notice is posted to the old target.

#include <QEvent>
#include <QImage>
#include <atomic>
#include <mutex>

class QObject;

namespace media {

class FrameSlot {
public:
    static QEvent::Type NoticeType();
    // Whether `e` is this slot's notice. The notice is made on the producer's thread and handed
    // over inside Qt, whose locks thread checkers cannot see: reading it under the slot's lock
    // makes the hand-over visible to them.
    bool IsNotice(const QEvent* e);

    void Push(QImage frame);
    // Takes the latest frame and clears the notice, so that the next Push posts again.
    QImage Latest();
    void Attach(QObject* target);
    void Detach();
    int Notices() const { return m_notices.load(); }

private:
    std::mutex m_mutex;
    QImage m_latest;
    QObject* m_target = nullptr;
    bool m_pending = false;
    std::atomic<int> m_notices{0};
};

}  // namespace media
