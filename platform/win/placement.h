#pragma once
// Controls that keep a geometry of their own within the rectangle the program gives them, as the
// Windows controls do: a drop-down combo is one line high whatever its rectangle, and a text grows
// until it fits. Every placement of a child window goes through PlaceWidget.

#include <QObject>
#include <QRect>
#include <vector>

class QGroupBox;
class QWidget;

namespace platform {

class WidgetPlacement : public QObject {
public:
    // Becomes the widget's placement, owned by it; the widget keeps its geometry until placed.
    explicit WidgetPlacement(QWidget* widget);

    QWidget* Widget() const { return m_widget; }
    // The rectangle the program gave last, in the parent's coordinates.
    QRect Asked() const { return m_asked; }
    // What the control takes by its design: the rectangle neighbours are laid out around.
    virtual QRect Designed() const { return m_asked; }
    void Place(const QRect& asked);
    // Places the widget again for the rectangle it was given, after its own state changed.
    void Replace() { Place(m_asked); }
    // A sibling was placed: a control that grew, or could not grow enough, looks again.
    virtual void SiblingPlaced();

protected:
    virtual QRect Adjust(const QRect& asked) = 0;
    // Whether the control's place depends on its neighbours and its parent's size.
    virtual bool Grown() const { return false; }
    // A new font or style changes what fits, and a new parent size what room there is: the
    // widget is placed again.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_widget;
    QRect m_asked;
    bool m_placing = false;
};

WidgetPlacement* PlacementOf(const QWidget* widget);

// Gives a child window its rectangle, through its placement when it has one, and then tells the
// placements of its siblings.
void PlaceWidget(QWidget* widget, const QRect& asked);
// Tells the placements of a widget's siblings that it took a new place.
void TellSiblings(QWidget* widget);

// The rectangle a widget takes by design: its placement's, else its geometry.
QRect DesignedRect(const QWidget* widget);
// The rectangle the program gave a widget last: its placement's, else its geometry.
QRect AskedRect(const QWidget* widget);

// Where the controls a group box holds may lie, in its parent's coordinates: inside its frame and
// below its title.
QRect GroupContents(const QGroupBox* group);

// Set on a window while it asks the window manager again for the state it is in: the states it
// passes through meanwhile are no user's.
inline constexpr char kReassertingState[] = "varnelReassertingState";

// How far each edge of a rectangle may move out.
struct Room {
    int left, right, up, down;
};

// What a control may grow into from its designed rectangle: its parent's client area, within the
// group box around it, clear of the siblings that lie clear of that rectangle. Siblings that
// overlap it by design are left out; one that grew over it counts by its own design.
class Surroundings {
public:
    Surroundings(const QWidget* control, const QRect& designed);
    Room Around(const QRect& r) const;

private:
    QRect m_bounds;
    std::vector<QRect> m_blockers;
};

}  // namespace platform
