#include "device/adapter/DrawBox.h"

#include <QPainter>

#include "device/adapter/VoltagePlot.h"

namespace pendrel {

TDrawBox::TDrawBox(QWidget* parent) : QWidget(parent) {
    setObjectName("DrawBox");
}

void TDrawBox::resizeEvent(QResizeEvent*) {
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(Qt::white);
    if (!canvas_.isNull()) {
        QPainter p(&resized);
        p.drawImage(0, 0, canvas_);
    }
    canvas_ = resized;
}

void TDrawBox::fill(const QColor& color) {
    if (canvas_.size() != size()) {
        canvas_ = QImage(size(), QImage::Format_RGB32);
    }
    canvas_.fill(color);
    update();
}

void TDrawBox::plotSample(int index, int value, int previousValue) {
    if (canvas_.size() != size()) {
        fill(Qt::white);
    }
    const int w = canvas_.width();
    const int h = canvas_.height();
    const TPlotPoint at = PlotPointOf(index, value, w, h);
    QPainter p(&canvas_);
    if (index > 0) {
        const TPlotPoint from = PlotPointOf(index - 1, previousValue, w, h);
        p.setPen(QPen(kPlotLine, 1));
        p.drawLine(from.x, from.y, at.x, at.y);
    }
    // The square covers x-2 .. x+1 and y-2 .. y+1, its far edges excluded.
    p.fillRect(QRect(at.x - 2, at.y - 2, 4, 4), kPlotPoint);
    update();
}

void TDrawBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, canvas_);
}

}  // namespace pendrel
