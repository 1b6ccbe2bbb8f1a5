// Purpose: TForm5, the equalizer preset window.
#pragma once

#include <QWidget>

namespace orvu {

class TForm5 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 408;
    static constexpr int designClientHeight = 263;

    explicit TForm5(QWidget* parent = nullptr);
};

} // namespace orvu
