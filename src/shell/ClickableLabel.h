#pragma once

#include <QLabel>

namespace spectrel {

// A label that reports a click: press and release of the left button over it, as the link labels and the
// banner's clickable area need. Without text or picture it paints nothing and lets its parent show through.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace spectrel
