// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

// A folder dragged from the file manager onto a control is chosen as if picked in the folder
// dialog: a dropped folder itself, or the folder of the first dropped file. Only local files are
// taken; any other drag of links is refused, and the pointer says so. A drag without links goes
// on to the control (text into an editable field). The drop is taken as a copy or a link, never
// as a move, which would let the drag's source delete what it takes for moved.
class FolderDrop : public QObject
{
public:
    using Chosen = std::function<void(const QString &folder)>;

    // Watches area and those of its children that take drops of their own; chosen runs from the
    // event loop once the drop is over, so that the drag's source never waits on a folder scan.
    static void install(QWidget *area, Chosen chosen);

    // The folder a drag stands for, by the bytes of its path; empty when none.
    static QString folderOf(const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FolderDrop(QWidget *area, Chosen chosen);

    Chosen m_chosen;
};
