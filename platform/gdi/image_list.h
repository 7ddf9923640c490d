#pragma once
// CImageList: pictures of one size, each with the colour that stands for "transparent" in it
// when the list is masked (ILC_MASK).

#include <QImage>
#include <vector>

#include "platform/gdi/objects.h"

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;

class CImageList {
public:
    // `initial` and `grow` only tell how many pictures to expect.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // A masked list of the pictures of a bitmap resource, `cx` pixels wide each, side by side.
    BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
    BOOL DeleteImageList();
    // Adds the bitmap's pictures, one per image width (a narrower one padded), each cut to the
    // list's height; in a masked list the pixels of `mask` become transparent. Returns the index
    // of the first, or -1.
    int Add(CBitmap* bitmap, COLORREF mask);
    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    CSize GetImageSize() const { return m_size; }
    // The picture with its transparent pixels; a null image for a bad index.
    QImage GetImage(int index) const;

private:
    int AddImage(const QImage& picture, COLORREF mask);

    bool m_created = false;
    bool m_masked = false;
    CSize m_size;
    std::vector<QImage> m_images;
};
