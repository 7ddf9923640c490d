#pragma once
// The harness of the UI's tests: the core's (a virtual clock, a temporary data root and registry,
// a log capture), the modal script, what a user does in a dialog, and image helpers. A test that
// derives from HarnessTest gets the clock, the folder and the script, installed for its run.

#include <gtest/gtest.h>

#include <QImage>
#include <QLineF>
#include <QPaintDevice>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/menu.h"
#include "platform/ui/modal_host.h"
#include "tests/support/core/harness.h"

class QDialog;
class QWidget;

namespace testing_support {

// Answers message boxes and dialogs in the order the test expects them. A modal nobody expects
// fails the test with its text and is cancelled; expectations left over fail it at the end.
class ModalScript : public platform::ModalHost {
public:
    using DialogAction = std::function<void(CDialog&)>;

    ModalScript();
    ~ModalScript() override;

    // A plain message box with exactly this text, or a dialog with a static of exactly this text;
    // `answer` is the button pressed (the box's result, or the dialog's control of that id).
    ModalScript& ExpectMessage(const CString& text, int answer);
    // A dialog built from this template; the action fills fields and must press a button that ends
    // it.
    ModalScript& ExpectDialog(UINT templateId, DialogAction action);
    // The print dialog: with IDOK the job goes to this PDF file (all pages, or from .. to when
    // both are given); with IDCANCEL nothing is printed.
    ModalScript& ExpectPrint(const CString& pdfPath, int answer = IDOK, int fromPage = 0,
                             int toPage = 0);
    // The same with IDOK, once `look` has seen the program while the dialog is up (a printing
    // control holds what it is about to print then).
    ModalScript& ExpectPrint(const CString& pdfPath, std::function<void()> look);

    // The colour picker: with IDOK it gives `colour`; with IDCANCEL nothing. With `opensAt` it
    // must open at that colour.
    ModalScript& ExpectColor(COLORREF colour, int answer = IDOK,
                             std::optional<COLORREF> opensAt = std::nullopt);

    // The page set-up dialog: with IDOK `choose` picks the printer and page on the application's
    // default printer; with IDCANCEL nothing changes.
    ModalScript& ExpectPageSetup(std::function<void(QPrinter&)> choose, int answer = IDOK);

    // A dialog of Qt's own (a file or folder chooser): the action may set it up and returns
    // QDialog::Accepted or QDialog::Rejected.
    ModalScript& ExpectQtDialog(std::function<int(QDialog&)> action);
    // A file dialog that returns `path`, or is cancelled when the path is empty.
    ModalScript& ExpectFileDialog(const CString& path);
    // A pop-up menu: `choose` looks at it and returns the command picked (0 for none).
    ModalScript& ExpectMenu(std::function<UINT(CMenu&)> choose);

    // The text of every modal shown, in order.
    const std::vector<CString>& Shown() const { return m_shown; }
    size_t Pending() const { return m_steps.size(); }

    int RunMessageBox(CWnd* owner, const CString& text, const CString& caption, UINT type) override;
    void RunDialog(CDialog& dialog) override;
    int RunPrintDialog(CPrintDialog& dialog) override;
    int RunPageSetupDialog() override;
    int RunColorDialog(CColorDialog& dialog) override;
    int RunQtDialog(QDialog& dialog) override;
    UINT RunPopupMenu(CMenu& popup, int x, int y) override;

    // The texts of a dialog's statics, one per line.
    static CString DialogText(const CDialog& dialog);

private:
    struct Step {
        bool message;
        CString text;
        int answer;
        UINT templateId;
        DialogAction action;
        bool print = false;
        int fromPage = 0, toPage = 0;
        std::function<void(QPrinter&)> pageSetup = nullptr;
        bool color = false;
        COLORREF colour = 0;
        std::optional<COLORREF> opensAt = std::nullopt;
        std::function<int(QDialog&)> qtDialog = nullptr;
        std::function<UINT(CMenu&)> menu = nullptr;
        std::function<void()> printLook = nullptr;
    };
    std::deque<Step> m_steps;
    std::vector<CString> m_shown;
};

// One answer of the colour picker, for tests that script several.
struct ColorAnswer {
    COLORREF colour = 0;
    int answer = IDOK;
    std::optional<COLORREF> opensAt = std::nullopt;  // the colour it must open at
};

// What a user does in a dialog: each fails the test when the control is missing, hidden or
// disabled.
void Press(CDialog& dialog, int id);
// Escape or Enter where the focus is (a control of the dialog, or of a sheet's page).
void PressEscape(CDialog& dialog);
void PressEnter(CDialog& dialog);
void PressCloseBox(CDialog& dialog);
void TypeText(CDialog& dialog, int id, const char* text);
void SetChecked(CDialog& dialog, int id, bool checked);

// A paint device that records what is drawn on it instead of drawing: the texts with the device
// point they start at, and the lines. A printer stand-in for tests of printed pages.
class RecordingDevice : public QPaintDevice {
public:
    struct Text {
        QString text;
        QPointF at;        // the baseline's start, in device units
        QString family;    // of the font it was drawn in
        double width = 0;  // its advance, in device units
    };
    RecordingDevice(int width, int height, int dpi);
    ~RecordingDevice() override;
    QPaintEngine* paintEngine() const override;
    std::vector<Text> texts;
    std::vector<QLineF> lines;
    // The texts in reading order: by baseline, then from the left.
    std::vector<Text> SortedTexts() const;
    // Every text, in the order drawn, run together.
    QString AllText() const;

protected:
    int metric(PaintDeviceMetric m) const override;

private:
    class Engine;
    std::unique_ptr<Engine> m_engine;
    int m_width, m_height, m_dpi;
};

// Renders a widget as it would be painted, and saves images under the build folder for a person.
QImage RenderWidget(QWidget* widget);
// One pixel's colour, as the drawing code names colours.
COLORREF Px(const QImage& image, int x, int y);
CString SaveTestImage(const QImage& image, const char* name);
// The dialog font at `scale` times its size while it lives, as a desktop set to large fonts has.
class ScopedDialogFontScale {
public:
    explicit ScopedDialogFontScale(double scale) : m_old(platform::DialogFontScale()) {
        platform::SetDialogFontScale(scale);
    }
    ~ScopedDialogFontScale() { platform::SetDialogFontScale(m_old); }
    ScopedDialogFontScale(const ScopedDialogFontScale&) = delete;
    ScopedDialogFontScale& operator=(const ScopedDialogFontScale&) = delete;

private:
    double m_old;
};

// The tooltip a widget shows when the mouse rests on it; empty for none.
QString ShownTooltip(QWidget* widget);
// Lets deferred deletions and posted Qt events run.
void ProcessQtEvents();
// Sizes `frame` so that `view`, which the frame lays out with its bars, gets this client size;
// false when it cannot.
bool SizeFrameForView(CWnd& frame, CWnd& view, int w, int h);
// Runs what a finished test left in Qt's queue (a logger's late message box, say) with every
// modal closed unanswered, so that it cannot land in the next test's script. Returns to the Qt
// host.
void DrainLeftoverEvents();

class HarnessTest : public ::testing::Test {
protected:
    ScopedVirtualClock clock;
    TempEnvironment env;
    ModalScript modals;
};

}  // namespace testing_support
