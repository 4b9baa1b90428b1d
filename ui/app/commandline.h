// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the program was asked for on its command line: `pelorin [--help | --version] [FOLDER]`.
// A file stands for its folder. A path that does not exist still opens the window, without a
// source and with a warning: from a file manager's "Open with" nobody would see an error on
// stderr, and the program would seem not to start.
struct CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum Action
    {
        Open,        // the window, with folder as the source when it is not empty
        ShowHelp,    // print text on stdout, exit 0
        ShowVersion, // print text on stdout, exit 0
        Refuse       // print text on stderr, exit with UsageExitCode
    };

    // Sysexits' EX_USAGE; 1 and 2 are the window's own exit codes.
    static constexpr int UsageExitCode = 64;

    Action action = Open;
    // Absolute and clean, ready for the convert page's source folder.
    QString folder;
    // Help, version or the error for the terminal; with Open, a warning for the window and
    // stderr (the path given does not exist), else empty.
    QString text;

    // arguments as in argv, the program first; version as `pelorin --version` prints it.
    static CommandLine parse(const QStringList &arguments, const QString &version);
    // argv, each argument by its bytes (PathUtil::decodeName), so that any folder name works.
    static QStringList arguments(int argc, const char *const *argv);
};
