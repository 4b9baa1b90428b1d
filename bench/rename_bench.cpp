// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Times the rename subsystem on one large folder: scan, new names, renaming, scan again. See
// bench/README.md.
#include "rename/filerenamer.h"
#include "rename/newnamegenerator.h"
#include "rename/renamelistmodel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

double seconds(QElapsedTimer &timer)
{
    const double elapsed = double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Rename subsystem benchmark"_s);
    parser.addHelpOption();
    const QCommandLineOption countOption({u"n"_s, u"count"_s}, u"Files to make"_s, u"count"_s,
                                         u"10000"_s);
    const QCommandLineOption inOption(
        u"in"_s, u"Make the temporary folder inside this folder (default: the system's)"_s,
        u"folder"_s);
    parser.addOption(countOption);
    parser.addOption(inOption);
    parser.process(app);

    const int count = parser.value(countOption).toInt();
    if (count <= 0) {
        std::fprintf(stderr, "the count must be a positive number\n");
        return 1;
    }
    QTemporaryDir work(parser.isSet(inOption)
                           ? QDir(parser.value(inOption)).filePath(u"rename_bench-XXXXXX"_s)
                           : QDir::tempPath() + u"/rename_bench-XXXXXX"_s);
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    // Numbered in reverse and without padding, so the scan has real sorting to do.
    for (int i = count; i >= 1; --i) {
        QFile file(work.filePath(u"DSC_%1.jpg"_s.arg(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    const double create = seconds(timer);

    RenameListModel list;
    list.scanFolder(work.path(), u"*.jpg;*.png"_s);
    const double scan = seconds(timer);

    NumberingSettings settings{u"img"_s, NewNameGenerator::minimumDigitsForCount(list.count()), 1,
                               false};
    const NewNameGenerator::Marks marks = NewNameGenerator::computeNewNames(list, settings);
    const double compute = seconds(timer);

    const RenameResult result = FileRenamer::renameFiles(work.path(), list.items());
    const double rename = seconds(timer);

    list.scanFolder(work.path(), u"*.jpg;*.png"_s);
    const double rescan = seconds(timer);

    const QString first =
        NewNameGenerator::newName(u"img"_s, *settings.digitCount, 1, u"DSC_1.jpg"_s);
    if (marks.conflictFound || result.outcome != RenameResult::Completed || list.count() != count ||
        list.currentName(0) != first) {
        std::fprintf(stderr, "unexpected result: %s\n", qPrintable(result.errorText));
        return 1;
    }

    std::printf("files    %d in %s\n", count, qPrintable(work.path()));
    std::printf("create   %8.3f s\n", create);
    std::printf("scan     %8.3f s (with the natural sort)\n", scan);
    std::printf("compute  %8.3f s (new names and conflict marks)\n", compute);
    std::printf("rename   %8.3f s\n", rename);
    std::printf("rescan   %8.3f s\n", rescan);
    return 0;
}
