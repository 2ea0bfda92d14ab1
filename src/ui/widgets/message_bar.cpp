#include "ui/widgets/message_bar.h"

#include "ui/widgets/accessibility.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

// The colours of KDE's message strips, blended into the window's background.
QColor kindColour(MessageBar::Kind kind)
{
    switch (kind) {
    case MessageBar::Kind::Positive:
        return QColor(39, 174, 96);
    case MessageBar::Kind::Warning:
        return QColor(246, 116, 0);
    case MessageBar::Kind::Error:
        return QColor(218, 68, 83);
    case MessageBar::Kind::Information:
        break;
    }
    return QColor(61, 174, 233);
}

QColor blended(const QColor &over, const QColor &under, double part)
{
    return QColor::fromRgbF(float(over.redF() * part + under.redF() * (1 - part)),
        float(over.greenF() * part + under.greenF() * (1 - part)),
        float(over.blueF() * part + under.blueF() * (1 - part)));
}

QStyle::StandardPixmap kindIcon(MessageBar::Kind kind)
{
    switch (kind) {
    case MessageBar::Kind::Warning:
        return QStyle::SP_MessageBoxWarning;
    case MessageBar::Kind::Error:
        return QStyle::SP_MessageBoxCritical;
    case MessageBar::Kind::Positive:
    case MessageBar::Kind::Information:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

constexpr int iconSize = 16;
constexpr int margin = 4;

} // namespace

MessageBar::MessageBar(QWidget *parent)
    : QFrame(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
    , m_actions(new QHBoxLayout)
    , m_closeButton(new QToolButton(this))
{
    // Read as one alert: its text is its name, so a reader speaks the message when it shows.
    useAccessibleInterface<MessageBar,
        SpokenTextAccessible<MessageBar, QAccessible::AlertMessage>>();
    setObjectName(QStringLiteral("消息栏"));
    m_text->setObjectName(QStringLiteral("消息"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_icon->setFixedSize(iconSize, iconSize);
    m_closeButton->setObjectName(QStringLiteral("关闭消息"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setText(tr("✕"));
    m_closeButton->setAccessibleName(tr("关闭消息"));
    m_closeButton->setToolTip(tr("关闭消息"));
    m_closeButton->setFocusPolicy(Qt::TabFocus);
    connect(m_closeButton, &QToolButton::clicked, this, &MessageBar::dismiss);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(margin + 2, margin, margin, margin);
    layout->setSpacing(6);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    layout->addLayout(m_actions);
    layout->addWidget(m_closeButton, 0, Qt::AlignTop);
    m_actions->setSpacing(4);
    showIcon();
    hide();
}

void MessageBar::showMessage(Kind kind, const QString &text, std::vector<Action> actions)
{
    m_kind = kind;
    showIcon();
    const bool renamed = m_text->text() != text;
    m_text->setText(text);
    while (QLayoutItem *item = m_actions->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (actions.size() > maxActions)
        actions.resize(maxActions);
    for (Action &action : actions) {
        auto *button = new QPushButton(action.text, this);
        // Reached by Tab; a click leaves the focus where the user was working.
        button->setFocusPolicy(Qt::TabFocus);
        if (action.run)
            connect(button, &QPushButton::clicked, this, std::move(action.run));
        m_actions->addWidget(button, 0, Qt::AlignTop);
    }
    updateGeometry();
    update();
    // The bus keeps names: told first, the alert that follows is read with its new text.
    if (renamed) {
        QAccessibleEvent named(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
    const bool wasVisible = isVisible();
    // Shown without activation: the focus stays with what the user was working in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    // Laid out now, not at the next pass of the event loop: a window placing the bar asks for
    // its height at once.
    layout()->activate();
    if (!wasVisible)
        emit visibilityChanged(true);
    reportHeight();
    // A new message is a new alert, whether the bar was showing or not; showing it reported
    // the first.
    if (wasVisible) {
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void MessageBar::dismiss()
{
    if (isHidden())
        return;
    // Hiding moves the focus on when a button of the bar had it.
    hide();
    emit visibilityChanged(false);
}

QString MessageBar::text() const
{
    return m_text->text();
}

QList<QPushButton *> MessageBar::actionButtons() const
{
    QList<QPushButton *> buttons;
    for (int index = 0; index < m_actions->count(); ++index)
        buttons << qobject_cast<QPushButton *>(m_actions->itemAt(index)->widget());
    return buttons;
}

int MessageBar::heightForWidth(int width) const
{
    return layout()->totalHeightForWidth(width);
}

QSize MessageBar::sizeHint() const
{
    const QSize hint = QFrame::sizeHint();
    return { hint.width(), heightForWidth(hint.width()) };
}

void MessageBar::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // Once this resize is done: placing the bar again from inside it leaves the text unlaid.
    QMetaObject::invokeMethod(this, &MessageBar::reportHeight, Qt::QueuedConnection);
}

void MessageBar::reportHeight()
{
    const int wanted = heightForWidth(width());
    if (wanted == m_reportedHeight)
        return;
    m_reportedHeight = wanted;
    emit heightWanted();
}

void MessageBar::showIcon()
{
    const QIcon icon = style()->standardIcon(kindIcon(m_kind), nullptr, this);
    m_icon->setPixmap(icon.pixmap(QSize(iconSize, iconSize), devicePixelRatioF()));
}

void MessageBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = kindColour(m_kind);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(blended(colour, palette().color(QPalette::Window), 0.2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

void MessageBar::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange)
        showIcon();
}
