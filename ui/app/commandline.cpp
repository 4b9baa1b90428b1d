// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/commandline.h"

#include "util/pathutil.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdlib>
#include <memory>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

CommandLine CommandLine::parse(const QStringList &arguments, const QString &version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Converts, resizes and rotates whole folders of pictures, and renumbers them."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(
        u"folder"_s, tr("The source folder to open; a file opens its folder."), u"[FOLDER]"_s);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = Refuse;
        result.text = parser.errorText();
    } else if (parser.isSet(help) || parser.isSet(u"help-all"_s)) {
        result.action = ShowHelp;
        // Qt's usage line names the program by its path, or by a placeholder before
        // QApplication exists.
        result.text = parser.helpText();
        result.text.replace(0, result.text.indexOf(u'\n'), tr("Usage: pelorin [options] [FOLDER]"));
    } else if (parser.isSet(versionOption)) {
        result.action = ShowVersion;
        result.text = u"pelorin %1\n"_s.arg(version);
    } else if (parser.positionalArguments().size() > 1) {
        result.action = Refuse;
        result.text = tr("Only one folder can be opened.");
    }
    if (result.action == Refuse) {
        result.text = u"pelorin: %1\n%2\n"_s.arg(result.text,
                                                 tr("Try 'pelorin --help' for more information."));
        return result;
    }
    if (result.action != Open || parser.positionalArguments().isEmpty())
        return result;

    const QString path = parser.positionalArguments().constFirst();
    QString absolute = path;
    if (!absolute.startsWith(u'/')) {
        const std::unique_ptr<char, decltype(&std::free)> current(::getcwd(nullptr, 0), &std::free);
        absolute = PathUtil::decodeName(QByteArray(current ? current.get() : "/")) + u'/' + path;
    }
    // By the name's bytes, so that a name which is not UTF-8 is found.
    if (!path.isEmpty())
        result.folder = PathUtil::folderOf(PathUtil::encodeName(QDir::cleanPath(absolute)));
    if (result.folder.isEmpty())
        result.text = tr("No such folder or file: %1").arg(path);
    return result;
}

QStringList CommandLine::arguments(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(PathUtil::decodeName(QByteArray(argv[i])));
    return arguments;
}
