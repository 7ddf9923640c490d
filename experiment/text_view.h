#pragma once
// The workbook's notes pane: one multi-line edit in which the student writes beside the worksheet.
// The notes are saved to and loaded from a ".txt" file, and printed with their own wrapping.

#include <vector>

#include "platform/base/file_limit.h"
#include "platform/ui/controls.h"
#include "platform/ui/form_view.h"

class CDC;
class CVarnelDoc;

class CTextView : public CFormView {
    DECLARE_DYNCREATE(CTextView)

public:
    // Characters per printed line, and printed lines per page.
    static constexpr int kWrapWidth = 70;
    static constexpr int kLinesPerPage = 56;
    static constexpr const char* kNotesChangedText =
        "Notes have changed. Do You Want to save them ?";
    // Larger files are not notes.
    static inline platform::FileSizeLimit s_fileLimit{64ull << 20};

    CTextView();
    ~CTextView() override;
    CEdit& GetEdit() { return m_edit; }

    // The first update: the controls are ready and the document knows this pane.
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnSize(UINT type, int cx, int cy) override;

    // True when the notes were written; asks for a file only while they have none.
    BOOL SaveText();
    // True when a file was loaded into the edit.
    BOOL LoadText();
    // Empties the notes and forgets their file: a new text document.
    void NewText();
    // True when the notes differ from what was last saved, loaded or emptied.
    bool IsModified() const;
    // Before changed notes are replaced or dropped: asks whether to save them. False when the
    // user cancels or the save did not happen, so the caller keeps the notes.
    bool SaveModified();
    // The chosen ".txt" file in the data root's workbook folder, or "" when cancelled; `title`
    // gets the file's name without its extension.
    CString PromptTextFile(CString& title, BOOL open);
    void PrintText();
    // Draws the notes on the pages of a printer DC whose document has begun (first page not yet
    // started); the measures hold at 600 dots per inch and scale with the device's resolution.
    // Returns the count of lines on each page.
    std::vector<int> PrintPages(CDC& dc, const CString& text);
    // The next printed line, taken from the front of `text`.
    static CString WrapLine(CString& text, int width);

    void OnNotesChange();
    void OnNotesSetFocus();

    BYTE m_ready = 0;
    // Empty while the notes have no file yet.
    CString m_textPath;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    // The document forgets its notes pane with the pane's window, not later with the object.
    void OnDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    CEdit m_edit;
    CVarnelDoc* m_doc = nullptr;
    CString m_savedText;
};
