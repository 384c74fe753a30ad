// The plot area of the setup dialog: a canvas that keeps what was drawn on it.
#pragma once

#include <QImage>
#include <QWidget>

namespace pendrel {

inline const QColor kPlotBackground{0, 0, 128};  // navy
inline const QColor kPlotLine{0, 255, 0};        // lime
inline const QColor kPlotPoint{255, 0, 0};       // red

class TDrawBox : public QWidget {
  public:
    explicit TDrawBox(QWidget* parent = nullptr);

    void fill(const QColor& color);
    // Plots sample `index` with `value`: a lime line from the previous
    // sample's point (index > 0), then a red 4 x 4 square around the point.
    void plotSample(int index, int value, int previousValue);

    const QImage& canvas() const { return canvas_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QImage canvas_;
};

}  // namespace pendrel
