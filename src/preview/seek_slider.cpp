#include "preview/seek_slider.h"

#include "ui/widgets/accessibility.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace {

class SeekSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit SeekSliderAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Slider)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text text) const override
    {
        if (text == QAccessible::Value)
            return playbackTimeText(slider()->value() / 1000.0);
        return QAccessibleWidget::text(text);
    }

    QVariant currentValue() const override { return slider()->value() / 1000.0; }
    void setCurrentValue(const QVariant &seconds) override
    {
        slider()->setValue(qRound(seconds.toDouble() * 1000));
    }
    QVariant maximumValue() const override { return slider()->maximum() / 1000.0; }
    QVariant minimumValue() const override { return slider()->minimum() / 1000.0; }
    QVariant minimumStepSize() const override { return slider()->singleStep() / 1000.0; }

private:
    QSlider *slider() const { return static_cast<QSlider *>(widget()); }
};

} // namespace

QString playbackTimeText(double seconds)
{
    const int whole = qMax(0, int(seconds));
    const int hours = whole / 3600;
    const int minutes = whole / 60 % 60;
    const int rest = whole % 60;
    if (hours > 0)
        return u"%1:%2:%3"_qs.arg(hours)
            .arg(minutes, 2, 10, QChar(u'0'))
            .arg(rest, 2, 10, QChar(u'0'));
    return u"%1:%2"_qs.arg(minutes, 2, 10, QChar(u'0')).arg(rest, 2, 10, QChar(u'0'));
}

SeekSlider::SeekSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    useAccessibleInterface<SeekSlider, SeekSliderAccessible>();
}

void SeekSlider::showPosition(double seconds)
{
    setValue(qMax(0, int(seconds)) * 1000);
}
