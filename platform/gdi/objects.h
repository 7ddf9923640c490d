#pragma once
// Drawing objects: pens, brushes, fonts and bitmaps. A DC copies what it needs of a pen, brush or
// font when the object is selected, so deleting one that is still selected leaves the DC drawing
// with its last look; a bitmap is drawn on in place and tells its DC when it goes.

#include <QImage>

#include "platform/base/cstring.h"
#include "platform/gdi/gdi.h"

class CDC;
class QFont;
namespace platform {
struct DeviceContext;
}

class CGdiObject {
public:
    enum class Kind { Pen, Brush, Font, Bitmap };
    virtual ~CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Kind GetKind() const { return m_kind; }
    // Non-null once the object is created; it names the object itself.
    void* GetSafeHandle() const { return m_created ? const_cast<CGdiObject*>(this) : nullptr; }
    virtual BOOL DeleteObject();

protected:
    explicit CGdiObject(Kind kind) : m_kind(kind) {}
    Kind m_kind;
    bool m_created = false;
};

class CPen : public CGdiObject {
public:
    CPen() : CGdiObject(Kind::Pen) {}
    CPen(int style, int width, COLORREF color) : CPen() { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    int GetStyle() const { return m_style; }
    int GetWidth() const { return m_width; }
    COLORREF GetColor() const { return m_color; }

private:
    int m_style = PS_SOLID;
    int m_width = 0;
    COLORREF m_color = 0;
};

class CBrush : public CGdiObject {
public:
    CBrush() : CGdiObject(Kind::Brush) {}
    explicit CBrush(COLORREF color) : CBrush() { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    // The null brush paints nothing.
    BOOL CreateNullBrush();
    bool IsNull() const { return m_null; }
    COLORREF GetColor() const { return m_color; }

private:
    bool m_null = false;
    COLORREF m_color = 0xFFFFFF;
};

class CFont : public CGdiObject {
public:
    CFont() : CGdiObject(Kind::Font) {}
    BOOL CreateFontIndirect(const LOGFONT* lf);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCTSTR faceName);
    // pointSize in tenths of a point, at the DC's vertical resolution (the screen's without one).
    BOOL CreatePointFont(int pointSize, LPCTSTR faceName, CDC* dc = nullptr);
    // A family whose name is longer than the face of a LOGFONT holds is drawn by its whole name.
    BOOL CreateFontIndirect(const LOGFONT* lf, const CString& family);
    int GetLogFont(LOGFONT* lf) const;
    const LOGFONT& LogFont() const { return m_lf; }
    // The whole family name, or empty when the face names it.
    const CString& GetFamily() const { return m_family; }
    BOOL DeleteObject() override;

private:
    LOGFONT m_lf;
    CString m_family;
};

class CBitmap : public CGdiObject {
public:
    CBitmap() : CGdiObject(Kind::Bitmap) {}
    ~CBitmap() override;
    // A picture of the given size that any DC can copy from; its content starts black. A size
    // of zero gives a 1 x 1 picture, as on Windows.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // The picture the program registered under the resource id (platform::SetBitmapResource).
    BOOL LoadBitmap(UINT id);
    // Refused while the bitmap is selected into a DC.
    BOOL DeleteObject() override;
    CSize GetSize() const { return {m_image.width(), m_image.height()}; }
    const QImage& GetImage() const { return m_image; }

private:
    friend class CDC;
    friend struct platform::DeviceContext;
    QImage m_image;
    platform::DeviceContext* m_selectedInto = nullptr;
};

namespace platform {

// The stock objects (WHITE_BRUSH ... DEFAULT_GUI_FONT); null for other indexes.
CGdiObject* StockObject(int index);
// The font a LOGFONT asks for; the sizes are in the units it will be drawn in.
QFont FontFromLogFont(const LOGFONT& lf);
// The font a CFont draws with: its LOGFONT, with the whole family name when it has one.
QFont FontOf(const CFont& font);
// The pictures of the bitmap resources, by id; a null image removes one.
void SetBitmapResource(UINT id, const QImage& image);
// A bitmap that goes while selected leaves its DC drawing on nothing.
void ReleaseSelectedBitmap(DeviceContext* dc, CBitmap* bitmap);

}  // namespace platform
