#include "platform/gdi/dc.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/msg/wnd.h"
#include "platform/win/widget_bridge.h"

namespace platform {

struct DeviceContext : std::enable_shared_from_this<DeviceContext> {
    DeviceContext();
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
    void Shutdown();
    void ReleaseBitmap(CBitmap* gone);

    CDC* owner = nullptr;
    QPainter* painter = nullptr;
    std::unique_ptr<QPainter> ownPainter;
    bool foreign = false;  // someone else's painter: saved at the start, restored at the end
    QPaintDevice* device = nullptr;
    QTransform base;  // device space in the painter's coordinates
    CRect clip;       // device coordinates
    bool printing = false;
    bool memory = false;
    QPrinter* printer = nullptr;  // owned by whoever made the printer DC
    bool inDoc = false;
    bool inPage = false;
    int pages = 0;
    bool lostDrawing = false;
    std::unique_ptr<CBitmap> stockBitmap;
    CBitmap* bitmap = nullptr;

    CPen* pen = nullptr;
    CBrush* brush = nullptr;
    CFont* font = nullptr;
    int penStyle = PS_SOLID;
    int penWidth = 0;
    COLORREF penColor = 0;
    bool brushNull = false;
    COLORREF brushColor = RGB(255, 255, 255);
    QFont qfont;

    COLORREF text = 0;
    COLORREF bk = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    CPoint pos;
    int mapMode = MM_TEXT;
    CPoint winOrg, vpOrg;
    CSize winExt{1, 1}, vpExt{1, 1};
    QPainterPath path;
    bool hasPath = false;
    bool recording = false;
};

namespace {

std::unordered_set<const DeviceContext*>& LiveContexts() {
    static std::unordered_set<const DeviceContext*> live;
    return live;
}

// The painters of windows being painted now, so that a second DC on the same widget (a client DC
// inside OnPaint) draws through the same painter: Qt allows only one per widget.
std::vector<std::pair<QWidget*, QPainter*>>& ActivePainters() {
    static std::vector<std::pair<QWidget*, QPainter*>> active;
    return active;
}

QPainter* ActivePainterFor(const QWidget* widget) {
    for (auto& [w, p] : ActivePainters())
        if (w == widget) return p;
    return nullptr;
}

void RegisterPainter(QWidget* widget, QPainter* painter) {
    ActivePainters().emplace_back(widget, painter);
}

void UnregisterPainter(QPainter* painter) {
    auto& a = ActivePainters();
    a.erase(std::remove_if(a.begin(), a.end(),
                           [painter](const auto& e) { return e.second == painter; }),
            a.end());
}

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QTransform Mapping(const DeviceContext& d) {
    double sx = 1, sy = 1;
    if (d.mapMode == MM_ANISOTROPIC) {
        sx = static_cast<double>(d.vpExt.cx) / d.winExt.cx;
        sy = static_cast<double>(d.vpExt.cy) / d.winExt.cy;
    }
    return QTransform(sx, 0, 0, sy, d.vpOrg.x - d.winOrg.x * sx, d.vpOrg.y - d.winOrg.y * sy);
}

bool Scaled(const DeviceContext& d) {
    return d.mapMode == MM_ANISOTROPIC && (d.vpExt.cx != d.winExt.cx || d.vpExt.cy != d.winExt.cy);
}

QPen MakePen(const DeviceContext& d) {
    const int style = d.penStyle & PS_STYLE_MASK;
    if (style == PS_NULL) return QPen(Qt::NoPen);
    QPen pen(ToQColor(d.penColor));
    // Thin pens are one device pixel wide and, like GDI's, leave out the last pixel of a line.
    if (d.penWidth == 0 || (d.penWidth == 1 && !Scaled(d))) {
        pen.setWidth(0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setWidth(d.penWidth);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    switch (style) {
        case PS_DASH:
            pen.setStyle(Qt::DashLine);
            break;
        case PS_DOT:
            pen.setStyle(Qt::DotLine);
            break;
        case PS_DASHDOT:
            pen.setStyle(Qt::DashDotLine);
            break;
        case PS_DASHDOTDOT:
            pen.setStyle(Qt::DashDotDotLine);
            break;
        default:
            break;
    }
    return pen;
}

QBrush MakeBrush(const DeviceContext& d) {
    return d.brushNull ? QBrush(Qt::NoBrush) : QBrush(ToQColor(d.brushColor));
}

// True when there is something to draw on; otherwise the drawing is remembered as lost.
bool Ready(DeviceContext* d) {
    if (!d) return false;
    if (!d->painter) {
        d->lostDrawing = true;
        return false;
    }
    return true;
}

void Prepare(DeviceContext& d, bool withPen, bool withBrush) {
    QPainter* p = d.painter;
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setWorldTransform(Mapping(d) * d.base);
    p->setPen(withPen ? MakePen(d) : QPen(Qt::NoPen));
    p->setBrush(withBrush ? MakeBrush(d) : QBrush(Qt::NoBrush));
}

void FillLogical(DeviceContext& d, int x, int y, int cx, int cy, const QBrush& brush) {
    if (cx <= 0 || cy <= 0 || !Ready(&d)) return;
    Prepare(d, false, false);
    d.painter->fillRect(QRect(x, y, cx, cy), brush);
}

void StartPathAtPosition(DeviceContext& d) {
    if (d.path.elementCount() == 0) d.path.moveTo(d.pos.x, d.pos.y);
}

// A copy with every figure closed, for filling.
QPainterPath Closed(const QPainterPath& path) {
    QPainterPath out;
    out.setFillRule(path.fillRule());
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
            case QPainterPath::MoveToElement:
                if (i > 0) out.closeSubpath();
                out.moveTo(e);
                break;
            case QPainterPath::LineToElement:
                out.lineTo(e);
                break;
            case QPainterPath::CurveToElement:
                if (i + 2 < path.elementCount()) {
                    out.cubicTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
                    i += 2;
                }
                break;
            default:
                break;
        }
    }
    out.closeSubpath();
    return out;
}

QString TextOf(LPCTSTR text, int count) {
    if (!text) return {};
    if (count < 0) return QString::fromUtf8(text);
    return QString::fromUtf8(text, count);
}

int TextFlags(UINT format) {
    int f = 0;
    if (format & DT_CENTER)
        f |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        f |= Qt::AlignRight;
    else
        f |= Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        f |= Qt::TextSingleLine;
        if (format & DT_VCENTER)
            f |= Qt::AlignVCenter;
        else if (format & DT_BOTTOM)
            f |= Qt::AlignBottom;
        else
            f |= Qt::AlignTop;
    } else {
        f |= Qt::AlignTop;
        if (format & DT_WORDBREAK) f |= Qt::TextWordWrap;
    }
    if (!(format & DT_NOPREFIX)) f |= Qt::TextShowMnemonic;
    if (format & DT_NOCLIP) f |= Qt::TextDontClip;
    if (format & DT_EXPANDTABS) f |= Qt::TextExpandTabs;
    return f;
}

QFontMetricsF MetricsF(const DeviceContext& d) {
    return d.device ? QFontMetricsF(d.qfont, d.device) : QFontMetricsF(d.qfont);
}

}  // namespace

DeviceContext::DeviceContext() {
    LiveContexts().insert(this);
    pen = static_cast<CPen*>(StockObject(BLACK_PEN));
    brush = static_cast<CBrush*>(StockObject(WHITE_BRUSH));
    font = static_cast<CFont*>(StockObject(DEFAULT_GUI_FONT));
    qfont = FontOf(*font);
}

DeviceContext::~DeviceContext() {
    Shutdown();
    LiveContexts().erase(this);
}

void DeviceContext::Shutdown() {
    if (ownPainter) {
        UnregisterPainter(ownPainter.get());
        if (ownPainter->isActive()) ownPainter->end();
        ownPainter.reset();
    } else if (foreign && painter && painter->isActive()) {
        painter->restore();
    }
    painter = nullptr;
    foreign = false;
    if (bitmap) bitmap->m_selectedInto = nullptr;
    bitmap = nullptr;
    owner = nullptr;
}

void DeviceContext::ReleaseBitmap(CBitmap* gone) {
    if (bitmap != gone) return;
    if (ownPainter && ownPainter->isActive()) ownPainter->end();
    painter = nullptr;
    device = nullptr;
    bitmap = nullptr;
    gone->m_selectedInto = nullptr;
}

void ReleaseSelectedBitmap(DeviceContext* dc, CBitmap* bitmap) {
    if (dc) dc->ReleaseBitmap(bitmap);
}

}  // namespace platform

using platform::DeviceContext;

// ---- life ----

CDC::CDC() = default;

CDC::CDC(QPainter* painter, bool printing) {
    UseForeignPainter(painter, printing);
}

CDC::~CDC() {
    if (m_dc && m_dc->owner == this) m_dc->Shutdown();
}

DeviceContext& CDC::NewContext() {
    if (m_dc && m_dc->owner == this) m_dc->Shutdown();
    m_dc = std::make_shared<DeviceContext>();
    m_dc->owner = this;
    return *m_dc;
}

void CDC::BeginOwnPainter(QPaintDevice* device) {
    DeviceContext& d = NewContext();
    d.device = device;
    if (!device) return;
    d.ownPainter = std::make_unique<QPainter>();
    if (d.ownPainter->begin(device)) {
        d.painter = d.ownPainter.get();
        d.qfont = d.painter->font();
    } else {
        d.ownPainter.reset();
    }
    d.clip = CRect(0, 0, device->width(), device->height());
}

void CDC::UseDeviceForMeasuring(QPaintDevice* device, const QFont& font, const CRect& clip) {
    DeviceContext& d = NewContext();
    d.device = device;
    d.qfont = font;
    d.clip = clip;
}

void CDC::UseForeignPainter(QPainter* painter, bool printing) {
    DeviceContext& d = NewContext();
    d.printing = printing;
    if (!painter || !painter->isActive()) return;
    painter->save();
    d.painter = painter;
    d.foreign = true;
    d.device = painter->device();
    d.base = painter->worldTransform();
    d.qfont = painter->font();
    QRect r;
    if (painter->hasClipping())
        r = painter->clipBoundingRect().toAlignedRect();
    else if (d.device)
        r = d.base.inverted()
                .mapRect(QRectF(0, 0, d.device->width(), d.device->height()))
                .toAlignedRect();
    d.clip = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

void CDC::UsePrinter(QPrinter* printer) {
    DeviceContext& d = NewContext();
    d.printing = true;
    d.printer = printer;
    d.device = printer;
    if (printer) {
        d.qfont = platform::FontOf(*d.font);
        d.clip = CRect(0, 0, printer->width(), printer->height());
    }
}

void CDC::SetDeviceClip(const CRect& clip) {
    if (m_dc) m_dc->clip = clip;
}

bool CDC::LostDrawing() const {
    return m_dc && m_dc->lostDrawing;
}

QPainter* CDC::GetPainter() const {
    return m_dc ? m_dc->painter : nullptr;
}
BOOL CDC::IsPrinting() const {
    return m_dc && m_dc->printing;
}
HDC CDC::GetSafeHdc() const {
    return reinterpret_cast<HDC>(m_dc.get());
}

CDC* CDC::FromHandle(HDC hdc) {
    auto* d = reinterpret_cast<DeviceContext*>(hdc);
    if (!d || !platform::LiveContexts().count(d)) return nullptr;
    return d->owner;
}

BOOL CDC::Attach(HDC hdc) {
    auto* d = reinterpret_cast<DeviceContext*>(hdc);
    if (m_dc || !d || !platform::LiveContexts().count(d)) return FALSE;
    m_dc = d->shared_from_this();
    return TRUE;
}

HDC CDC::Detach() {
    if (!m_dc || m_dc->owner == this) return nullptr;
    const HDC h = GetSafeHdc();
    m_dc.reset();
    return h;
}

BOOL CDC::CreateCompatibleDC(CDC*) {
    if (m_dc) return FALSE;
    auto stock = std::make_unique<CBitmap>();
    stock->CreateCompatibleBitmap(nullptr, 1, 1);
    BeginOwnPainter(&stock->m_image);
    DeviceContext& d = *m_dc;
    d.memory = true;
    d.qfont = platform::FontOf(*d.font);
    d.bitmap = stock.get();
    stock->m_selectedInto = &d;
    d.stockBitmap = std::move(stock);
    return d.painter ? TRUE : FALSE;
}

BOOL CDC::DeleteDC() {
    if (!m_dc) return FALSE;
    if (m_dc->owner == this) m_dc->Shutdown();
    m_dc.reset();
    return TRUE;
}

// ---- objects ----

CPen* CDC::SelectObject(CPen* pen) {
    DeviceContext* d = Ctx();
    if (!d || !pen || !pen->GetSafeHandle()) return nullptr;
    CPen* old = d->pen;
    d->pen = pen;
    d->penStyle = pen->GetStyle();
    d->penWidth = pen->GetWidth();
    d->penColor = pen->GetColor();
    return old;
}

CBrush* CDC::SelectObject(CBrush* brush) {
    DeviceContext* d = Ctx();
    if (!d || !brush || !brush->GetSafeHandle()) return nullptr;
    CBrush* old = d->brush;
    d->brush = brush;
    d->brushNull = brush->IsNull();
    d->brushColor = brush->GetColor();
    return old;
}

CFont* CDC::SelectObject(CFont* font) {
    DeviceContext* d = Ctx();
    if (!d || !font || !font->GetSafeHandle()) return nullptr;
    CFont* old = d->font;
    d->font = font;
    d->qfont = platform::FontOf(*font);
    return old;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    DeviceContext* d = Ctx();
    if (!d || !d->memory || !bitmap || !bitmap->GetSafeHandle()) return nullptr;
    if (bitmap->m_selectedInto && bitmap->m_selectedInto != d) return nullptr;
    CBitmap* old = d->bitmap;
    if (old == bitmap) return old;
    if (d->ownPainter && d->ownPainter->isActive()) d->ownPainter->end();
    if (old) old->m_selectedInto = nullptr;
    d->bitmap = bitmap;
    bitmap->m_selectedInto = d;
    if (!d->ownPainter) d->ownPainter = std::make_unique<QPainter>();
    d->painter = d->ownPainter->begin(&bitmap->m_image) ? d->ownPainter.get() : nullptr;
    d->device = &bitmap->m_image;
    d->clip = CRect(0, 0, bitmap->m_image.width(), bitmap->m_image.height());
    return old;
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    if (!object) return nullptr;
    switch (object->GetKind()) {
        case CGdiObject::Kind::Pen:
            return SelectObject(static_cast<CPen*>(object));
        case CGdiObject::Kind::Brush:
            return SelectObject(static_cast<CBrush*>(object));
        case CGdiObject::Kind::Font:
            return SelectObject(static_cast<CFont*>(object));
        case CGdiObject::Kind::Bitmap:
            return SelectObject(static_cast<CBitmap*>(object));
    }
    return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
    return SelectObject(platform::StockObject(index));
}

CPen* CDC::GetCurrentPen() const {
    return m_dc ? m_dc->pen : nullptr;
}
CBrush* CDC::GetCurrentBrush() const {
    return m_dc ? m_dc->brush : nullptr;
}
CFont* CDC::GetCurrentFont() const {
    return m_dc ? m_dc->font : nullptr;
}
CBitmap* CDC::GetCurrentBitmap() const {
    return m_dc ? m_dc->bitmap : nullptr;
}

// ---- attributes ----

COLORREF CDC::SetTextColor(COLORREF color) {
    if (!m_dc) return 0;
    return std::exchange(m_dc->text, color & 0xFFFFFF);
}
COLORREF CDC::GetTextColor() const {
    return m_dc ? m_dc->text : 0;
}

COLORREF CDC::SetBkColor(COLORREF color) {
    if (!m_dc) return 0;
    return std::exchange(m_dc->bk, color & 0xFFFFFF);
}
COLORREF CDC::GetBkColor() const {
    return m_dc ? m_dc->bk : 0;
}

int CDC::SetBkMode(int mode) {
    if (!m_dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
    return std::exchange(m_dc->bkMode, mode);
}
int CDC::GetBkMode() const {
    return m_dc ? m_dc->bkMode : 0;
}

// ---- coordinates ----

int CDC::SetMapMode(int mode) {
    if (!m_dc || (mode != MM_TEXT && mode != MM_ANISOTROPIC)) return 0;
    const int old = std::exchange(m_dc->mapMode, mode);
    if (mode == MM_TEXT) m_dc->winExt = m_dc->vpExt = CSize(1, 1);
    return old;
}
int CDC::GetMapMode() const {
    return m_dc ? m_dc->mapMode : 0;
}

CPoint CDC::SetWindowOrg(int x, int y) {
    if (!m_dc) return {};
    return std::exchange(m_dc->winOrg, CPoint(x, y));
}
CPoint CDC::GetWindowOrg() const {
    return m_dc ? m_dc->winOrg : CPoint();
}

CPoint CDC::SetViewportOrg(int x, int y) {
    if (!m_dc) return {};
    return std::exchange(m_dc->vpOrg, CPoint(x, y));
}
CPoint CDC::GetViewportOrg() const {
    return m_dc ? m_dc->vpOrg : CPoint();
}

CSize CDC::SetWindowExt(int cx, int cy) {
    if (!m_dc || cx == 0 || cy == 0) return {};
    if (m_dc->mapMode != MM_ANISOTROPIC) return m_dc->winExt;
    return std::exchange(m_dc->winExt, CSize(cx, cy));
}
CSize CDC::GetWindowExt() const {
    return m_dc ? m_dc->winExt : CSize();
}

CSize CDC::SetViewportExt(int cx, int cy) {
    if (!m_dc || cx == 0 || cy == 0) return {};
    if (m_dc->mapMode != MM_ANISOTROPIC) return m_dc->vpExt;
    return std::exchange(m_dc->vpExt, CSize(cx, cy));
}
CSize CDC::GetViewportExt() const {
    return m_dc ? m_dc->vpExt : CSize();
}

void CDC::LPtoDP(LPPOINT points, int count) const {
    if (!m_dc || !points) return;
    const QTransform m = platform::Mapping(*m_dc);
    for (int i = 0; i < count; ++i) {
        const QPointF p = m.map(QPointF(points[i].x, points[i].y));
        points[i].x = static_cast<LONG>(std::lround(p.x()));
        points[i].y = static_cast<LONG>(std::lround(p.y()));
    }
}

void CDC::LPtoDP(LPRECT rect) const {
    if (rect) LPtoDP(reinterpret_cast<LPPOINT>(rect), 2);
}

void CDC::DPtoLP(LPPOINT points, int count) const {
    if (!m_dc || !points) return;
    const QTransform m = platform::Mapping(*m_dc).inverted();
    for (int i = 0; i < count; ++i) {
        const QPointF p = m.map(QPointF(points[i].x, points[i].y));
        points[i].x = static_cast<LONG>(std::lround(p.x()));
        points[i].y = static_cast<LONG>(std::lround(p.y()));
    }
}

void CDC::DPtoLP(LPRECT rect) const {
    if (rect) DPtoLP(reinterpret_cast<LPPOINT>(rect), 2);
}

int CDC::GetClipBox(LPRECT rect) const {
    if (!rect) return 0;
    CRect r = m_dc ? m_dc->clip : CRect();
    DPtoLP(&r);
    r.NormalizeRect();
    *rect = r;
    return r.IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::GetDeviceCaps(int index) const {
    const QPaintDevice* dev = m_dc ? m_dc->device : nullptr;
    const bool printing = IsPrinting();
    switch (index) {
        case HORZRES:
            return dev ? dev->width() : 0;
        case VERTRES:
            return dev ? dev->height() : 0;
        case HORZSIZE:
            return dev ? dev->widthMM() : 0;
        case VERTSIZE:
            return dev ? dev->heightMM() : 0;
        // The screen counts as 96 dots per inch, as the program's layouts expect.
        case LOGPIXELSX:
            return printing && dev ? dev->logicalDpiX() : 96;
        case LOGPIXELSY:
            return printing && dev ? dev->logicalDpiY() : 96;
        default:
            return 0;
    }
}

// ---- lines and shapes ----

CPoint CDC::MoveTo(int x, int y) {
    if (!m_dc) return {};
    const CPoint old = std::exchange(m_dc->pos, CPoint(x, y));
    if (m_dc->recording) m_dc->path.moveTo(x, y);
    return old;
}

BOOL CDC::LineTo(int x, int y) {
    DeviceContext* d = Ctx();
    if (!d) return FALSE;
    if (d->recording) {
        platform::StartPathAtPosition(*d);
        d->path.lineTo(x, y);
    } else if (platform::Ready(d)) {
        platform::Prepare(*d, true, false);
        d->painter->drawLine(QPointF(d->pos.x, d->pos.y), QPointF(x, y));
    }
    d->pos = CPoint(x, y);
    return TRUE;
}

CPoint CDC::GetCurrentPosition() const {
    return m_dc ? m_dc->pos : CPoint();
}

BOOL CDC::Polyline(const POINT* points, int count) {
    DeviceContext* d = Ctx();
    if (!d || !points || count < 2) return FALSE;
    QPolygonF poly;
    for (int i = 0; i < count; ++i)
        poly << QPointF(points[i].x, points[i].y);
    if (d->recording) {
        d->path.moveTo(poly[0]);
        for (int i = 1; i < count; ++i)
            d->path.lineTo(poly[i]);
    } else if (platform::Ready(d)) {
        platform::Prepare(*d, true, false);
        d->painter->drawPolyline(poly);
    }
    return TRUE;
}

BOOL CDC::Polygon(const POINT* points, int count) {
    DeviceContext* d = Ctx();
    if (!d || !points || count < 2) return FALSE;
    QPolygonF poly;
    for (int i = 0; i < count; ++i)
        poly << QPointF(points[i].x, points[i].y);
    if (d->recording) {
        d->path.moveTo(poly[0]);
        for (int i = 1; i < count; ++i)
            d->path.lineTo(poly[i]);
        d->path.closeSubpath();
    } else if (platform::Ready(d)) {
        platform::Prepare(*d, true, true);
        d->painter->drawPolygon(poly, Qt::OddEvenFill);
    }
    return TRUE;
}

BOOL CDC::PolyBezierTo(const POINT* points, int count) {
    DeviceContext* d = Ctx();
    if (!d || !points || count <= 0 || count % 3 != 0) return FALSE;
    QPainterPath curve(QPointF(d->pos.x, d->pos.y));
    QPainterPath& target = d->recording ? d->path : curve;
    if (d->recording) platform::StartPathAtPosition(*d);
    for (int i = 0; i < count; i += 3)
        target.cubicTo(QPointF(points[i].x, points[i].y), QPointF(points[i + 1].x, points[i + 1].y),
                       QPointF(points[i + 2].x, points[i + 2].y));
    if (!d->recording && platform::Ready(d)) {
        platform::Prepare(*d, true, false);
        d->painter->drawPath(curve);
    }
    d->pos = points[count - 1];
    return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    DeviceContext* d = Ctx();
    if (!d) return FALSE;
    CRect r(left, top, right, bottom);
    r.NormalizeRect();
    if (r.IsRectEmpty() || !platform::Ready(d)) return TRUE;
    // The outline runs on the rectangle's first and last rows and columns; with the null pen the
    // filled area is one pixel smaller, as on Windows.
    const int style = d->penStyle & PS_STYLE_MASK;
    const bool thinSolid = (style == PS_SOLID || style == PS_INSIDEFRAME) &&
                           (d->penWidth == 0 || (d->penWidth == 1 && !platform::Scaled(*d)));
    if (style == PS_NULL || (thinSolid && !platform::Scaled(*d))) {
        // Filled edge by edge: the stroker drops a corner pixel when the rectangle is clipped.
        const QBrush fill = platform::MakeBrush(*d);
        if (style == PS_NULL) {
            platform::FillLogical(*d, r.left, r.top, r.Width() - 1, r.Height() - 1, fill);
            return TRUE;
        }
        if (fill.style() != Qt::NoBrush)
            platform::FillLogical(*d, r.left + 1, r.top + 1, r.Width() - 2, r.Height() - 2, fill);
        const QBrush pen(platform::ToQColor(d->penColor));
        platform::FillLogical(*d, r.left, r.top, r.Width(), 1, pen);
        platform::FillLogical(*d, r.left, r.bottom - 1, r.Width(), 1, pen);
        platform::FillLogical(*d, r.left, r.top + 1, 1, r.Height() - 2, pen);
        platform::FillLogical(*d, r.right - 1, r.top + 1, 1, r.Height() - 2, pen);
        return TRUE;
    }
    platform::Prepare(*d, true, true);
    d->painter->drawRect(QRectF(r.left, r.top, r.Width() - 1, r.Height() - 1));
    return TRUE;
}

// ---- filled areas ----

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
    if (!m_dc || !rect) return;
    m_dc->bk = color & 0xFFFFFF;
    platform::FillLogical(*m_dc, rect->left, rect->top, rect->right - rect->left,
                          rect->bottom - rect->top, QBrush(platform::ToQColor(color)));
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    const CRect r(x, y, x + cx, y + cy);
    FillSolidRect(&r, color);
}

void CDC::FillRect(LPCRECT rect, CBrush* brush) {
    if (!m_dc || !rect || !brush || !brush->GetSafeHandle() || brush->IsNull()) return;
    platform::FillLogical(*m_dc, rect->left, rect->top, rect->right - rect->left,
                          rect->bottom - rect->top, QBrush(platform::ToQColor(brush->GetColor())));
}

void CDC::FrameRect(LPCRECT rect, CBrush* brush) {
    if (!m_dc || !rect || !brush || !brush->GetSafeHandle() || brush->IsNull()) return;
    const CRect r(*rect);
    if (r.IsRectEmpty()) return;
    const QBrush b(platform::ToQColor(brush->GetColor()));
    platform::FillLogical(*m_dc, r.left, r.top, r.Width(), 1, b);
    platform::FillLogical(*m_dc, r.left, r.bottom - 1, r.Width(), 1, b);
    platform::FillLogical(*m_dc, r.left, r.top + 1, 1, r.Height() - 2, b);
    platform::FillLogical(*m_dc, r.right - 1, r.top + 1, 1, r.Height() - 2, b);
}

void CDC::DrawFocusRect(LPCRECT rect) {
    DeviceContext* d = Ctx();
    if (!d || !rect || d->printing || !platform::Ready(d)) return;
    QPaintEngine* engine = d->painter->paintEngine();
    if (!engine || !engine->hasFeature(QPaintEngine::RasterOpModes)) return;
    CRect r(*rect);
    LPtoDP(&r);
    r.NormalizeRect();
    if (r.IsRectEmpty()) return;
    platform::Prepare(*d, false, false);
    QPainter* p = d->painter;
    p->setWorldTransform(d->base);
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p->setBrushOrigin(0, 0);
    const QBrush checker(Qt::white, Qt::Dense4Pattern);
    p->fillRect(QRect(r.left, r.top, r.Width(), 1), checker);
    if (r.Height() > 1) p->fillRect(QRect(r.left, r.bottom - 1, r.Width(), 1), checker);
    if (r.Height() > 2) {
        p->fillRect(QRect(r.left, r.top + 1, 1, r.Height() - 2), checker);
        if (r.Width() > 1) p->fillRect(QRect(r.right - 1, r.top + 1, 1, r.Height() - 2), checker);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

BOOL CDC::DrawEdge(LPRECT rect, UINT edge, UINT flags) {
    if (!m_dc || !rect) return FALSE;
    CRect r(*rect);
    auto line = [this](int x, int y, int cx, int cy, int sysColor) {
        platform::FillLogical(*m_dc, x, y, cx, cy,
                              QBrush(platform::ToQColor(GetSysColor(sysColor))));
    };
    // One ring: top and left in the first colour, bottom and right (and the two corners they
    // share with it) in the second.
    auto ring = [&](int topLeft, int bottomRight) {
        if (flags & BF_TOP) line(r.left, r.top, r.Width(), 1, topLeft);
        if (flags & BF_LEFT) line(r.left, r.top, 1, r.Height(), topLeft);
        if (flags & BF_BOTTOM) line(r.left, r.bottom - 1, r.Width(), 1, bottomRight);
        if (flags & BF_RIGHT) line(r.right - 1, r.top, 1, r.Height(), bottomRight);
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
    };
    if (edge & BDR_RAISEDOUTER)
        ring(COLOR_3DLIGHT, COLOR_3DDKSHADOW);
    else if (edge & BDR_SUNKENOUTER)
        ring(COLOR_3DSHADOW, COLOR_3DHIGHLIGHT);
    if (edge & BDR_RAISEDINNER)
        ring(COLOR_3DHIGHLIGHT, COLOR_3DSHADOW);
    else if (edge & BDR_SUNKENINNER)
        ring(COLOR_3DDKSHADOW, COLOR_3DLIGHT);
    if (flags & BF_MIDDLE) line(r.left, r.top, r.Width(), r.Height(), COLOR_3DFACE);
    if (flags & BF_ADJUST) *rect = r;
    return TRUE;
}

// ---- text ----

int CDC::DrawText(LPCTSTR text, int count, LPRECT rect, UINT format) {
    DeviceContext* d = Ctx();
    if (!d || !rect) return 0;
    QString s = platform::TextOf(text, count);
    const int flags = platform::TextFlags(format);
    const QFontMetricsF fm = platform::MetricsF(*d);
    const QRectF box(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    if ((format & DT_END_ELLIPSIS) && (format & DT_SINGLELINE) && !(format & DT_CALCRECT))
        s = fm.elidedText(s, Qt::ElideRight, box.width(), flags & Qt::TextShowMnemonic);
    if (format & DT_CALCRECT) {
        constexpr double kFar = 1e6;
        const int alignLeftTop = (flags & ~(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask)) |
                                 Qt::AlignLeft | Qt::AlignTop;
        const QRectF area(box.left(), box.top(), (format & DT_WORDBREAK) ? box.width() : kFar,
                          kFar);
        const QRectF used = fm.boundingRect(area, alignLeftTop, s);
        rect->right = rect->left + static_cast<LONG>(std::ceil(used.width()));
        rect->bottom = rect->top + static_cast<LONG>(std::ceil(used.height()));
        return rect->bottom - rect->top;
    }
    const QRectF used = fm.boundingRect(box, flags, s);
    if (platform::Ready(d)) {
        platform::Prepare(*d, false, false);
        QPainter* p = d->painter;
        p->setFont(d->qfont);
        if (d->bkMode == OPAQUE) {
            QRectF area = used;
            if (!(format & DT_NOCLIP)) area = area.intersected(box);
            p->fillRect(area, platform::ToQColor(d->bk));
        }
        p->setPen(platform::ToQColor(d->text));
        p->drawText(box, flags, s);
    }
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)))
        return static_cast<int>(std::ceil(used.bottom() - box.top()));
    return static_cast<int>(std::ceil(used.height()));
}

int CDC::DrawText(const CString& text, LPRECT rect, UINT format) {
    return DrawText(text.GetString(), text.GetLength(), rect, format);
}

BOOL CDC::TextOut(int x, int y, LPCTSTR text, int count) {
    DeviceContext* d = Ctx();
    if (!d) return FALSE;
    const QString s = platform::TextOf(text, count);
    if (!platform::Ready(d)) return TRUE;
    const QFontMetricsF fm = platform::MetricsF(*d);
    platform::Prepare(*d, false, false);
    QPainter* p = d->painter;
    p->setFont(d->qfont);
    if (d->bkMode == OPAQUE)
        p->fillRect(QRectF(x, y, fm.horizontalAdvance(s), fm.height()), platform::ToQColor(d->bk));
    p->setPen(platform::ToQColor(d->text));
    p->drawText(QPointF(x, y + fm.ascent()), s);
    return TRUE;
}

BOOL CDC::TextOut(int x, int y, const CString& text) {
    return TextOut(x, y, text.GetString(), text.GetLength());
}

CSize CDC::GetTextExtent(LPCTSTR text, int count) const {
    if (!m_dc) return {};
    // Measured as DrawText measures, so that DT_CALCRECT and the extent agree.
    const QFontMetricsF fm = platform::MetricsF(*m_dc);
    return CSize(static_cast<int>(std::ceil(fm.horizontalAdvance(platform::TextOf(text, count)))),
                 static_cast<int>(std::ceil(fm.height())));
}

CSize CDC::GetTextExtent(const CString& text) const {
    return GetTextExtent(text.GetString(), text.GetLength());
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* tm) const {
    if (!m_dc || !tm) return FALSE;
    const QFontMetricsF fm = platform::MetricsF(*m_dc);
    tm->tmAscent = static_cast<LONG>(std::ceil(fm.ascent()));
    tm->tmDescent = static_cast<LONG>(std::ceil(fm.descent()));
    tm->tmHeight = tm->tmAscent + tm->tmDescent;
    const int pixels = m_dc->qfont.pixelSize();
    tm->tmInternalLeading = pixels > 0 ? std::max<LONG>(0, tm->tmHeight - pixels) : 0;
    tm->tmExternalLeading = static_cast<LONG>(std::max(0.0, std::round(fm.leading())));
    tm->tmAveCharWidth = static_cast<LONG>(std::lround(fm.averageCharWidth()));
    tm->tmMaxCharWidth = static_cast<LONG>(std::ceil(fm.maxWidth()));
    tm->tmOverhang = 0;
    return TRUE;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    return static_cast<int>(std::llround(static_cast<double>(a) * b / c));
}

// ---- paths ----

BOOL CDC::BeginPath() {
    if (!m_dc) return FALSE;
    m_dc->path = QPainterPath();
    m_dc->path.setFillRule(Qt::OddEvenFill);
    m_dc->hasPath = true;
    m_dc->recording = true;
    return TRUE;
}

BOOL CDC::EndPath() {
    if (!m_dc || !m_dc->recording) return FALSE;
    m_dc->recording = false;
    return TRUE;
}

BOOL CDC::AbortPath() {
    if (!m_dc) return FALSE;
    m_dc->path = QPainterPath();
    m_dc->hasPath = m_dc->recording = false;
    return TRUE;
}

BOOL CDC::CloseFigure() {
    if (!m_dc || !m_dc->recording) return FALSE;
    m_dc->path.closeSubpath();
    return TRUE;
}

namespace {

BOOL DrawRecordedPath(DeviceContext* d, bool stroke, bool fill) {
    if (!d || !d->hasPath || d->recording) return FALSE;
    const QPainterPath path = fill ? platform::Closed(d->path) : d->path;
    d->path = QPainterPath();
    d->hasPath = false;
    if (platform::Ready(d)) {
        platform::Prepare(*d, stroke, fill);
        d->painter->drawPath(path);
    }
    return TRUE;
}

}  // namespace

BOOL CDC::StrokePath() {
    return DrawRecordedPath(Ctx(), true, false);
}
BOOL CDC::FillPath() {
    return DrawRecordedPath(Ctx(), false, true);
}
BOOL CDC::StrokeAndFillPath() {
    return DrawRecordedPath(Ctx(), true, true);
}

// ---- pictures ----

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
    DeviceContext* d = Ctx();
    if (!d || rop != SRCCOPY || !source || !source->Ctx()) return FALSE;
    const DeviceContext& s = *source->Ctx();
    if (!s.memory || !s.bitmap) return FALSE;
    if (width <= 0 || height <= 0) return TRUE;
    const QRectF from = platform::Mapping(s).mapRect(QRectF(xSrc, ySrc, width, height));
    const QRectF to = platform::Mapping(*d).mapRect(QRectF(x, y, width, height));
    if (platform::Ready(d)) {
        platform::Prepare(*d, false, false);
        d->painter->setWorldTransform(d->base);
        d->painter->drawImage(to, s.bitmap->m_image, from);
    }
    return TRUE;
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, DWORD rop) {
    DeviceContext* d = Ctx();
    if (!d || rop != SRCCOPY || !source || !source->Ctx()) return FALSE;
    const DeviceContext& s = *source->Ctx();
    if (!s.memory || !s.bitmap) return FALSE;
    if (width == 0 || height == 0 || srcWidth <= 0 || srcHeight <= 0) return TRUE;
    const QRectF from = platform::Mapping(s).mapRect(QRectF(xSrc, ySrc, srcWidth, srcHeight));
    const QRectF to = platform::Mapping(*d).mapRect(QRectF(x, y, width, height));
    if (platform::Ready(d)) {
        platform::Prepare(*d, false, false);
        d->painter->setWorldTransform(d->base);
        d->painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        d->painter->drawImage(to, s.bitmap->m_image, from);
    }
    return TRUE;
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    DeviceContext* d = Ctx();
    if (!d || rop != PATCOPY) return FALSE;
    if (width < 0) x += width, width = -width;
    if (height < 0) y += height, height = -height;
    platform::FillLogical(*d, x, y, width, height, platform::MakeBrush(*d));
    return TRUE;
}

BOOL CDC::PlgBlt(const POINT* points, CDC* source, int xSrc, int ySrc, int width, int height,
                 CBitmap* mask, int, int) {
    DeviceContext* d = Ctx();
    if (!d || !points || mask || !source || !source->Ctx()) return FALSE;
    const DeviceContext& s = *source->Ctx();
    if (!s.memory || !s.bitmap) return FALSE;
    if (width <= 0 || height <= 0) return TRUE;
    // The affine map that takes the source rectangle's corners to the three points.
    const double ux = static_cast<double>(points[1].x - points[0].x) / width;
    const double uy = static_cast<double>(points[1].y - points[0].y) / width;
    const double vx = static_cast<double>(points[2].x - points[0].x) / height;
    const double vy = static_cast<double>(points[2].y - points[0].y) / height;
    const QTransform turn = QTransform::fromTranslate(-xSrc, -ySrc) *
                            QTransform(ux, uy, vx, vy, points[0].x, points[0].y);
    const QRectF from = platform::Mapping(s).mapRect(QRectF(xSrc, ySrc, width, height));
    if (platform::Ready(d)) {
        platform::Prepare(*d, false, false);
        QPainter* p = d->painter;
        p->setWorldTransform(turn * platform::Mapping(*d) * d->base);
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
        p->drawImage(QRectF(xSrc, ySrc, width, height), s.bitmap->m_image, from);
    }
    return TRUE;
}

// ---- the window DCs ----

CPaintDC::CPaintDC(CWnd* wnd) {
    QWidget* widget = wnd ? wnd->GetWidget() : nullptr;
    const platform::PaintContext* paint = platform::CurrentPaint();
    if (widget && paint && paint->widget == widget) {
        if (QPainter* active = platform::ActivePainterFor(widget)) {
            UseForeignPainter(active, false);
        } else {
            BeginOwnPainter(widget);
            if (QPainter* p = GetPainter()) platform::RegisterPainter(widget, p);
        }
        SetDeviceClip(paint->rect);
        m_ps.rcPaint = paint->rect;
    } else {
        UseDeviceForMeasuring(widget, widget ? widget->font() : QFont(), CRect());
    }
    m_ps.hdc = GetSafeHdc();
    if (wnd)
        m_ps.fErase =
            !wnd->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<CDC*>(this)));
}

// The painter goes, and leaves the list of active painters, with the DC.
CPaintDC::~CPaintDC() = default;

CClientDC::CClientDC(CWnd* wnd) {
    QWidget* widget = wnd ? wnd->GetWidget() : nullptr;
    m_hWnd = wnd ? wnd->m_hWnd : nullptr;
    const CRect client = widget ? CRect(0, 0, widget->width(), widget->height()) : CRect();
    const platform::PaintContext* paint = platform::CurrentPaint();
    if (QPainter* active = widget ? platform::ActivePainterFor(widget) : nullptr) {
        UseForeignPainter(active, false);
    } else if (widget && paint && paint->widget == widget) {
        BeginOwnPainter(widget);
        if (QPainter* p = GetPainter()) platform::RegisterPainter(widget, p);
    } else {
        UseDeviceForMeasuring(widget, widget ? widget->font() : QFont(), client);
    }
    SetDeviceClip(client);
}

CClientDC::~CClientDC() {
    if (LostDrawing())
        if (CWnd* wnd = CWnd::FromHandlePermanent(m_hWnd)) wnd->Invalidate(FALSE);
}

// ---- print jobs ----

int CDC::StartDoc(LPCTSTR docName) {
    DOCINFO info;
    info.lpszDocName = docName;
    return StartDoc(&info);
}

int CDC::StartDoc(const DOCINFO* info) {
    DeviceContext* d = Ctx();
    if (!d || !d->printer || d->inDoc) return SP_ERROR;
    if (info && info->lpszDocName) d->printer->setDocName(QString::fromUtf8(info->lpszDocName));
    if (info && info->lpszOutput)
        d->printer->setOutputFileName(QString::fromUtf8(info->lpszOutput));
    d->ownPainter = std::make_unique<QPainter>();
    if (!d->ownPainter->begin(d->printer)) {
        d->ownPainter.reset();
        return SP_ERROR;
    }
    d->painter = d->ownPainter.get();
    d->clip = CRect(0, 0, d->printer->width(), d->printer->height());
    d->inDoc = true;
    d->pages = 0;
    return 1;
}

int CDC::StartPage() {
    DeviceContext* d = Ctx();
    if (!d || !d->inDoc || d->inPage) return SP_ERROR;
    // The document starts on its first page; every later one is a new sheet.
    if (d->pages > 0 && !d->printer->newPage()) return SP_ERROR;
    d->inPage = true;
    ++d->pages;
    return 1;
}

int CDC::EndPage() {
    DeviceContext* d = Ctx();
    if (!d || !d->inPage) return SP_ERROR;
    d->inPage = false;
    return 1;
}

int CDC::EndDoc() {
    DeviceContext* d = Ctx();
    if (!d || !d->inDoc) return SP_ERROR;
    const bool ok = d->ownPainter->end();
    d->ownPainter.reset();
    d->painter = nullptr;
    d->inDoc = d->inPage = false;
    return ok ? 1 : SP_ERROR;
}

int CDC::AbortDoc() {
    DeviceContext* d = Ctx();
    if (!d || !d->inDoc) return SP_ERROR;
    d->printer->abort();
    if (d->ownPainter->isActive()) d->ownPainter->end();
    d->ownPainter.reset();
    d->painter = nullptr;
    d->inDoc = d->inPage = false;
    if (d->printer->outputFormat() == QPrinter::PdfFormat &&
        !d->printer->outputFileName().isEmpty())
        QFile::remove(d->printer->outputFileName());
    return 1;
}
