// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// Whether a file operation did what was asked, and if not, why in the system's words.
struct FileResult
{
    bool ok = false;
    QString reason; // empty when ok

    static FileResult success() { return {true, QString()}; }
    // The C library's text for an errno value ("No space left on device").
    static FileResult failure(int error);
};
