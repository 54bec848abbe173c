#pragma once

#include <QFocusFrame>

namespace glyphmere::app {

// A ring around whichever control of its window has the keyboard focus, however the focus came there.
// The window's style shows the focus faintly, on some controls only after a key press, and on the list
// not at all; the ring shows it on every control, and goes while another window has the focus.
class FocusRing final : public QFocusFrame {
    Q_OBJECT

public:
    explicit FocusRing(QWidget& window);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(QWidget* focused);

    QWidget& m_window;
};

} // namespace glyphmere::app
