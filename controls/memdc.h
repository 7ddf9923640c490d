#pragma once
// CMemDC: an off-screen drawing context. Drawing goes to a bitmap the size of the rectangle,
// filled first with the target's background colour, and the destructor copies the picture to
// the target in one step, so that a window repainted often does not flicker. On a printer it
// draws straight on the target instead.

#include "platform/gdi/dc.h"

class CMemDC : public CDC {
public:
    // rect: the part of the target to cover, in its logical units; its clip box without one.
    explicit CMemDC(CDC* dc, const CRect* rect = nullptr);
    ~CMemDC() override;

    CMemDC* operator->() { return this; }
    operator CMemDC*() { return this; }

private:
    CBitmap m_bitmap;
    CBitmap* m_oldBitmap = nullptr;
    CDC* m_pDC;
    CRect m_rect;
    BOOL m_bMemDC = FALSE;
};
