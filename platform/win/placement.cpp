#include "platform/win/placement.h"

#include <QEvent>
#include <QGroupBox>
#include <QPointer>
#include <QStyle>
#include <QStyleOption>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <climits>

namespace platform {
namespace {

constexpr const char* kPlacementProperty = "varnelPlacement";

}  // namespace

WidgetPlacement::WidgetPlacement(QWidget* widget)
    : QObject(widget), m_widget(widget), m_asked(widget->geometry()) {
    widget->setProperty(kPlacementProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    widget->installEventFilter(this);
    if (QWidget* parent = widget->parentWidget()) parent->installEventFilter(this);
}

bool WidgetPlacement::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_widget && (type == QEvent::FontChange || type == QEvent::StyleChange))
        Replace();
    else if (watched == m_widget->parentWidget() && type == QEvent::Resize)
        SiblingPlaced();
    return false;
}

void WidgetPlacement::Place(const QRect& asked) {
    m_asked = asked;
    if (m_placing) return;
    m_placing = true;
    m_widget->setGeometry(Adjust(asked));
    m_placing = false;
}

void WidgetPlacement::SiblingPlaced() {
    if (Grown()) Replace();
}

WidgetPlacement* PlacementOf(const QWidget* widget) {
    if (!widget) return nullptr;
    return dynamic_cast<WidgetPlacement*>(widget->property(kPlacementProperty).value<QObject*>());
}

void PlaceWidget(QWidget* widget, const QRect& asked) {
    if (!widget) return;
    if (WidgetPlacement* own = PlacementOf(widget))
        own->Place(asked);
    else
        widget->setGeometry(asked);
    TellSiblings(widget);
}

void TellSiblings(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    if (!parent || widget->isWindow()) return;
    // A sibling's answer may move others again: walk a snapshot, and skip what went meanwhile.
    std::vector<QPointer<QWidget>> siblings;
    for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && w != widget && !w->isWindow())
            siblings.emplace_back(w);
    const QPointer<QWidget> self(widget);
    for (const QPointer<QWidget>& s : siblings) {
        if (!self) return;
        if (WidgetPlacement* p = s ? PlacementOf(s) : nullptr) p->SiblingPlaced();
    }
}

QRect DesignedRect(const QWidget* widget) {
    if (WidgetPlacement* p = PlacementOf(widget)) return p->Designed();
    return widget ? widget->geometry() : QRect();
}

QRect AskedRect(const QWidget* widget) {
    if (WidgetPlacement* p = PlacementOf(widget)) return p->Asked();
    return widget ? widget->geometry() : QRect();
}

QRect GroupContents(const QGroupBox* group) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.rect = QRect(QPoint(0, 0), group->size());
    const QRect inner = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxContents, group);
    // Below the title and its frame line; beside and beneath, clear of the frame by 2 pixels.
    const int top = std::max(2, inner.top());
    return QRect(QPoint(0, 0), group->size()).adjusted(2, top, -2, -2).translated(group->pos());
}

Surroundings::Surroundings(const QWidget* control, const QRect& designed) {
    constexpr int kFar = INT_MAX / 4;
    const QWidget* parent = control->parentWidget();
    m_bounds = parent ? parent->rect() : QRect(-kFar, -kFar, 2 * kFar, 2 * kFar);
    if (!parent) return;
    for (QObject* o : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(o);
        if (!sibling || sibling == control || sibling->isWindow()) continue;
        const QRect theirs = DesignedRect(sibling);
        if (theirs.isEmpty()) continue;
        if (theirs.intersects(designed)) {
            // Inside a group box, a control keeps off its frame and its title, in the box as it
            // grew for what it holds.
            if (auto* group = qobject_cast<QGroupBox*>(sibling); group && theirs.contains(designed))
                m_bounds &= GroupContents(group);
            continue;
        }
        // A sibling that grew over this rectangle gives way when told of it.
        const QRect now = sibling->geometry();
        m_blockers.push_back(now.intersects(designed) ? theirs : now);
    }
}

Room Surroundings::Around(const QRect& r) const {
    const int right = r.x() + r.width(), bottom = r.y() + r.height();
    Room room{
        std::max(0, r.x() - m_bounds.x()), std::max(0, m_bounds.x() + m_bounds.width() - right),
        std::max(0, r.y() - m_bounds.y()), std::max(0, m_bounds.y() + m_bounds.height() - bottom)};
    for (const QRect& b : m_blockers) {
        const int bRight = b.x() + b.width(), bBottom = b.y() + b.height();
        const bool acrossRows = b.y() < bottom && bBottom > r.y();
        const bool acrossColumns = b.x() < right && bRight > r.x();
        if (acrossRows && b.x() >= right) room.right = std::min(room.right, b.x() - right);
        if (acrossRows && bRight <= r.x()) room.left = std::min(room.left, r.x() - bRight);
        if (acrossColumns && b.y() >= bottom) room.down = std::min(room.down, b.y() - bottom);
        if (acrossColumns && bBottom <= r.y()) room.up = std::min(room.up, r.y() - bBottom);
    }
    return room;
}

}  // namespace platform
