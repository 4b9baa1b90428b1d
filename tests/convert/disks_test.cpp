// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// The promises kept on the disks photos live on, mounted for real: second mounts of the source
// folder, disks with their own case rules, a share that stops answering.
#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/convertsession.h"
#include "convert/inplacerunner.h"
#include "prefs/preferences.h"
#include "util/folderprobe.h"
#include "util/pathutil.h"

#include "convertrows.h"
#include "qtprinters.h"
#include "realmount.h"
#include "stuckrunner.h"
#include "testfiles.h"
#include "testpictures.h"

#include <FreeImagePlus.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = RealMount::Kind;
using Rule = FolderProbe::CaseRule;

std::string mountName(const testing::TestParamInfo<Kind> &info)
{
    return RealMount::name(info.param);
}

// Runs a batch to its end.
QString runAll(BatchConverter &batch, const ConversionOptions &options)
{
    QString end;
    QObject context;
    QObject::connect(&batch, &BatchConverter::finished, &context,
                     [&end](const QString &text) { end = text; });
    batch.convertAll(options);
    EXPECT_TRUE(runEventsUntil([&] { return !batch.isBusy(); }));
    return end;
}

class SecondMount : public testing::TestWithParam<Kind>
{};

// A bindfs mirror or an overlay of the source folder shows its files under another device
// number: as a destination it is the source. It is refused when chosen, at the start of a run and
// for each picture, and no log lands among the originals.
TEST_P(SecondMount, IsTheSourceFolderByWhateverDevice)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"src"_s);
    ASSERT_TRUE(QDir().mkpath(source) && QDir().mkpath(dir.filePath(u"scratch"_s)));
    const QString kite = writeTestPicture(source + u"/Kite.jpg"_s, 64, 48, FIF_JPEG);
    const QByteArray original = readFileBytes(kite);
    PELORIN_MOUNT_OR_SKIP(mirror, GetParam(), dir.filePath(u"mirror"_s),
                          dir.filePath(u"scratch"_s), source);

    const Preferences preferences;
    ConvertSession session(preferences, nullptr, {});
    QString status;
    QObject::connect(&session, &ConvertSession::statusShown, &session,
                     [&status](const QString &text) { status = text; });
    session.chooseSourceFolder(source);
    session.chooseDestinationFolder(mirror->path());
    EXPECT_EQ(std::pair(session.destinationFolder(), status),
              std::pair(QString(), u"Origin and destination folders must not be the same!"_s));

    ConversionOptions options{.sourceFolder = source, .destinationFolder = mirror->path()};
    options.resize = true;
    options.resizePixels = 20;
    ConvertListModel list;
    list.setNames({u"Kite.jpg"_s});
    InPlaceRunner runner;
    BatchConverter batch(list, runner);
    runAll(batch, options);

    // A picture sent there all the same (the folder swapped after the run's start) is refused by
    // the worker itself.
    const ConversionResult sent = ImagePipeline::convertOne(
        {kite, mirror->path() + u"/Kite.jpg"_s, options, 0, {}});
    EXPECT_EQ(std::tuple(sent.resultMessage, readFileBytes(kite) == original,
                         QDir(source).entryList(QDir::Files | QDir::Hidden)),
              std::tuple(u"the destination is the source file itself"_s, true,
                         QStringList{u"Kite.jpg"_s}));
}

INSTANTIATE_TEST_SUITE_P(Mounts, SecondMount, testing::Values(Kind::Bind, Kind::Overlay),
                         mountName);

class CaseRules : public testing::TestWithParam<std::pair<Kind, Rule>>
{};

// Each disk is asked how it compares names, and a folder of it is itself and no other.
TEST_P(CaseRules, AreLearntFromTheDiskItself)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"scratch"_s)));
    const auto [kind, rule] = GetParam();
    PELORIN_MOUNT_OR_SKIP(disk, kind, dir.filePath(u"disk"_s), dir.filePath(u"scratch"_s));
    const QByteArray path = PathUtil::encodeName(disk->path());
    EXPECT_EQ(std::tuple(FolderProbe::caseRule(path), FolderProbe::sameFolder(path, path + "/."),
                         FolderProbe::sameFolder(path, QFile::encodeName(dir.path())),
                         QDir(disk->path()).entryList(QDir::Files | QDir::Hidden)),
              std::tuple(rule, true, false, QStringList()));
}

INSTANTIATE_TEST_SUITE_P(Disks, CaseRules,
                         testing::Values(std::pair(Kind::Fat, Rule::AsciiFolds),
                                         std::pair(Kind::ExFat, Rule::UnicodeFolds),
                                         std::pair(Kind::Ntfs, Rule::Exact)),
                         [](const auto &info) { return mountName({info.param.first, 0}); });

// exFAT takes É and é for one name: the two pictures that would write É.jpg and é.jpg there are
// marked before the run, and a run not told so never writes one over the other.
TEST(Disks, ExFatNeverTakesOneFileForTwoPictures)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"src"_s);
    ASSERT_TRUE(QDir().mkpath(source) && QDir().mkpath(dir.filePath(u"scratch"_s)));
    ASSERT_FALSE(writeTestPicture(source + u"/É.png"_s, 64, 48).isEmpty());
    ASSERT_FALSE(writeTestPicture(source + u"/é.tif"_s, 32, 16, FIF_TIFF).isEmpty());
    PELORIN_MOUNT_OR_SKIP(disk, Kind::ExFat, dir.filePath(u"disk"_s), dir.filePath(u"scratch"_s));

    const Preferences preferences;
    ConvertSession session(preferences, nullptr, {});
    QString status;
    QObject::connect(&session, &ConvertSession::statusShown, &session,
                     [&status](const QString &text) { status = text; });
    session.chooseSourceFolder(source);
    session.chooseDestinationFolder(disk->path());
    const QModelIndex first = session.list().index(0);
    EXPECT_EQ(std::tuple(convertRows(session.list()), status,
                         first.data(Qt::AccessibleDescriptionRole).toString()),
              std::tuple(u"É.png:2 é.tif:2"_s,
                         u"Files whose names differ only in case are present: the destination "
                         "disk takes them for one name (conflicts in conversion)"_s,
                         u"one name on the destination disk, which ignores case"_s));

    ConvertListModel list;
    list.setCaseRule(Rule::UnicodeFolds); // as learnt, but the marks left off
    list.setNames({u"É.png"_s, u"é.tif"_s});
    InPlaceRunner runner;
    BatchConverter batch(list, runner);
    const ConversionOptions options{.sourceFolder = source, .destinationFolder = disk->path()};
    runAll(batch, options);
    EXPECT_TRUE(QString::fromUtf8(readFileBytes(ConversionLog::path(disk->path())))
                    .contains(u"É.png : conversion OK\r\né.tif : ignored (conflict with É.png, "
                              "written to the same file on this disk)\r\n"_s));
    EXPECT_EQ(readPicture(disk->path() + u"/é.jpg"_s).getWidth(), 64u);
}

// Stops and continues the server of a FUSE mount: every access meanwhile waits.
class Freezer
{
public:
    explicit Freezer(qint64 pid)
        : m_pid(pid)
    {}
    ~Freezer() { thaw(); }
    void freeze() { ::kill(pid_t(m_pid), SIGSTOP); }
    void thaw() { ::kill(pid_t(m_pid), SIGCONT); }

private:
    qint64 m_pid;
};

// A destination share that stops answering holds neither the window nor a stop: frozen at the
// start of a run, with pictures in flight or while its log is written, the run ends a second
// after the stop and says why.
TEST(Disks, ADestinationThatStopsAnsweringHoldsNeitherTheWindowNorAStop)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"src"_s);
    const QString destination = dir.filePath(u"dest"_s);
    for (const QString &folder : {source, destination, dir.filePath(u"scratch"_s)})
        ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_FALSE(writeTestPicture(source + u"/a.png"_s, 16, 16).isEmpty());
    PELORIN_MOUNT_OR_SKIP(share, Kind::Bind, dir.filePath(u"share"_s), dir.filePath(u"scratch"_s),
                          destination);
    ASSERT_GT(share->serverPid(), 0);
    Freezer server(share->serverPid());

    // Frozen at the start: the pictures never start.
    const Preferences preferences;
    const auto stuck = std::make_shared<StuckRunner>();
    ConvertSession session(preferences, stuck, {});
    QStringList ends;
    QObject::connect(&session, &ConvertSession::conversionFinished, &session,
                     [&ends](const QString &text) { ends.append(text); });
    session.chooseSourceFolder(source);
    session.chooseDestinationFolder(share->path());
    server.freeze();
    session.convertAll();
    session.stop();
    EXPECT_TRUE(runEventsUntil([&] { return ends.size() == 1; }));
    server.thaw();

    // Frozen with pictures in flight: they are ended without waiting out the grace.
    session.setStopGrace(600'000);
    session.convertAll();
    ASSERT_TRUE(runEventsUntil([&] { return stuck->started > 0; }));
    server.freeze();
    session.stop();
    EXPECT_TRUE(runEventsUntil([&] { return ends.size() == 2; }));
    server.thaw();

    // Frozen once the picture is done: the log waits for the disk.
    ConvertListModel list;
    list.setNames({u"a.png"_s});
    InPlaceRunner frozenOnceDone([&server](const ConversionRequest &) {
        server.freeze();
        return ConversionResult{true, u"End of conversion!"_s, QString()};
    });
    BatchConverter batch(list, frozenOnceDone);
    QObject::connect(&batch, &BatchConverter::progressChanged, &batch,
                     &BatchConverter::requestStop, Qt::SingleShotConnection);
    ends.append(runAll(batch, {.sourceFolder = source, .destinationFolder = share->path()}));
    server.thaw();

    const QString log = share->path() + u"/Pelorin.log"_s;
    const QString why = u"the destination folder did not answer in time"_s;
    const QString skipped =
        u"End of conversion! : Files have been skipped, and the log %1 could not be written: "
        "%2."_s.arg(log, why);
    EXPECT_EQ(std::tuple(ends, stuck->stops, session.isConverting()),
              std::tuple(QStringList{skipped, skipped,
                                     u"End of conversion! : The log %1 could not be written: "
                                     "%2."_s.arg(log, why)},
                         1, false));
}

} // namespace
