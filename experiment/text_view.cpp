#include "experiment/text_view.h"

#include <cmath>
#include <new>
#include <string>

#include "RES/dialogs/text_view.h"
#include "app/varnel_doc.h"
#include "experiment/html_doc_view.h"
#include "logger/helpers.h"
#include "logger/notes_text.h"
#include "platform/base/file.h"
#include "platform/base/file_limit.h"
#include "platform/base/log.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/printer.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/styles.h"

namespace {

void ReportFileError(const CFileException& e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONEXCLAMATION);
}

CString FileTitle(const CString& path) {
    std::string name = path.str();
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return CString(name);
}

}  // namespace

IMPLEMENT_DYNCREATE(CTextView, CFormView)

BEGIN_MESSAGE_MAP(CTextView, CFormView)
ON_EN_CHANGE(IDC_NOTES_EDIT, OnNotesChange)
ON_CONTROL(EN_SETFOCUS, IDC_NOTES_EDIT, OnNotesSetFocus)
END_MESSAGE_MAP()

CTextView::CTextView() : CFormView(TextViewTemplate()) {}

CTextView::~CTextView() {
    if (m_doc && m_doc->m_textView == this) m_doc->m_textView = nullptr;
}

void CTextView::OnDestroy() {
    if (m_doc && m_doc->m_textView == this) m_doc->m_textView = nullptr;
    m_doc = nullptr;
    CFormView::OnDestroy();
}

int CTextView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (!m_edit.SubclassDlgItem(IDC_NOTES_EDIT, this)) return -1;
    return 0;
}

void CTextView::OnUpdate(CView*, LPARAM, CObject*) {
    if (m_ready) return;
    m_ready = 1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_textView = this;
    CRect client;
    GetClientRect(&client);
    OnSize(0, client.Width(), client.Height());
}

void CTextView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (m_ready && m_edit.GetSafeHwnd()) m_edit.MoveWindow(0, 0, cx, cy, TRUE);
}

CString CTextView::PromptTextFile(CString& title, BOOL open) {
    CFileDialog dialog(open, "txt", GetDataRoot() + "Workbook/" + "*.txt", OFN_HIDEREADONLY,
                       "txt files (*.txt)|*.txt|", this);
    if (dialog.DoModal() != IDOK) return CString();
    title = FileTitle(dialog.GetPathName());
    return dialog.GetPathName();
}

BOOL CTextView::SaveText() {
    if (m_textPath.IsEmpty()) {
        CString title;
        m_textPath = PromptTextFile(title, FALSE);
        if (m_textPath.IsEmpty()) return FALSE;
    }
    const CString text = m_edit.GetWindowText();
    const std::string bytes = notes_text::ToFileBytes(text);
    // Written beside the old file and renamed over it: a failed save leaves the old notes.
    CFileException error(CFileException::none, 0, m_textPath);
    if (!platform::ReplaceFileAtomically(m_textPath, std::vector<BYTE>(bytes.begin(), bytes.end()),
                                         &error)) {
        LogSaveError("CTextView::SaveText", error.GetErrorMessage());
        ReportFileError(error);
        return FALSE;
    }
    m_savedText = text;
    return TRUE;
}

BOOL CTextView::LoadText() {
    if (!SaveModified()) return FALSE;
    CString title;
    const CString path = PromptTextFile(title, TRUE);
    if (path.IsEmpty()) return FALSE;
    std::string bytes;
    try {
        CFile file(path, CFile::modeRead | CFile::typeBinary);
        if (!platform::ReadWholeFile(file, s_fileLimit, bytes))
            throw CFileException(CFileException::invalidFile, EFBIG, path);
    } catch (const CFileException& e) {
        ReportFileError(e);
        return FALSE;
    } catch (const std::bad_alloc&) {
        ReportFileError(CFileException(CFileException::genericException, ENOMEM, path));
        return FALSE;
    }
    m_edit.SetWindowText(notes_text::FromFileBytes(bytes));
    m_savedText = m_edit.GetWindowText();
    m_textPath = path;
    if (m_doc && m_doc->GetHtmlDocView()) m_doc->GetHtmlDocView()->ShowTextPane();
    return TRUE;
}

void CTextView::NewText() {
    m_edit.SetWindowText("");
    m_textPath.Empty();
    m_savedText.Empty();
}

bool CTextView::IsModified() const {
    return m_edit.GetWindowText() != m_savedText;
}

bool CTextView::SaveModified() {
    if (!IsModified()) return true;
    const BYTE answer = ShowMessage(kNotesChangedText, 3);
    if (answer == IDCANCEL) return false;
    return answer != IDYES || SaveText();
}

CString CTextView::WrapLine(CString& text, int width) {
    return notes_text::WrapLine(text, width);
}

void CTextView::PrintText() {
    CPrintDialog dialog(
        FALSE,
        PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
        this);
    const CString text = m_edit.GetWindowText();
    if (dialog.DoModal() != IDOK) return;
    CDC dc;
    if (!dc.Attach(dialog.GetPrinterDC())) return;
    if (dc.StartDoc("Varnel") <= 0) {
        dc.Detach();
        return;
    }
    PrintPages(dc, text);
    dc.EndDoc();
    dc.Detach();
}

std::vector<int> CTextView::PrintPages(CDC& dc, const CString& text) {
    const int width = dc.GetDeviceCaps(HORZRES);
    const int height = dc.GetDeviceCaps(VERTRES);
    // Font and margins were chosen on a 600 dpi printer: at other resolutions they scale, so that
    // a page holds the same 56 lines of 70 characters.
    const double sx = dc.GetDeviceCaps(LOGPIXELSX) / 600.0;
    const double sy = dc.GetDeviceCaps(LOGPIXELSY) / 600.0;
    const auto scaled = [](int v, double s) { return std::max(1, int(std::lround(v * s))); };
    CFont font;
    font.CreateFont(scaled(105, sy), scaled(40, sx), 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_STROKE_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                    FF_ROMAN, "Times New Roman");
    CFont* oldFont = dc.SelectObject(&font);
    CRect area(scaled(500, sx), scaled(450, sy), width - scaled(500, sx), height - scaled(450, sy));
    std::vector<int> pages;
    std::string block;
    int count = 0;
    const auto drawBlock = [&] {
        // The edit's breaks are CR LF: the CR is part of the break, not a character.
        std::erase(block, '\r');
        // The user's own words: an "&" is printed as typed, not as a mnemonic.
        dc.DrawText(CString(std::move(block)), &area, DT_NOPREFIX);
        block.clear();
    };
    dc.StartPage();
    bool pageOpen = true;
    for (notes_text::LineWrapper lines(text.str(), kWrapWidth); !lines.AtEnd();) {
        if (!pageOpen) {
            dc.StartPage();
            pageOpen = true;
        }
        const std::string_view line = lines.Next();
        block += line;
        if (line.find('\n') == std::string_view::npos) block += '\n';
        if (++count > kLinesPerPage - 1) {
            drawBlock();
            dc.EndPage();
            pages.push_back(count);
            count = 0;
            // No blank page after a full last one.
            pageOpen = false;
        }
    }
    if (pageOpen) {
        drawBlock();
        dc.EndPage();
        pages.push_back(count);
    }
    dc.SelectObject(oldFont);
    return pages;
}

void CTextView::OnNotesChange() {
    const BOOL notEmpty = m_edit.GetWindowText().IsEmpty() ? FALSE : TRUE;
    CHtmlDocView* workbook = m_doc ? m_doc->GetHtmlDocView() : nullptr;
    auto* frame = dynamic_cast<CHtmlDocFrame*>(GetParentFrame());
    if (!frame && workbook) frame = dynamic_cast<CHtmlDocFrame*>(workbook->GetParentFrame());
    if (frame) frame->m_notesNotEmpty = notEmpty;
}

void CTextView::OnNotesSetFocus() {
    // The worksheet loses its selection, so that Copy takes the notes'.
    if (m_doc && m_doc->GetHtmlDocView()) m_doc->GetHtmlDocView()->ClearWorksheetSelection();
}
