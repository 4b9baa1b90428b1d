// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/announcer.h"

#include <QAccessibleWidget>
#include <QCoreApplication>

namespace {

// Readers speak a notification when it shows. Its parent is the application, as for a desktop
// notification: readers say the text alone, not the window around it (which they would, the
// window being a dialog), and need not walk that window's labels first.
class NotificationInterface : public QAccessibleWidget
{
public:
    explicit NotificationInterface(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Notification)
    {}
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(QCoreApplication::instance());
    }
};

QAccessibleInterface *notificationFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(Announcer::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new NotificationInterface(static_cast<QWidget *>(object));
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
