#include "platform/media/frame_slot.h"

#include <QCoreApplication>

namespace media {

QEvent::Type FrameSlot::NoticeType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool FrameSlot::IsNotice(const QEvent* e) {
    std::lock_guard lock(m_mutex);
    return e->type() == NoticeType();
}

void FrameSlot::Push(QImage frame) {
    std::lock_guard lock(m_mutex);
    m_latest = std::move(frame);
    if (m_target && !m_pending) {
        m_pending = true;
        ++m_notices;
        // postEvent is safe from any thread; the target cannot go while we hold the lock.
        QCoreApplication::postEvent(m_target, new QEvent(NoticeType()));
    }
}

QImage FrameSlot::Latest() {
    std::lock_guard lock(m_mutex);
    m_pending = false;
    return m_latest;
}

void FrameSlot::Attach(QObject* target) {
    std::lock_guard lock(m_mutex);
    m_target = target;
    m_pending = false;
}

void FrameSlot::Detach() {
    std::lock_guard lock(m_mutex);
    m_target = nullptr;
}

}  // namespace media
