// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/imagepipeline.h"

#include <functional>

// Runs conversions somewhere: in this process, or in worker processes that a damaged file can
// crash without taking the window with it.
class ConversionRunner
{
public:
    using Finished = std::function<void(int ticket, const ConversionResult &result)>;

    virtual ~ConversionRunner() = default;

    // How many conversions may be in flight at once.
    virtual int capacity() const = 0;
    // Starts one conversion. finished is called exactly once with the ticket, on the thread that
    // called start: later from the event loop, or before start returns for a runner that
    // converts in place.
    virtual void start(int ticket, const ConversionRequest &request, Finished finished) = 0;
    // Ends every conversion queued or in flight at once, without waiting for what runs it; each
    // still finishes exactly once, from the event loop, failed with WorkerClient::stoppedText()
    // unless it was done already. What they left is removed.
    virtual void stopAll() = 0;
};
