#include "platform/gdi/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

std::optional<QFontDatabase::WritingSystem> WritingSystemOf(BYTE charSet) {
    switch (charSet) {
        case ANSI_CHARSET:
        case EASTEUROPE_CHARSET:
        case TURKISH_CHARSET:
        case BALTIC_CHARSET:
            return QFontDatabase::Latin;
        case SYMBOL_CHARSET:
            return QFontDatabase::Symbol;
        case SHIFTJIS_CHARSET:
            return QFontDatabase::Japanese;
        case HANGUL_CHARSET:
            return QFontDatabase::Korean;
        case GB2312_CHARSET:
            return QFontDatabase::SimplifiedChinese;
        case CHINESEBIG5_CHARSET:
            return QFontDatabase::TraditionalChinese;
        case GREEK_CHARSET:
            return QFontDatabase::Greek;
        case VIETNAMESE_CHARSET:
            return QFontDatabase::Vietnamese;
        case HEBREW_CHARSET:
            return QFontDatabase::Hebrew;
        case ARABIC_CHARSET:
            return QFontDatabase::Arabic;
        case RUSSIAN_CHARSET:
            return QFontDatabase::Cyrillic;
        case THAI_CHARSET:
            return QFontDatabase::Thai;
        default:
            return std::nullopt;
    }
}

// The metrics at a 16-pixel character height, a size every scalable face has.
constexpr int kMeasureHeight = 16;

}  // namespace

void SetLogFontFaceName(LOGFONT& lf, const char* name) {
    const char* s = name ? name : "";
    size_t n = std::min(std::strlen(s), static_cast<size_t>(LF_FACESIZE - 1));
    // Never end inside a UTF-8 sequence: back off over continuation bytes.
    if (n < std::strlen(s))
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
            --n;
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, s, n);
}

int EnumFontFamiliesEx(HDC hdc, const LOGFONT* lf, FONTENUMPROC proc, LPARAM data, DWORD) {
    if (!hdc || !CDC::FromHandle(hdc) || !lf || !proc) return 0;
    QStringList families;
    if (lf->lfCharSet == DEFAULT_CHARSET) {
        families = QFontDatabase::families();
    } else if (const auto ws = WritingSystemOf(lf->lfCharSet)) {
        families = QFontDatabase::families(*ws);
    }
    const QString face =
        QString::fromUtf8(lf->lfFaceName, static_cast<int>(strnlen(lf->lfFaceName, LF_FACESIZE)));
    const int pitch = lf->lfPitchAndFamily & 0x3;
    int result = 1;
    for (const QString& family : families) {
        if (!face.isEmpty() && family.compare(face, Qt::CaseInsensitive) != 0) continue;
        const bool fixed = QFontDatabase::isFixedPitch(family);
        if ((pitch == FIXED_PITCH && !fixed) || (pitch == VARIABLE_PITCH && fixed)) continue;
        const bool scalable = QFontDatabase::isSmoothlyScalable(family);

        QFont font(family);
        font.setPixelSize(kMeasureHeight);
        const QFontMetrics fm(font);
        NEWTEXTMETRICEX ntm;
        NEWTEXTMETRIC& tm = ntm.ntmTm;
        tm.tmAscent = fm.ascent();
        tm.tmDescent = fm.descent();
        tm.tmHeight = tm.tmAscent + tm.tmDescent;
        tm.tmInternalLeading = std::max(0, tm.tmHeight - kMeasureHeight);
        tm.tmExternalLeading = std::max(0, fm.leading());
        tm.tmAveCharWidth = fm.averageCharWidth();
        tm.tmMaxCharWidth = fm.maxWidth();
        tm.tmPitchAndFamily =
            static_cast<BYTE>((fixed ? 0 : TMPF_FIXED_PITCH) | (scalable ? TMPF_TRUETYPE : 0));
        tm.tmCharSet = lf->lfCharSet;

        ENUMLOGFONTEX elf;
        elf.elfLogFont.lfHeight = tm.tmHeight;
        elf.elfLogFont.lfWidth = tm.tmAveCharWidth;
        elf.elfLogFont.lfCharSet = lf->lfCharSet;
        elf.elfLogFont.lfPitchAndFamily = fixed ? FIXED_PITCH : VARIABLE_PITCH;
        SetLogFontFaceName(elf.elfLogFont, family.toUtf8().constData());
        elf.elfFullName = CString(family);
        elf.elfStyle = "Regular";

        result = proc(&elf, &ntm, scalable ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE, data);
        if (result == 0) break;
    }
    return result;
}
