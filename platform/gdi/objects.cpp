#include "platform/gdi/objects.h"

#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/gdi/dc.h"

namespace {

constexpr int kScreenDpi = 96;

// The standard Windows colour scheme.
constexpr COLORREF kSysColors[] = {
    RGB(200, 200, 200),  // COLOR_SCROLLBAR
    RGB(0, 0, 0),        // COLOR_BACKGROUND
    RGB(153, 180, 209),  // COLOR_ACTIVECAPTION
    RGB(191, 205, 219),  // COLOR_INACTIVECAPTION
    RGB(240, 240, 240),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(100, 100, 100),  // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(0, 0, 0),        // COLOR_CAPTIONTEXT
    RGB(180, 180, 180),  // COLOR_ACTIVEBORDER
    RGB(244, 247, 252),  // COLOR_INACTIVEBORDER
    RGB(171, 171, 171),  // COLOR_APPWORKSPACE
    RGB(0, 120, 215),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240),  // COLOR_BTNFACE
    RGB(160, 160, 160),  // COLOR_BTNSHADOW
    RGB(109, 109, 109),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(0, 0, 0),        // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105),  // COLOR_3DDKSHADOW
    RGB(227, 227, 227),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
};

LOGFONT GuiLogFont() {
    LOGFONT lf;
    lf.lfHeight = -11;
    std::strcpy(lf.lfFaceName, "DejaVu Sans");
    return lf;
}

}  // namespace

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kSysColors))) return 0;
    return kSysColors[index];
}

BOOL CGdiObject::DeleteObject() {
    const BOOL had = m_created;
    m_created = false;
    return had;
}

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
    if (m_created) return FALSE;
    m_style = style;
    m_width = std::max(0, width);
    m_color = color & 0xFFFFFF;
    m_created = true;
    return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    if (m_created) return FALSE;
    m_null = false;
    m_color = color & 0xFFFFFF;
    m_created = true;
    return TRUE;
}

BOOL CBrush::CreateNullBrush() {
    if (m_created) return FALSE;
    m_null = true;
    m_created = true;
    return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lf) {
    if (m_created || !lf) return FALSE;
    m_lf = *lf;
    m_lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    m_created = true;
    return TRUE;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCTSTR faceName) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int pointSize, LPCTSTR faceName, CDC* dc) {
    const int dpi = dc ? dc->GetDeviceCaps(LOGPIXELSY) : kScreenDpi;
    LOGFONT lf;
    lf.lfHeight = -static_cast<LONG>(std::lround(pointSize * dpi / 720.0));
    if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lf, const CString& family) {
    if (!CreateFontIndirect(lf)) return FALSE;
    m_family = family;
    return TRUE;
}

BOOL CFont::DeleteObject() {
    m_family.Empty();
    return CGdiObject::DeleteObject();
}

int CFont::GetLogFont(LOGFONT* lf) const {
    if (!m_created || !lf) return 0;
    *lf = m_lf;
    return static_cast<int>(sizeof(LOGFONT));
}

CBitmap::~CBitmap() {
    if (m_selectedInto) platform::ReleaseSelectedBitmap(m_selectedInto, this);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int width, int height) {
    if (m_created) return FALSE;
    if (width <= 0 || height <= 0) width = height = 1;
    m_image = QImage(width, height, QImage::Format_RGB32);
    if (m_image.isNull()) return FALSE;
    m_image.fill(Qt::black);
    m_created = true;
    return TRUE;
}

namespace {

std::unordered_map<UINT, QImage>& BitmapResources() {
    static std::unordered_map<UINT, QImage> pictures;
    return pictures;
}

}  // namespace

BOOL CBitmap::LoadBitmap(UINT id) {
    if (m_created) return FALSE;
    const auto it = BitmapResources().find(id);
    if (it == BitmapResources().end()) return FALSE;
    m_image = it->second.convertToFormat(QImage::Format_RGB32);
    m_created = !m_image.isNull();
    return m_created ? TRUE : FALSE;
}

BOOL CBitmap::DeleteObject() {
    if (m_selectedInto) return FALSE;
    m_image = QImage();
    return CGdiObject::DeleteObject();
}

namespace platform {

CGdiObject* StockObject(int index) {
    // Plain values only, so that they outlive the application object safely.
    static CBrush white(RGB(255, 255, 255)), ltgray(RGB(192, 192, 192)), gray(RGB(128, 128, 128)),
        dkgray(RGB(64, 64, 64)), black(RGB(0, 0, 0));
    static CBrush null;
    if (!null.GetSafeHandle()) null.CreateNullBrush();
    static CPen whitePen(PS_SOLID, 0, RGB(255, 255, 255)), blackPen(PS_SOLID, 0, RGB(0, 0, 0)),
        nullPen(PS_NULL, 0, 0);
    static CFont gui;
    if (!gui.GetSafeHandle()) {
        const LOGFONT lf = GuiLogFont();
        gui.CreateFontIndirect(&lf);
    }
    switch (index) {
        case WHITE_BRUSH:
            return &white;
        case LTGRAY_BRUSH:
            return &ltgray;
        case GRAY_BRUSH:
            return &gray;
        case DKGRAY_BRUSH:
            return &dkgray;
        case BLACK_BRUSH:
            return &black;
        case NULL_BRUSH:
            return &null;
        case WHITE_PEN:
            return &whitePen;
        case BLACK_PEN:
            return &blackPen;
        case NULL_PEN:
            return &nullPen;
        case SYSTEM_FONT:
        case DEFAULT_GUI_FONT:
            return &gui;
        default:
            return nullptr;
    }
}

QFont FontFromLogFont(const LOGFONT& lf) {
    QFont f;
    if (lf.lfFaceName[0])
        f.setFamily(QString::fromUtf8(lf.lfFaceName));
    else
        f.setFamily(QStringLiteral("DejaVu Sans"));
    if ((lf.lfPitchAndFamily & 0x3) == FIXED_PITCH) f.setFixedPitch(true);
    switch (lf.lfPitchAndFamily & 0xF0) {
        case FF_ROMAN:
            f.setStyleHint(QFont::Serif);
            break;
        case FF_SWISS:
            f.setStyleHint(QFont::SansSerif);
            break;
        case FF_MODERN:
            f.setStyleHint(QFont::TypeWriter);
            break;
        default:
            break;
    }
    // A negative height is the character height, a positive one the cell height (ascent plus
    // descent), which is larger by the internal leading.
    if (lf.lfHeight < 0) {
        f.setPixelSize(static_cast<int>(-lf.lfHeight));
    } else if (lf.lfHeight > 0) {
        QFont probe(f);
        probe.setPixelSize(100);
        const double cell = QFontMetricsF(probe).height();
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(lf.lfHeight * 100.0 / cell))));
    } else {
        f.setPixelSize(-GuiLogFont().lfHeight);
    }
    if (lf.lfWidth > 0) {
        const double average = QFontMetricsF(f).averageCharWidth();
        if (average > 0)
            f.setStretch(
                std::clamp(static_cast<int>(std::lround(lf.lfWidth * 100.0 / average)), 1, 4000));
    }
    f.setWeight(static_cast<QFont::Weight>(
        lf.lfWeight <= 0 ? FW_NORMAL : std::clamp<int>(lf.lfWeight, 1, 1000)));
    f.setItalic(lf.lfItalic);
    f.setUnderline(lf.lfUnderline);
    f.setStrikeOut(lf.lfStrikeOut);
    return f;
}

QFont FontOf(const CFont& font) {
    QFont f = FontFromLogFont(font.LogFont());
    if (!font.GetFamily().IsEmpty()) f.setFamily(font.GetFamily().ToQString());
    return f;
}

void SetBitmapResource(UINT id, const QImage& image) {
    if (image.isNull())
        BitmapResources().erase(id);
    else
        BitmapResources()[id] = image;
}

}  // namespace platform
