#include "app/Controls.h"

#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

namespace glyphmere::app {
namespace {

constexpr int kPictureSize = 32;
constexpr int kMargin = 3;
constexpr int kProgressSteps = 10000; // hundredths of a percent

// The progress bar as a screen reader sees it: its value in percent, where Qt's own interface would
// give the hundredths that the bar counts in.
class AccessibleProgressBar final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgressBar(ProgressBar* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return QStringLiteral("%1%").arg(std::lround(bar().progress()));
        return QAccessibleWidget::text(kind);
    }
    QVariant currentValue() const override { return static_cast<double>(bar().progress()); }
    void setCurrentValue(const QVariant&) override {} // only the run moves the bar
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.01; }

private:
    const ProgressBar& bar() const { return *static_cast<const ProgressBar*>(widget()); }
};

QAccessibleInterface* accessibleProgressBar(const QString&, QObject* object)
{
    auto* bar = qobject_cast<ProgressBar*>(object);
    return bar ? new AccessibleProgressBar(bar) : nullptr;
}

} // namespace

GraphicalCheckBox::GraphicalCheckBox(const QString& caption, const QPixmap& picture, QWidget* parent)
    : QPushButton(caption, parent), m_picture(picture)
{
    setCheckable(true);
    // A click must take the focus, so the size box's check runs before the button's work.
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    connect(this, &QPushButton::toggled, this, &GraphicalCheckBox::valueChanged);
}

void GraphicalCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton bevel;
    initStyleOption(&bevel);
    bevel.text.clear();
    bevel.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, bevel);

    // The picture and the caption below it stand as one block in the middle of the button.
    const int shift = isDown() || isChecked() ? 1 : 0;
    const QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin).translated(shift, shift);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const int captionHeight = painter.fontMetrics().boundingRect(inner, flags, text()).height();
    const int top = inner.top() + std::max(0, (inner.height() - kPictureSize - captionHeight) / 2);
    painter.drawPixmap(inner.center().x() - kPictureSize / 2, top, m_picture);
    const QRect captionArea(inner.left(), top + kPictureSize, inner.width(), inner.bottom() - top - kPictureSize);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(captionArea, flags, text());
}

void GraphicalCheckBox::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    // Taken here, so the move does not also reach the window's bare surface.
    event->accept();
    emit mouseMoved();
}

void GraphicalCheckBox::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the button as Space does, as every push button on Windows does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void FocusReportingComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
        emit lostFocus();
}

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&accessibleProgressBar);
        return true;
    }();
    (void)factoryInstalled;
    setRange(0, kProgressSteps);
    setValue(0);
    setTextVisible(false);
}

void ProgressBar::setProgress(float percent)
{
    if (!(percent >= 0.0f)) // also a NaN
        percent = 0.0f;
    percent = std::min(percent, 100.0f);
    setValue(static_cast<int>(std::lround(percent * kProgressSteps / 100.0)));
}

float ProgressBar::progress() const { return static_cast<float>(value()) * 100.0f / kProgressSteps; }

void WhiteProgress(QProgressBar& progressBar)
{
    QPalette white = progressBar.palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    progressBar.setPalette(white);
    progressBar.setAutoFillBackground(true);
}

} // namespace glyphmere::app
