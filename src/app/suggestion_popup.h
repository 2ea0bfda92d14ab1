#pragma once

#include <QObject>
#include <QString>

class QAbstractItemModel;
class QCompleter;
class QLineEdit;
class QModelIndex;

// A list of suggestions under a line edit, from a model that follows its text: it opens while the
// model has rows and the field has the focus, and typing goes on into the field. Down moves into
// the list, Enter chooses, Escape closes it; Enter before any entry is current goes on to the
// songs, as in the field alone. Qt keeps the list off the accessibility tree, so the current
// entry's accessible text becomes the field's accessible description while the list is open.
class SuggestionPopup : public QObject
{
    Q_OBJECT

public:
    // `role` is the model's role of what choosing an entry hands on.
    SuggestionPopup(QLineEdit *field, QAbstractItemModel *model, int role);

    bool isOpen() const;
    // The list itself, for tests: keys go to it while it is open, as they do for a user.
    QWidget *list() const;

signals:
    // An entry was chosen: its value of `role`.
    void chosen(const QString &value);
    void songsRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();
    void describe(const QModelIndex &current);

    QLineEdit *m_field;
    QAbstractItemModel *m_model;
    int m_role;
    QCompleter *m_completer;
};
