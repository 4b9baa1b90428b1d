// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/diskerror.h"

#include "strings/stringtable.h"
#include "util/fileresult.h"

#include <cerrno>

QString DiskError::reason(int error)
{
    switch (error) {
    case EINVAL:
    case EILSEQ:
        return loadString(DiskRefusesName);
    case EPERM:
        return loadString(DiskRefusesChange);
    case ENOSYS:
    case EOPNOTSUPP:
        return loadString(DiskLacksOperation);
    case EEXIST:
        return loadString(NameTaken);
    default:
        return FileResult::failure(error).reason;
    }
}
