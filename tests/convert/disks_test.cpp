// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// The promises kept on the disks photos live on, mounted for real: second mounts of the source
// folder, disks with their own case rules, a share that stops answering.
#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/convertsession.h"
#include "prefs/preferences.h"
#include "util/folderprobe.h"
#include "util/pathutil.h"
#include "workers/inplacerunner.h"

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
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = RealMount::Kind;
using Rule = FolderProbe::CaseRule;

// A sandbox with a source folder, a scratch folder for disk images, and a session over it whose
// status line is kept; the disk itself is mounted by each test.
template <typename Param = Kind> struct OnDisk : testing::TestWithParam<Param>
{
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(m_source) && QDir().mkpath(m_scratch));
        QObject::connect(&m_session, &ConvertSession::statusShown, &m_session,
                         [this](const QString &text) { m_status = text; });
    }
    // Runs a batch over the names to its end, converting in place unless told otherwise.
    QString runAll(const QStringList &names, const QString &destination, Rule rule = Rule::Exact,
                   ConversionRunner *runner = nullptr)
    {
        m_list.setCaseRule(rule);
        m_list.setNames(names);
        BatchConverter batch(m_list, runner ? *runner : m_inPlace);
        QString end;
        QObject::connect(&batch, &BatchConverter::finished, &batch,
                         [&end](const QString &text) { end = text; });
        QObject::connect(&batch, &BatchConverter::progressChanged, &batch, [&] {
            if (m_stopAfterAPicture)
                batch.requestStop();
        });
        batch.convertAll({.sourceFolder = m_source, .destinationFolder = destination});
        EXPECT_TRUE(runEventsUntil([&] { return !batch.isBusy(); }));
        return end;
    }

    QTemporaryDir m_dir;
    const QString m_source = m_dir.filePath(u"src"_s), m_scratch = m_dir.filePath(u"scratch"_s);
    const Preferences m_preferences;
    std::shared_ptr<StuckRunner> m_stuck = std::make_shared<StuckRunner>();
    ConvertSession m_session{m_preferences, m_stuck, {}};
    QString m_status;
    ConvertListModel m_list;
    InPlaceRunner m_inPlace;
    bool m_stopAfterAPicture = false;
};

using SecondMount = OnDisk<>;

// A bindfs mirror or an overlay of the source folder shows its files under another device
// number: as a destination it is the source. It is refused when chosen, at the start of a run and
// for each picture, and no log lands among the originals.
TEST_P(SecondMount, IsTheSourceFolderByWhateverDevice)
{
    const QString kite = writeTestPicture(m_source + u"/Kite.jpg"_s, 64, 48, FIF_JPEG);
    const QByteArray original = readFileBytes(kite);
    PELORIN_MOUNT_OR_SKIP(mirror, GetParam(), m_dir.filePath(u"mirror"_s), m_scratch, m_source);
    m_session.chooseSourceFolder(m_source);
    m_session.chooseDestinationFolder(mirror->path());
    EXPECT_EQ(std::pair(m_session.destinationFolder(), m_status),
              std::pair(QString(), u"Origin and destination folders must not be the same!"_s));
    runAll({u"Kite.jpg"_s}, mirror->path());

    // A picture sent there all the same (the folder swapped after the run's start) is refused by
    // the worker itself.
    ConversionRequest sent{kite, mirror->path() + u"/Kite.jpg"_s, {}, 0};
    std::tie(sent.options.resize, sent.options.resizePixels) = std::tuple(true, 20);
    EXPECT_EQ(std::tuple(ImagePipeline::convertOne(sent).resultMessage,
                         readFileBytes(kite) == original,
                         QDir(m_source).entryList(QDir::Files | QDir::Hidden)),
              std::tuple(u"the destination is the source file itself"_s, true,
                         QStringList{u"Kite.jpg"_s}));
}

INSTANTIATE_TEST_SUITE_P(Mounts, SecondMount, testing::Values(Kind::Bind, Kind::Overlay),
                         [](const auto &info) { return RealMount::name(info.param); });

using CaseRules = OnDisk<std::pair<Kind, Rule>>;

// Each disk is asked how it compares names, and a folder of it is itself and no other.
TEST_P(CaseRules, AreLearntFromTheDiskItself)
{
    const auto [kind, rule] = GetParam();
    PELORIN_MOUNT_OR_SKIP(disk, kind, m_dir.filePath(u"disk"_s), m_scratch);
    const QByteArray path = PathUtil::encodeName(disk->path());
    EXPECT_EQ(std::tuple(FolderProbe::caseRule(path), FolderProbe::sameFolder(path, path + "/."),
                         FolderProbe::sameFolder(path, QFile::encodeName(m_source)),
                         QDir(disk->path()).entryList(QDir::Files | QDir::Hidden)),
              std::tuple(rule, true, false, QStringList()));
}

INSTANTIATE_TEST_SUITE_P(Disks, CaseRules,
                         testing::Values(std::pair(Kind::Fat, Rule::AsciiFolds),
                                         std::pair(Kind::ExFat, Rule::UnicodeFolds),
                                         std::pair(Kind::Ntfs, Rule::Exact)),
                         [](const auto &info) { return RealMount::name(info.param.first); });

using Disks = OnDisk<>;

// exFAT takes É and é for one name: the two pictures that would write É.jpg and é.jpg there are
// marked before the run, and a run not told so never writes one over the other.
TEST_F(Disks, ExFatNeverTakesOneFileForTwoPictures)
{
    ASSERT_FALSE(writeTestPicture(m_source + u"/É.png"_s, 64, 48).isEmpty());
    ASSERT_FALSE(writeTestPicture(m_source + u"/é.tif"_s, 32, 16, FIF_TIFF).isEmpty());
    PELORIN_MOUNT_OR_SKIP(disk, Kind::ExFat, m_dir.filePath(u"disk"_s), m_scratch);
    m_session.chooseSourceFolder(m_source);
    m_session.chooseDestinationFolder(disk->path());
    EXPECT_EQ(std::tuple(convertRows(m_session.list()), m_status,
                         m_session.list().index(0).data(Qt::AccessibleDescriptionRole)),
              std::tuple(u"É.png:2 é.tif:2"_s,
                         u"Files whose names differ only in case are present: the destination "
                         "disk takes them for one name (conflicts in conversion)"_s,
                         QVariant(u"one name on the destination disk, which ignores case"_s)));

    // The rule as learnt, but the marks left off.
    runAll({u"É.png"_s, u"é.tif"_s}, disk->path(), Rule::UnicodeFolds);
    EXPECT_TRUE(QString::fromUtf8(readFileBytes(ConversionLog::path(disk->path())))
                    .contains(u"É.png : conversion OK\r\né.tif : ignored (conflict with É.png, "
                              "written to the same file on this disk)\r\n"_s));
    EXPECT_EQ(readPicture(disk->path() + u"/é.jpg"_s).getWidth(), 64u);
}

// A destination share that stops answering (its server stopped) holds neither the window nor a
// stop: frozen at the start of a run, with pictures in flight or while its log is written, the
// run ends within a second of the stop and says why.
TEST_F(Disks, ADestinationThatStopsAnsweringHoldsNeitherTheWindowNorAStop)
{
    const QString destination = m_dir.filePath(u"dest"_s);
    ASSERT_TRUE(QDir().mkpath(destination) &&
                !writeTestPicture(m_source + u"/a.png"_s, 16, 16).isEmpty());
    PELORIN_MOUNT_OR_SKIP(share, Kind::Bind, m_dir.filePath(u"share"_s), m_scratch, destination);
    ASSERT_GT(share->serverPid(), 0);
    const auto server = [pid = pid_t(share->serverPid())](bool frozen) {
        ::kill(pid, frozen ? SIGSTOP : SIGCONT);
    };
    const std::shared_ptr<void> thawed(nullptr, [&](void *) { server(false); });

    QStringList ends;
    QObject::connect(&m_session, &ConvertSession::conversionFinished, &m_session,
                     [&ends](const QString &text) { ends.append(text); });
    m_session.chooseSourceFolder(m_source);
    m_session.chooseDestinationFolder(share->path());
    m_session.setStopGrace(600'000);
    for (const bool pictureStarted : {false, true}) {
        if (pictureStarted) {
            m_session.convertAll();
            ASSERT_TRUE(runEventsUntil([&] { return m_stuck->started > 0; }));
        }
        server(true);
        if (!pictureStarted)
            m_session.convertAll();
        m_session.stop();
        EXPECT_TRUE(runEventsUntil([&] { return ends.size() == 1 + pictureStarted; }));
        server(false);
    }

    // Frozen once the picture is done: the log waits for the disk.
    InPlaceRunner frozenOnceDone([&server](const ConversionRequest &) {
        server(true);
        return ConversionResult{true, u"End of conversion!"_s, QString()};
    });
    m_stopAfterAPicture = true;
    ends.append(runAll({u"a.png"_s}, share->path(), Rule::Exact, &frozenOnceDone));

    const QString log = u"log %1 could not be written: the destination folder did not answer in "
                        "time."_s.arg(share->path() + u"/Pelorin.log"_s);
    const QString skipped = u"End of conversion! : Files have been skipped, and the "_s + log;
    EXPECT_EQ(
        std::tuple(ends, m_stuck->stops, m_session.isConverting()),
        std::tuple(QStringList{skipped, skipped, u"End of conversion! : The "_s + log}, 1, false));
}

} // namespace
