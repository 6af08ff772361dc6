#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>

class QPainter;

// A paint device whose drawing goes on to another painter, with one change: a pen narrower
// than one device pixel becomes a cosmetic pen one pixel wide, so that thin plotted lines
// stay solid black and their dashes keep a visible pattern at every size, as plotters draw
// them. Vector pictures are played onto it.
class CThinLineDevice : public QPaintDevice
{
public:
    explicit CThinLineDevice(QPainter& target);
    ~CThinLineDevice() override;
    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class CEngine;
    QPainter& m_target;
    CEngine* m_engine;
};
