// Purpose: the skinned link label: pressing it opens its address (http and https only) in the browser.
#pragma once

#include "skin/label.h"

#include <QString>

namespace orvu {

class LinkLabel : public Label {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent = nullptr);

    const QString& url() const { return url_; }
    void setUrl(const QString& url) { url_ = url; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString url_;
};

} // namespace orvu
