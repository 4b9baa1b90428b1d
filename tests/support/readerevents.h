// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QAccessible>
#include <QStringList>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <vector>

// What screen readers are told while it lives, with accessibility on: every event, and the
// texts of the notifications shown, which readers speak. One at a time.
struct ReaderEvents
{
    struct Event
    {
        QAccessible::Event type;
        QObject *object;
        int child;
        int value; // of a value change
    };
    // Qt raises events only while a reader is active, which only the platform can say.
    ReaderEvents() { s_current = this, QAccessible::installUpdateHandler(record), activate(true); }
    ~ReaderEvents()
    {
        s_current = nullptr, activate(false), QAccessible::installUpdateHandler(nullptr);
    }
    static void activate(bool on)
    {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
    }
    static void record(QAccessibleEvent *event)
    {
        QAccessibleInterface *shown = event->accessibleInterface();
        if (event->type() == QAccessible::ObjectShow && shown &&
            shown->role() == QAccessible::Notification)
            s_current->spoken.append(shown->text(QAccessible::Name));
        const int value = event->type() == QAccessible::ValueChanged
                              ? static_cast<QAccessibleValueChangeEvent *>(event)->value().toInt()
                              : 0;
        s_current->all.push_back({event->type(), event->object(), event->child(), value});
    }
    std::vector<Event> all;
    QStringList spoken;
    inline static ReaderEvents *s_current = nullptr;
};
