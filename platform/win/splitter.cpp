#include "platform/win/splitter.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

CSplitterWnd::~CSplitterWnd() {
    // The panes go before the splitter's own window.
    m_panes.clear();
    if (m_hWnd) DestroyWindow();
}

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id) {
    if (rows < 1 || cols < 1 || rows > 16 || cols > 16) return FALSE;
    m_rows.assign(static_cast<size_t>(rows), Row());
    m_cols = cols;
    m_panes.clear();
    m_panes.resize(static_cast<size_t>(rows * cols));
    return CWnd::Create(nullptr, nullptr, style, CRect(0, 0, 0, 0), parent, id);
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE initialSize,
                              CCreateContext* context) {
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= m_cols || !viewClass ||
        !viewClass->IsDerivedFrom(RUNTIME_CLASS(CView)))
        return FALSE;
    auto& slot = m_panes[static_cast<size_t>(row * m_cols + col)];
    if (slot) return FALSE;
    std::unique_ptr<CView> view(static_cast<CView*>(viewClass->CreateObject()));
    if (!view) return FALSE;
    m_rows[static_cast<size_t>(row)].ideal = initialSize.cy;
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE,
                      CRect(0, 0, initialSize.cx, initialSize.cy), this,
                      static_cast<UINT>(IdFromRowCol(row, col)), context))
        return FALSE;
    slot = std::move(view);
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= m_cols) return nullptr;
    return m_panes[static_cast<size_t>(row * m_cols + col)].get();
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int min) {
    if (row < 0 || row >= GetRowCount()) return;
    m_rows[static_cast<size_t>(row)].ideal = std::max(0, ideal);
    m_rows[static_cast<size_t>(row)].min = std::max(0, min);
}

void CSplitterWnd::GetRowInfo(int row, int& cur, int& min) const {
    cur = min = 0;
    if (row < 0 || row >= GetRowCount()) return;
    cur = m_rows[static_cast<size_t>(row)].cur;
    min = m_rows[static_cast<size_t>(row)].min;
}

void CSplitterWnd::RecalcLayout() {
    if (!m_hWnd || m_rows.empty()) return;
    CRect client;
    GetClientRect(&client);
    int left = client.Height();
    int top = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        Row& r = m_rows[i];
        r.top = top;
        if (i + 1 == m_rows.size()) {
            r.cur = left;
        } else {
            r.cur = r.ideal < r.min ? 0 : std::min(r.ideal, left);
            // The bar follows even when the rows below have no room left.
            left -= r.cur;
            top += r.cur + std::min(left, m_cySplitter);
            left -= std::min(left, m_cySplitter);
        }
    }
    const int width = client.Width();
    for (int row = 0; row < GetRowCount(); ++row)
        for (int col = 0; col < m_cols; ++col)
            if (CWnd* pane = GetPane(row, col)) {
                const Row& r = m_rows[static_cast<size_t>(row)];
                const int x = width * col / m_cols;
                const int cx = width * (col + 1) / m_cols - x;
                if (r.cur <= 0) {
                    pane->ShowWindow(SW_HIDE);
                } else {
                    pane->MoveWindow(x, r.top, cx, r.cur, TRUE);
                    pane->ShowWindow(SW_SHOW);
                }
            }
}

int CSplitterWnd::HitTest(CPoint point) const {
    CRect client;
    GetClientRect(&client);
    if (point.x < 0 || point.x >= client.Width()) return 0;
    for (size_t i = 0; i + 1 < m_rows.size(); ++i) {
        const int barTop = m_rows[i].top + m_rows[i].cur;
        if (point.y >= barTop && point.y < m_rows[i + 1].top && point.y < client.Height())
            return 201 + static_cast<int>(i);
    }
    return 0;
}

BOOL CSplitterWnd::SplitRow(int) {
    // A static splitter has its rows from the start.
    return FALSE;
}

void CSplitterWnd::DeleteRow(int) {}

void CSplitterWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    RecalcLayout();
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint point) {
    const int hit = HitTest(point);
    if (hit < 201) return;
    m_tracking = hit - 201;
    const Row& r = m_rows[static_cast<size_t>(m_tracking)];
    m_trackOffset = point.y - (r.top + r.cur);
}

void CSplitterWnd::OnMouseMove(UINT, CPoint point) {
    if (m_tracking < 0) return;
    Row& r = m_rows[static_cast<size_t>(m_tracking)];
    r.ideal = std::max(0, point.y - m_trackOffset - r.top);
    r.min = std::min(r.min, r.ideal);
    RecalcLayout();
}

void CSplitterWnd::OnLButtonUp(UINT flags, CPoint point) {
    if (m_tracking < 0) return;
    OnMouseMove(flags, point);
    m_tracking = -1;
}
