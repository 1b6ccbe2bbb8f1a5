// Purpose: TForm6, the audio effects window.
#pragma once

#include <QWidget>

namespace orvu {

class TForm6 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 425;
    static constexpr int designClientHeight = 341;

    explicit TForm6(QWidget* parent = nullptr);
};

} // namespace orvu
