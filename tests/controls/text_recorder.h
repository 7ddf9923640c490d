#pragma once
// A paint device that notes each text drawn on it with the family of the font it was drawn in.

#include <QPaintDevice>
#include <QPaintEngine>
#include <QString>
#include <memory>
#include <vector>

namespace controls_test {

class TextRecorder : public QPaintDevice {
public:
    struct Text {
        QString text;
        QString family;
    };
    TextRecorder(int width, int height)
        : m_engine(new Engine(this)), m_width(width), m_height(height) {}
    ~TextRecorder() override = default;
    QPaintEngine* paintEngine() const override { return m_engine.get(); }
    std::vector<Text> texts;
    QString AllText() const {
        QString all;
        for (const Text& t : texts)
            all += t.text;
        return all;
    }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return m_width;
            case PdmHeight:
                return m_height;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmWidthMM:
                return m_width * 254 / 960;
            case PdmHeightMM:
                return m_height * 254 / 960;
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

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder* owner) : QPaintEngine(AllFeatures), m_owner(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override {
            m_owner->texts.push_back({item.text(), item.font().family()});
        }
        Type type() const override { return User; }

    private:
        TextRecorder* m_owner;
    };
    std::unique_ptr<Engine> m_engine;
    int m_width, m_height;
};

}  // namespace controls_test
