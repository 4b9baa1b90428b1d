// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/convertpreview.h"

#include <QList>

// A preview service that answers only when told, like a worker stuck on a file.
class StuckPreviews
{
public:
    using Done = ConvertPreview::Done;

    auto service()
    {
        return [this](const PreviewRequest &request, Done done) {
            m_asked.append({request, std::move(done)});
        };
    }
    qsizetype count() const { return m_asked.size(); }
    void answer(int index, const PreviewResult &result) { m_asked[index].second(result); }
    // With the picture rendered here.
    void answer(int index) { answer(index, ConvertPreview::render(m_asked[index].first)); }

private:
    QList<std::pair<PreviewRequest, Done>> m_asked;
};
