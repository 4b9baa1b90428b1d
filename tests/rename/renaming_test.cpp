// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/filerenamer.h"

#include "imaging/imagepipeline.h"
#include "pages/crenamelvctrl.h"
#include "pages/crenumctrl.h"
#include "prefs/preferences.h"
#include "rename/naturalorder.h"
#include "rename/newnamegenerator.h"
#include "rename/renamejournal.h"
#include "rename/renamelistmodel.h"
#include "rename/takendatereader.h"
#include "strings/stringtable.h"
#include "util/pathutil.h"
#include "util/systemcalls.h"
#include "widgets/pageservices.h"
#include "widgets/previewframe.h"
#include "widgets/statusline.h"

#include "confighome.h"
#include "qtprinters.h"
#include "readerevents.h"
#include "realmount.h"
#include "renamefolder.h"
#include "stuckpreviews.h"
#include "testfiles.h"
#include "testpictures.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <future>
#include <limits>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Renaming : RenameFolder
{
    QStringList listed(const QString &filter)
    {
        m_list.scanFolder(m_dir.path(), filter);
        return names(m_list);
    }
    // Lists the files written, all of them, in a folder emptied of files first.
    void scan(const QList<QByteArray> &names)
    {
        removeFilesAtBytes(m_dir.path());
        for (const QByteArray &name : names)
            write(name);
        m_list.scanFolder(m_dir.path(), u"*"_s);
    }
    RenameResult run() const { return FileRenamer::renameFiles(m_dir.path(), m_list.items()); }
    RenameResult rename(const QString &filter, const QStringList &newNames)
    {
        m_list.scanFolder(m_dir.path(), filter);
        m_list.setNewNames(newNames, QList<bool>(newNames.size(), false));
        return run();
    }
    // How a run ended: its outcome, the rows renamed and the error.
    auto ended(const RenameResult &r) { return std::tuple(r.outcome, r.renamedCount, r.errorCode); }
    QStringList numbered(const QString &base, int digits, int start)
    {
        m_settings = {base, digits, start, false};
        m_marks = NewNameGenerator::computeNewNames(m_list, m_settings);
        EXPECT_EQ(m_settings.conflictFound, m_marks.conflictFound);
        return names(m_list, true);
    }

    RenameListModel m_list;
    NumberingSettings m_settings;
    NewNameGenerator::Marks m_marks;
};

TEST_F(Renaming, ListsFilesOnceForEveryPatternInNaturalOrderByTheirBytesSortsThemAndNumbersThem)
{
    // Pairs "a|b" with a before b. Leading zeros count for nothing until everything else is
    // equal; runs beyond 64 bits must not wrap; case only breaks a tie, the same way every time.
    const QStringList ascending =
        u"img2.jpg|img10.jpg img2.jpg|IMG10.jpg a1b2.jpg|a1b10.jpg photo-2.jpg|photo-10.jpg a|a1 "
        u"abc|ABD été2|ÉTÉ10 x0000000000000000000000001|x2 img1a|img01b img1.jpg|img01.jpg "
        u"x1y01|x01y1 x99999999999999999999|x100000000000000000000 IMG2|img2"_s.split(u' ');
    for (const QString &pair : ascending) {
        const QStringList n = pair.split(u'|');
        EXPECT_TRUE(NaturalOrder::compare(n[0], n[1]) < 0 && NaturalOrder::compare(n[1], n[0]) > 0)
            << n.join(u" vs ").toStdString();
    }
    EXPECT_EQ(NaturalOrder::compare(u"same 01.jpg", u"same 01.jpg"), 0);

    // Files of several kinds and cases, two folders and a FIFO.
    for (const QByteArray name : {"img10.jpg", "img2.jpg", "IMG1.JPG", "doc3.pdf", "doc20.pdf",
                                  "notes.txt", ".hidden.jpg", "Éa.jpg"})
        write(name);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"sub.jpg"_s) && QDir(m_dir.path()).mkdir(u"img3"_s));
    ASSERT_EQ(mkfifo(path("img4.jpg").constData(), 0644), 0);
    // No folder (even with a dot) and no FIFO; hidden files are listed.
    EXPECT_EQ(listed(u"*.*"_s), u".hidden.jpg doc3.pdf doc20.pdf IMG1.JPG img2.jpg img10.jpg "
                                u"notes.txt Éa.jpg"_s.split(u' '));
    EXPECT_EQ(listed(u"*.jpg;img1.*"_s),
              u".hidden.jpg IMG1.JPG IMG1.JPG img2.jpg img10.jpg Éa.jpg"_s.split(u' '));
    for (const QString &filter : {QString(), u" ; "_s, u"../*"_s})
        EXPECT_TRUE(listed(filter).isEmpty()) << filter.toStdString();

    // Sorting carries new names and the selection with the rows.
    listed(u"img*"_s);
    m_list.setNewNames({u"n1"_s, u"n2"_s, u"n3"_s}, {false, true, false});
    const QPersistentModelIndex selected = m_list.index(0, 1);
    m_list.sortRows(RenameListModel::SortOrder::Descending);
    EXPECT_EQ(names(m_list), u"img10.jpg img2.jpg IMG1.JPG"_s.split(u' '));
    EXPECT_EQ(std::tuple(m_list.sortOrder(), m_list.item(1).newName, m_list.item(1).conflict,
                         selected.row(), selected.data().toString()),
              std::tuple(RenameListModel::SortOrder::Descending, u"n2"_s, true, 2, u"n1"_s));
    // A moved row leaves the new names to the row numbers, as the numbering does.
    ASSERT_TRUE(m_list.moveRow(0, 2));
    EXPECT_EQ(QStringList({m_list.newName(0), m_list.newName(1), m_list.newName(2)}),
              QStringList({u"n3"_s, u"n2"_s, u"n1"_s}));

    // Existing names fold only A to Z and outlive removed rows.
    listed(u"*"_s);
    ASSERT_TRUE(m_list.removeRow(int(names(m_list).indexOf(u"IMG1.JPG"_s))) &&
                m_list.removeRow(m_list.count() - 1));
    EXPECT_EQ(std::tuple(m_list.contains(u"Img1.Jpg"_s), m_list.contains(u"éa.jpg"_s),
                         m_list.contains(u"Éa.jpg"_s), m_list.contains(u"sub.jpg"_s)),
              std::tuple(true, false, true, false));
    // An empty folder text changes nothing; a missing folder empties the list.
    m_list.scanFolder(QString(), u"*"_s);
    EXPECT_EQ(m_list.count(), 6);
    m_list.scanFolder(m_dir.filePath(u"missing"_s), u"*"_s);
    EXPECT_EQ(std::pair(m_list.count(), m_list.contains(u"img2.jpg"_s)), std::pair(0, false));

    // Names by their bytes.
    write("bad\xff.jpg");
    const QString bad = PathUtil::decodeName("bad\xff.jpg");
    EXPECT_EQ(listed(u"bad*"_s), QStringList{bad});
    m_list.setNewName(0, bad, true); // a listed name: a conflict, told in words too
    for (const QModelIndex &at : {m_list.index(0, 0), m_list.index(0, 1)})
        EXPECT_EQ(std::tuple(at.data().toString(),
                             at.data(RenameListModel::CurrentNameRole).toString(),
                             at.data(Qt::ToolTipRole).toString(),
                             at.data(Qt::AccessibleDescriptionRole).toString()),
                  std::tuple(u"bad\uFFFD.jpg"_s, bad, u"bad\uFFFD.jpg (name conflict)"_s,
                             u"name conflict"_s));

    // Numbering: rows in order, marks on whole listed names with only A to Z folded, unless the
    // base is empty. A number prints as printf's %0*d (never cut: see the 32-bit limit below); only
    // the last extension stays.
    EXPECT_EQ(NewNameGenerator::newName(u"img"_s, 1, 5, u"x.tar.gz"_s), u"img5.gz"_s);
    EXPECT_EQ(NewNameGenerator::newName(u"img"_s, 3, -5, u"a.jpg"_s), u"img-05.jpg"_s);

    for (const auto &[rows, digits] :
         {std::pair<qint64, int>{0, 1}, {9, 1}, {10, 2}, {100000, 6}, {1000000000000, 9}})
        EXPECT_EQ(NewNameGenerator::minimumDigitsForCount(rows), digits) << rows << " rows";
    for (const auto &[rows, start, digits] :
         {std::tuple{9, 1, 2}, {0, -5, 2}, {2, std::numeric_limits<int>::max(), 10}})
        EXPECT_EQ(NewNameGenerator::digitsForLastNumber(rows, start), digits);
    for (const auto &[text, number] : {std::pair{u"", 0}, {u"-7", -7}, {u"2147483648", 0}})
        EXPECT_EQ(NewNameGenerator::startNumberFromText(text), number);

    scan({"a.jpg", "b.png", "c"});
    EXPECT_EQ(numbered(u"img"_s, 3, 1), u"img001.jpg img002.png img003"_s.split(u' '));
    // Counting on past the 32-bit limit rather than wrapping to negative numbers.
    EXPECT_EQ(numbered(u"img"_s, 2, std::numeric_limits<int>::max() - 1),
              u"img2147483646.jpg img2147483647.png img2147483648"_s.split(u' '));

    // A plain "name:name:" text would find ":b2.jpg:" inside ":a:b2.jpg:".
    scan({"img1.jpg", "IMG2.JPG", "a:b2.jpg", "É1.jpg"});
    EXPECT_EQ(numbered(u"img"_s, 1, 1),
              (QStringList{u"img1.jpg !"_s, u"img2.jpg !"_s, u"img3.JPG"_s, u"img4.jpg"_s}));
    EXPECT_EQ(std::pair(m_marks.firstConflictRow, m_marks.conflictFound), std::pair(0, true));

    // An empty base name clears the marks, on screen too, but keeps the names shown, and a later
    // sort or drop computes nothing with it.
    const QSignalSpy repainted(&m_list, &QAbstractItemModel::dataChanged);
    const auto refresh = NewNameGenerator::refreshNewNames(m_list, m_settings, QString(), 4, 7);
    EXPECT_EQ(std::tuple(refresh.computed, m_list.newName(1), m_list.item(0).conflict,
                         m_settings.digitCount,
                         repainted.value(0).value(1).value<QModelIndex>().row()), // the last row
              std::tuple(false, u"img2.jpg"_s, false, 1, 3));
    m_list.clearNewNames();
    NewNameGenerator::computeNewNames(m_list, m_settings);
    EXPECT_EQ(m_list.newName(0), QString());
    numbered(u"b"_s, 1, 1);
    EXPECT_FALSE(m_marks.conflictFound);
}

TEST_F(Renaming, RenamesInListOrderByBytesOrStopsAtARowThatCannotBeRenamedReplacingNothing)
{
    scan({"a.jpg", "b.jpg", "bad\xff.jpg", "c.png", "pic.j\xe9g"});
    EXPECT_EQ(run().outcome, RenameResult::NothingToDo);
    numbered(u"x"_s, 1, 1);
    EXPECT_EQ(ended(run()), std::tuple(RenameResult::Completed, 5, 0));
    // The extension keeps its own bytes.
    EXPECT_EQ(
        QByteArrayList({read("x1.jpg"), read("x2.jpg"), read("x3.jpg"), read("x4.png"),
                        read("x5.j\xe9g"), read("bad\xff.jpg")}),
        QByteArrayList({"a.jpg", "b.jpg", "bad\xff.jpg", "c.png", "pic.j\xe9g", "(missing)"}));

    // A target that exists (x2.jpg, not listed by the filter) or a name that is not a single name
    // in the folder stops the run at its row.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"sub"_s));
    for (const QString &second : {u"x2.jpg"_s, u"sub/x.jpg"_s, u"../x.jpg"_s, u".."_s, QString()}) {
        scan({"a.jpg", "c.jpg"});
        write("x2.jpg", "kept");
        const auto stopped = ended(rename(u"a*;c*"_s, {u"x1.jpg"_s, second}));
        EXPECT_EQ(std::tuple(stopped, contents(), QDir(m_dir.filePath(u"sub"_s)).isEmpty()),
                  std::tuple(
                      std::tuple(RenameResult::Stopped, 1, second == u"x2.jpg"_s ? EEXIST : EINVAL),
                      u"c.jpg=c.jpg x1.jpg=a.jpg x2.jpg=kept"_s, true))
            << second.toStdString();
    }

    // A vanished file, or no folder.
    scan({"a.jpg", "b.jpg", "c.jpg"});
    ASSERT_TRUE(QFile::remove(m_dir.filePath(u"b.jpg"_s)));
    m_list.setNewNames({u"x1.jpg"_s, u"x2.jpg"_s, u"x3.jpg"_s}, {false, false, false});
    EXPECT_EQ(ended(run()), std::tuple(RenameResult::Stopped, 1, ENOENT));
    EXPECT_EQ(contents(), u"c.jpg=c.jpg x1.jpg=a.jpg"_s);

    // An empty folder text must not mean the working directory.
    m_list.scanFolder(m_dir.path(), u"*"_s);
    m_list.setNewNames({u"y1.jpg"_s, u"y2.jpg"_s}, {false, false});
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const RenameResult result = FileRenamer::renameFiles(QString(), m_list.items());
    QDir::setCurrent(previous);
    EXPECT_EQ(ended(result), std::tuple(RenameResult::Stopped, 0, ENOENT));
    EXPECT_EQ(contents(), u"c.jpg=c.jpg x1.jpg=a.jpg"_s);
}

// A journal reads back byte for byte, also of a folder whose own path is not UTF-8, which it
// renames and undoes; a file it did not write, or filed under another folder's name, is ignored.
TEST_F(Renaming, JournalReadsBackByteExactAndIgnoresAnyOtherFile)
{
    const ConfigHome home;
    const QByteArray odd = path("\xff\xfe");
    const auto removeOdd = qScopeGuard([&odd] { removeTreeAtBytes(odd); });
    ASSERT_TRUE(::mkdir(odd.constData(), 0700) == 0 && writeFileAtBytes(odd + "/a.jpg", "a") &&
                writeFileAtBytes(odd + "/bad\xff.jpg", "bad\xff.jpg"));
    const QString folder = PathUtil::decodeName(odd);
    m_list.scanFolder(folder, u"*"_s);
    numbered(u"x"_s, 1, 1);
    RenameJournal journal;
    ASSERT_TRUE(journal.record(folder + u"/"_s, m_list.items()).ok && journal.save().ok);
    const std::optional<RenameJournal> loaded = RenameJournal::load(folder);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(
        std::tuple(loaded->entries(), loaded->entries()[1].oldName, loaded->entries()[1].size),
        std::tuple(journal.entries(), "bad\xff.jpg", 8));
    const QByteArray bytes = journal.write();
    for (const auto &[from, to] : {std::pair{"renames 1", "renames 2"},
                                   {"bad%FF.jpg", "..%2Fbad"},
                                   {"bad%FF.jpg", "a.jpg"},
                                   {"bad%FF.jpg", "x1.jpg"},
                                   {"end 2", "end 3"},
                                   {"state running", "state"},
                                   {" 8 ", " -8 "},
                                   {"folder /", "folder /tmp/../"},
                                   {"end 2\n", "end 2"}})
        EXPECT_FALSE(RenameJournal::read(QByteArray(bytes).replace(from, to))) << to;
    const QString other = m_dir.filePath(u"other"_s);
    ASSERT_TRUE(QFile::copy(RenameJournal::filePath(folder), RenameJournal::filePath(other)));
    EXPECT_EQ(
        std::pair(RenameJournal::load(other).has_value(), RenameJournal::interrupted().size()),
        std::pair(false, qsizetype(1)));

    EXPECT_EQ(ended(FileRenamer::renameFiles(folder, m_list.items())),
              std::tuple(RenameResult::Completed, 2, 0));
    ASSERT_TRUE(journal.finished(2).ok);
    EXPECT_EQ(RenameJournal::load(folder).value_or(RenameJournal()).undo().renamed, 2);
}

// Where the disk refuses RENAME_NOREPLACE (FUSE), and hard links too (FAT, exFAT), while a call
// fails or another process meddles with the new name at a step: the reservation made (m), checked
// (c) or seen on another device (d), the old name removed (u), the rename (r). "x" is written
// into what is there, "" puts a new empty file there. Then the error and the files' contents.
using Fallback = std::tuple<const char *, bool, bool, char, const char *, int, const char *>;
using NoReplaceFallback = Table<Renaming, Fallback>;
const Fallback Fallbacks[] = {
    // links refused, target exists, the step, meddling
    {"Links", false, false, 0, nullptr, 0, "b.jpg=a.jpg"},
    {"LinksTargetExists", false, true, 0, nullptr, EEXIST, "a.jpg=a.jpg b.jpg=b.jpg"},
    {"LinkedButOldNameKept", false, false, 'u', nullptr, EBUSY, "a.jpg=a.jpg"},
    {"Reserved", true, false, 0, nullptr, 0, "b.jpg=a.jpg"},
    {"ReservedTargetExists", true, true, 0, nullptr, EEXIST, "a.jpg=a.jpg b.jpg=b.jpg"},
    {"NameTakenBeforeReservation", true, false, 'm', "", EEXIST, "a.jpg=a.jpg b.jpg="},
    {"ReservationWrittenInto", true, false, 'c', "x", EEXIST, "a.jpg=a.jpg b.jpg=x"},
    {"ReservationReplaced", true, false, 'c', "", EEXIST, "a.jpg=a.jpg b.jpg="},
    {"ReservationOnAnotherDevice", true, false, 'd', nullptr, EEXIST, "a.jpg=a.jpg b.jpg="},
    {"RenameFails", true, false, 'r', nullptr, EIO, "a.jpg=a.jpg"},
    {"NameTakenAsRenameFails", true, false, 'r', "x", EIO, "a.jpg=a.jpg b.jpg=x"}};

TEST_P(NoReplaceFallback, NeverReplacesAFileNorRemovesOneNotItsOwn)
{
    const auto &[name, noLinks, exists, step, theirs, error, after] = GetParam();
    scan(exists ? QList<QByteArray>{"a.jpg", "b.jpg"} : QList<QByteArray>{"a.jpg"});
    const auto at = [&, step = step, theirs = theirs](char now) {
        if (now == step && theirs) {
            if (!*theirs) // a file of their own in its place
                ::unlink(path("b.jpg"));
            writeFileAtBytes(path("b.jpg"), theirs);
        }
        return now == step;
    };
    SystemCalls::Fake calls;
    calls->renameat2 = [](auto...) { return errno = EINVAL, -1; };
    if (noLinks)
        calls->linkat = [](auto...) { return errno = EPERM, -1; };
    calls->openat = [&](auto... args) { return at('m'), ::openat(args...); };
    calls->fstatat = [&](int folder, const char *file, struct stat *status, int flags) {
        const int result = (at('c'), ::fstatat(folder, file, status, flags));
        status->st_dev += at('d');
        return result;
    };
    calls->unlinkat = [&](int folder, const char *file, int flags) {
        return at('u') && file == "a.jpg"_ba ? (errno = EBUSY, -1)
                                             : ::unlinkat(folder, file, flags);
    };
    calls->renameat = [&](auto... args) {
        return at('r') ? (errno = EIO, -1) : ::renameat(args...);
    };
    EXPECT_EQ(rename(u"a*"_s, {u"b.jpg"_s}).errorCode, error);
    EXPECT_EQ(contents(), QString::fromLatin1(after));
}

INSTANTIATE_TEST_SUITE_P(Disks, NoReplaceFallback, testing::ValuesIn(Fallbacks),
                         [](const auto &row) { return std::get<0>(row.param); });

// A real disk of each kind photos live on, mounted on the test's folder; a name it cannot hold and
// why; whether it folds case.
using Disk = std::tuple<RealMount::Kind, const char *, const char *, bool>;
using OnDisk = Table<Renaming, Disk>;
const Disk Disks[] = {
    {RealMount::Kind::Fat, "\xc3\xa9.jpg", "this disk does not allow this name or this change",
     true},
    {RealMount::Kind::ExFat, "bad\xff.jpg", "this disk does not allow this file name", true},
    {RealMount::Kind::Ntfs, "bad\xff.jpg", "this disk does not allow this file name", false}};

TEST_P(OnDisk, ConvertsAndRenamesReplacingNothingLosingNothingAndSaysWhyNot)
{
    const auto &[kind, refusedBytes, reasonText, foldsCase] = GetParam();
    QTemporaryDir scratch;
    PELORIN_MOUNT_OR_SKIP(mount, kind, m_dir.path(), scratch.path());
    const QString refusedName = PathUtil::decodeName(refusedBytes),
                  reason = QString::fromUtf8(reasonText);
    ConversionRequest request{
        writeTestPicture(scratch.filePath(u"p.png"_s), 16, 12), m_dir.filePath(u"a.jpg"_s), {}, 0};
    request.options.replaceFiles = false;
    ASSERT_TRUE(ImagePipeline::convertOne(request).ok);
    const QByteArray picture = read("a.jpg");
    const bool existed = ImagePipeline::convertOne(request).destinationExists;
    request.destinationPath = m_dir.filePath(refusedName);
    const QString message = ImagePipeline::convertOne(request).resultMessage; // then what stays
    EXPECT_EQ(std::tuple(existed, read("a.jpg"), message),
              std::tuple(true, picture, u" *** Save image error: "_s + reason));

    scan({"b.txt"});
    const QString refused = rename(u"b*"_s, {refusedName}).errorText;
    // Undone by what the disk shows, though a FUSE disk may number its files afresh.
    const ConfigHome home;
    m_list.setNewNames({u"c.txt"_s}, {false});
    RenameJournal journal;
    ASSERT_TRUE(journal.record(m_dir.path(), m_list.items()).ok && journal.save().ok);
    ASSERT_EQ(run().outcome, RenameResult::Completed);
    ASSERT_TRUE(journal.finished(1).ok);
    const std::optional<RenameJournal> undo = RenameJournal::load(m_dir.path());
    const int undone = undo ? undo->undo().renamed : -1;
    EXPECT_EQ(std::pair(undone, contents()), std::pair(1, u"b.txt=b.txt"_s));
    const int renamed = rename(u"b*"_s, {u"c.txt"_s}).outcome;
    // A change of case only: FAT and exFAT take the new name for the old one.
    const QString caseChanged = rename(u"c*"_s, {u"C.TXT"_s}).errorText;
    EXPECT_EQ(std::tuple(refused, renamed, caseChanged.contains(u"capital"_s), contents()),
              std::tuple(u"b.txt could not be renamed to %1: %2."_s.arg(refusedName, reason),
                         RenameResult::Completed, foldsCase,
                         foldsCase ? u"c.txt=b.txt"_s : u"C.TXT=b.txt"_s));
}

INSTANTIATE_TEST_SUITE_P(RealMounts, OnDisk, testing::ValuesIn(Disks),
                         [](const auto &disk) { return RealMount::name(std::get<0>(disk.param)); });

// The rename page on a folder of its own, every file holding its own name.
struct RenamePage : Renaming
{
    void SetUp() override
    {
        for (const QByteArray name : {"b.jpg", "a10.jpg", "a2.jpg", "c.jpg", "d.jpg", "notes.txt"})
            write(name);
        // Answered only when the dialog says what it asks for.
        m_services.folderChooser =
            FolderChooser([this](QWidget *, const QString &title, const QString &) {
                return title == loadString(ChooseRenameFolder) ? m_dir.path() : QString();
            });
        m_services.showMessage = [this](const QString &text) { m_messages.append(text); };
    }

    // Opens the page on the folder, as the convert page's destination with its format or, if
    // chosen, through the folder button with every file.
    void open(bool chosen = false)
    {
        m_page = std::make_unique<CRenumCtrl>(m_preferences, m_statusLine, m_services);
        m_page->resize(788, 375);
        m_page->show();
        m_page->takeOverFolder(chosen ? QString() : m_dir.path(), 0);
        if (chosen)
            child<QPushButton>(u"folderButton"_s)->click();
    }
    template <typename T> T *child(const QString &name) { return m_page->findChild<T *>(name); }
    void type(const QString &edit, const QString &text) { child<QLineEdit>(edit)->setText(text); }
    CRenameLvCtrl &list() { return *child<CRenameLvCtrl>(u"renameList"_s); }
    QPoint rowCentre(int row) { return list().visualRect(m_page->rows().index(row, 0)).center(); }
    void select(const QString &name)
    {
        list().setCurrentIndex(m_page->rows().index(int(names(m_page->rows()).indexOf(name)), 0));
        QCoreApplication::processEvents();
    }

    const ConfigHome m_home; // journals go to a state folder of the test's own
    Preferences m_preferences;
    StatusLine m_statusLine{m_preferences};
    PageServices m_services;
    QStringList m_messages;
    std::unique_ptr<CRenumCtrl> m_page;
};

// The page as a user drives it: a folder of one's own through its button, the size and icon of
// the selected file, a row dragged by the pointer numbered where it lands, Delete, a sort by the
// date header, digits only in the start number, Renumber and Ctrl+Z, the page closed to input
// while files are renamed. A reader hears a conflict once while it stands, and the outcome.
TEST_F(RenamePage, NumbersARowWhereThePointerPutsItRenumbersAndUndoes)
{
    write("big\xff.txt", QByteArray(1536, 'x'));
    open(true);
    select(PathUtil::decodeName("big\xff.txt"));
    EXPECT_EQ(std::pair(child<QLabel>(u"fileSizeLabel"_s)->text(), m_page->filter()),
              std::pair(QLocale::system().toString(1.5, 'f', 2) + u" Kb"_s, u"*.*"_s));
    select(u"notes.txt"_s);
    EXPECT_EQ(child<PreviewFrame>(u"previewArea"_s)->content(), PreviewFrame::Content::Icon);

    open();
    type(u"baseNameEdit"_s, u"x"_s);
    QWidget *viewport = list().viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(4));
    QTest::mouseMove(viewport, rowCentre(4) - QPoint(0, 2 * QApplication::startDragDistance()));
    ASSERT_TRUE(list().isDragging());
    EXPECT_EQ(names(m_page->rows(), true), QStringList(5, QString())); // no numbers while dragging
    QTest::mouseMove(viewport, rowCentre(1));
    // The row follows the pointer at the view's next drag step.
    ASSERT_TRUE(runEventsUntil([this] { return names(m_page->rows()).value(1) == u"d.jpg"_s; }));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(names(m_page->rows()), u"a2.jpg d.jpg a10.jpg b.jpg c.jpg"_s.split(u' '));
    EXPECT_EQ(names(m_page->rows(), true), u"x1.jpg x2.jpg x3.jpg x4.jpg x5.jpg"_s.split(u' '));
    list().setCurrentIndex(m_page->rows().index(1, 0));
    QTest::keyClick(&list(), Qt::Key_Delete);
    QHeaderView *header = list().horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(RenameListModel::DateTakenColumn) + 8,
                             header->height() / 2));
    EXPECT_EQ(std::tuple(m_statusLine.text(), m_page->rows().sortColumn(),
                         child<QLabel>(u"fileCountLabel"_s)->text()),
              std::tuple(u"Sorted by date taken, oldest first"_s, RenameListModel::DateTakenColumn,
                         u"4"_s));

    const QString before = contents();
    m_statusLine.show();
    const ReaderEvents reader;
    open();
    type(u"baseNameEdit"_s, u"a"_s);              // a2.jpg is listed
    for (const QString &start : {u"0"_s, u"1"_s}) // the conflict stands: it is not heard again
        QCoreApplication::processEvents(), type(u"startEdit"_s, start);
    type(u"baseNameEdit"_s, u"trip"_s);
    child<QLineEdit>(u"startEdit"_s)->clear();
    QTest::keyClicks(child<QLineEdit>(u"startEdit"_s), u"-a9x"_s); // digits only
    ASSERT_EQ(child<QLineEdit>(u"startEdit"_s)->text(), u"9"_s);
    child<QPushButton>(u"renumberButton"_s)->click();
    ASSERT_TRUE(m_page->isBusy() && runEventsUntil([this] { return !m_page->isBusy(); }));
    EXPECT_EQ(std::pair(names(m_page->rows()).first(), child<QLineEdit>(u"baseNameEdit"_s)->text()),
              std::pair(u"trip09.jpg"_s, QString()));
    QCoreApplication::processEvents();
    EXPECT_EQ(reader.m_heard, QStringList({u"Conflicts in file names!"_s, m_statusLine.text()}));

    auto *undo = child<QPushButton>(u"undoButton"_s);
    m_page->activateWindow();
    ASSERT_TRUE(undo->isEnabled() && QTest::qWaitForWindowActive(m_page.get()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(runEventsUntil([this] { return !m_page->isBusy(); }));
    EXPECT_EQ(std::tuple(contents(), undo->isEnabled(), m_messages),
              std::tuple(before, false, QStringList()));

    // A renumber held up by its disk closes the page to input; the focus comes back after.
    std::promise<void> disk;
    SystemCalls::Fake calls;
    calls->renameat2 = [answers = disk.get_future().share()](auto... call) {
        answers.wait();
        return ::renameat2(call...);
    };
    child<QLineEdit>(u"baseNameEdit"_s)->setFocus();
    type(u"baseNameEdit"_s, u"z"_s);
    child<QPushButton>(u"renumberButton"_s)->click();
    ASSERT_TRUE(runEventsUntil([this] { return !m_page->isEnabled(); }));
    disk.set_value();
    ASSERT_TRUE(runEventsUntil([this] { return !m_page->isBusy(); }));
    EXPECT_TRUE(QApplication::focusWidget() == child<QLineEdit>(u"baseNameEdit"_s) &&
                read("z09.jpg") == "a2.jpg");
}

} // namespace
