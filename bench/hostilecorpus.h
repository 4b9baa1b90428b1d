// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QList>
#include <QString>

// Damaged pictures of every input group, made from valid ones: flipped bits, files cut short,
// headers claiming huge sizes. The same seed gives the same files.
struct HostileFile
{
    QString name;
    QString damage; // what was done to it, for messages
};

// Writes count damaged files into folder; returns what it wrote.
QList<HostileFile> writeHostileCorpus(const QString &folder, int count, quint32 seed,
                                      int side = 96);
