#pragma once
// CDC: a device context that draws through a QPainter, on a widget, an image or a printer.

#include "platform/base/geometry.h"

class QPainter;

class CDC {
public:
    CDC() = default;
    // Draws through a painter that someone else began and ends.
    explicit CDC(QPainter* painter, bool printing = false) : m_painter(painter), m_printing(printing) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* GetPainter() const { return m_painter; }
    BOOL IsPrinting() const { return m_printing; }

protected:
    QPainter* m_painter = nullptr;
    bool m_printing = false;
};
