#pragma once
// Printing: the print dialog, which chooses a printer (or a PDF file) through the modal host, the
// printer DC it hands out, and the state of one print job.

#include <memory>

#include "platform/gdi/dc.h"

class CWnd;
class QPrinter;

// CPrintDialog flags.
constexpr DWORD PD_ALLPAGES = 0x00000000;
constexpr DWORD PD_SELECTION = 0x00000001;
constexpr DWORD PD_PAGENUMS = 0x00000002;
constexpr DWORD PD_NOSELECTION = 0x00000004;
constexpr DWORD PD_NOPAGENUMS = 0x00000008;
constexpr DWORD PD_PRINTTOFILE = 0x00000020;
constexpr DWORD PD_RETURNDC = 0x00000100;
constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;
constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;

struct PRINTDLG {
    DWORD Flags = 0;
    WORD nFromPage = 1;
    WORD nToPage = 0xFFFF;
    WORD nMinPage = 1;
    WORD nMaxPage = 0xFFFF;
    WORD nCopies = 1;
};

class CPrintDialog {
public:
    explicit CPrintDialog(BOOL printSetupOnly,
                          DWORD flags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                                        PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                          CWnd* parent = nullptr);
    ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // IDOK once a printer is chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    // The DC of the chosen printer; it belongs to the dialog and lives as long as it does. A DC
    // attached to the handle runs the print job (StartDoc ... EndDoc).
    HDC GetPrinterDC();

    BOOL PrintAll() const { return !(m_pd.Flags & (PD_PAGENUMS | PD_SELECTION)); }
    BOOL PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
    int GetFromPage() const { return m_pd.nFromPage; }
    int GetToPage() const { return m_pd.nToPage; }
    int GetCopies() const { return m_pd.nCopies; }
    CWnd* GetParent() const { return m_parent; }

    // The printer behind the dialog, for the modal host to set up.
    QPrinter* GetPrinter() const { return m_printer.get(); }

    PRINTDLG m_pd;

private:
    class PrinterDC;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<PrinterDC> m_dc;
    CWnd* m_parent;
};

// The state of a print job, as the printing code passes it around.
struct CPrintInfo {
    CPrintDialog* m_pPD = nullptr;
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    CRect m_rectDraw;  // the printable area in device units
    void* m_lpUserData = nullptr;

    void SetMinPage(UINT page) { m_minPage = page; }
    void SetMaxPage(UINT page) { m_maxPage = page; }
    UINT GetMinPage() const { return m_minPage; }
    UINT GetMaxPage() const { return m_maxPage; }
    // The pages to print: the dialog's range, kept within the pages there are.
    UINT GetFromPage() const;
    UINT GetToPage() const;

private:
    UINT m_minPage = 1;
    UINT m_maxPage = 0xFFFF;
};
