#pragma once

#include <QAccessible>
#include <QPointer>
#include <QString>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

#include <vector>

// The accessibility events the widgets send while one of these lives, as the desktop's
// accessibility bus is told of them: with the object or the item each is about, read when sent.
// Widgets send events only while accessibility is active, as it is with a screen reader running;
// it is made active here as Qt's own accessibility tests do, on any platform.
class AccessibilityEvents
{
public:
    struct Event
    {
        QAccessible::Event type = QAccessible::InvalidEvent;
        QPointer<QObject> object;
        QAccessible::Role role = QAccessible::NoRole;
        QString name;
        // For the cell of a table; -1 otherwise.
        int row = -1;
        int column = -1;
        // Which states changed, and the item's states once changed.
        QAccessible::State changed;
        QAccessible::State state;
    };

    AccessibilityEvents()
    {
        current() = this;
        m_previousHandler = QAccessible::installUpdateHandler(&record);
        setActive(true);
    }
    ~AccessibilityEvents()
    {
        setActive(false);
        QAccessible::installUpdateHandler(m_previousHandler);
        current() = nullptr;
    }
    AccessibilityEvents(const AccessibilityEvents &) = delete;
    AccessibilityEvents &operator=(const AccessibilityEvents &) = delete;

    void clear() { m_events.clear(); }
    const std::vector<Event> &all() const { return m_events; }

    std::vector<Event> of(QAccessible::Event type, const QObject *object = nullptr) const
    {
        std::vector<Event> found;
        for (const Event &event : m_events)
            if (event.type == type && (!object || event.object == object))
                found.push_back(event);
        return found;
    }

    // The last event of the type, or one of NoRole when there is none.
    Event last(QAccessible::Event type) const
    {
        const std::vector<Event> found = of(type);
        if (found.empty()) {
            Event none;
            none.type = type;
            return none;
        }
        return found.back();
    }

private:
    static void setActive(bool active)
    {
        if (QPlatformAccessibility *platform
            = QGuiApplicationPrivate::platformIntegration()->accessibility())
            platform->setActive(active);
    }

    static AccessibilityEvents *&current()
    {
        static AccessibilityEvents *events = nullptr;
        return events;
    }

    static void record(QAccessibleEvent *event)
    {
        if (!current())
            return;
        Event seen;
        seen.type = event->type();
        seen.object = event->object();
        if (QAccessibleInterface *item = event->accessibleInterface()) {
            seen.role = item->role();
            seen.name = item->text(QAccessible::Name);
            seen.state = item->state();
            if (QAccessibleTableCellInterface *cell = item->tableCellInterface()) {
                seen.row = cell->rowIndex();
                seen.column = cell->columnIndex();
            }
            if (!seen.object)
                seen.object = item->object();
        }
        if (event->type() == QAccessible::StateChanged)
            seen.changed = static_cast<QAccessibleStateChangeEvent *>(event)->changedStates();
        current()->m_events.push_back(seen);
    }

    QAccessible::UpdateHandler m_previousHandler = nullptr;
    std::vector<Event> m_events;
};
