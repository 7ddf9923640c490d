#include "platform/ui/text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <utility>

#include "platform/win/placement.h"

namespace platform {
namespace {

QString EscapeMnemonics(QString s) {
    return s.replace('&', "&&");
}

// Buttons and group boxes show "&x" as an underlined x; labels show their text as it is.
bool HasMnemonics(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QGroupBox*>(w);
}

class TextFit : public WidgetPlacement {
public:
    using WidgetPlacement::WidgetPlacement;

    void SetText(const QString& text) {
        m_text = text;
        const QRect before = Widget()->geometry();
        Replace();
        // A longer text takes back room a neighbour may have grown into.
        if (Widget()->geometry() != before) TellSiblings(Widget());
    }

    // A group box depends on what it holds: grown or shrunk for it, it tells what it holds.
    void SiblingPlaced() override {
        static int depth = 0;
        if (!qobject_cast<QGroupBox*>(Widget()) || depth > 2) {
            WidgetPlacement::SiblingPlaced();
            return;
        }
        const QRect before = Widget()->geometry();
        Replace();
        if (Widget()->geometry() == before) return;
        ++depth;
        TellSiblings(Widget());
        --depth;
    }

protected:
    // Only a control that had to grow or shorten its text depends on its neighbours.
    bool Grown() const override {
        return m_elided || !Asked().contains(Widget()->geometry(), false);
    }

    QRect Adjust(const QRect& asked) override {
        // An empty rectangle is the program's way to give a text no room at all.
        if (asked.isEmpty()) {
            Show(m_text, false);
            return asked;
        }
        if (qobject_cast<QGroupBox*>(Widget())) {
            const QRect grown = GrownForContents(asked);
            if (Fits(m_text, grown.size())) {
                Show(m_text, false);
                return grown;
            }
        } else if (Fits(m_text, asked.size())) {
            Show(m_text, false);
            return Trimmed(asked);
        }
        QRect r = asked;
        if (qobject_cast<QGroupBox*>(Widget())) {
            r = GrownForContents(asked);
        } else {
            // Wider first; else as wide as it may be and taller, and then no wider than that
            // height needs.
            const Surroundings around(Widget(), asked);
            if (!Grow(r, around, true)) {
                r = Stretched(r, around.Around(r), Most(around.Around(r), true), true);
                if (Grow(r, around, false)) {
                    QRect narrow(QPoint(asked.left(), r.top()), QSize(asked.width(), r.height()));
                    if (Grow(narrow, around, true)) r = narrow;
                } else {
                    r = Stretched(r, around.Around(r), Most(around.Around(r), false), false);
                }
            }
        }
        if (Fits(m_text, r.size())) {
            Show(m_text, false);
            return Trimmed(r);
        }
        Show(Shortened(r.size()), true);
        return r;
    }

    // The least width at which the text fits at `height`, or 0 when none does.
    int WidthFor(int height) const {
        constexpr int kWidest = 4096;
        if (!Fits(m_text, QSize(kWidest, height))) return 0;
        int lo = 0, hi = kWidest;  // fits at hi, not at lo
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            (Fits(m_text, QSize(mid, height)) ? hi : lo) = mid;
        }
        return hi;
    }

private:
    // A group box grows right and down, into the room around it, as far as the texts of the
    // controls it holds need to grow within it; they then grow in it when told it moved.
    QRect GrownForContents(const QRect& asked) const {
        auto* group = qobject_cast<QGroupBox*>(Widget());
        QWidget* parent = Widget()->parentWidget();
        if (!group || !parent || asked.isEmpty()) return asked;
        // The margins between the box's edges and where its controls may lie.
        const QRect contents = GroupContents(group).translated(-group->pos());
        const int rightMargin = group->width() - contents.right() - 1;
        int wider = 0;
        for (QObject* o : parent->children()) {
            auto* control = qobject_cast<QWidget*>(o);
            if (!control || control == Widget() || control->isWindow() || control->isHidden())
                continue;
            auto* fit = dynamic_cast<TextFit*>(PlacementOf(control));
            if (!fit || !asked.contains(fit->Asked()) || fit->Asked().isEmpty()) continue;
            // Left-aligned texts grow to the right; that is the room they ask of the box.
            if (fit->Horizontal() != std::pair<int, int>{0, 1}) continue;
            const int width = fit->WidthFor(fit->Asked().height());
            if (width == 0) continue;
            wider =
                std::max(wider, fit->Asked().left() + width + rightMargin - (asked.right() + 1));
        }
        if (wider <= 0) return asked;
        const Room room = Surroundings(Widget(), asked).Around(asked);
        return asked.adjusted(0, 0, std::min(wider, room.right), 0);
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

    std::pair<int, int> Ways(bool across) const { return across ? Horizontal() : Vertical(); }
    // All the room there is in the ways the control may grow.
    int Most(const Room& room, bool across) const {
        const auto [before, after] = Ways(across);
        return across ? room.left * before + room.right * after
                      : room.up * before + room.down * after;
    }
    // `r` grown by `extra` pixels across or down, shared evenly between two ways as far as the
    // room on each side goes.
    QRect Stretched(const QRect& r, const Room& room, int extra, bool across) const {
        const auto [mayBefore, mayAfter] = Ways(across);
        const int roomBefore = across ? room.left : room.up;
        const int roomAfter = across ? room.right : room.down;
        int before = 0;
        if (mayBefore && mayAfter) {
            before = std::min(extra / 2, roomBefore);
            if (extra - before > roomAfter) before = extra - roomAfter;
        } else if (mayBefore) {
            before = extra;
        }
        return across ? r.adjusted(-before, 0, extra - before, 0)
                      : r.adjusted(0, -before, 0, extra - before);
    }
    // Grows `r` the least that makes the text fit; false, leaving it, when no room does.
    bool Grow(QRect& r, const Surroundings& around, bool across) const {
        const Room room = around.Around(r);
        const int most = Most(room, across);
        auto fitsWith = [&](int extra) {
            return Fits(m_text, Stretched(r, room, extra, across).size());
        };
        if (most <= 0 || !fitsWith(most)) return false;
        int lo = 0, hi = most;  // fitsWith(hi) holds, fitsWith(lo) does not
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            (fitsWith(mid) ? hi : lo) = mid;
        }
        r = Stretched(r, room, hi, across);
        return true;
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
            const QRect needed = metrics.boundingRect(QRect(0, 0, width, 1 << 20), flags, text);
            return needed.width() <= width && needed.height() <= height;
        }
        if (qobject_cast<QGroupBox*>(w))
            return metrics.horizontalAdvance(WithoutMnemonics(text)) + metrics.height() <=
                   size.width();
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

    // A plain left-aligned label gives up the right part its text leaves empty, which looks the
    // same and leaves a neighbour room to grow into.
    QRect Trimmed(const QRect& asked) const {
        auto* label = qobject_cast<QLabel*>(Widget());
        if (!label || m_text.isEmpty() || label->frameWidth() > 0 || label->autoFillBackground() ||
            (label->alignment() & (Qt::AlignHCenter | Qt::AlignRight | Qt::AlignJustify)))
            return asked;
        // A text on several lines keeps the breaks its rectangle gives it.
        const int oneLine = Widget()
                                ->fontMetrics()
                                .boundingRect(QRect(0, 0, 1 << 20, 1 << 20),
                                              Qt::AlignLeft | Qt::TextExpandTabs, m_text)
                                .height() +
                            2 * label->margin();
        if (m_text.contains('\n') || !Fits(m_text, QSize(asked.width(), oneLine))) return asked;
        int lo = 0, hi = asked.width();  // Fits at hi, not at lo
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            (Fits(m_text, QSize(mid, oneLine)) ? hi : lo) = mid;
        }
        return QRect(asked.topLeft(), QSize(hi, asked.height()));
    }

    // The longest start of the text that fits with an ellipsis after it.
    QString Shortened(const QSize& size) const {
        const QString plain = HasMnemonics(Widget()) ? WithoutMnemonics(m_text) : m_text;
        auto cut = [&](qsizetype n) {
            const QString start = plain.left(n).trimmed() + QChar(0x2026);
            return HasMnemonics(Widget()) ? EscapeMnemonics(start) : start;
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
            w->setToolTip(HasMnemonics(w) ? WithoutMnemonics(m_text) : m_text);
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

QString WithoutMnemonics(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

void ShowControlText(QWidget* control, const QString& text) {
    if (!control) return;
    auto* fit = dynamic_cast<TextFit*>(PlacementOf(control));
    if (!fit) fit = new TextFit(control);
    fit->SetText(text);
}

}  // namespace platform
