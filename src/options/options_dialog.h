// Purpose: TForm4, the Options dialog.
#pragma once

#include <QWidget>

namespace orvu {

class TForm4 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 592;
    static constexpr int designClientHeight = 408;

    explicit TForm4(QWidget* parent = nullptr);
};

} // namespace orvu
