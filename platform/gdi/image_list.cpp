#include "platform/gdi/image_list.h"

#include <QPainter>
#include <algorithm>

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int) {
    if (m_created || cx <= 0 || cy <= 0) return FALSE;
    m_size = CSize(cx, cy);
    m_masked = flags & ILC_MASK;
    m_images.reserve(static_cast<size_t>(std::max(initial, 0)));
    m_created = true;
    return TRUE;
}

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
    CBitmap strip;
    if (cx <= 0 || !strip.LoadBitmap(bitmapId)) return FALSE;
    const QImage& all = strip.GetImage();
    const int count = all.width() / cx;
    if (!Create(cx, all.height(), ILC_MASK, count, grow)) return FALSE;
    for (int i = 0; i < count; ++i)
        AddImage(all.copy(i * cx, 0, cx, all.height()), mask);
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    if (!m_created) return FALSE;
    m_images.clear();
    m_created = false;
    return TRUE;
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
    if (!m_created || !bitmap || !bitmap->GetSafeHandle()) return -1;
    const QImage& strip = bitmap->GetImage();
    // A bitmap several images wide adds one image per width, as on Windows.
    const int count = m_size.cx > 0 ? std::max(1, strip.width() / m_size.cx) : 1;
    const int first = GetImageCount();
    for (int n = 0; n < count; ++n)
        AddImage(count == 1 ? strip : strip.copy(n * m_size.cx, 0, m_size.cx, strip.height()),
                 mask);
    return first;
}

int CImageList::AddImage(const QImage& picture, COLORREF mask) {
    QImage image(m_size.cx, m_size.cy, QImage::Format_ARGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.drawImage(0, 0, picture);
    }
    if (m_masked) {
        const QRgb key = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
        }
    }
    m_images.push_back(std::move(image));
    return GetImageCount() - 1;
}

QImage CImageList::GetImage(int index) const {
    if (index < 0 || index >= GetImageCount()) return QImage();
    return m_images[static_cast<size_t>(index)];
}
