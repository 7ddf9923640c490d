#include "platform/gdi/printer.h"

#include <QPrinter>
#include <algorithm>

#include "platform/ui/modal_host.h"

class CPrintDialog::PrinterDC : public CDC {
public:
    explicit PrinterDC(QPrinter* printer) { UsePrinter(printer); }
};

CPrintDialog::CPrintDialog(BOOL, DWORD flags, CWnd* parent)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)), m_parent(parent) {
    m_pd.Flags = flags;
    // Starts from the printer and page chosen in the page set-up.
    const QPrinter& defaults = platform::DefaultPrinter();
    if (!defaults.printerName().isEmpty()) m_printer->setPrinterName(defaults.printerName());
    m_printer->setPageLayout(defaults.pageLayout());
}

CPrintDialog::~CPrintDialog() = default;

INT_PTR CPrintDialog::DoModal() {
    m_dc.reset();
    return platform::ModalHost::Current().RunPrintDialog(*this);
}

HDC CPrintDialog::GetPrinterDC() {
    if (!m_dc) m_dc = std::make_unique<PrinterDC>(m_printer.get());
    return m_dc->GetSafeHdc();
}

UINT CPrintInfo::GetFromPage() const {
    const UINT from =
        m_pPD && !m_pPD->PrintAll() ? static_cast<UINT>(m_pPD->GetFromPage()) : m_minPage;
    return std::max(from, m_minPage);
}

UINT CPrintInfo::GetToPage() const {
    const UINT to = m_pPD && !m_pPD->PrintAll() ? static_cast<UINT>(m_pPD->GetToPage()) : m_maxPage;
    return std::min(to, m_maxPage);
}
