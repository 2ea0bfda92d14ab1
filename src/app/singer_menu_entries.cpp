#include "app/singer_menu_entries.h"

#include <QAction>
#include <QMenu>

SingerMenuEntries::SingerMenuEntries(QMenu *menu, QAction *after)
    : QObject(menu)
    , m_menu(menu)
    , m_after(after)
{
}

void SingerMenuEntries::showFor(const QStringList &singers)
{
    qDeleteAll(m_entries);
    m_entries.clear();
    const QList<QAction *> actions = m_menu->actions();
    const qsizetype at = actions.indexOf(m_after) + 1;
    QAction *before = at > 0 && at < actions.size() ? actions[at] : nullptr;
    for (const QString &singer : singers) {
        // An & in a name is no shortcut mark.
        auto *entry
            = new QAction(tr("只看歌手“%1”").arg(QString(singer).replace(u'&', u"&&"_qs)), m_menu);
        entry->setObjectName(QStringLiteral("只看歌手"));
        connect(entry, &QAction::triggered, this, [this, singer] { emit singerChosen(singer); });
        m_menu->insertAction(before, entry);
        m_entries.append(entry);
    }
}
