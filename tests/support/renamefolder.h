// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "rename/renamelistmodel.h"
#include "util/pathutil.h"

#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A folder of files to rename, most of them holding their own first name, so that a test can
// tell where each one went.
struct RenameFolder : testing::Test
{
    void TearDown() override { removeFilesAtBytes(m_dir.path()); }
    QByteArray path(const QByteArray &n) const { return QFile::encodeName(m_dir.path()) + '/' + n; }
    void write(const QByteArray &name, const QByteArray &content = {})
    {
        ASSERT_TRUE(writeFileAtBytes(path(name), content.isEmpty() ? name : content));
    }
    QByteArray read(const QByteArray &name) const { return readFileAtBytes(path(name)); }
    // "a.jpg=a.jpg b.jpg=": each file, hidden ones too, and what it holds.
    QString contents() const
    {
        QStringList files;
        for (const QString &name :
             QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            files.append(name + u'=' + QString::fromLatin1(read(PathUtil::encodeName(name))));
        return files.join(u' ');
    }
    // The current names of the rows, or their new names with " !" where marked as a conflict.
    static QStringList names(const RenameListModel &list, bool newNames = false)
    {
        QStringList names;
        for (const RenameItem &row : list.items())
            names.append(newNames ? row.newName + (row.conflict ? QStringLiteral(" !") : QString())
                                  : row.currentName);
        return names;
    }

    QTemporaryDir m_dir;
};

template <typename Fixture, typename Row> struct Table : Fixture, testing::WithParamInterface<Row>
{
};
