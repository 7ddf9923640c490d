#pragma once
// Controls that keep a geometry of their own within the rectangle the program gives them, as the
// Windows controls do: a drop-down combo is one line high whatever its rectangle, and a text grows
// until it fits. Every placement of a child window goes through PlaceWidget.

#include <QObject>
#include <QRect>

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
    // A sibling was placed: a placement that depends on its neighbours looks again.
    virtual void SiblingPlaced(const QWidget* sibling);

protected:
    virtual QRect Adjust(const QRect& asked) = 0;
    // A new font or style changes what fits: the widget is placed again.
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

// The rectangle a widget takes by design: its placement's, else its geometry.
QRect DesignedRect(const QWidget* widget);
// The rectangle the program gave a widget last: its placement's, else its geometry.
QRect AskedRect(const QWidget* widget);

}  // namespace platform
