// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/announcer.h"

#include <QAccessibleWidget>

namespace {

// A plain widget has no role of its own; readers speak a notification when it shows.
QAccessibleInterface *notificationFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(Announcer::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(notificationFor), true);
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("announcer"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    hide();
}

void Announcer::say(const QString &text)
{
    setAccessibleName(text);
    // Readers act on the showing, so it is shown again for every text, also a repeated one.
    hide();
    show();
}
