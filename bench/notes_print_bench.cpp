// Printing 4 MB of workbook notes (about 1,400 pages of words). BM_PrintNotes runs the notes pane's
// page loop at 600 dots per inch on A4 into a device that drops what it is given: wrapping, pages
// and Qt's layout of the text, without a printer's own output; every "&" of the words must reach
// the page as typed. BM_WrapNotes takes the printed lines alone from three 4 MB texts: words, one
// word without a break, and nothing but line breaks; each should take a few milliseconds. Times
// grow with the text, not with its square.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <string>

#include "experiment/text_view.h"
#include "logger/notes_text.h"
#include "platform/gdi/dc.h"

namespace {

constexpr size_t kSize = 4u << 20;

std::string Words() {
    static const char* const kWords[] = {"The", "cart", "rolled", "down",  "the",    "ramp", "in",
                                         "2.4", "s;",   "at",     "20 °C", "again.", "R&D",  "&"};
    std::string text;
    text.reserve(kSize + 64);
    for (size_t i = 0; text.size() < kSize; ++i) {
        text += kWords[i % std::size(kWords)];
        text += i % 23 == 22 ? "\r\n" : " ";
    }
    return text;
}

std::string Text(int kind) {
    switch (kind) {
        case 0:
            return Words();
        case 1:
            return std::string(kSize, 'w');
        default: {
            std::string breaks;
            for (size_t i = 0; i < kSize / 2; ++i)
                breaks += "\r\n";
            return breaks;
        }
    }
}

// An A4 page at 600 dots per inch that keeps nothing drawn on it.
class DroppingPage : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &m_engine; }
    // The "&" characters that reached the page as text.
    size_t Ampersands() const { return m_engine.ampersands; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return 4961;
            case PdmHeight:
                return 7016;
            case PdmWidthMM:
                return 210;
            case PdmHeightMM:
                return 297;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 600;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 1 << 24;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return QPaintEngine::User; }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        // Lines and shapes, such as an underline, are dropped as well.
        void drawPath(const QPainterPath&) override {}
        void drawLines(const QLineF*, int) override {}
        void drawRects(const QRectF*, int) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override {
            ampersands += static_cast<size_t>(item.text().count('&'));
        }
        size_t ampersands = 0;
    };
    mutable Engine m_engine;
};

void BM_PrintNotes(benchmark::State& state) {
    const CString text(Words());
    CTextView notes;
    const auto typed = static_cast<size_t>(std::count(text.str().begin(), text.str().end(), '&'));
    size_t pages = 0;
    for (auto _ : state) {
        DroppingPage page;
        {
            QPainter painter(&page);
            CDC dc(&painter, true);
            pages = notes.PrintPages(dc, text).size();
        }
        // The user's "&" is printed as typed, not taken for a mnemonic.
        if (page.Ampersands() != typed) state.SkipWithError("an \"&\" of the notes is not printed");
    }
    state.counters["pages"] = static_cast<double>(pages);
}
BENCHMARK(BM_PrintNotes)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_WrapNotes(benchmark::State& state) {
    const std::string text = Text(static_cast<int>(state.range(0)));
    size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        for (notes_text::LineWrapper wrapper(text, CTextView::kWrapWidth); !wrapper.AtEnd();) {
            benchmark::DoNotOptimize(wrapper.Next());
            ++lines;
        }
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WrapNotes)
    ->ArgName("words_word_breaks")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
