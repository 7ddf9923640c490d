#pragma once
// The installed fonts, listed as EnumFontFamiliesEx lists them: one record per family, from Qt's
// font database. Qt prints with the same fonts it shows, so a printer DC lists the same families.

#include "platform/base/cstring.h"
#include "platform/gdi/dc.h"

// Character sets beyond ANSI_CHARSET and DEFAULT_CHARSET.
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE HANGUL_CHARSET = 129;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE CHINESEBIG5_CHARSET = 136;
constexpr BYTE GREEK_CHARSET = 161;
constexpr BYTE TURKISH_CHARSET = 162;
constexpr BYTE VIETNAMESE_CHARSET = 163;
constexpr BYTE HEBREW_CHARSET = 177;
constexpr BYTE ARABIC_CHARSET = 178;
constexpr BYTE BALTIC_CHARSET = 186;
constexpr BYTE RUSSIAN_CHARSET = 204;
constexpr BYTE THAI_CHARSET = 222;
constexpr BYTE EASTEUROPE_CHARSET = 238;

// Font types.
constexpr DWORD RASTER_FONTTYPE = 0x0001;
constexpr DWORD DEVICE_FONTTYPE = 0x0002;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

// tmPitchAndFamily bits; TMPF_FIXED_PITCH set means a variable pitch, as on Windows.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

struct NEWTEXTMETRIC : TEXTMETRIC {
    LONG tmWeight = FW_NORMAL;
    BYTE tmItalic = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = DEFAULT_CHARSET;
    DWORD ntmFlags = 0;
};

struct NEWTEXTMETRICEX {
    NEWTEXTMETRIC ntmTm;
};

struct ENUMLOGFONTEX {
    // The face is cut to fit LF_FACESIZE; elfFullName keeps the family's whole name.
    LOGFONT elfLogFont;
    CString elfFullName;
    CString elfStyle;
    CString elfScript;
};

// Returns 0 to stop the enumeration.
using FONTENUMPROC = int (*)(const ENUMLOGFONTEX* font, const NEWTEXTMETRICEX* metrics,
                             DWORD fontType, LPARAM data);

// Lists the families that match lf: lfCharSet DEFAULT_CHARSET takes every family, another set the
// families that write its script; a non-empty lfFaceName that family alone; FIXED_PITCH or
// VARIABLE_PITCH in lfPitchAndFamily only families of that pitch. Returns the callback's last
// result, 1 when nothing matched, 0 without a DC or a record.
int EnumFontFamiliesEx(HDC hdc, const LOGFONT* lf, FONTENUMPROC proc, LPARAM data, DWORD flags);

// Copies a name into a LOGFONT face, cut at a character boundary so that it always ends within
// the array.
void SetLogFontFaceName(LOGFONT& lf, const char* name);
