#include "app/tick_undo.h"

#include "songs/song_table_model.h"
#include "ui/core/number_text.h"

#include <QAction>
#include <QUndoStack>

namespace {

// The rows one change flipped; undoing or redoing flips them again. The change itself was made
// before the step was pushed, so the first redo does nothing.
class FlipTicks : public QUndoCommand
{
public:
    FlipTicks(TickUndo *undo, SongTableModel *songs, std::shared_ptr<const FlippedRows> rows)
        : m_undo(undo)
        , m_songs(songs)
        , m_rows(std::move(rows))
    {
    }

    void undo() override
    {
        m_songs->flipTicks(*m_rows);
        // The rows of one change went the same way; undone, they went back.
        emit m_undo->noted(m_songs->isTicked(m_rows->lowest())
                ? TickUndo::tr("已撤销取消勾选 %1 首").arg(NumberText::grouped(count()))
                : TickUndo::tr("已撤销勾选 %1 首").arg(NumberText::grouped(count())));
    }
    void redo() override
    {
        if (!std::exchange(m_pushed, true))
            return;
        m_songs->flipTicks(*m_rows);
        emit m_undo->noted(m_songs->isTicked(m_rows->lowest())
                ? TickUndo::tr("已重做勾选 %1 首").arg(NumberText::grouped(count()))
                : TickUndo::tr("已重做取消勾选 %1 首").arg(NumberText::grouped(count())));
    }

private:
    qsizetype count() const { return m_rows->count(); }

    TickUndo *m_undo;
    SongTableModel *m_songs;
    std::shared_ptr<const FlippedRows> m_rows;
    bool m_pushed = false;
};

} // namespace

TickUndo::TickUndo(SongTableModel *songs, QObject *parent)
    : QObject(parent)
    , m_stack(new QUndoStack(this))
    , m_undo(new QAction(tr("撤销勾选"), this))
    , m_redo(new QAction(tr("重做勾选"), this))
{
    m_stack->setUndoLimit(maxSteps);
    m_undo->setObjectName(QStringLiteral("撤销勾选"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo->setObjectName(QStringLiteral("重做勾选"));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);
    connect(m_undo, &QAction::triggered, m_stack, &QUndoStack::undo);
    connect(m_redo, &QAction::triggered, m_stack, &QUndoStack::redo);
    connect(m_stack, &QUndoStack::canUndoChanged, m_undo, &QAction::setEnabled);
    connect(m_stack, &QUndoStack::canRedoChanged, m_redo, &QAction::setEnabled);

    connect(songs, &SongTableModel::ticksEdited, m_stack,
        [this, songs](const std::shared_ptr<const FlippedRows> &rows) {
            m_stack->push(new FlipTicks(this, songs, rows));
        });
    connect(songs, &QAbstractItemModel::modelReset, m_stack, &QUndoStack::clear);
}
