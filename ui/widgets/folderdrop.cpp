// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/folderdrop.h"

#include "util/pathutil.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

FolderDrop::FolderDrop(QWidget *area, Chosen chosen)
    : QObject(area)
    , m_chosen(std::move(chosen))
{}

void FolderDrop::install(QWidget *area, Chosen chosen)
{
    auto *drop = new FolderDrop(area, std::move(chosen));
    area->setAcceptDrops(true);
    area->installEventFilter(drop);
    // The others pass a drag on to area.
    for (QWidget *child : area->findChildren<QWidget *>())
        if (child->acceptDrops())
            child->installEventFilter(drop);
}

QString FolderDrop::folderOf(const QMimeData *data)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return QString();
    // The path's own bytes: a name that is not UTF-8 must lead to the very folder dropped.
    return PathUtil::folderOf(
        QByteArray::fromPercentEncoding(urls.constFirst().path(QUrl::FullyEncoded).toLatin1()));
}

bool FolderDrop::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drag = static_cast<QDropEvent *>(event);
    if (!drag->mimeData()->hasUrls())
        return false;
    const Qt::DropActions offered = drag->possibleActions();
    const Qt::DropAction action = offered & Qt::CopyAction   ? Qt::CopyAction
                                  : offered & Qt::LinkAction ? Qt::LinkAction
                                                             : Qt::IgnoreAction;
    const QString folder =
        action != Qt::IgnoreAction && static_cast<QWidget *>(watched)->isEnabled()
            ? folderOf(drag->mimeData())
            : QString();
    if (folder.isEmpty()) {
        drag->ignore();
        return true;
    }
    drag->setDropAction(action);
    drag->accept();
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, folder] { m_chosen(folder); }, Qt::QueuedConnection);
    return true;
}
