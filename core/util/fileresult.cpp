// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/fileresult.h"

#include <cstring>

FileResult FileResult::failure(int error)
{
    return {false, QString::fromLocal8Bit(std::strerror(error))};
}
