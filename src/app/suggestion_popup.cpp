#include "app/suggestion_popup.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {

// Wide enough for a singer and the number of songs, beside a narrow find field.
constexpr int minimumListWidth = 200;

} // namespace

SuggestionPopup::SuggestionPopup(QLineEdit *field, QAbstractItemModel *model, int role)
    : QObject(field)
    , m_field(field)
    , m_model(model)
    , m_role(role)
    , m_completer(new QCompleter(model, this))
{
    // The model already holds only what fits the text: the completer shows it as it is and
    // writes nothing into the field.
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setWidget(field);
    m_completer->setMaxVisibleItems(10);
    QAbstractItemView *popup = m_completer->popup();
    popup->setObjectName(QStringLiteral("歌手建议"));
    popup->setAccessibleName(tr("歌手建议"));
    // After the completer's own filter, so this one sees the keys first.
    popup->installEventFilter(this);
    connect(model, &QAbstractItemModel::modelReset, this, &SuggestionPopup::follow);
    connect(m_completer, qOverload<const QModelIndex &>(&QCompleter::highlighted), this,
        &SuggestionPopup::describe);
    connect(m_completer, qOverload<const QModelIndex &>(&QCompleter::activated), this,
        [this](const QModelIndex &index) {
            // The completer's index is one of its own proxy: the value is read through it.
            const QString value = index.data(m_role).toString();
            if (value.isEmpty())
                return;
            m_field->clear();
            emit chosen(value);
        });
}

bool SuggestionPopup::isOpen() const
{
    return m_completer->popup()->isVisible();
}

QWidget *SuggestionPopup::list() const
{
    return m_completer->popup();
}

void SuggestionPopup::follow()
{
    QAbstractItemView *popup = m_completer->popup();
    if (m_model->rowCount() == 0 || !m_field->hasFocus() || m_field->text().trimmed().isEmpty()) {
        popup->hide();
        return;
    }
    QRect under = m_field->rect();
    under.setWidth(std::max(under.width(), minimumListWidth));
    m_completer->complete(under);
    // Nothing is current until Down: Enter still goes on to the songs.
    popup->setCurrentIndex(QModelIndex());
    describe(QModelIndex());
}

void SuggestionPopup::describe(const QModelIndex &current)
{
    const QString description = current.isValid() && isOpen()
        ? current.data(Qt::AccessibleTextRole).toString()
        : QString();
    if (m_field->accessibleDescription() == description)
        return;
    m_field->setAccessibleDescription(description);
    QAccessibleEvent event(m_field, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

bool SuggestionPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide) {
        describe(QModelIndex());
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && !m_completer->popup()->currentIndex().isValid()) {
        static_cast<QWidget *>(watched)->hide();
        emit songsRequested();
        return true;
    }
    return false;
}
