#pragma once
// CTextRotator: renders a text, of one or more lines, into a picture turned by 0, 90, 180 or 270
// degrees clockwise, and draws the picture on a DC, optionally placed in a rectangle with etched
// lines beside it.

#include <memory>

#include "platform/base/cstring.h"
#include "platform/gdi/dc.h"

class CTextRotator {
public:
    // hAlign: 0 left, 1 centre, 2 right; vAlign: 0 top, 1 centre, 2 bottom. The text is drawn in
    // the DC's current font.
    CTextRotator(CDC* dc, const CString& text, int hAlign = 0, int vAlign = 0);
    virtual ~CTextRotator();
    CTextRotator(const CTextRotator&) = delete;
    CTextRotator& operator=(const CTextRotator&) = delete;

    // FALSE for an empty text, an angle other than the four, or when a picture cannot be made.
    BOOL Render(int angle);
    // FALSE when nothing is rendered.
    BOOL Draw(int x, int y);
    BOOL DrawAligned(const CRect& rect);

    // The picture's rectangle at (0, 0).
    CRect GetRect() const { return m_rect; }
    int GetAngle() const { return m_nAngle; }
    void SetEtchedLines(BOOL etched) { m_bEtched = etched; }
    void SetColours(COLORREF background, COLORREF text) {
        m_crBackground = background;
        m_crText = text;
    }

private:
    void Free();

    CDC* m_pDC;
    std::unique_ptr<CDC> m_dcPicture;
    CBitmap* m_pOldBitmap = nullptr;
    std::unique_ptr<CBitmap> m_bitmap;
    CRect m_rect;
    int m_nHAlign;
    int m_nVAlign;
    int m_nAngle = 0;
    BOOL m_bEtched = FALSE;
    CString m_strText;
    COLORREF m_crBackground;
    COLORREF m_crText;
};
