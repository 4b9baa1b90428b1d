// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QLocale>
#include <QString>

// The program in the user's language: its own texts (embedded under :/i18n) and Qt's own, for the
// standard dialogs (Qt's translations folder, when installed). English, the language the texts
// are written in, needs no translation.
class Translations
{
public:
    // Installs, in place of any installed before, the translations of the first of the locale's
    // languages that the program has; none when English comes first or none is there. Gives the
    // language installed ("fr"), empty for English.
    static QString install(const QLocale &locale);
    // The language installed, empty for English: what helper processes are to speak.
    static QString language();
};
