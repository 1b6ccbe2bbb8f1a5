// Purpose: TForm6, the audio effects window: balance, disk speed, reverb and echo of the current track.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace orvu {

class Panel;
class PlaybackSession;
class ScrollBar;

class TForm6 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 425;
    static constexpr int designClientHeight = 341;

    // The sliders start at the session's effect positions and drive them.
    explicit TForm6(PlaybackSession& session, QWidget* parent = nullptr);

    void scrlbr1Change(); // balance
    void scrlbr2Change(); // disk speed
    void scrlbr3Change(); // reverb mix
    void scrlbr4Change(); // echo mix
    void scrlbr5Change(); // echo feedback
    void scrlbr6Change(); // reverb time
    void btn1Click();     // close
    void btn2Click();     // centre the balance
    void btn3Click();     // reset the speed
    void btn4Click();     // reset the echo
    void btn5Click();     // reset the reverb

    Panel* pnl1 = nullptr;
    ScrollBar *scrlbr1 = nullptr, *scrlbr2 = nullptr, *scrlbr3 = nullptr, *scrlbr4 = nullptr,
              *scrlbr5 = nullptr, *scrlbr6 = nullptr;
    QPushButton *btn1 = nullptr, *btn2 = nullptr, *btn3 = nullptr, *btn4 = nullptr, *btn5 = nullptr;

Q_SIGNALS:
    // The window opened (true) or closed (false): the main window stays disabled meanwhile.
    void openChanged(bool open);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ScrollBar* makeSlider(const QString& caption, int top, int minimum, int maximum, int position);
    QPushButton* makeButton(QWidget* parent, const QString& caption, const QRect& geometry);

    PlaybackSession& session_;
};

} // namespace orvu
