// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "widgets/pageservices.h"

// The program's wiring: the services the pages get on the real desktop, where pictures are
// converted and previewed, and their dates read, in worker processes of one pool.
class DesktopServices
{
public:
    static PageServices make();
};
