// Purpose: the skinned label: its caption and its tool-tip are always shown as plain text.
#pragma once

#include <QLabel>

class QEvent;
class QHelpEvent;

namespace orvu {

// Shows `text` as the tool-tip at the help event's place, as plain text: a file name or a tag that
// holds markup (an image of /dev/zero, a huge font) is shown as the characters it is.
void showPlainToolTip(const QHelpEvent* help, const QString& text, QWidget* owner);

class Label : public QLabel {
    Q_OBJECT

public:
    explicit Label(const QString& caption = {}, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
};

} // namespace orvu
