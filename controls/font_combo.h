#pragma once
// CComboBoxFont: an owner-drawn drop-down list of the installed fonts, each drawn in its own face,
// with the recently chosen fonts at the top, and a tip that previews the highlighted face larger
// while the list is down.

#include <list>
#include <memory>
#include <vector>

#include "platform/base/object.h"
#include "platform/gdi/fonts.h"
#include "platform/gdi/image_list.h"
#include "platform/ui/controls.h"

class CFontObject : public CObject {
public:
    // 1 for an entry of the recent list, 0 for one as enumerated.
    DWORD m_dwFlags = 1;
    // The family's whole name, also when the LOGFONT face had to cut it.
    CString m_strFaceName;
    ENUMLOGFONTEX m_elf;
    NEWTEXTMETRICEX m_ntm;
    DWORD m_dwFontType = 0;
};

// The preview: the face name in the face itself, 18 pixels high, on the info colours.
class CComboBoxFontTip : public CWnd {
public:
    ~CComboBoxFontTip() override;
    BOOL Create(CWnd* owner);
    using CWnd::Create;
    // Shows the tip with its top-left corner at `at` (screen coordinates).
    void Show(CPoint at, const CFontObject& font);
    void Hide();
    const CString& GetText() const { return m_strText; }
    const CFont& GetTipFont() const { return m_font; }

    void OnPaint() override;

private:
    CString m_strText;
    CFont m_font;
};

class CComboBoxFont : public CComboBox {
public:
    explicit CComboBoxFont(BOOL recentList = TRUE);
    ~CComboBoxFont() override;

    // Lists the fonts again from scratch; FALSE when they cannot be listed.
    BOOL Initialise();
    // Called by the enumeration for each family; a face already listed is skipped.
    void AddFont(const ENUMLOGFONTEX* elf, const NEWTEXTMETRICEX* ntm, DWORD fontType);
    // Selects the item of exactly this name, or nothing.
    void SelectFont(LPCTSTR faceName);
    const CString& GetSelectedFont() const { return m_strSelected; }
    // The font an item shows; null for no item.
    const CFontObject* GetFontAt(int item) const;
    int GetFontCount() const { return static_cast<int>(m_fonts.size() + m_recent.size()); }
    int GetRecentCount() const { return static_cast<int>(m_recent.size()); }

    // Which fonts Initialise lists: the character set, one face, the pitch.
    void SetCharSet(BYTE charSet) { m_nCharSet = charSet; }
    void SetFaceFilter(LPCTSTR face) { m_strFaceFilter = face ? face : ""; }
    void SetPitchAndFamily(BYTE pitchAndFamily) { m_nPitchAndFamily = pitchAndFamily; }
    // Pictures of this size beside the names; takes effect at the next Initialise.
    void SetImageSize(int width, int height) { m_nImageWidth = width, m_nImageHeight = height; }
    CSize GetImageSize() const { return {m_nImageWidth, m_nImageHeight}; }
    const CImageList& GetImageList() const { return m_imageList; }
    void SetRecentColours(COLORREF background, COLORREF text);
    void SetColours(COLORREF background, COLORREF text);
    CComboBoxFontTip& GetTip() { return m_tip; }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

protected:
    void PreSubclassWindow() override;

private:
    void Empty();
    void FillItems();
    // Places the tip on the highlighted item while the list is down, else hides it.
    void UpdateTip();
    void OnSelEndOk();

    BOOL m_bInitialised = FALSE;
    std::vector<std::unique_ptr<CFontObject>> m_fonts;
    // Most recent first.
    std::list<std::unique_ptr<CFontObject>> m_recent;
    CComboBoxFontTip m_tip;
    BOOL m_bScreenFonts = TRUE;
    BOOL m_bPrinterFonts = FALSE;
    CString m_strSelected;
    BOOL m_bRecentList;
    CImageList m_imageList;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    COLORREF m_crRecentBk = RGB(255, 255, 255);
    COLORREF m_crRecentText = RGB(0, 0, 0);
    COLORREF m_crBk = RGB(255, 255, 255);
    COLORREF m_crText = RGB(0, 0, 0);
    BYTE m_nCharSet = DEFAULT_CHARSET;
    CString m_strFaceFilter;
    BYTE m_nPitchAndFamily = 0;
};
