// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Times what the journal adds to a renumber and what an Undo costs, on one folder of 10,000
// files (Google Benchmark's --benchmark_* options apply). See bench/README.md.
#include "rename/filerenamer.h"
#include "rename/newnamegenerator.h"
#include "rename/renamejournal.h"
#include "rename/renamelistmodel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FileCount = 10'000;

// A temporary folder of FileCount small files, listed and numbered as the page would.
struct Folder
{
    QTemporaryDir dir;
    RenameListModel list;

    bool make()
    {
        for (int i = FileCount; i >= 1; --i) {
            QFile file(dir.filePath(u"DSC_%1.jpg"_s.arg(i)));
            if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1)
                return false;
        }
        list.scanFolder(dir.path(), u"*.jpg"_s);
        NumberingSettings settings{u"img"_s, NewNameGenerator::minimumDigitsForCount(FileCount), 1,
                                   false};
        NewNameGenerator::computeNewNames(list, settings);
        return list.count() == FileCount;
    }
};

// Looking at every file and writing the journal through its temporary file: what a renumber
// waits for before its first rename.
void journalWrite(benchmark::State &state)
{
    Folder folder;
    if (!folder.make()) {
        state.SkipWithError("cannot make the files");
        return;
    }
    for (auto _ : state) {
        RenameJournal journal;
        if (!journal.record(folder.dir.path(), folder.list.items()).ok || !journal.save().ok) {
            state.SkipWithError("cannot write the journal");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

// An Undo of a completed renumber of every file: the journal read, each file checked and renamed
// back, the journal removed. The renumber before each one is not timed.
void undo(benchmark::State &state)
{
    Folder folder;
    if (!folder.make()) {
        state.SkipWithError("cannot make the files");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        RenameJournal journal;
        const bool renumbered =
            journal.record(folder.dir.path(), folder.list.items()).ok && journal.save().ok &&
            FileRenamer::renameFiles(folder.dir.path(), folder.list.items()).renamedCount ==
                FileCount &&
            journal.finished(FileCount).ok;
        state.ResumeTiming();
        const std::optional<RenameJournal> last = RenameJournal::load(folder.dir.path());
        const RenameJournal::Outcome outcome = last ? last->undo() : RenameJournal::Outcome();
        if (!renumbered || outcome.renamed != FileCount) {
            state.SkipWithError("the renumber or its undo failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

} // namespace

BENCHMARK(journalWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(undo)->Unit(benchmark::kMillisecond);

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Journals go to a state folder of the benchmark's own, never the user's.
    const QTemporaryDir stateHome;
    qputenv("XDG_STATE_HOME", QFile::encodeName(stateHome.path()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
