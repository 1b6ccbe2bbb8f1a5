// Purpose: TForm2, the About window.
#pragma once

#include <QWidget>

namespace orvu {

class TForm2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 488;
    static constexpr int designClientHeight = 385;

    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace orvu
