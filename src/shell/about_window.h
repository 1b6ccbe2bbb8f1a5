// Purpose: TForm2, the About window: the product's name, version, contact and licence, shown over a
// disabled main window.
#pragma once

#include <QWidget>

#include <array>

class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;
class QTabWidget;

namespace orvu {

class LinkLabel;

class TForm2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 488;
    static constexpr int designClientHeight = 385;

    explicit TForm2(QWidget* parent = nullptr);

    QTabWidget* pgc1 = nullptr; // "About", "Contact", "License"
    QLabel* lbl1 = nullptr;     // the About tab's title, with its glow
    std::array<LinkLabel*, 3> aboutLinks{};
    LinkLabel* contactLink = nullptr;
    QPlainTextEdit* mmo1 = nullptr; // the licence
    QPushButton* btn1 = nullptr;    // "&OK"

    void FormShow();  // the main window is disabled
    void FormClose(); // the main window is enabled again
    void btn1Click();

Q_SIGNALS:
    // True when the window shows, false when it closes: the main window takes no input meanwhile.
    void openChanged(bool open);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QWidget* createAboutTab();
    QWidget* createContactTab();
    QWidget* createLicenseTab();
};

} // namespace orvu
