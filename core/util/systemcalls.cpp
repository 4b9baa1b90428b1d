// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/systemcalls.h"

namespace {

SystemCalls &inUse()
{
    static SystemCalls calls;
    return calls;
}

} // namespace

const SystemCalls &SystemCalls::current()
{
    return inUse();
}

SystemCalls::Fake::Fake()
{
    inUse() = {};
}

SystemCalls::Fake::~Fake()
{
    inUse() = {};
}

SystemCalls &SystemCalls::Fake::operator*()
{
    return inUse();
}

SystemCalls *SystemCalls::Fake::operator->()
{
    return &inUse();
}
