// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "convert/convertlistmodel.h"

#include <QStringList>

// The lines of a convert list in their order, each with its flags (1 file type, 2 duplicate,
// 4 collision): "a.png:2 b.png:0".
inline QString convertRows(const ConvertListModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.count(); ++row)
        rows.append(model.text(row) + u':' + QString::number(model.flags(row)));
    return rows.join(u' ');
}
