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
