// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/messagebox.h"

#include "strings/stringtable.h"

#include <QApplication>
#include <QMessageBox>

int MessageBox::information(const QString &text, const QString &caption)
{
    return QMessageBox::information(
        nullptr, caption.isEmpty() ? QApplication::applicationName() : caption, text);
}

int MessageBox::information(int textId, int captionId)
{
    return information(loadString(textId), captionId ? loadString(captionId) : QString());
}

void MessageBox::beep()
{
    QApplication::beep();
}
