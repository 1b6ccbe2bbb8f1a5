// Purpose: the skinned gauge: a bar that clamps its progress into its range and gives its percent done.
#pragma once

#include <QWidget>

namespace orvu {

class Gauge : public QWidget {
    Q_OBJECT

public:
    explicit Gauge(Qt::Orientation orientation, QWidget* parent = nullptr);

    int minValue() const { return minimum_; }
    int maxValue() const { return maximum_; }
    int progress() const { return progress_; }
    void setMaxValue(int maximum);
    // Sets both ends (maximum not below minimum) and clamps the progress into them.
    void setRange(int minimum, int maximum);
    // Clamps into minimum..maximum; repaints only when the percent shown changes.
    void setProgress(int progress);
    int percentDone() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation orientation_;
    int minimum_ = 0;
    int maximum_ = 100;
    int progress_ = 0;
};

} // namespace orvu
