// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/renamesession.h"

#include "prefs/preferences.h"
#include "rename/filerenamer.h"
#include "rename/takendatereader.h"

#include "confighome.h"
#include "qtprinters.h"
#include "renamefolder.h"
#include "stuckpreviews.h"
#include "testpictures.h"

#include <QFileInfo>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Dates asked for, answered when the test says, read in this process.
struct HeldDates
{
    void answer(int first, int count = -1)
    {
        QList<TakenDate> dates;
        for (const QString &name : m_names.mid(first, count))
            dates.append(TakenDateReader::read(PathUtil::append(m_folder, name)));
        m_done(first, dates);
    }
    QString m_folder;
    QStringList m_names;
    RenameSession::DatesDone m_done;
};

// A session on a folder of its own, and what a view would show of it.
struct Session : RenameFolder
{
    void SetUp() override
    {
        for (const QByteArray name : {"b.jpg", "a10.jpg", "a2.jpg", "c.jpg", "d.jpg", "notes.txt"})
            write(name);
    }
    // Opens a new session on the folder as the convert page hands it over, for JPEG pictures.
    void open(RenameSession::PreviewService preview = {}, RenameSession::DatesService dates = {})
    {
        m_session =
            std::make_unique<RenameSession>(m_preferences, std::move(preview), std::move(dates));
        on(&RenameSession::statusShown,
           [this](const QString &t, bool e) { m_status = t, m_error = e; });
        on(&RenameSession::statusSpoken, [this] { m_spoken.append(m_status); });
        on(&RenameSession::finished, [this] { ++m_finished; });
        on(&RenameSession::messageShown, [this](const QString &text) { m_messages.append(text); });
        on(&RenameSession::renumberEnabledChanged, [this](bool enabled) { m_renumber = enabled; });
        on(&RenameSession::undoEnabledChanged, [this](bool enabled) { m_undo = enabled; });
        on(&RenameSession::digitsShown, [this](int min, int digits) { m_digits = {min, digits}; });
        on(&RenameSession::baseNameShown, [this](const QString &name) { m_baseName = name; });
        on(&RenameSession::countChanged, [this](int count) { m_count = count; });
        on(&RenameSession::rowBroughtIntoView, [this](int row) { m_seen = row; });
        on(&RenameSession::frameBlanked, [this] { m_preview = u"blank"_s; });
        on(&RenameSession::pictureShown, [this](const QImage &picture) {
            m_preview = u"%1x%2"_s.arg(picture.width()).arg(picture.height());
        });
        on(&RenameSession::fileIconShown,
           [this](const QString &path) { m_preview = u"icon "_s + QFileInfo(path).fileName(); });
        m_session->setStartText(u"1"_s);
        m_session->takeOverFolder(m_dir.path(), 0);
    }
    template <typename Signal, typename Slot> void on(Signal signal, Slot slot)
    {
        QObject::connect(m_session.get(), signal, m_session.get(), slot);
    }
    // Starts a renumber, an undo or a recovery, and waits for its end.
    void run(const std::function<void()> &start)
    {
        const int before = m_finished;
        start();
        EXPECT_TRUE(runEventsUntil([&] { return m_finished > before; }));
    }
    void renumber()
    {
        run([this] { m_session->renumber(); });
    }
    QStringList rows(bool newNames = false) const { return names(m_session->list(), newNames); }
    int row(const QString &name) const { return int(rows().indexOf(name)); }

    const ConfigHome m_home; // journals go to a state folder of the test's own
    Preferences m_preferences;
    std::unique_ptr<RenameSession> m_session;
    QString m_status, m_baseName = u"-"_s, m_preview;
    bool m_error = false, m_renumber = false, m_undo = false;
    QStringList m_spoken, m_messages;
    std::pair<int, int> m_digits;
    int m_count = -1, m_seen = -1, m_finished = 0;
};

// A row moved by the keyboard is numbered where it lands, taking a row out keeps the numbers, a
// conflict or a file in the way stops a renumber; else it renames in list order, with as many
// digits as the last number needs.
TEST_F(Session, NumbersARowWhereItLandsStopsAtConflictsAndFilesInTheWayAndRenamesInListOrder)
{
    open();
    EXPECT_EQ(std::tuple(m_session->filter(), rows(), m_count),
              std::tuple(u"*.jpg"_s, u"a2.jpg a10.jpg b.jpg c.jpg d.jpg"_s.split(u' '), 5));
    m_session->setBaseName(u"x"_s);
    const std::pair moved{m_session->moveRowBy(4, 1), m_session->moveRowBy(0, 1)};
    EXPECT_EQ(std::tuple(moved, rows().value(1), m_spoken, m_session->list().sortOrder()),
              std::tuple(std::pair(-1, 1), u"a2.jpg"_s,
                         QStringList{u"a2.jpg moved to position 2 of 5"_s},
                         RenameListModel::SortOrder::None));
    m_session->removeRow(1);
    EXPECT_EQ(std::tuple(rows(true), m_count, QFile::exists(m_dir.filePath(u"a2.jpg"_s))),
              std::tuple(u"x1.jpg x3.jpg x4.jpg x5.jpg"_s.split(u' '), 4, true));

    open();
    m_session->setBaseName(u"a"_s);         // a2.jpg is listed
    for (int round = 0; round < 2; ++round) // down and up again: the conflict stays on the line
        m_session->sortBy(RenameListModel::CurrentNameColumn);
    EXPECT_EQ(std::tuple(m_renumber, m_status, m_error, m_seen),
              std::tuple(false, u"Conflicts in file names!"_s, true, 1));
    // A file the filter does not list stands where the third row wants to go.
    m_session->setBaseName(u"y"_s);
    write("y3.jpg", "keep");
    ASSERT_TRUE(m_renumber);
    renumber();
    EXPECT_EQ(std::tuple(m_messages, read("y3.jpg"), read("y1.jpg")),
              std::tuple(QStringList{u"b.jpg could not be renamed to y3.jpg: a file with this name "
                                     "already exists."_s},
                         "keep", "a2.jpg"));
    ASSERT_TRUE(QFile::remove(m_dir.filePath(u"y3.jpg"_s)));

    m_session->takeOverFolder(m_dir.path(), 0);
    m_session->setBaseName(u"trip"_s);
    m_session->setStartText(u"9"_s); // 5 + 9 = 14: two digits
    EXPECT_EQ(m_digits, std::pair(2, 2));
    m_session->renumber(); // the rows stay as they are until it ends
    const int stuck = m_session->moveRowBy(0, 1);
    m_session->setBaseName(u"z"_s);
    EXPECT_EQ(std::tuple(m_session->isBusy(), stuck, rows(true).value(4)),
              std::tuple(true, -1, u"trip13.jpg"_s));
    ASSERT_TRUE(runEventsUntil([this] { return m_finished == 2; }));
    EXPECT_EQ(std::pair(rows(), read("trip13.jpg")),
              std::pair(u"trip09.jpg trip10.jpg trip11.jpg trip12.jpg trip13.jpg"_s.split(u' '),
                        QByteArray("a10.jpg")));
    EXPECT_EQ(
        std::tuple(m_baseName, rows(true).value(0), m_spoken.last(), m_error, m_messages.size()),
        std::tuple(QString(), QString(), u"End of fle renaming!"_s, false, 1));
}

// The selected file's preview when it comes, unless another was asked or the listing changed
// since: a picture, a file's icon, or the image library's error.
TEST_F(Session, ShowsThePreviewOfTheSelectedFileUnlessStale)
{
    StuckPreviews previews;
    writeTestPicture(m_dir.filePath(u"photo.png"_s), 320, 200);
    open(previews.service());
    m_session->listFolder(m_dir.path(), u"*"_s);
    // b.jpg is named like a picture, but it is none.
    for (const auto &[name, shown] : {std::pair{u"notes.txt"_s, u"icon notes.txt"_s},
                                      {u"b.jpg"_s, u"blank"_s},
                                      {u"photo.png"_s, u"160x100"_s}}) {
        m_session->loadPreview(row(name), QSize(160, 100));
        EXPECT_EQ(m_preview, u"blank"_s);
        previews.answer(int(previews.count()) - 1);
        EXPECT_EQ(m_preview, shown) << name.toStdString();
    }
    EXPECT_TRUE(m_status.startsWith(u"Error loading image file: \r\n"_s) && m_error);
    previews.answer(0);
    EXPECT_EQ(m_preview, u"160x100"_s);
    m_session->loadPreview(row(u"notes.txt"_s), QSize(160, 100));
    m_session->clearListing();
    previews.answer(int(previews.count()) - 1);
    EXPECT_EQ(m_preview, u"blank"_s);
}

// The dates come in parts: a list sorted by date waits for the last before it can be numbered.
// Then it numbers in shooting order, though names and file dates disagree: a burst by its
// fractions, a file without a date by its file date (told apart), equal moments by name, which
// stays so newest first. The dates go with the files to their new names.
TEST_F(Session, NumbersInShootingOrderOnceTheLastDateIsIn)
{
    removeFilesAtBytes(m_dir.path());
    const qint64 day = 86'400, november = 1'700'000'000; // 2023-11-14
    using Shot = std::tuple<const char *, const char *, const char *, qint64>;
    for (const auto &[name, taken, fraction, modified] :
         {Shot{"a.jpg", "2024:05:01 10:00:00", "5", november + 9 * day},
          Shot{"b.jpg", "2024:05:01 10:00:00", "07", november + 1 * day},
          Shot{"c.jpg", "2023:01:01 08:00:00", "", november + 8 * day},
          Shot{"d.jpg", "", "", november + 2 * day},
          Shot{"e10.jpg", "2024:06:01 12:00:00", "", november},
          Shot{"e9.jpg", "2024:06:01 12:00:00", "", november + 3 * day}})
        ASSERT_TRUE(writeDatedPicture(m_dir.filePath(QString::fromLatin1(name)), taken, fraction,
                                      modified));
    HeldDates dates;
    open({},
         [&dates](const QString &folder, const QStringList &names, RenameSession::DatesDone done) {
             dates = {folder, names, std::move(done)};
         });
    const RenameListModel &list = m_session->list();
    m_session->setBaseName(u"y"_s);
    m_session->sortBy(RenameListModel::DateTakenColumn);
    dates.answer(0, 2);
    EXPECT_EQ(std::pair(m_renumber, m_spoken.last()),
              std::pair(false, u"Sorted by date taken, oldest first"_s));
    m_session->setBaseName(u"x"_s); // another base name waits as well
    dates.answer(2, 1);
    dates.answer(4);
    // Sorted again within a few frames while dates come; d.jpg, the last, tells none.
    ASSERT_TRUE(runEventsUntil(
        [this] { return rows() == u"c.jpg d.jpg b.jpg a.jpg e9.jpg e10.jpg"_s.split(u' '); }));
    EXPECT_FALSE(m_renumber);
    dates.answer(3, 1);
    EXPECT_EQ(std::pair(m_renumber, rows(true)),
              std::pair(true, u"x1.jpg x2.jpg x3.jpg x4.jpg x5.jpg x6.jpg"_s.split(u' ')));

    m_session->sortBy(RenameListModel::DateTakenColumn);
    EXPECT_EQ(std::pair(rows(), m_spoken.last()),
              std::pair(u"e9.jpg e10.jpg a.jpg b.jpg d.jpg c.jpg"_s.split(u' '),
                        u"Sorted by date taken, newest first"_s));
    const auto shown = [&list](int role = Qt::DisplayRole) {
        QStringList texts;
        for (int row = 0; row < list.count(); ++row)
            texts.append(list.index(row, RenameListModel::DateTakenColumn).data(role).toString());
        return texts;
    };
    EXPECT_EQ(shown().mid(1, 3), QStringList({u"2024-06-01 12:00:00"_s, u"2024-05-01 10:00:00.5"_s,
                                              u"2024-05-01 10:00:00.07"_s}));
    EXPECT_EQ(std::pair(shown(Qt::ToolTipRole)[4], shown(RenameListModel::FileDateOnlyRole)),
              std::pair(u"file date, no date taken in the file"_s,
                        u"false false false false true false"_s.split(u' ')));
    // The order as a reader hears it from the header, and after a move by hand.
    const auto sortSaid = [&list](int column) {
        return list.headerData(column, Qt::Horizontal, Qt::AccessibleDescriptionRole).toString();
    };
    EXPECT_EQ(std::pair(sortSaid(RenameListModel::DateTakenColumn), sortSaid(0)),
              std::pair(u"sorted, descending"_s, QString()));
    m_session->moveRowBy(0, 1);
    EXPECT_EQ(sortSaid(RenameListModel::DateTakenColumn), QString());

    m_session->sortBy(RenameListModel::DateTakenColumn);
    const QStringList shootingOrder = shown();
    HeldDates before = dates;
    renumber();
    before.answer(0); // late for the old listing, whose names are gone
    dates.answer(0);
    EXPECT_EQ(std::pair(rows(), shown()),
              std::pair(u"x1.jpg x2.jpg x3.jpg x4.jpg x5.jpg x6.jpg"_s.split(u' '), shootingOrder));
}

// A renumber whose record cannot be written does not start. Undo, after a restart, gives every
// file its name back but those changed since (in content, gone from their new name, or whose old
// name was taken), which it names; a change of time alone is the interrupted runs' below.
TEST_F(Session, UndoesTheLastRenumberAfterARestartLeavingAloneAndNamingWhatChangedSince)
{
    const QString before = contents();
    const QString inTheWay = QFileInfo(m_home.statePath()).path() + u"/renames"_s;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(inTheWay).path()) && writeFileBytes(inTheWay, "x"));
    open();
    m_session->setBaseName(u"x"_s);
    renumber();
    EXPECT_EQ(std::tuple(contents(), m_undo, m_messages.size(), m_error),
              std::tuple(before, false, 1, true));
    ASSERT_TRUE(QFile::remove(inTheWay));
    renumber();
    // One stopped at its first file keeps that renumber's undo.
    m_session->setBaseName(u"y"_s);
    write("y1.jpg");
    renumber();
    ASSERT_TRUE(m_undo && QFile::remove(m_dir.filePath(u"y1.jpg"_s)));
    write("x3.jpg", "changed");
    write("a2.jpg", "new");
    ASSERT_TRUE(QFile::rename(m_dir.filePath(u"x5.jpg"_s), m_dir.filePath(u"d.jpg"_s)));

    open();
    ASSERT_TRUE(m_undo);
    run([this] { m_session->undo(); });
    const QString leftAlone = u"left alone: x1.jpg, x3.jpg, x5.jpg"_s;
    EXPECT_EQ(contents(), u"a10.jpg=a10.jpg a2.jpg=new c.jpg=c.jpg d.jpg=d.jpg notes.txt=notes.txt "
                          u"x1.jpg=a2.jpg x3.jpg=changed"_s);
    EXPECT_EQ(std::tuple(m_status.contains(u"2 of 5"_s), m_status.endsWith(leftAlone),
                         m_messages.last().endsWith(leftAlone), m_undo),
              std::tuple(true, true, true, false));
}

// A renumber killed after some renames, then at the next start finished, undone or left as the
// user answers; nobody is asked when every file was renamed. Nothing is lost or doubled, and an
// Undo of a finished renumber gives every file it renamed its first name back.
using Kill = std::tuple<const char *, int, int, const char *, const char *>;
using Interrupted = Table<Session, Kill>;
const Kill Kills[] = {
    // renames before the kill, the answer, a file changed meanwhile, the files after
    {"Finished", 2, 0, "c.jpg",
     "c.jpg=c.jpg notes.txt=notes.txt x1.jpg=a2.jpg x2.jpg=a10.jpg x3.jpg=b.jpg x5.jpg=d.jpg"},
    {"Undone", 3, 1, "x2.jpg",
     "a2.jpg=a2.jpg b.jpg=b.jpg c.jpg=c.jpg d.jpg=d.jpg notes.txt=notes.txt x2.jpg=a10.jpg"},
    {"Later", 3, 2, nullptr,
     "c.jpg=c.jpg d.jpg=d.jpg notes.txt=notes.txt x1.jpg=a2.jpg x2.jpg=a10.jpg x3.jpg=b.jpg"},
    {"AllRenamed", 5, -1, nullptr,
     "notes.txt=notes.txt x1.jpg=a2.jpg x2.jpg=a10.jpg x3.jpg=b.jpg x4.jpg=c.jpg x5.jpg=d.jpg"}};

TEST_P(Interrupted, IsFinishedOrUndoneAtTheNextStartLosingAndDoublingNothing)
{
    const auto &[name, killedAfter, answer, changed, after] = GetParam();
    const QString before = contents();
    open();
    m_session->setBaseName(u"x"_s);
    const QList<RenameItem> rows = m_session->list().items();
    EXPECT_EXIT(
        {
            RenameJournal journal;
            if (journal.record(m_dir.path(), rows).ok && journal.save().ok)
                FileRenamer::renameFiles(m_dir.path(), rows, [&](int renamed) {
                    if (renamed == killedAfter)
                        std::raise(SIGKILL);
                });
        },
        testing::KilledBySignal(SIGKILL), "");
    const timespec times[] = {{0, UTIME_OMIT}, {1000, 0}};
    ASSERT_TRUE(!changed || ::utimensat(AT_FDCWD, path(changed), times, 0) == 0);
    QString asked;
    open(); // the next start
    const auto ask = [&](const QString &text, const QStringList &choices) {
        asked = text + u' ' + choices.join(u'/');
        return answer;
    };
    run([&] { m_session->recoverInterrupted(ask); });
    const bool undoable = m_undo;
    const QString files = contents();
    run([this] { m_session->undo(); });
    EXPECT_EQ(std::tuple(files, asked.contains(u" of its 5 files"_s),
                         asked.endsWith(u"Finish/Undo/Later"_s), undoable),
              std::tuple(QString::fromLatin1(after), answer >= 0, answer >= 0, answer <= 0));
    EXPECT_EQ(contents(), undoable ? before : files);
}

INSTANTIATE_TEST_SUITE_P(Kills, Interrupted, testing::ValuesIn(Kills),
                         [](const auto &row) { return std::get<0>(row.param); });

} // namespace
