// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QAccessible>
#include <QStringList>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

// What a screen reader acts on while it lives (one at a time): the texts of the notifications
// shown, "name=value" for a named control's value, "name>row" for a row selected.
struct ReaderEvents
{
    // Qt raises events only while a reader is active, which only the platform can say.
    ReaderEvents() { s_current = this, m_platform.setActive(true); }
    ~ReaderEvents() { m_platform.setActive(false), QAccessible::installUpdateHandler(m_previous); }
    static void record(QAccessibleEvent *event)
    {
        const QAccessibleInterface *source = event->accessibleInterface();
        const QString name = event->object()->objectName();
        if (event->type() == QAccessible::ObjectShow && source->role() == QAccessible::Notification)
            s_current->m_heard.append(source->text(QAccessible::Name));
        else if (event->type() == QAccessible::ValueChanged && !name.isEmpty())
            s_current->m_heard.append(name + u'=' + source->text(QAccessible::Value));
        else if (event->type() == QAccessible::SelectionAdd && event->child() >= 0)
            s_current->m_heard.append(name + u'>' + QString::number(event->child()));
    }
    QAccessible::UpdateHandler m_previous = QAccessible::installUpdateHandler(record);
    QPlatformAccessibility &m_platform =
        *QGuiApplicationPrivate::platformIntegration()->accessibility();
    QStringList m_heard;
    inline static ReaderEvents *s_current = nullptr;
};
