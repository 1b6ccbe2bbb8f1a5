// Purpose: TForm3, the visualization window.
#pragma once

#include <QWidget>

namespace orvu {

class TForm3 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 677;
    static constexpr int designClientHeight = 462;

    explicit TForm3(QWidget* parent = nullptr);
};

} // namespace orvu
