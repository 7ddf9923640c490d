#include "platform/win/placement.h"

#include <QEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <vector>

namespace platform {
namespace {

constexpr const char* kPlacementProperty = "varnelPlacement";

}  // namespace

WidgetPlacement::WidgetPlacement(QWidget* widget)
    : QObject(widget), m_widget(widget), m_asked(widget->geometry()) {
    widget->setProperty(kPlacementProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    widget->installEventFilter(this);
}

bool WidgetPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_widget &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        Replace();
    return false;
}

void WidgetPlacement::Place(const QRect& asked) {
    m_asked = asked;
    if (m_placing) return;
    m_placing = true;
    m_widget->setGeometry(Adjust(asked));
    m_placing = false;
}

void WidgetPlacement::SiblingPlaced(const QWidget*) {}

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
        if (WidgetPlacement* p = s ? PlacementOf(s) : nullptr) p->SiblingPlaced(widget);
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

}  // namespace platform
