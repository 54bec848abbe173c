#pragma once

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>

namespace glyphmere::app {

// A check box in graphical style: drawn as a push button with its picture above its caption (wrapped
// when long). Its value is 0 (up) or 1 (down); a click toggles it, and every change of the value,
// by the user or by code, raises valueChanged(). click() is QAbstractButton's: it presses the button.
class GraphicalCheckBox final : public QPushButton {
    Q_OBJECT

public:
    GraphicalCheckBox(const QString& caption, const QPixmap& picture, QWidget* parent);

    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value == 1); }

signals:
    void valueChanged();
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap m_picture;
};

// An editable combo box that reports when the keyboard focus leaves it for another control of the
// window (not when its own list drops down or another window becomes active).
class FocusReportingComboBox final : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

signals:
    void lostFocus();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// The run's progress bar, 0 to 100 percent, keeping two decimals of the value. A screen reader reads
// its value in percent and hears each change as the run writes it.
class ProgressBar final : public QProgressBar {
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent);

    void setProgress(float percent);
    float progress() const;
};

// Gives the progress bar a white background, so the window's surface is white throughout.
void WhiteProgress(QProgressBar& progressBar);

} // namespace glyphmere::app
