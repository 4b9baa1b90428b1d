// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// File-name patterns as users type them: '*' for any run of characters (also none), '?' for
// one character, letters compared without regard to case, and a pattern ending in ".*" also
// matching a name that has no dot ("*.*" lists every file).
class WildcardMatcher
{
public:
    static bool matches(QStringView pattern, QStringView name);
};
