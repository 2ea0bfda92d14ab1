#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;

// The pop-up menu's entries 只看歌手“…”, one for each singer of the song the menu is for (two
// for a duet), right after a given entry of the menu.
class SingerMenuEntries : public QObject
{
    Q_OBJECT

public:
    SingerMenuEntries(QMenu *menu, QAction *after);

    // Entries for these singers in place of the ones before; none for an empty list.
    void showFor(const QStringList &singers);
    const QList<QAction *> &entries() const { return m_entries; }

signals:
    void singerChosen(const QString &singer);

private:
    QMenu *m_menu;
    QAction *m_after;
    QList<QAction *> m_entries;
};
