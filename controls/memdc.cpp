#include "controls/memdc.h"

CMemDC::CMemDC(CDC* dc, const CRect* rect) : m_pDC(dc) {
    if (!dc) return;
    m_bMemDC = !dc->IsPrinting();
    if (rect)
        m_rect = *rect;
    else
        dc->GetClipBox(&m_rect);
    if (m_bMemDC) {
        CreateCompatibleDC(dc);
        dc->LPtoDP(&m_rect);
        m_bitmap.CreateCompatibleBitmap(dc, m_rect.Width(), m_rect.Height());
        m_oldBitmap = SelectObject(&m_bitmap);
        SetMapMode(dc->GetMapMode());
        dc->DPtoLP(&m_rect);
        SetWindowOrg(m_rect.left, m_rect.top);
    } else {
        Attach(dc->GetSafeHdc());
    }
    FillSolidRect(&m_rect, dc->GetBkColor());
}

CMemDC::~CMemDC() {
    if (!m_pDC) return;
    if (m_bMemDC) {
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left,
                      m_rect.top, SRCCOPY);
        SelectObject(m_oldBitmap);
    } else {
        Detach();
    }
}
