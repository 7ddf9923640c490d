#pragma once
// CDC: a device context that draws through a QPainter, on a widget, an image or a printer, with
// the Windows drawing rules: integer logical coordinates mapped to the device by the mapping mode
// and the window and viewport origins and extents; lines that leave out their last pixel;
// rectangles whose right and bottom edges lie outside them; no antialiasing but for text.
//
// The drawing state (selected objects, colours, position, mapping, path) belongs to the device
// context its handle names, so a DC attached to another's handle shares that state. A DC with
// nothing to draw on (a paint DC outside the window's paint) keeps its state, measures text and
// draws nothing.

#include <memory>

#include "platform/base/cstring.h"
#include "platform/gdi/objects.h"

class CWnd;
class QPainter;
class QPaintDevice;
class QPrinter;
class QWidget;

struct DOCINFO {
    int cbSize = sizeof(DOCINFO);
    LPCTSTR lpszDocName = nullptr;
    LPCTSTR lpszOutput = nullptr;
};
constexpr int SP_ERROR = -1;

struct TEXTMETRIC {
    LONG tmHeight = 0;  // ascent + descent
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmOverhang = 0;
};

// a * b / c, rounded, as Windows computes it; -1 when c is 0.
int MulDiv(int a, int b, int c);

namespace platform {
struct DeviceContext;
}

class CDC {
public:
    // A DC without a device, until CreateCompatibleDC or Attach.
    CDC();
    // Draws through a painter that someone else began and ends. The painter's state is restored
    // when the DC goes; its transform at this moment is the DC's device space.
    explicit CDC(QPainter* painter, bool printing = false);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* GetPainter() const;
    BOOL IsPrinting() const;
    HDC GetSafeHdc() const;
    // The DC that made the handle; null when it is gone.
    static CDC* FromHandle(HDC hdc);
    // Shares the device and state of the DC the handle names, until Detach.
    BOOL Attach(HDC hdc);
    HDC Detach();

    // A memory DC: it draws on the bitmap selected into it (a 1 x 1 picture at first).
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    // ---- drawing objects; each returns the object selected before ----
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CGdiObject* SelectObject(CGdiObject* object);
    CGdiObject* SelectStockObject(int index);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    // ---- attributes ----
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;

    // ---- coordinates ----
    // MM_TEXT (one logical unit per device pixel) or MM_ANISOTROPIC (scaled by the extents).
    int SetMapMode(int mode);
    int GetMapMode() const;
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT point) { return SetWindowOrg(point.x, point.y); }
    CPoint GetWindowOrg() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
    CPoint GetViewportOrg() const;
    // The extents count only in MM_ANISOTROPIC; a zero extent is refused.
    CSize SetWindowExt(int cx, int cy);
    CSize SetWindowExt(SIZE size) { return SetWindowExt(size.cx, size.cy); }
    CSize GetWindowExt() const;
    CSize SetViewportExt(int cx, int cy);
    CSize SetViewportExt(SIZE size) { return SetViewportExt(size.cx, size.cy); }
    CSize GetViewportExt() const;
    void LPtoDP(LPPOINT points, int count = 1) const;
    void LPtoDP(LPRECT rect) const;
    void DPtoLP(LPPOINT points, int count = 1) const;
    void DPtoLP(LPRECT rect) const;
    // The part that drawing can reach, in logical units; NULLREGION when it is empty.
    int GetClipBox(LPRECT rect) const;
    int GetDeviceCaps(int index) const;

    // ---- lines and shapes (each becomes part of the path while one is being recorded) ----
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }
    CPoint GetCurrentPosition() const;
    BOOL Polyline(const POINT* points, int count);
    BOOL Polygon(const POINT* points, int count);
    // Cubic curves from the current position; count is a multiple of 3.
    BOOL PolyBezierTo(const POINT* points, int count);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(LPCRECT rect) {
        return Rectangle(rect->left, rect->top, rect->right, rect->bottom);
    }

    // ---- filled areas; these ignore the pen ----
    // Leaves `color` as the background colour.
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FillRect(LPCRECT rect, CBrush* brush);
    // A border one logical unit wide.
    void FrameRect(LPCRECT rect, CBrush* brush);
    // Inverts every other pixel of the rectangle's border; drawing it twice removes it. Not
    // printed.
    void DrawFocusRect(LPCRECT rect);
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags);

    // ---- text ----
    // Returns the height of the text; with DT_CALCRECT only sets the rectangle's right and
    // bottom to fit the text. `count` -1 takes the whole string.
    int DrawText(LPCTSTR text, int count, LPRECT rect, UINT format);
    int DrawText(const CString& text, LPRECT rect, UINT format);
    // With the text's top-left corner at (x, y).
    BOOL TextOut(int x, int y, LPCTSTR text, int count);
    BOOL TextOut(int x, int y, const CString& text);
    CSize GetTextExtent(LPCTSTR text, int count) const;
    CSize GetTextExtent(const CString& text) const;
    // The metrics of the selected font, in logical units as GetTextExtent measures.
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

    // ---- paths ----
    BOOL BeginPath();
    BOOL EndPath();
    BOOL AbortPath();
    BOOL CloseFigure();
    // Each uses and discards the path made by BeginPath ... EndPath; filling closes open figures.
    BOOL StrokePath();
    BOOL FillPath();
    BOOL StrokeAndFillPath();

    // ---- pictures ----
    // Copies from a memory DC (SRCCOPY only).
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
    // Scales a memory DC's rectangle into this one (SRCCOPY only).
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, DWORD rop);
    // Fills with the selected brush (PATCOPY only).
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    // Copies a memory DC's rectangle onto the parallelogram whose upper-left, upper-right and
    // lower-left corners are points[0..2]. Masks are not offered: `mask` must be null.
    BOOL PlgBlt(const POINT* points, CDC* source, int xSrc, int ySrc, int width, int height,
                CBitmap* mask = nullptr, int xMask = 0, int yMask = 0);

    // ---- print jobs, on a printer DC (CPrintDialog::GetPrinterDC) ----
    // Each returns a positive value, or SP_ERROR when the DC has no printer or the step is out of
    // order. Between pages the drawing state is kept. AbortDoc ends the job without finishing the
    // document (an unfinished file is removed).
    int StartDoc(const DOCINFO* info);
    int StartDoc(LPCTSTR docName);
    int StartPage();
    int EndPage();
    int EndDoc();
    int AbortDoc();

protected:
    // A DC on a printer: it measures with the printer's resolution; StartDoc begins drawing.
    void UsePrinter(QPrinter* printer);
    // Begins a painter of this DC's own on a device (a widget during its paint, an image).
    void BeginOwnPainter(QPaintDevice* device);
    // The device is known for measuring text, but nothing can be drawn on it now.
    void UseDeviceForMeasuring(QPaintDevice* device, const QFont& font, const CRect& clip);
    // Draws through a painter someone else owns.
    void UseForeignPainter(QPainter* painter, bool printing);
    // The device area in device coordinates (the clip box before mapping).
    void SetDeviceClip(const CRect& clip);
    // Something was drawn while there was no device to draw on.
    bool LostDrawing() const;

private:
    platform::DeviceContext* Ctx() const { return m_dc.get(); }
    platform::DeviceContext& NewContext();

    std::shared_ptr<platform::DeviceContext> m_dc;
};

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE;  // the background still needs erasing
    RECT rcPaint;
};

// The DC of a window's WM_PAINT: it draws on the window's widget while the widget is being
// painted, and sends the window WM_ERASEBKGND first, as BeginPaint does.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
};

// A DC on a window's client area. Qt paints widgets only in their paint events, so outside one it
// draws nothing but invalidates the window when something was drawn, and the window's paint
// brings the picture up to date.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND m_hWnd = nullptr;
};
