#pragma once
// The OLE clipboard and drag and drop, for plain text (CF_TEXT) only, on Qt's clipboard and
// drag and drop. CF_TEXT data is a NUL-terminated block of text; what other programs offer has no
// terminator, so a reader takes a block's bytes as they come and must bound itself by the size.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/base/geometry.h"

class CWnd;
class QMimeData;

using CLIPFORMAT = WORD;
constexpr CLIPFORMAT CF_TEXT = 1;

using DROPEFFECT = DWORD;
constexpr DROPEFFECT DROPEFFECT_NONE = 0;
constexpr DROPEFFECT DROPEFFECT_COPY = 1;
constexpr DROPEFFECT DROPEFFECT_MOVE = 2;
constexpr DROPEFFECT DROPEFFECT_LINK = 4;
constexpr DROPEFFECT DROPEFFECT_SCROLL = 0x80000000;

// Data offered to the clipboard or to a drag.
class COleDataSource {
public:
    // The block for `format`; for CF_TEXT the text up to its first NUL is what others see.
    void CacheGlobalData(CLIPFORMAT format, std::string block);
    const std::string* GetCachedData(CLIPFORMAT format) const;
    // Puts a copy of the data on the clipboard.
    void SetClipboard() const;
    // Runs a drag with the data from the window under the mouse; returns the effect it ended
    // with (DROPEFFECT_NONE when it was cancelled).
    DROPEFFECT DoDragDrop(DWORD allowedEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE);

private:
    std::map<CLIPFORMAT, std::string> m_blocks;
};

// Data on the clipboard, or offered to a drop target.
class COleDataObject {
public:
    COleDataObject() = default;
    // The data of a drop; it is valid while the drop's handler runs.
    explicit COleDataObject(const QMimeData* data) : m_data(data) {}
    // Reads the clipboard as it is now.
    BOOL AttachClipboard();
    BOOL IsDataAvailable(CLIPFORMAT format) const;
    // The block as it came, which need not end in NUL; FALSE when there is none.
    BOOL GetData(CLIPFORMAT format, std::string& block) const;

private:
    const QMimeData* m_data = nullptr;
    bool m_clipboard = false;
};

// A window's drop target: the drags over the window come to these handlers.
class COleDropTarget {
public:
    COleDropTarget();
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // FALSE when the window has no widget or already has a target.
    virtual BOOL Register(CWnd* wnd);
    virtual void Revoke();

    // keyState holds MK_CONTROL, MK_SHIFT and the buttons; points are in the window's client area.
    virtual DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point);
    virtual void OnDragLeave(CWnd* wnd);
    virtual BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point);
    virtual DROPEFFECT OnDragScroll(CWnd* wnd, DWORD keyState, CPoint point);

private:
    struct Filter;
    std::unique_ptr<Filter> m_filter;
};

BOOL OleInitialize(void* reserved);
void OleUninitialize();

namespace platform {

// Tests stand in for the user's drag: the hook gets the data and the allowed effects and returns
// the effect the drag ended with, instead of a real drag. An empty hook restores real drags.
using DragDropHook = std::function<DROPEFFECT(const COleDataSource&, DWORD allowedEffects)>;
void SetDragDropHookForTests(DragDropHook hook);

}  // namespace platform
