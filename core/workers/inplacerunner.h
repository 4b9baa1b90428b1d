// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "workers/conversionrunner.h"

// Converts one picture at a time in this process, before start() returns.
class InPlaceRunner : public ConversionRunner
{
public:
    using Converter = std::function<ConversionResult(const ConversionRequest &)>;

    explicit InPlaceRunner(Converter converter = &ImagePipeline::convertOne)
        : m_converter(std::move(converter))
    {}

    int capacity() const override { return 1; }
    void start(int ticket, const ConversionRequest &request, Finished finished) override
    {
        finished(ticket, m_converter(request));
    }
    // Nothing is ever in flight.
    void stopAll() override {}

private:
    Converter m_converter;
};
