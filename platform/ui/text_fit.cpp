#include "platform/ui/text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <climits>
#include <functional>

#include "platform/win/placement.h"

namespace platform {
namespace {

constexpr int kUnbounded = INT_MAX / 4;

// A button's text as it reads, without the mnemonic marks.
QString WithoutMnemonics(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

QString EscapeMnemonics(QString s) {
    return s.replace('&', "&&");
}

// Room around a rectangle: how far each edge may move out before it meets something.
struct Room {
    int left, right, up, down;
};

class TextFit : public WidgetPlacement {
public:
    explicit TextFit(QWidget* widget) : WidgetPlacement(widget) {
        if (QWidget* parent = widget->parentWidget()) parent->installEventFilter(this);
    }

    void SetText(const QString& text) {
        m_text = text;
        Replace();
    }

    void SiblingPlaced(const QWidget*) override { Refit(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == Widget()->parentWidget() && event->type() == QEvent::Resize) Refit();
        return WidgetPlacement::eventFilter(watched, event);
    }

    QRect Adjust(const QRect& asked) override {
        // An empty rectangle is the program's way to give a text no room at all.
        if (asked.isEmpty() || Fits(m_text, asked.size())) {
            Show(m_text, false);
            return asked;
        }
        QRect bounds;
        std::vector<QRect> blockers;
        Surroundings(asked, bounds, blockers);
        const bool growable = !qobject_cast<QGroupBox*>(Widget());
        QRect r = asked;
        if (growable) {
            const Room room = RoomAround(r, bounds, blockers);
            const int maxWidth = room.left * Horizontal().first + room.right * Horizontal().second;
            if (!GrowWidth(r, room, maxWidth, m_text)) {
                r = Widen(r, room, maxWidth);
                const Room below = RoomAround(r, bounds, blockers);
                const int maxHeight = below.up * Vertical().first + below.down * Vertical().second;
                if (GrowHeight(r, below, maxHeight, m_text)) {
                    // Taller, it may need less of the width it took.
                    QRect narrow(QPoint(asked.left(), r.top()), QSize(asked.width(), r.height()));
                    const Room side = RoomAround(narrow, bounds, blockers);
                    if (GrowWidth(narrow, side, r.width() - asked.width(), m_text)) r = narrow;
                } else {
                    r = Grow(r, below, maxHeight, false);
                }
            }
        }
        if (Fits(m_text, r.size())) {
            Show(m_text, false);
        } else {
            Show(Shortened(r.size()), true);
        }
        return r;
    }

private:
    // Only a control that had to grow or shorten its text depends on its neighbours.
    void Refit() {
        if (m_elided || Widget()->geometry() != Asked()) Replace();
    }

    // Which ways the control grows: (left, right) and (up, down), 1 for a way it may take.
    std::pair<int, int> Horizontal() const {
        Qt::Alignment align = Qt::AlignLeft;
        if (auto* label = qobject_cast<QLabel*>(Widget())) {
            align = label->alignment();
        } else if (qobject_cast<QPushButton*>(Widget())) {
            align = Qt::AlignHCenter;
        } else if (Widget()->layoutDirection() == Qt::RightToLeft) {
            align = Qt::AlignRight;
        }
        if (align & Qt::AlignHCenter) return {1, 1};
        if (align & Qt::AlignRight) return {1, 0};
        return {0, 1};
    }
    std::pair<int, int> Vertical() const {
        if (auto* label = qobject_cast<QLabel*>(Widget());
            label && label->wordWrap() && (label->alignment() & Qt::AlignTop))
            return {0, 1};
        return {1, 1};
    }

    // Grows `r` by `extra` pixels across, split between the ways it may take.
    QRect Widen(const QRect& r, const Room& room, int extra) const {
        const auto [l, rt] = Horizontal();
        int left = 0;
        if (l && rt) {
            left = std::min(extra / 2, room.left);
            if (extra - left > room.right) left = extra - room.right;
        } else if (l) {
            left = extra;
        }
        return r.adjusted(-left, 0, extra - left, 0);
    }
    QRect Grow(const QRect& r, const Room& room, int extra, bool across) const {
        if (across) return Widen(r, room, extra);
        const auto [u, d] = Vertical();
        int up = 0;
        if (u && d) {
            up = std::min(extra / 2, room.up);
            if (extra - up > room.down) up = extra - room.down;
        } else if (u) {
            up = extra;
        }
        return r.adjusted(0, -up, 0, extra - up);
    }
    // The least growth up to `most` pixels that makes the text fit; false when none does.
    bool Search(QRect& r, const Room& room, int most, bool across, const QString& text) const {
        const auto [before, after] = across ? Horizontal() : Vertical();
        most = std::min(most, across ? room.left * before + room.right * after
                                     : room.up * before + room.down * after);
        auto fitsWith = [&](int extra) { return Fits(text, Grow(r, room, extra, across).size()); };
        if (most <= 0 || !fitsWith(most)) return false;
        int lo = 0, hi = most;  // fitsWith(hi) holds, fitsWith(lo) does not
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            (fitsWith(mid) ? hi : lo) = mid;
        }
        r = Grow(r, room, hi, across);
        return true;
    }
    bool GrowWidth(QRect& r, const Room& room, int most, const QString& text) const {
        return Search(r, room, most, true, text);
    }
    bool GrowHeight(QRect& r, const Room& room, int most, const QString& text) const {
        return Search(r, room, most, false, text);
    }

    // The dialog's client area and the group box the control lies in bound it; the siblings that
    // lie clear of its rectangle block it. Those that overlap it by design are left out.
    void Surroundings(const QRect& asked, QRect& bounds, std::vector<QRect>& blockers) const {
        QWidget* parent = Widget()->parentWidget();
        bounds = parent ? parent->rect()
                        : QRect(-kUnbounded, -kUnbounded, 2 * kUnbounded, 2 * kUnbounded);
        if (!parent) return;
        for (QObject* o : parent->children()) {
            auto* sibling = qobject_cast<QWidget*>(o);
            if (!sibling || sibling == Widget() || sibling->isWindow()) continue;
            const QRect designed = DesignedRect(sibling);
            if (designed.isEmpty()) continue;
            if (designed.intersects(asked)) {
                if (qobject_cast<QGroupBox*>(sibling) && designed.contains(asked))
                    bounds &= designed.adjusted(2, 2, -2, -2);
                continue;
            }
            // A sibling that grew over this rectangle gives way when told of it.
            const QRect now = sibling->geometry();
            blockers.push_back(now.intersects(asked) ? designed : now);
        }
    }
    static Room RoomAround(const QRect& r, const QRect& bounds,
                           const std::vector<QRect>& blockers) {
        const int right = r.x() + r.width(), bottom = r.y() + r.height();
        Room room{std::max(0, r.x() - bounds.x()), std::max(0, bounds.x() + bounds.width() - right),
                  std::max(0, r.y() - bounds.y()),
                  std::max(0, bounds.y() + bounds.height() - bottom)};
        for (const QRect& b : blockers) {
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

    bool Fits(const QString& text, const QSize& size) const {
        QWidget* w = Widget();
        const QFontMetrics metrics = w->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            int chromeW = 2 * (label->frameWidth() + label->margin());
            const int chromeH = chromeW;
            if (label->indent() > 0)
                chromeW += label->indent();
            else if (label->indent() < 0 && label->frameWidth() > 0)
                chromeW += metrics.horizontalAdvance('x') / 2;
            const int width = size.width() - chromeW, height = size.height() - chromeH;
            if (width <= 0 || height <= 0) return text.isEmpty();
            const int flags = int(label->alignment() & Qt::AlignHorizontal_Mask) |
                              (label->wordWrap() ? Qt::TextWordWrap : 0) | Qt::TextExpandTabs;
            const QRect needed = metrics.boundingRect(QRect(0, 0, width, kUnbounded), flags, text);
            return needed.width() <= width && needed.height() <= height;
        }
        if (qobject_cast<QGroupBox*>(w))
            return metrics.horizontalAdvance(text) + metrics.height() <= size.width();
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (!button) return true;
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = QRect(QPoint(0, 0), size);
        option.text = text;
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(w)) contents = QStyle::SE_CheckBoxContents;
        if (qobject_cast<QRadioButton*>(w)) contents = QStyle::SE_RadioButtonContents;
        const QRect area = w->style()->subElementRect(contents, &option, w);
        return metrics.horizontalAdvance(WithoutMnemonics(text)) <= area.width() &&
               metrics.height() <= area.height();
    }

    // The longest start of the text that fits with an ellipsis after it.
    QString Shortened(const QSize& size) const {
        const QString plain =
            qobject_cast<QAbstractButton*>(Widget()) ? WithoutMnemonics(m_text) : m_text;
        auto cut = [&](qsizetype n) {
            const QString start = plain.left(n).trimmed() + QChar(0x2026);
            return qobject_cast<QAbstractButton*>(Widget()) ? EscapeMnemonics(start) : start;
        };
        qsizetype lo = 0, hi = plain.size();  // cut(lo) fits or is the least there is
        while (hi - lo > 1) {
            const qsizetype mid = (lo + hi) / 2;
            (Fits(cut(mid), size) ? lo : hi) = mid;
        }
        return cut(lo);
    }

    void Show(const QString& text, bool elided) {
        QWidget* w = Widget();
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            group->setTitle(text);
        if (elided) {
            if (!m_elided) m_ownTip = w->toolTip();
            w->setToolTip(qobject_cast<QAbstractButton*>(w) ? WithoutMnemonics(m_text) : m_text);
        } else if (m_elided) {
            w->setToolTip(m_ownTip);
        }
        m_elided = elided;
    }

    QString m_text;
    QString m_ownTip;  // the tooltip the control had before its text was shortened
    bool m_elided = false;
};

}  // namespace

void ShowControlText(QWidget* control, const QString& text) {
    if (!control) return;
    auto* fit = dynamic_cast<TextFit*>(PlacementOf(control));
    if (!fit) fit = new TextFit(control);
    fit->SetText(text);
}

}  // namespace platform
