// Purpose: TForm7, the web links window.
#pragma once

#include <QWidget>

namespace orvu {

class TForm7 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 545;
    static constexpr int designClientHeight = 331;

    explicit TForm7(QWidget* parent = nullptr);
};

} // namespace orvu
