#pragma once
// CDigistring: a static control that shows its text as the lit and unlit segments of a liquid
// crystal or LED display. Each character is a CDigiChar: closed segment outlines in a grid of
// design units (the character's width by 83, y growing downwards), scaled to the control at each
// paint and drawn through an off-screen DC.

#include <memory>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/ui/controls.h"

// CDigistring styles.
constexpr DWORD DS_SMOOTH = 0x1;   // curved segment outlines
constexpr DWORD DS_STYLE14 = 0x2;  // digits, space and minus in fourteen segments
constexpr DWORD DS_SZ_PROP = 0x4;  // both axes scaled alike and the text centred

// A character cell in device units, in double precision.
struct CDoubleRect {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// One segment: a closed outline of points in design units with their path point types
// (PT_MOVETO, PT_LINETO, PT_BEZIERTO).
struct CDigiSegment {
    std::vector<POINT> points;
    std::vector<BYTE> types;
};

class CDigiChar {
public:
    CDigiChar() = default;
    virtual ~CDigiChar() = default;
    CDigiChar(const CDigiChar&) = default;
    CDigiChar& operator=(const CDigiChar&) = default;

    // Stores the lit segments; the kinds below also build their outlines for the style.
    virtual void SetSegments(WORD mask, DWORD style);
    // Draws every segment in the cell: lit ones with the on pen and brush, the others with the off.
    void Draw(CDC* dc, const CDoubleRect& cell, CPen* offPen, CPen* onPen, CBrush* offBrush,
              CBrush* onBrush) const;
    int GetWidth() const { return m_Width; }
    WORD GetSegMask() const { return m_wSegmData; }
    const std::vector<CDigiSegment>& GetSegments() const { return m_SegmArray; }

protected:
    static void DrawOutline(const CDigiSegment& segment, CDC* dc, const CDoubleRect& cell,
                            int widthUnits);

    int m_Width = 49;
    WORD m_wSegmData = 0;
    std::vector<CDigiSegment> m_SegmArray;
    int m_NSegments = 0;
};

class CDigi7Segment : public CDigiChar {
public:
    CDigi7Segment();
    void SetSegments(WORD mask, DWORD style) override;
};

class CDigi14Segment : public CDigiChar {
public:
    CDigi14Segment();
    void SetSegments(WORD mask, DWORD style) override;
};

class CDigiColonDotChar : public CDigiChar {
public:
    CDigiColonDotChar();
    void SetSegments(WORD mask, DWORD style) override;
};

class CDigistring : public CStatic {
public:
    CDigistring();

    // An equal text changes nothing; another is shown at the next paint.
    void SetText(LPCTSTR text);
    const CString& GetText() const { return m_strText; }
    template <class... Args>
    void Format(const char* format, const Args&... args) {
        CString text = CString::Formatted(format, args...);
        if (text.GetLength() > 255) text = text.Left(255);
        SetText(text);
    }
    void SetColor(COLORREF offColor, COLORREF onColor);
    void SetBackColor(COLORREF color);
    // FALSE, and nothing changed, when the two sets share a bit.
    BOOL ModifyDigiStyle(DWORD remove, DWORD add);
    DWORD GetDigiStyle() const { return m_dwStyle; }

    // The character object for one character of the text, or none: digits, space, minus, the
    // capitals A to Z, "*", "+", "." and ":".
    std::unique_ptr<CDigiChar> DefineChar(char ch) const;
    // Rebuilds the characters from the text when it or the style changed.
    void BuildString();

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

    CString m_strText = "EMPTY";
    BOOL m_bModified = TRUE;
    std::vector<CDigiChar> m_CharArray;
    COLORREF m_OffColor = RGB(0, 52, 0);
    COLORREF m_OnColor = RGB(0, 255, 0);
    COLORREF m_BackColor = RGB(0, 0, 0);
    DWORD m_dwStyle = 0;
};
