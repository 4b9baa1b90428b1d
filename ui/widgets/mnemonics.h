// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

class QWidget;

// Alt+letter keys for the labels, buttons, check boxes and group titles of a window. Each text
// gets an & before a letter no other control of the same part has, chosen from the text as it is
// shown, so that every language has keys of its own and the text reads as before, only
// underlined at its letter. The key of a label focuses its buddy; a label without one gets none.
class Mnemonics
{
public:
    // Gives each such control among the descendants (or children) of parent a letter that is not in
    // taken (upper case), first letters of words first, and returns taken with the letters given.
    // A text that has no free letter keeps no key; one with an & of its own keeps it.
    static QString assign(QWidget *parent, QString taken,
                          Qt::FindChildOptions options = Qt::FindChildrenRecursively);
    // The letter of the text's key (upper case), or a null character when it has none.
    static QChar letter(const QString &text);
};
