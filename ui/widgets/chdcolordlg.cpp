// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/chdcolordlg.h"

#include <QColorDialog>

bool CHdColorDlg::choose(QWidget *owner, ColourRef initial, const QString &title, ColourRef &chosen)
{
    // The dialog keeps its custom colours for the whole process; they start white.
    static const bool customColoursSet = [] {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, Qt::white);
        return true;
    }();
    Q_UNUSED(customColoursSet);

    const QColor colour = QColorDialog::getColor(toQColor(initial), owner, title);
    if (!colour.isValid())
        return false;
    chosen = toColourRef(colour);
    return true;
}
