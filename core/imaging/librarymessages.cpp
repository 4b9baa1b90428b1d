// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/librarymessages.h"

#include <FreeImage.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString &lastMessage()
{
    static QString message;
    return message;
}

void handleMessage(FREE_IMAGE_FORMAT fif, const char *message)
{
    lastMessage() = LibraryMessages::format(fif, message);
}

} // namespace

void LibraryMessages::install()
{
    FreeImage_SetOutputMessage(handleMessage);
}

QString LibraryMessages::last()
{
    return lastMessage();
}

void LibraryMessages::clear()
{
    lastMessage().clear();
}

QString LibraryMessages::format(int fif, const char *message)
{
    // The library has no name for a number it does not know; such a message reads as one
    // without a format rather than with "(null)".
    const char *name =
        fif == FIF_UNKNOWN ? nullptr : FreeImage_GetFormatFromFIF(FREE_IMAGE_FORMAT(fif));
    QByteArray text = name ? " " + QByteArray(name) + " format: (" : QByteArray("(");
    text += message ? message : "";
    text += ')';
    return QString::fromLocal8Bit(text);
}
