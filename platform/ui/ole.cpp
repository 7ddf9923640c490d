#include "platform/ui/ole.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QMimeData>
#include <QPointer>
#include <QWidget>

#include "platform/msg/wnd.h"

namespace platform {
namespace {

DragDropHook& Hook() {
    static DragDropHook hook;
    return hook;
}

constexpr const char* kText = "text/plain";

Qt::DropActions ActionsOf(DWORD effects) {
    Qt::DropActions a;
    if (effects & DROPEFFECT_COPY) a |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE) a |= Qt::MoveAction;
    if (effects & DROPEFFECT_LINK) a |= Qt::LinkAction;
    return a;
}

DROPEFFECT EffectOf(Qt::DropAction action) {
    switch (action) {
        case Qt::CopyAction:
            return DROPEFFECT_COPY;
        case Qt::MoveAction:
        case Qt::TargetMoveAction:
            return DROPEFFECT_MOVE;
        case Qt::LinkAction:
            return DROPEFFECT_LINK;
        default:
            return DROPEFFECT_NONE;
    }
}

DWORD KeyState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    DWORD k = 0;
    if (mods & Qt::ControlModifier) k |= MK_CONTROL;
    if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    return k;
}

// Windows' CF_TEXT block reaches others as the text before its terminator.
QString TextOfBlock(const std::string& block) {
    const size_t end = block.find('\0');
    return QString::fromUtf8(block.data(),
                             static_cast<qsizetype>(end == std::string::npos ? block.size() : end));
}

std::unique_ptr<QMimeData> MimeOf(const std::map<CLIPFORMAT, std::string>& blocks) {
    auto mime = std::make_unique<QMimeData>();
    if (auto it = blocks.find(CF_TEXT); it != blocks.end()) mime->setText(TextOfBlock(it->second));
    return mime;
}

}  // namespace

void SetDragDropHookForTests(DragDropHook hook) {
    Hook() = std::move(hook);
}

}  // namespace platform

// ---- COleDataSource ----

void COleDataSource::CacheGlobalData(CLIPFORMAT format, std::string block) {
    m_blocks[format] = std::move(block);
}

const std::string* COleDataSource::GetCachedData(CLIPFORMAT format) const {
    auto it = m_blocks.find(format);
    return it == m_blocks.end() ? nullptr : &it->second;
}

void COleDataSource::SetClipboard() const {
    if (QClipboard* cb = QGuiApplication::clipboard())
        cb->setMimeData(platform::MimeOf(m_blocks).release());
}

DROPEFFECT COleDataSource::DoDragDrop(DWORD allowedEffects) {
    if (platform::Hook()) return platform::Hook()(*this, allowedEffects);
    QObject* source = QApplication::focusWidget();
    static QObject fallback;
    auto* drag = new QDrag(source ? source : &fallback);
    drag->setMimeData(platform::MimeOf(m_blocks).release());
    const Qt::DropActions actions = platform::ActionsOf(allowedEffects);
    const Qt::DropAction done =
        drag->exec(actions, actions & Qt::MoveAction ? Qt::MoveAction : Qt::CopyAction);
    drag->deleteLater();
    return platform::EffectOf(done);
}

// ---- COleDataObject ----

BOOL COleDataObject::AttachClipboard() {
    m_clipboard = true;
    m_data = nullptr;
    return QGuiApplication::clipboard() != nullptr;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const {
    const QMimeData* d = m_clipboard && QGuiApplication::clipboard()
                             ? QGuiApplication::clipboard()->mimeData()
                             : m_data;
    return format == CF_TEXT && d && d->hasFormat(platform::kText);
}

BOOL COleDataObject::GetData(CLIPFORMAT format, std::string& block) const {
    if (!IsDataAvailable(format)) return FALSE;
    const QMimeData* d = m_clipboard ? QGuiApplication::clipboard()->mimeData() : m_data;
    const QByteArray bytes = d->data(platform::kText);
    block.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return TRUE;
}

// ---- COleDropTarget ----

struct COleDropTarget::Filter : QObject {
    Filter(COleDropTarget* t, CWnd* w) : target(t), hwnd(w->m_hWnd), widget(w->GetWidget()) {}

    bool eventFilter(QObject* o, QEvent* e) override {
        if (o != widget.data()) return false;
        CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
        switch (e->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* d = static_cast<QDragMoveEvent*>(e);
                COleDataObject data(d->mimeData());
                const CPoint pt(d->position().toPoint().x(), d->position().toPoint().y());
                const DWORD keys = platform::KeyState(d->modifiers(), d->buttons());
                DROPEFFECT effect = DROPEFFECT_NONE;
                if (wnd) {
                    if (e->type() == QEvent::DragEnter) {
                        effect = target->OnDragEnter(wnd, &data, keys, pt);
                    } else {
                        effect = target->OnDragScroll(wnd, keys, pt);
                        if (!(effect & DROPEFFECT_SCROLL))
                            effect = target->OnDragOver(wnd, &data, keys, pt);
                    }
                }
                lastEffect = effect & ~DROPEFFECT_SCROLL;
                if (lastEffect == DROPEFFECT_NONE) {
                    // Still interested in the next move, which may find a better place.
                    if (e->type() == QEvent::DragEnter)
                        d->accept();
                    else
                        d->ignore();
                    if (e->type() == QEvent::DragEnter) d->setDropAction(Qt::IgnoreAction);
                } else {
                    d->setDropAction(lastEffect & DROPEFFECT_COPY ? Qt::CopyAction
                                                                  : Qt::MoveAction);
                    d->accept();
                }
                return true;
            }
            case QEvent::DragLeave:
                if (wnd) target->OnDragLeave(wnd);
                return true;
            case QEvent::Drop: {
                auto* d = static_cast<QDropEvent*>(e);
                COleDataObject data(d->mimeData());
                const CPoint pt(d->position().toPoint().x(), d->position().toPoint().y());
                const DROPEFFECT effect = lastEffect;
                if (wnd && effect == DROPEFFECT_NONE) {
                    // Nothing could be dropped here: the drag just leaves.
                    target->OnDragLeave(wnd);
                    d->ignore();
                } else if (wnd && target->OnDrop(wnd, &data, effect, pt)) {
                    d->setDropAction(effect & DROPEFFECT_COPY ? Qt::CopyAction : Qt::MoveAction);
                    d->accept();
                } else {
                    d->ignore();
                }
                return true;
            }
            default:
                return false;
        }
    }

    COleDropTarget* target;
    HWND hwnd;
    QPointer<QWidget> widget;
    DROPEFFECT lastEffect = DROPEFFECT_NONE;
};

COleDropTarget::COleDropTarget() = default;

COleDropTarget::~COleDropTarget() {
    Revoke();
}

BOOL COleDropTarget::Register(CWnd* wnd) {
    if (m_filter || !wnd || !wnd->GetWidget()) return FALSE;
    m_filter = std::make_unique<Filter>(this, wnd);
    wnd->GetWidget()->installEventFilter(m_filter.get());
    wnd->GetWidget()->setAcceptDrops(true);
    return TRUE;
}

void COleDropTarget::Revoke() {
    if (!m_filter) return;
    if (QWidget* w = m_filter->widget.data()) {
        w->removeEventFilter(m_filter.get());
        w->setAcceptDrops(false);
    }
    m_filter.reset();
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint) {
    return DROPEFFECT_NONE;
}
DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint) {
    return DROPEFFECT_NONE;
}
void COleDropTarget::OnDragLeave(CWnd*) {}
BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint) {
    return FALSE;
}
DROPEFFECT COleDropTarget::OnDragScroll(CWnd*, DWORD, CPoint) {
    return DROPEFFECT_NONE;
}

// Nothing needs starting on this platform.
BOOL OleInitialize(void*) {
    return TRUE;
}
void OleUninitialize() {}
