#pragma once

#include <QFrame>
#include <QString>

#include <functional>
#include <vector>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;

// What a command just did, shown inline above the content until the next message or the close
// button: a coloured strip with an icon, the whole text wrapped, up to two actions and a close
// button. It never takes the focus, and screen readers hear each new message as an alert.
class MessageBar : public QFrame
{
    Q_OBJECT

public:
    enum class Kind { Information, Positive, Warning, Error };
    struct Action
    {
        QString text;
        std::function<void()> run;
    };
    static constexpr std::size_t maxActions = 2;

    explicit MessageBar(QWidget *parent = nullptr);

    // Shows the message, replacing the one before; actions beyond the first two are dropped.
    void showMessage(Kind kind, const QString &text, std::vector<Action> actions = {});
    // Hides the message, as its close button does.
    void dismiss();

    Kind kind() const { return m_kind; }
    QString text() const;
    QString spokenText() const { return text(); }
    // The actions' buttons, in order; for tests and the keyboard.
    QList<QPushButton *> actionButtons() const;
    QToolButton *closeButton() const { return m_closeButton; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

signals:
    // Shown or hidden: whoever places the bar gives it room or takes it back.
    void visibilityChanged(bool visible);
    // The height the message needs at the bar's width changed: a new text, or, once the event
    // loop has run, a new width.
    void heightWanted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showIcon();
    void reportHeight();

    Kind m_kind = Kind::Information;
    QLabel *m_icon;
    QLabel *m_text;
    QHBoxLayout *m_actions;
    QToolButton *m_closeButton;
    int m_reportedHeight = -1;
};

// The actions of a message, as commands hand them to whoever shows it.
using MessageActions = std::vector<MessageBar::Action>;
