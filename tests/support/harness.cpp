#include "tests/support/harness.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QToolTip>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include <QPrinter>

#include "platform/gdi/printer.h"
#include "platform/ui/color_dialog.h"
#include "platform/ui/controls.h"
#include "platform/ui/property_sheet.h"

namespace testing_support {

// ---- ModalScript ----

ModalScript::ModalScript() {
    platform::ModalHost::Install(this);
}

ModalScript::~ModalScript() {
    platform::ModalHost::Install(nullptr);
    for (const Step& s : m_steps) {
        if (s.print)
            ADD_FAILURE() << "Expected print dialog never shown";
        else if (s.menu)
            ADD_FAILURE() << "Expected pop-up menu never shown";
        else if (s.message)
            ADD_FAILURE() << "Expected message never shown: \"" << s.text.GetString() << "\"";
        else
            ADD_FAILURE() << "Expected dialog " << s.templateId << " never shown";
    }
}

ModalScript& ModalScript::ExpectMessage(const CString& text, int answer) {
    m_steps.push_back({true, text, answer, 0, nullptr});
    return *this;
}

ModalScript& ModalScript::ExpectDialog(UINT templateId, DialogAction action) {
    m_steps.push_back({false, CString(), 0, templateId, std::move(action)});
    return *this;
}

ModalScript& ModalScript::ExpectPrint(const CString& pdfPath, int answer, int fromPage,
                                      int toPage) {
    Step step{false, pdfPath, answer, 0, nullptr};
    step.print = true;
    step.fromPage = fromPage;
    step.toPage = toPage;
    m_steps.push_back(std::move(step));
    return *this;
}

ModalScript& ModalScript::ExpectPrint(const CString& pdfPath, std::function<void()> look) {
    ExpectPrint(pdfPath);
    m_steps.back().printLook = std::move(look);
    return *this;
}

ModalScript& ModalScript::ExpectMenu(std::function<UINT(CMenu&)> choose) {
    Step step{false, CString(), 0, 0, nullptr};
    step.menu = std::move(choose);
    m_steps.push_back(std::move(step));
    return *this;
}

UINT ModalScript::RunPopupMenu(CMenu& popup, int, int) {
    m_shown.push_back("(menu)");
    if (m_steps.empty() || !m_steps.front().menu) {
        ADD_FAILURE() << "Unexpected pop-up menu";
        return 0;
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    return step.menu(popup);
}

ModalScript& ModalScript::ExpectPageSetup(std::function<void(QPrinter&)> choose, int answer) {
    Step step{false, "Page Setup", answer, 0, nullptr};
    step.pageSetup = std::move(choose);
    m_steps.push_back(std::move(step));
    return *this;
}

ModalScript& ModalScript::ExpectColor(COLORREF colour, int answer,
                                      std::optional<COLORREF> opensAt) {
    Step step{false, "Color", answer, 0, nullptr};
    step.color = true;
    step.colour = colour;
    step.opensAt = opensAt;
    m_steps.push_back(std::move(step));
    return *this;
}

int ModalScript::RunColorDialog(CColorDialog& dialog) {
    m_shown.push_back("Color");
    if (m_steps.empty() || !m_steps.front().color) {
        ADD_FAILURE() << "Unexpected colour dialog";
        return IDCANCEL;
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    if (step.opensAt) {
        EXPECT_EQ(dialog.GetColor(), *step.opensAt) << "the colour the picker opens at";
    }
    if (step.answer == IDOK) dialog.SetColor(step.colour);
    return step.answer;
}

ModalScript& ModalScript::ExpectQtDialog(std::function<int(QDialog&)> action) {
    Step step{false, "Qt dialog", 0, 0, nullptr};
    step.qtDialog = std::move(action);
    m_steps.push_back(std::move(step));
    return *this;
}

ModalScript& ModalScript::ExpectFileDialog(const CString& path) {
    return ExpectQtDialog([path](QDialog& d) {
        auto* files = qobject_cast<QFileDialog*>(&d);
        EXPECT_TRUE(files) << "not a file dialog";
        if (!files || path.IsEmpty()) return int(QDialog::Rejected);
        files->selectFile(path.ToQString());
        return int(QDialog::Accepted);
    });
}

int ModalScript::RunQtDialog(QDialog& dialog) {
    m_shown.push_back(CString(dialog.windowTitle()));
    if (m_steps.empty() || !m_steps.front().qtDialog) {
        ADD_FAILURE() << "Unexpected dialog \"" << dialog.windowTitle().toStdString() << "\"";
        return QDialog::Rejected;
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    return step.qtDialog(dialog);
}

int ModalScript::RunPageSetupDialog() {
    m_shown.push_back("Page Setup");
    if (m_steps.empty() || !m_steps.front().pageSetup) {
        ADD_FAILURE() << "Unexpected page set-up dialog";
        return IDCANCEL;
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    if (step.answer != IDOK) return step.answer;
    step.pageSetup(platform::DefaultPrinter());
    return IDOK;
}

int ModalScript::RunPrintDialog(CPrintDialog& dialog) {
    m_shown.push_back("Print");
    if (m_steps.empty() || !m_steps.front().print) {
        ADD_FAILURE() << "Unexpected print dialog";
        return IDCANCEL;
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    if (step.answer != IDOK) return step.answer;
    if (step.printLook) step.printLook();
    QPrinter* printer = dialog.GetPrinter();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(step.text.ToQString());
    dialog.m_pd.Flags &= ~(PD_PAGENUMS | PD_SELECTION);
    if (step.fromPage > 0 && step.toPage > 0) {
        dialog.m_pd.Flags |= PD_PAGENUMS;
        dialog.m_pd.nFromPage = static_cast<WORD>(step.fromPage);
        dialog.m_pd.nToPage = static_cast<WORD>(step.toPage);
    }
    return IDOK;
}

int ModalScript::RunMessageBox(CWnd*, const CString& text, const CString&, UINT type) {
    m_shown.push_back(text);
    if (m_steps.empty() || !m_steps.front().message || !(m_steps.front().text == text)) {
        ADD_FAILURE() << "Unexpected message box: \"" << text.GetString() << "\""
                      << (m_steps.empty()           ? ""
                          : m_steps.front().message ? " (expected a different message)"
                                                    : " (expected a dialog)");
        const UINT kind = type & MB_TYPEMASK;
        return kind == MB_OK ? IDOK : kind == MB_YESNO ? IDNO : IDCANCEL;
    }
    const int answer = m_steps.front().answer;
    m_steps.pop_front();
    return answer;
}

CString ModalScript::DialogText(const CDialog& dialog) {
    CString text;
    for (CWnd* child : dialog.GetChildren()) {
        if (!dynamic_cast<CStatic*>(child)) continue;
        if (!text.IsEmpty()) text += "\n";
        text += child->GetWindowText();
    }
    return text;
}

void ModalScript::RunDialog(CDialog& dialog) {
    const CString text = DialogText(dialog);
    m_shown.push_back(text);
    if (QWidget* w = dialog.GetWidget()) w->show();
    const platform::WindowWatch watch(dialog);
    auto stillOpen = [&] { return watch.Alive() && !dialog.IsEnded(); };

    bool matched = false;
    if (!m_steps.empty() && !m_steps.front().print) {
        Step step = m_steps.front();
        if (step.message) {
            bool hasText = false;
            for (CWnd* child : dialog.GetChildren())
                if (dynamic_cast<CStatic*>(child) && child->GetWindowText() == step.text)
                    hasText = true;
            if (hasText) {
                m_steps.pop_front();
                matched = true;
                if (dialog.GetDlgItem(step.answer))
                    Press(dialog, step.answer);
                else
                    dialog.EndDialog(step.answer);
            }
        } else if (step.templateId == dialog.GetTemplateId()) {
            m_steps.pop_front();
            matched = true;
            step.action(dialog);
        }
    }
    if (!matched) {
        ADD_FAILURE() << "Unexpected dialog " << dialog.GetTemplateId() << ": \""
                      << text.GetString() << "\"";
    } else if (stillOpen()) {
        ADD_FAILURE() << "Dialog " << dialog.GetTemplateId()
                      << " is still open after its script step";
    }
    if (stillOpen()) dialog.EndDialog(IDCANCEL);
}

// ---- user actions ----

namespace {

CWnd* UsableItem(CDialog& dialog, int id) {
    CWnd* item = dialog.GetDlgItem(id);
    if (!item) {
        ADD_FAILURE() << "Dialog " << dialog.GetTemplateId() << " has no control " << id;
        return nullptr;
    }
    if (!item->IsWindowVisible() || !item->IsWindowEnabled()) {
        ADD_FAILURE() << "Control " << id << " of dialog " << dialog.GetTemplateId() << " is "
                      << (item->IsWindowVisible() ? "disabled" : "hidden");
        return nullptr;
    }
    return item;
}

}  // namespace

void Press(CDialog& dialog, int id) {
    if (auto* button = dynamic_cast<CButton*>(UsableItem(dialog, id))) button->Click();
}

namespace {

void PressKey(CDialog& dialog, Qt::Key key) {
    QWidget* w = dialog.GetWidget();
    if (!w) return;
    // Where a user's focus is: the dialog's focus widget, else the first control that takes the
    // focus (on a sheet, in its page).
    QWidget* at = w->focusWidget();
    if (!at) {
        const auto* sheet = dynamic_cast<const CPropertySheet*>(&dialog);
        const CPropertyPage* page = sheet ? sheet->GetActivePage() : nullptr;
        QWidget* root = page && page->GetWidget() ? page->GetWidget() : w;
        for (QWidget* child : root->findChildren<QWidget*>())
            if (child->isVisibleTo(w) && child->isEnabled() &&
                (child->focusPolicy() & Qt::TabFocus)) {
                at = child;
                break;
            }
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(at ? at : w, &press);
}

}  // namespace

void PressEscape(CDialog& dialog) {
    PressKey(dialog, Qt::Key_Escape);
}

void PressEnter(CDialog& dialog) {
    PressKey(dialog, Qt::Key_Return);
}

void PressCloseBox(CDialog& dialog) {
    if (QWidget* w = dialog.GetWidget()) w->close();
}

void TypeText(CDialog& dialog, int id, const char* text) {
    if (CWnd* item = UsableItem(dialog, id)) item->SetWindowText(text);
}

void SetChecked(CDialog& dialog, int id, bool checked) {
    auto* button = dynamic_cast<CButton*>(UsableItem(dialog, id));
    if (button && (button->GetCheck() == BST_CHECKED) != checked) button->Click();
}

// ---- RecordingDevice ----

class RecordingDevice::Engine : public QPaintEngine {
public:
    explicit Engine(RecordingDevice* device)
        : QPaintEngine(QPaintEngine::AllFeatures), m_device(device) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            m_device->lines.push_back(painter()->combinedTransform().map(lines[i]));
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QTransform& t = painter()->combinedTransform();
        const double width = t.map(QLineF(p, p + QPointF(item.width(), 0))).length();
        m_device->texts.push_back({item.text(), t.map(p), item.font().family(), width});
    }

private:
    RecordingDevice* m_device;
};

RecordingDevice::RecordingDevice(int width, int height, int dpi)
    : m_engine(std::make_unique<Engine>(this)), m_width(width), m_height(height), m_dpi(dpi) {}

RecordingDevice::~RecordingDevice() = default;

QPaintEngine* RecordingDevice::paintEngine() const {
    return m_engine.get();
}

int RecordingDevice::metric(PaintDeviceMetric m) const {
    switch (m) {
        case PdmWidth:
            return m_width;
        case PdmHeight:
            return m_height;
        case PdmWidthMM:
            return m_width * 254 / (m_dpi * 10);
        case PdmHeightMM:
            return m_height * 254 / (m_dpi * 10);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 0x7FFFFFFF;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        default:
            return 0;
    }
}

std::vector<RecordingDevice::Text> RecordingDevice::SortedTexts() const {
    std::vector<Text> out = texts;
    std::stable_sort(out.begin(), out.end(), [](const Text& a, const Text& b) {
        if (std::abs(a.at.y() - b.at.y()) > 0.5) return a.at.y() < b.at.y();
        return a.at.x() < b.at.x();
    });
    return out;
}

QString RecordingDevice::AllText() const {
    QString all;
    for (const Text& t : texts)
        all += t.text;
    return all;
}

// ---- images ----

COLORREF Px(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

QImage RenderWidget(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image);
    return image;
}

CString SaveTestImage(const QImage& image, const char* name) {
    const QString folder = QStringLiteral(VARNEL_TEST_OUTPUT_DIR);
    QDir().mkpath(folder);
    const QString path = folder + "/" + QString::fromUtf8(name) + ".png";
    image.save(path);
    return CString(path);
}

QString ShownTooltip(QWidget* widget) {
    const QPoint at(2, 2);
    QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &event);
    const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
    QToolTip::hideText();
    return text;
}

void ProcessQtEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool SizeFrameForView(CWnd& frame, CWnd& view, int w, int h) {
    CRect c;
    // The layout may settle over a few rounds.
    for (int round = 0; round < 3; ++round) {
        CRect f;
        view.GetClientRect(&c);
        frame.GetWindowRect(&f);
        frame.SetWindowPos(nullptr, 0, 0, f.Width() + w - c.Width(), f.Height() + h - c.Height(),
                           SWP_NOMOVE | SWP_NOZORDER);
        ProcessQtEvents();
    }
    view.GetClientRect(&c);
    return c.Width() == w && c.Height() == h;
}

namespace {
class LeftoverCloser : public platform::ModalHost {
public:
    int RunMessageBox(CWnd*, const CString&, const CString&, UINT) override { return IDCANCEL; }
    void RunDialog(CDialog& dialog) override { dialog.EndDialog(IDCANCEL); }
    int RunPrintDialog(CPrintDialog&) override { return IDCANCEL; }
    UINT RunPopupMenu(CMenu&, int, int) override { return 0; }
    int RunPageSetupDialog() override { return IDCANCEL; }
    int RunColorDialog(CColorDialog&) override { return IDCANCEL; }
    int RunQtDialog(QDialog&) override { return QDialog::Rejected; }
};
}  // namespace

void DrainLeftoverEvents() {
    LeftoverCloser closer;
    platform::ModalHost::Install(&closer);
    // A closed box may post again; a few rounds reach the end of such chains.
    for (int round = 0; round < 3; ++round)
        ProcessQtEvents();
    platform::ModalHost::Install(nullptr);
}

}  // namespace testing_support
