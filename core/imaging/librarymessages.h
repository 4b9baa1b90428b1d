// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// The image library's last error text (LastLibraryMessage): " JPEG format: (message)" or
// "(message)" when the library names no format. One text for the process.
// Thread: main thread only, like every image library call in this process.
class LibraryMessages
{
public:
    // Registers the handler with the image library; call once before the first image call.
    static void install();
    static QString last();
    static void clear();

    // What the handler stores for a message of the library about format fif (-1: none).
    static QString format(int fif, const char *message);
};
