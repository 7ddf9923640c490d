// Printing the table from the owner's data sets, and the grid's comma-separated files.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "controls/grid_ctrl.h"
#include "logger/helpers.h"
#include "models/grid_text.h"
#include "platform/base/file.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/styles.h"
#include "platform/win/frame.h"

namespace {

constexpr int kPrintRowHeight = 19;
constexpr int kCommentCharacters = 20;
constexpr int kMinPrintedWidth = 600;
constexpr const char* kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
constexpr UINT kFormatLoaded = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

CString AppTitle() {
    CWinApp* app = AfxGetApp();
    return app ? app->m_pszAppName : CString();
}

// The class library's report of a file that cannot be opened.
void ReportFileError(const CFileException& e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONEXCLAMATION);
}

// Writes the whole text in one step, so that a failed save leaves any old file as it was.
BOOL WriteTextFile(LPCTSTR filename, const std::string& text, const char* failure,
                   const char* where) {
    const CString path(filename ? filename : "");
    const bool existed = CFile::Exists(path);
    // Whether the file can be made at all, without touching one that is there.
    CFile probe;
    CFileException error(CFileException::none, 0, path);
    if (!probe.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate, &error)) {
        LogSaveError(where, error.GetErrorMessage());
        ReportFileError(error);
        return FALSE;
    }
    probe.Abort();
    if (!platform::ReplaceFileAtomically(path, std::vector<BYTE>(text.begin(), text.end()),
                                         &error)) {
        LogSaveError(where, error.GetErrorMessage());
        if (!existed) std::remove(path.GetString());
        ShowMessage(failure, 0);
        return FALSE;
    }
    return TRUE;
}

void AppendCsvLine(std::string& out, const std::vector<CString>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += grid_text::CsvField(fields[i]).str();
    }
    out += '\n';
}

}  // namespace

// ---- the print source ----

void CGridCtrl::SetPrintSource(const GridPrintColumn* columns, WORD columnCount, double timeStep,
                               const TimeColumnFormat& timeFormat,
                               const std::vector<CString>* comments, WORD timeFlag,
                               const CPreciseDateTime& startTime) {
    m_pPrintColumns = columns;
    m_nPrintColumnCount = columns ? columnCount : 0;
    m_dPrintTimeStep = timeStep;
    m_PrintTimeFormat = timeFormat;
    m_pPrintComments = comments;
    m_nPrintTimeFlag = timeFlag;
    m_PrintStartTime = startTime;
}

int CGridCtrl::PrintedColumnCount() const {
    return m_nPrintColumnCount + 2 + (m_pPrintComments ? 1 : 0);
}

int CGridCtrl::PrintedColumnWidth(int col, CDC* pDC) const {
    const int width = std::max(0, GetColumnWidth(col));
    if (!m_pPrintComments || col != m_nPrintColumnCount + 2) return width;
    // The comment column is often the wide filler on screen: on paper it is as wide as its
    // longest comment can be.
    CFont font;
    font.CreateFontIndirect(GetItemFont(0, 0));
    CFont* old = pDC->SelectObject(&font);
    TEXTMETRIC tm;
    pDC->GetTextMetrics(&tm);
    if (old) pDC->SelectObject(old);
    const int fits = kCommentCharacters * tm.tmAveCharWidth + 2 * m_nMargin;
    return width > 0 ? std::min(width, fits) : fits;
}

std::vector<CString> CGridCtrl::SampleTexts(int sample, int columnCount,
                                            const std::vector<CString>* comments) const {
    std::vector<CString> texts(static_cast<size_t>(std::max(columnCount, 0)));
    if (texts.empty()) return texts;
    texts[0] = FormatValue(sample, 3, false);
    if (texts.size() > 1) {
        const CString pattern = m_PrintTimeFormat.m_nMode == 6
                                    ? CString::Formatted("%d", m_nPrintTimeFlag)
                                    : m_PrintTimeFormat.m_strFormat;
        texts[1] = FormatTimeValue(sample, m_PrintStartTime, m_dPrintTimeStep, 1.0,
                                   m_PrintTimeFormat.m_nMode, pattern);
    }
    for (int k = 0; k < m_nPrintColumnCount && 2 + k < columnCount; ++k) {
        const GridPrintColumn& column = m_pPrintColumns[k];
        // The x values are sample numbers in ascending order: the row's own sample is looked up.
        const auto it =
            std::lower_bound(column.x.begin(), column.x.end(), static_cast<double>(sample));
        const size_t at = static_cast<size_t>(it - column.x.begin());
        if (it != column.x.end() && *it == sample && at < column.values.size())
            texts[static_cast<size_t>(2 + k)] = FormatValue(column.values[at], 3, false);
    }
    if (comments && columnCount == m_nPrintColumnCount + 3 && sample >= 0 &&
        static_cast<size_t>(sample) < comments->size())
        texts.back() = (*comments)[static_cast<size_t>(sample)];
    return texts;
}

// ---- printing ----

void CGridCtrl::PrintTable(const CString& title, const GridPrintColumn* columns, WORD columnCount,
                           int firstSample, int lastSample, double timeStep,
                           const TimeColumnFormat& timeFormat, const std::vector<CString>* comments,
                           WORD timeFlag, const CPreciseDateTime& startTime) {
    SetPrintSource(columns, columnCount, timeStep, timeFormat, comments, timeFlag, startTime);
    firstSample = std::max(0, firstSample);

    CPrintDialog dialog(
        FALSE,
        PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
        this);
    if (dialog.DoModal() != IDOK) {
        SetPrintSource(nullptr, 0, 1.0, TimeColumnFormat(), nullptr, 0);
        return;
    }
    CDC dc;
    dc.Attach(dialog.GetPrinterDC());
    CPrintInfo info;
    info.m_pPD = &dialog;
    const CString docName = AppTitle();
    DOCINFO doc;
    doc.lpszDocName = docName;
    bool ok = dc.StartDoc(&doc) > 0;
    if (ok) {
        info.m_rectDraw.SetRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
        // Without rows to count there is still the one page of headings.
        info.SetMaxPage(1);
        int endRow = 0;
        OnBeginPrinting(&dc, &info, endRow, firstSample, lastSample);
        for (UINT page = info.GetFromPage(); page <= info.GetToPage() && ok; ++page) {
            info.m_nCurPage = page;
            ok = dc.StartPage() > 0;
            if (!ok) break;
            OnPrint(&dc, &info, title, endRow, firstSample, comments);
            ok = dc.EndPage() > 0 && info.m_bContinuePrinting;
        }
        OnEndPrinting(&dc, &info);
        if (ok)
            dc.EndDoc();
        else
            dc.AbortDoc();
    }
    dc.Detach();
    SetPrintSource(nullptr, 0, 1.0, TimeColumnFormat(), nullptr, 0);
}

void CGridCtrl::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo, int& endRow, int firstSample,
                                int lastSample) {
    endRow = m_nFixedRows + lastSample + 1;
    if (!pDC || !pInfo || GetRowCount() <= m_nFixedRows) return;

    m_PrinterFont = std::make_unique<CFont>();
    m_PrinterFont->CreateFont(-9, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                              OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
    CFont* old = pDC->SelectObject(m_PrinterFont.get());
    m_CharSize = pDC->GetTextExtent(kAlphabet, static_cast<int>(std::strlen(kAlphabet)));
    m_CharSize.cx /= 52;
    if (old) pDC->SelectObject(old);

    m_PaperSize = CSize(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
    int printed = 0;
    for (int col = 0; col < PrintedColumnCount(); ++col)
        printed += PrintedColumnWidth(col, pDC);
    // A narrow table keeps a readable size instead of being blown up to the paper's width.
    m_nPrintedWidth = std::max(printed, kMinPrintedWidth);
    m_LogicalPageSize.cx = m_nPrintedWidth + 8 * m_CharSize.cx;
    m_LogicalPageSize.cy =
        m_PaperSize.cx > 0 ? MulDiv(m_LogicalPageSize.cx, m_PaperSize.cy, m_PaperSize.cx) : 0;
    m_nPageHeight = m_LogicalPageSize.cy - m_nFixedRows * kPrintRowHeight - 6 * m_CharSize.cy;

    const int rows = std::max(0, lastSample - firstSample + 1);
    const grid_text::PageSplit split =
        grid_text::SplitRowsIntoPages(rows, m_nPageHeight, kPrintRowHeight);
    m_nRowsPerPage = split.rowsPerPage;
    pInfo->SetMaxPage(static_cast<UINT>(split.pages));
}

void CGridCtrl::DrawPrintGridLines(CDC* pDC, const CRect& cell, bool firstRow, bool firstColumn) {
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_HORZ) {
        pDC->MoveTo(cell.left, cell.bottom);
        pDC->LineTo(cell.right + 1, cell.bottom);
        if (firstRow) {
            pDC->MoveTo(cell.left, cell.top);
            pDC->LineTo(cell.right + 1, cell.top);
        }
    }
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_VERT) {
        pDC->MoveTo(cell.right, cell.top);
        pDC->LineTo(cell.right, cell.bottom + 1);
        if (firstColumn) {
            pDC->MoveTo(cell.left, cell.top);
            pDC->LineTo(cell.left, cell.bottom + 1);
        }
    }
}

void CGridCtrl::OnPrint(CDC* pDC, CPrintInfo* pInfo, const CString& title, int endRow,
                        int firstSample, const std::vector<CString>* comments) {
    if (!pDC || !pInfo || !m_PrinterFont) return;
    const int columnCount = m_nPrintColumnCount + 2 + (comments ? 1 : 0);
    const std::vector<CString>* oldComments = std::exchange(m_pPrintComments, comments);

    CFont* oldFont = pDC->SelectObject(m_PrinterFont.get());
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(m_LogicalPageSize);
    pDC->SetViewportExt(m_PaperSize);
    const int margin = 4 * m_CharSize.cx;
    pDC->SetWindowOrg(-margin, 0);

    pInfo->m_rectDraw.SetRect(0, 0, m_nPrintedWidth, 2 * m_CharSize.cy);
    PrintHeader(pDC, pInfo, title);

    pDC->SetWindowOrg(-margin, -3 * m_CharSize.cy);
    PrintColumnHeadings(pDC, pInfo, columnCount);
    pDC->SetWindowOrg(-margin, -3 * m_CharSize.cy - m_nFixedRows * kPrintRowHeight);

    // The rows of this page.
    const int rows = std::max(0, endRow - m_nFixedRows - firstSample);
    const int first = static_cast<int>(pInfo->m_nCurPage - 1) * m_nRowsPerPage;
    const int last = std::min(rows, first + m_nRowsPerPage);
    CPen black(PS_SOLID, 0, RGB(0, 0, 0));
    CPen* oldPen = pDC->SelectObject(&black);
    CRect cell;
    cell.bottom = -1;
    for (int d = first; d < last; ++d) {
        const int sample = firstSample + d;
        const std::vector<CString> texts = SampleTexts(sample, columnCount, comments);
        cell.top = cell.bottom + 1;
        cell.bottom = cell.top + kPrintRowHeight - 1;
        cell.right = -1;
        for (int col = 0; col < columnCount; ++col) {
            cell.left = cell.right + 1;
            cell.right = cell.left + PrintedColumnWidth(col, pDC) - 1;
            PrintCellText(pDC, cell, texts[static_cast<size_t>(col)]);
            DrawPrintGridLines(pDC, cell, d == first, col == 0);
        }
    }
    if (oldPen) pDC->SelectObject(oldPen);

    // The footer on the page's last two character heights.
    pInfo->m_rectDraw.bottom = 2 * m_CharSize.cy;
    pDC->SetWindowOrg(-margin, 2 * m_CharSize.cy - m_LogicalPageSize.cy);
    PrintFooter(pDC, pInfo);
    if (oldFont) pDC->SelectObject(oldFont);
    m_pPrintComments = oldComments;
}

void CGridCtrl::OnEndPrinting(CDC*, CPrintInfo*) {
    m_PrinterFont.reset();
}

void CGridCtrl::PrintCellText(CDC* pDC, const CRect& rect, const CString& text) {
    if (!m_bAllowDraw) return;
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(m_crTextColour);
    CFont font;
    font.CreateFontIndirect(GetItemFont(0, 0));
    CFont* old = pDC->SelectObject(&font);
    CRect r = rect;
    r.DeflateRect(m_nMargin, 0);
    pDC->DrawText(text, &r, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (old) pDC->SelectObject(old);
}

void CGridCtrl::PrintColumnHeadings(CDC* pDC, CPrintInfo*, int columnCount) {
    CFont* oldFont = m_PrinterFont ? pDC->SelectObject(m_PrinterFont.get()) : nullptr;
    CRect cell;
    cell.bottom = -1;
    for (int row = 0; row < m_nFixedRows; ++row) {
        cell.top = cell.bottom + 1;
        cell.bottom = cell.top + kPrintRowHeight - 1;
        cell.right = -1;
        for (int col = 0; col < columnCount; ++col) {
            cell.left = cell.right + 1;
            cell.right = cell.left + PrintedColumnWidth(col, pDC) - 1;
            DrawFixedCell(pDC, row, col, cell, FALSE);
            CPen black(PS_SOLID, 0, RGB(0, 0, 0));
            CPen* oldPen = pDC->SelectObject(&black);
            DrawPrintGridLines(pDC, cell, row == 0, col == 0);
            if (oldPen) pDC->SelectObject(oldPen);
        }
    }
    if (oldFont) pDC->SelectObject(oldFont);
}

void CGridCtrl::PrintHeader(CDC* pDC, CPrintInfo* pInfo, const CString& title) {
    LOGFONT lf;
    if (CFont* current = pDC->GetCurrentFont()) current->GetLogFont(&lf);
    lf.lfWeight = FW_BOLD;
    CFont bold;
    bold.CreateFontIndirect(&lf);
    CFont* oldFont = pDC->SelectObject(&bold);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(RGB(0, 0, 0));
    CRect rect = pInfo->m_rectDraw;
    pDC->DrawText(AppTitle(), &rect, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    rect = pInfo->m_rectDraw;
    pDC->DrawText(title, &rect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    if (oldFont) pDC->SelectObject(oldFont);
    CPen black(PS_SOLID, 0, RGB(0, 0, 0));
    CPen* oldPen = pDC->SelectObject(&black);
    pDC->MoveTo(pInfo->m_rectDraw.left, pInfo->m_rectDraw.bottom);
    pDC->LineTo(pInfo->m_rectDraw.right, pInfo->m_rectDraw.bottom);
    if (oldPen) pDC->SelectObject(oldPen);
}

void CGridCtrl::PrintFooter(CDC* pDC, CPrintInfo* pInfo) {
    CRect rect = pInfo->m_rectDraw;
    pDC->MoveTo(rect.left, rect.top);
    pDC->LineTo(rect.right, rect.top);
    LOGFONT lf;
    if (CFont* current = pDC->GetCurrentFont()) current->GetLogFont(&lf);
    lf.lfWeight = FW_BOLD;
    CFont bold;
    bold.CreateFontIndirect(&lf);
    CFont* oldFont = pDC->SelectObject(&bold);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(RGB(0, 0, 0));
    rect.OffsetRect(0, m_CharSize.cy / 2);
    const CString page = CString::Formatted("Page %d of %d", static_cast<int>(pInfo->m_nCurPage),
                                            static_cast<int>(pInfo->GetMaxPage()));
    CRect left = rect;
    pDC->DrawText(page, &left, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER);
    char when[128] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%c", &local);
    CRect right = rect;
    pDC->DrawText(when, -1, &right,
                  DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER);
    if (oldFont) pDC->SelectObject(oldFont);
}

// ---- files ----

BOOL CGridCtrl::Save(LPCTSTR filename) {
    std::string text;
    for (int row = 0; row < GetRowCount(); ++row) {
        std::vector<CString> fields;
        for (int col = 1; col < GetColumnCount(); ++col)
            fields.push_back(GetItemText(row, col));
        AppendCsvLine(text, fields);
    }
    return WriteTextFile(filename, text, "Unable to save grid list", "CGridCtrl::Save");
}

BOOL CGridCtrl::SaveTable(LPCTSTR filename, const GridPrintColumn* columns, WORD columnCount,
                          int firstSample, int lastSample, double timeStep,
                          const TimeColumnFormat& timeFormat, const std::vector<CString>* comments,
                          WORD timeFlag, const CPreciseDateTime& startTime) {
    SetPrintSource(columns, columnCount, timeStep, timeFormat, comments, timeFlag, startTime);
    const int count = PrintedColumnCount();
    std::string text;
    // The header rows as the grid shows them, then every sample; the sample number column is
    // left out, as the grid's own save leaves it out.
    for (int row = 0; row < m_nFixedRows; ++row) {
        std::vector<CString> fields;
        for (int col = 1; col < count; ++col)
            fields.push_back(GetItemText(row, col));
        AppendCsvLine(text, fields);
    }
    for (int sample = std::max(0, firstSample); sample <= lastSample; ++sample) {
        std::vector<CString> fields = SampleTexts(sample, count, comments);
        fields.erase(fields.begin());
        AppendCsvLine(text, fields);
    }
    SetPrintSource(nullptr, 0, 1.0, TimeColumnFormat(), nullptr, 0);
    return WriteTextFile(filename, text, "Unable to save grid list", "CGridCtrl::SaveTable");
}

BOOL CGridCtrl::Load(LPCTSTR filename) {
    const CString path(filename ? filename : "");
    CFile file;
    CFileException error(CFileException::none, 0, path);
    if (!file.Open(path, CFile::modeRead | CFile::typeText, &error)) {
        ReportFileError(error);
        return FALSE;
    }
    // The file may be larger than memory can hold, as text or as cells: that is a file this grid
    // cannot load, not a reason to end the program.
    std::vector<std::vector<CString>> records;
    CString refusal;
    try {
        std::string text;
        if (!platform::ReadWholeFile(file, s_fileLimit, text)) {
            file.Abort();
            ShowMessage(CString::Formatted(kTooLargeText, s_fileLimit.Text().GetString()), 0);
            return FALSE;
        }
        file.Close();
        // Every line but the first is a row; the cells are counted once the headings are known.
        const grid_text::CsvLimits limits{kMaxLoadRows + 1, kMaxLoadColumns,
                                          kMaxLoadCells + kMaxLoadColumns};
        switch (grid_text::ParseCsv(text, limits, records)) {
            case grid_text::CsvOverflow::none:
                break;
            case grid_text::CsvOverflow::records:
                refusal = CString::Formatted(kTooManyRowsText, kMaxLoadRows);
                break;
            case grid_text::CsvOverflow::fieldsPerRecord:
                refusal = CString::Formatted(kTooManyColumnsText, kMaxLoadColumns);
                break;
            case grid_text::CsvOverflow::fields:
                refusal = CString::Formatted(kTooManyCellsText, kMaxLoadCells);
                break;
        }
    } catch (const CFileException&) {
        file.Abort();
        refusal = kLoadFailedText;
    } catch (const std::bad_alloc&) {
        file.Abort();
        refusal = kLoadFailedText;
    }
    if (refusal.IsEmpty() && !records.empty()) {
        size_t columns = records.front().size();
        if (columns > 0 && records.front().back().IsEmpty()) --columns;
        if ((records.size() - 1) * columns > static_cast<size_t>(kMaxLoadCells))
            refusal = CString::Formatted(kTooManyCellsText, kMaxLoadCells);
    }
    if (!refusal.IsEmpty()) {
        records.clear();
        ShowMessage(refusal, 0);
        return FALSE;
    }

    DeleteAllItems();
    try {
        if (!records.empty()) {
            std::vector<CString> headings = records.front();
            // The save ends every line after an empty last column.
            if (!headings.empty() && headings.back().IsEmpty()) headings.pop_back();
            for (const CString& heading : headings)
                InsertColumn(heading, kFormatLoaded, -1);
            for (size_t r = 1; r < records.size(); ++r) {
                const auto& fields = records[r];
                if (fields.size() == 1 && fields[0].IsEmpty()) continue;
                const int row = InsertRow(fields[0], -1);
                for (size_t k = 1; k < fields.size(); ++k)
                    SetItemText(row, static_cast<int>(k), fields[k]);
            }
        }
    } catch (const std::bad_alloc&) {
        records.clear();
        DeleteAllItems();
        ShowMessage(kLoadFailedText, 0);
        return FALSE;
    }
    AutoSizeColumns();
    return TRUE;
}
