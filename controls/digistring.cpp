#include "controls/digistring.h"

#include <cmath>
#include <limits>
#include <span>

#include "analysis/bezier_fit.h"
#include "controls/memdc.h"
#include "platform/win/widget_bridge.h"

namespace {

constexpr int kCellHeight = 83;
constexpr int kMirrorX = 2 * 24;  // (49 - 1) / 2 is the vertical centre line
constexpr int kMirrorY = 2 * 41;

struct ShapePoint {
    int x, y;
    BYTE type;
};
using Shape = std::span<const ShapePoint>;

constexpr BYTE M = PT_MOVETO, L = PT_LINETO, B = PT_BEZIERTO;

// Seven segments.
constexpr ShapePoint kPlain7Horizontal[] = {{5, 4, M}, {12, 11, L}, {36, 11, L}, {43, 4, L}};
constexpr ShapePoint kPlain7Vertical[] = {{4, 6, M}, {4, 40, L}, {11, 36, L}, {11, 13, L}};
constexpr ShapePoint kPlain7Middle[] = {{6, 41, M},  {14, 45, L}, {34, 45, L},
                                        {42, 41, L}, {34, 37, L}, {14, 37, L}};
constexpr ShapePoint kSmooth7Horizontal[] = {{6, 4, M},   {5, 5, B},   {5, 6, B}, {8, 9, B},
                                             {12, 11, L}, {36, 11, L}, {39, 4, L}};
constexpr ShapePoint kSmooth7LeftVertical[] = {{4, 9, M},  {4, 39, L},  {6, 40, B}, {7, 40, B},
                                               {9, 38, B}, {11, 36, L}, {11, 12, L}};
constexpr ShapePoint kSmooth7RightVertical[] = {{37, 36, M}, {39, 38, B}, {41, 40, B}, {42, 40, L},
                                                {44, 39, L}, {44, 6, L},  {42, 4, B},  {41, 4, B},
                                                {39, 8, B},  {37, 12, L}};
constexpr ShapePoint kSmooth7Middle[] = {{8, 41, M},  {12, 45, L}, {36, 45, L},
                                         {40, 41, L}, {36, 37, L}, {12, 37, L}};

// Fourteen segments.
constexpr ShapePoint kPlain14CentreVertical[] = {
    {20, 13, M}, {20, 36, L}, {24, 40, L}, {28, 36, L}, {28, 13, L}};
constexpr ShapePoint kPlain14Diagonal[] = {{5, 5, M}, {15, 35, L}, {20, 37, L}, {18, 25, L}};
constexpr ShapePoint kPlain14HalfMiddle[] = {{6, 41, M},  {14, 45, L}, {18, 45, L},
                                             {22, 41, L}, {18, 37, L}, {14, 37, L}};
constexpr ShapePoint kPlain14OuterVertical[] = {{4, 7, M}, {4, 40, L}, {11, 36, L}, {11, 26, L}};
constexpr ShapePoint kPlain14Horizontal[] = {{6, 4, M}, {11, 11, L}, {37, 11, L}, {42, 4, L}};
constexpr ShapePoint kSmooth14CentreVertical[] = {
    {20, 12, M}, {20, 25, L}, {22, 36, B}, {23, 39, B}, {24, 40, B}, {25, 39, B}, {26, 36, B},
    {28, 25, L}, {28, 12, L}, {26, 10, B}, {24, 9, B},  {22, 10, B}, {20, 12, L}};
constexpr ShapePoint kSmooth14Diagonal[] = {{10, 10, M}, {10, 13, B}, {11, 20, B}, {13, 28, B},
                                            {21, 38, L}, {21, 37, L}, {19, 26, B}, {15, 16, B},
                                            {11, 10, B}, {10, 10, L}};
constexpr ShapePoint kSmooth14HalfMiddle[] = {{8, 41, M},  {12, 45, L}, {16, 45, L},
                                              {23, 41, L}, {16, 37, L}, {12, 37, L}};
constexpr ShapePoint kSmooth14OuterVertical[] = {{4, 7, M},  {4, 39, L},  {5, 40, B},  {6, 40, B},
                                                 {9, 37, B}, {11, 33, B}, {11, 25, L}, {9, 14, B},
                                                 {5, 6, B},  {4, 7, L}};
constexpr ShapePoint kSmooth14Horizontal[] = {
    {8, 4, M},   {7, 5, B},  {7, 6, B},  {9, 8, B},  {12, 9, B},  {14, 11, L},
    {19, 11, L}, {21, 9, B}, {24, 7, B}, {27, 9, B}, {29, 11, L}, {34, 11, L},
    {36, 9, B},  {39, 8, B}, {41, 6, B}, {41, 5, B}, {40, 4, L}};

// The colon and the decimal point.
constexpr ShapePoint kColonUpper[] = {{4, 23, M}, {4, 32, L}, {13, 32, L}, {13, 23, L}};
constexpr ShapePoint kColonLower[] = {{4, 50, M}, {4, 59, L}, {13, 59, L}, {13, 50, L}};
constexpr ShapePoint kDecimalPoint[] = {{4, 68, M}, {4, 77, L}, {13, 77, L}, {13, 68, L}};

enum Mirror { kNone = 0, kInX = 1, kInY = 2, kInXY = kInX | kInY };

struct SegmentSpec {
    Shape plain;
    Shape smooth;
    int plainMirror;
    int smoothMirror;
};

const SegmentSpec k7Segments[] = {
    {kPlain7Horizontal, kSmooth7Horizontal, kNone, kNone},  // top
    {kPlain7Vertical, kSmooth7LeftVertical, kNone, kNone},  // upper left
    {kPlain7Vertical, kSmooth7RightVertical, kInX, kNone},  // upper right
    {kPlain7Middle, kSmooth7Middle, kNone, kNone},          // middle
    {kPlain7Vertical, kSmooth7LeftVertical, kInY, kInY},    // lower left
    {kPlain7Vertical, kSmooth7RightVertical, kInXY, kInY},  // lower right
    {kPlain7Horizontal, kSmooth7Horizontal, kInY, kInY},    // bottom
};

const SegmentSpec k14Segments[] = {
    {kPlain14CentreVertical, kSmooth14CentreVertical, kNone, kNone},  // upper centre vertical
    {kPlain14Diagonal, kSmooth14Diagonal, kNone, kNone},              // upper-left diagonal
    {kPlain14Diagonal, kSmooth14Diagonal, kInX, kInX},                // upper-right diagonal
    {kPlain14Diagonal, kSmooth14Diagonal, kInY, kInY},                // lower-left diagonal
    {kPlain14Diagonal, kSmooth14Diagonal, kInXY, kInXY},              // lower-right diagonal
    {kPlain14CentreVertical, kSmooth14CentreVertical, kInY, kInY},    // lower centre vertical
    {kPlain14HalfMiddle, kSmooth14HalfMiddle, kNone, kNone},          // middle left
    {kPlain14HalfMiddle, kSmooth14HalfMiddle, kInX, kInX},            // middle right
    {kPlain14OuterVertical, kSmooth14OuterVertical, kNone, kNone},    // upper-left outer
    {kPlain14OuterVertical, kSmooth14OuterVertical, kInY, kInY},      // lower-left outer
    {kPlain14Horizontal, kSmooth14Horizontal, kInY, kInY},            // bottom
    {kPlain14OuterVertical, kSmooth14OuterVertical, kInXY, kInXY},    // lower-right outer
    {kPlain14OuterVertical, kSmooth14OuterVertical, kInX, kInX},      // upper-right outer
    {kPlain14Horizontal, kSmooth14Horizontal, kNone, kNone},          // top
};

const SegmentSpec kColonSegments[] = {
    {kColonUpper, kColonUpper, kNone, kNone},
    {kColonLower, kColonLower, kNone, kNone},
    {kDecimalPoint, kDecimalPoint, kNone, kNone},
};

// Indexed 0 space, 1 to 10 "0" to "9", 11 minus.
constexpr WORD k7Masks[] = {0x00, 0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F, 0x08};
// The same twelve, then "A" to "Z", "*" and "+".
constexpr WORD k14Masks[] = {0x0000, 0x3F00, 0x1800, 0x36C0, 0x3CC0, 0x19C0, 0x2DC0, 0x2FC0,
                             0x3800, 0x3FC0, 0x3DC0, 0x00C0, 0x3BC0, 0x3CA1, 0x2700, 0x3C21,
                             0x27C0, 0x23C0, 0x2F80, 0x1BC0, 0x2421, 0x1E00, 0x0354, 0x0700,
                             0x1B06, 0x1B12, 0x3F00, 0x33C0, 0x3F10, 0x33D0, 0x2DC0, 0x2021,
                             0x1F00, 0x030C, 0x1B18, 0x001E, 0x11E0, 0x240C, 0x00FF, 0x00E1};
constexpr WORD kDotMask = 0x04;
constexpr WORD kColonMask = 0x03;

CDigiSegment MakeSegment(Shape shape, int mirror) {
    CDigiSegment s;
    s.points.reserve(shape.size());
    s.types.reserve(shape.size());
    for (const ShapePoint& p : shape) {
        s.points.push_back(
            {(mirror & kInX) ? kMirrorX - p.x : p.x, (mirror & kInY) ? kMirrorY - p.y : p.y});
        s.types.push_back(p.type);
    }
    return s;
}

std::vector<CDigiSegment> BuildSegments(std::span<const SegmentSpec> specs, DWORD style) {
    std::vector<CDigiSegment> out;
    out.reserve(specs.size());
    const bool smooth = style & DS_SMOOTH;
    for (const SegmentSpec& spec : specs)
        out.push_back(MakeSegment(smooth ? spec.smooth : spec.plain,
                                  smooth ? spec.smoothMirror : spec.plainMirror));
    return out;
}

// Rounds half up, as the display's truncation of value + 0.5 does for its positive coordinates;
// values outside the int range are clamped rather than left undefined.
LONG Round(double value) {
    const double r = std::floor(value + 0.5);
    if (!(r > std::numeric_limits<LONG>::min()))
        return std::isnan(r) ? 0 : std::numeric_limits<LONG>::min();
    if (!(r < std::numeric_limits<LONG>::max())) return std::numeric_limits<LONG>::max();
    return static_cast<LONG>(r);
}

COLORREF OutlineColor(COLORREF fill, COLORREF background) {
    auto mix = [](int f, int b) { return static_cast<int>(0.75 * f + 0.25 * b); };
    return RGB(mix(GetRValue(fill), GetRValue(background)),
               mix(GetGValue(fill), GetGValue(background)),
               mix(GetBValue(fill), GetBValue(background)));
}

}  // namespace

// ---- characters ----

void CDigiChar::SetSegments(WORD mask, DWORD) {
    m_wSegmData = mask;
}

CDigi7Segment::CDigi7Segment() {
    m_Width = 49;
    m_NSegments = 7;
}

void CDigi7Segment::SetSegments(WORD mask, DWORD style) {
    m_SegmArray = BuildSegments(k7Segments, style);
    m_wSegmData = mask;
}

CDigi14Segment::CDigi14Segment() {
    m_Width = 49;
    m_NSegments = 14;
}

void CDigi14Segment::SetSegments(WORD mask, DWORD style) {
    m_SegmArray = BuildSegments(k14Segments, style);
    m_wSegmData = mask;
}

CDigiColonDotChar::CDigiColonDotChar() {
    m_Width = 18;
    m_NSegments = 3;
}

void CDigiColonDotChar::SetSegments(WORD mask, DWORD style) {
    m_SegmArray = BuildSegments(kColonSegments, style);
    m_wSegmData = mask;
}

void CDigiChar::Draw(CDC* dc, const CDoubleRect& cell, CPen* offPen, CPen* onPen, CBrush* offBrush,
                     CBrush* onBrush) const {
    const int count = std::min<int>(m_NSegments, static_cast<int>(m_SegmArray.size()));
    for (int n = 0; n < count; ++n) {
        const bool lit = m_wSegmData & (1u << n);
        dc->SelectObject(lit ? onBrush : offBrush);
        dc->SelectObject(lit ? onPen : offPen);
        dc->BeginPath();
        DrawOutline(m_SegmArray[static_cast<size_t>(n)], dc, cell, m_Width);
        dc->EndPath();
        dc->StrokeAndFillPath();
    }
}

void CDigiChar::DrawOutline(const CDigiSegment& segment, CDC* dc, const CDoubleRect& cell,
                            int widthUnits) {
    if (widthUnits <= 0) return;
    const double sx = (cell.right - cell.left) / widthUnits;
    const double sy = (cell.bottom - cell.top) / kCellHeight;
    const size_t n = std::min(segment.points.size(), segment.types.size());
    auto scaledX = [&](size_t i) { return segment.points[i].x * sx + cell.left; };
    auto scaledY = [&](size_t i) { return segment.points[i].y * sy + cell.top; };
    auto device = [&](size_t i) { return POINT{Round(scaledX(i)), Round(scaledY(i))}; };
    size_t i = 0;
    while (i < n) {
        const BYTE type = segment.types[i];
        if (type == PT_MOVETO) {
            dc->MoveTo(device(i));
            ++i;
        } else if (type != PT_BEZIERTO) {
            dc->LineTo(device(i));
            ++i;
        } else {
            size_t end = i;
            while (end < n && segment.types[end] == PT_BEZIERTO)
                ++end;
            // A curve needs the point before its run and the one after it; without them the
            // run's points are joined by lines.
            if (i == 0 || end == n) {
                for (; i < end; ++i)
                    dc->LineTo(device(i));
                continue;
            }
            std::vector<double> run;
            run.reserve(2 * (end - i + 2));
            for (size_t k = i - 1; k <= end; ++k) {
                run.push_back(scaledX(k));
                run.push_back(scaledY(k));
            }
            double p1x, p1y, p2x, p2y;
            FitCubicBezier(run.data(), static_cast<int>(run.size()), p1x, p1y, p2x, p2y);
            const POINT curve[3] = {
                {Round(p1x), Round(p1y)}, {Round(p2x), Round(p2y)}, device(end)};
            dc->PolyBezierTo(curve, 3);
            i = end + 1;
        }
    }
}

// ---- the display ----

CDigistring::CDigistring() = default;

QWidget* CDigistring::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    auto* w = new platform::WndWidget(parentWidget);
    w->setFocusPolicy(Qt::NoFocus);
    return w;
}

void CDigistring::SetText(LPCTSTR text) {
    const CString t(text);
    if (t == m_strText) return;
    m_strText = t;
    m_bModified = TRUE;
    Invalidate(TRUE);
}

void CDigistring::SetColor(COLORREF offColor, COLORREF onColor) {
    if (offColor == m_OffColor && onColor == m_OnColor) return;
    m_OffColor = offColor;
    m_OnColor = onColor;
    Invalidate();
}

void CDigistring::SetBackColor(COLORREF color) {
    if (color == m_BackColor) return;
    m_BackColor = color;
    Invalidate();
}

BOOL CDigistring::ModifyDigiStyle(DWORD remove, DWORD add) {
    if (remove & add) return FALSE;
    m_dwStyle = (m_dwStyle | add) & ~remove;
    m_bModified = TRUE;
    Invalidate();
    return TRUE;
}

std::unique_ptr<CDigiChar> CDigistring::DefineChar(char ch) const {
    // As a byte: a degree or micro sign must not reach the tables as a negative index.
    const unsigned char c = static_cast<unsigned char>(ch);
    int index = -1;
    if (c == ' ')
        index = 0;
    else if (c == '-')
        index = 11;
    else if (c >= '0' && c <= '9')
        index = c - '/';
    std::unique_ptr<CDigiChar> digit;
    WORD mask = 0;
    if (index >= 0) {
        if (m_dwStyle & DS_STYLE14) {
            digit = std::make_unique<CDigi14Segment>();
            mask = k14Masks[index];
        } else {
            digit = std::make_unique<CDigi7Segment>();
            mask = k7Masks[index];
        }
    } else if (c >= 'A' && c <= 'Z') {
        digit = std::make_unique<CDigi14Segment>();
        mask = k14Masks[c - '5'];
    } else if (c == '*' || c == '+') {
        digit = std::make_unique<CDigi14Segment>();
        mask = k14Masks[c == '*' ? 38 : 39];
    } else if (c == '.' || c == ':') {
        digit = std::make_unique<CDigiColonDotChar>();
        mask = c == '.' ? kDotMask : kColonMask;
    } else {
        return nullptr;
    }
    digit->SetSegments(mask, m_dwStyle);
    return digit;
}

void CDigistring::BuildString() {
    if (!m_bModified) return;
    m_CharArray.clear();
    // Only a to z are upper-cased; other bytes stay as they are and show nothing.
    CString text = m_strText;
    text.MakeUpper();
    for (int i = 0; i < text.GetLength(); ++i)
        if (std::unique_ptr<CDigiChar> ch = DefineChar(text[i]))
            m_CharArray.push_back(CDigiChar(*ch));
    m_bModified = FALSE;
}

void CDigistring::OnPaint() {
    CRect client;
    GetClientRect(&client);
    CPaintDC dc(this);
    dc.SetBkColor(m_BackColor);
    CMemDC memDC(&dc, &client);

    CBrush offBrush(m_OffColor), onBrush(m_OnColor);
    CPen offPen(PS_SOLID, 1, OutlineColor(m_OffColor, m_BackColor));
    CPen onPen(PS_SOLID, 1, OutlineColor(m_OnColor, m_BackColor));
    CBrush* oldBrush = memDC.SelectObject(&onBrush);
    CPen* oldPen = memDC.SelectObject(&offPen);

    BuildString();
    int units = 0;
    for (const CDigiChar& ch : m_CharArray)
        units += ch.GetWidth();
    // No characters or no room: the background alone.
    if (units > 0 && client.Width() > 0 && client.Height() > 0) {
        double sx = static_cast<double>(client.Width()) / units;
        double sy = client.Height() / static_cast<double>(kCellHeight);
        double x0 = 0, y0 = 0;
        if (m_dwStyle & DS_SZ_PROP) {
            sx = sy = sy <= sx ? sy : sx;
            x0 = (client.Width() - units * sx) / 2;
            y0 = (client.Height() - kCellHeight * sy) / 2;
        }
        for (const CDigiChar& ch : m_CharArray) {
            const CDoubleRect cell{x0, y0, x0 + ch.GetWidth() * sx, y0 + kCellHeight * sy};
            ch.Draw(&memDC, cell, &offPen, &onPen, &offBrush, &onBrush);
            x0 += ch.GetWidth() * sx;
        }
    }
    memDC.SelectObject(oldPen);
    memDC.SelectObject(oldBrush);
}

// The paint covers the whole client area.
BOOL CDigistring::OnEraseBkgnd(CDC*) {
    return FALSE;
}
