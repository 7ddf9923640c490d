#include "controls/text_rotator.h"

#include <algorithm>
#include <vector>

namespace {

// How far the etched lines keep from the text.
constexpr int kEtchGap = 6;

std::vector<CString> Lines(const CString& text) {
    std::vector<CString> lines;
    int start = 0;
    for (int i = 0; i <= text.GetLength(); ++i) {
        if (i < text.GetLength() && text[i] != '\n') continue;
        lines.push_back(text.Mid(start, i - start));
        start = i + 1;
    }
    return lines;
}

}  // namespace

CTextRotator::CTextRotator(CDC* dc, const CString& text, int hAlign, int vAlign)
    : m_pDC(dc),
      m_nHAlign(hAlign),
      m_nVAlign(vAlign),
      m_strText(text),
      m_crBackground(GetSysColor(COLOR_BTNFACE)),
      m_crText(GetSysColor(COLOR_WINDOWTEXT)) {}

CTextRotator::~CTextRotator() {
    Free();
}

void CTextRotator::Free() {
    if (m_dcPicture) {
        if (m_pOldBitmap) m_dcPicture->SelectObject(m_pOldBitmap);
        m_dcPicture->DeleteDC();
        m_dcPicture.reset();
    }
    m_pOldBitmap = nullptr;
    m_bitmap.reset();
    m_rect.SetRectEmpty();
}

BOOL CTextRotator::Render(int angle) {
    Free();
    m_nAngle = angle;
    if (!m_pDC || (angle != 0 && angle != 90 && angle != 180 && angle != 270)) return FALSE;

    const std::vector<CString> lines = Lines(m_strText);
    int width = 0, lineHeight = 0;
    for (const CString& line : lines) {
        const CSize size = m_pDC->GetTextExtent(line);
        width = std::max<int>(width, size.cx);
        lineHeight = std::max<int>(lineHeight, size.cy);
    }
    const int height = lineHeight * static_cast<int>(lines.size());
    if (width <= 0 || height <= 0) return FALSE;
    const int side = std::max(width, height);

    // The text drawn upright, then turned into the picture.
    CDC drawing;
    CBitmap upright;
    auto picture = std::make_unique<CDC>();
    auto bitmap = std::make_unique<CBitmap>();
    if (!drawing.CreateCompatibleDC(m_pDC) || !picture->CreateCompatibleDC(m_pDC) ||
        !upright.CreateCompatibleBitmap(m_pDC, side, side) ||
        !bitmap->CreateCompatibleBitmap(m_pDC, side, side))
        return FALSE;
    CBitmap* oldUpright = drawing.SelectObject(&upright);
    CBitmap* oldPicture = picture->SelectObject(bitmap.get());
    if (!oldUpright || !oldPicture) return FALSE;
    if (CFont* font = m_pDC->GetCurrentFont()) drawing.SelectObject(font);
    drawing.SetBkMode(TRANSPARENT);
    CBrush fill(m_crBackground);
    const CRect square(0, 0, side, side);
    drawing.FillRect(&square, &fill);
    picture->FillRect(&square, &fill);
    drawing.SetTextColor(m_crText);
    for (size_t i = 0; i < lines.size(); ++i)
        drawing.TextOut(0, static_cast<int>(i) * lineHeight, lines[i]);

    // The corners the block's upper-left, upper-right and lower-left corners turn to.
    POINT corners[3];
    switch (angle) {
        case 90:
            corners[0] = {height, 0}, corners[1] = {height, width}, corners[2] = {0, 0};
            break;
        case 180:
            corners[0] = {width, height}, corners[1] = {0, height}, corners[2] = {width, 0};
            break;
        case 270:
            corners[0] = {0, width}, corners[1] = {0, 0}, corners[2] = {height, width};
            break;
        default:
            break;
    }
    const BOOL copied = angle == 0 ? picture->BitBlt(0, 0, width, height, &drawing, 0, 0, SRCCOPY)
                                   : picture->PlgBlt(corners, &drawing, 0, 0, width, height);
    drawing.SelectObject(oldUpright);
    if (!copied) {
        picture->SelectObject(oldPicture);
        return FALSE;
    }
    m_dcPicture = std::move(picture);
    m_bitmap = std::move(bitmap);
    m_pOldBitmap = oldPicture;
    m_rect =
        (angle == 90 || angle == 270) ? CRect(0, 0, height, width) : CRect(0, 0, width, height);
    return TRUE;
}

BOOL CTextRotator::Draw(int x, int y) {
    if (!m_pDC || !m_dcPicture) return FALSE;
    return m_pDC->BitBlt(x, y, m_rect.Width(), m_rect.Height(), m_dcPicture.get(), 0, 0, SRCCOPY);
}

BOOL CTextRotator::DrawAligned(const CRect& rect) {
    if (!m_dcPicture) return FALSE;
    const int freeX = rect.Width() - m_rect.Width();
    const int freeY = rect.Height() - m_rect.Height();
    const int x = rect.left + (m_nHAlign == 1 ? freeX / 2 : m_nHAlign == 2 ? freeX : 0);
    const int y = rect.top + (m_nVAlign == 1 ? freeY / 2 : m_nVAlign == 2 ? freeY : 0);
    if (!Draw(x, y)) return FALSE;
    if (!m_bEtched) return TRUE;
    // Lines run along the text's reading direction, on each side that has room.
    if (m_nAngle == 90 || m_nAngle == 270) {
        const int mid = x + m_rect.Width() / 2;
        CRect above(mid, rect.top, mid + 2, y - kEtchGap);
        CRect below(mid, y + m_rect.Height() + kEtchGap, mid + 2, rect.bottom);
        if (above.Height() > 0) m_pDC->DrawEdge(&above, EDGE_ETCHED, BF_LEFT);
        if (below.Height() > 0) m_pDC->DrawEdge(&below, EDGE_ETCHED, BF_LEFT);
    } else {
        const int mid = y + m_rect.Height() / 2;
        CRect left(rect.left, mid, x - kEtchGap, mid + 2);
        CRect right(x + m_rect.Width() + kEtchGap, mid, rect.right, mid + 2);
        if (left.Width() > 0) m_pDC->DrawEdge(&left, EDGE_ETCHED, BF_TOP);
        if (right.Width() > 0) m_pDC->DrawEdge(&right, EDGE_ETCHED, BF_TOP);
    }
    return TRUE;
}
