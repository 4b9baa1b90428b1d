#include "rename/filerenamer.h"
#include "rename/newnamegenerator.h"
#include "rename/noreplacerename.h"
#include "rename/renamelistmodel.h"

#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Every file holds its own first name, so that a test can tell where each one went.
class Renaming : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    void write(const QString &name, const QByteArray &content = {})
    {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.isEmpty() ? name.toUtf8() : content);
    }

    QByteArray read(const QString &name) const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QStringList files() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    void scanAndNumber(const QString &filter, const QString &base)
    {
        m_list.scanFolder(m_dir.path(), filter);
        NumberingSettings settings{base, 1, 1, false};
        NewNameGenerator::computeNewNames(m_list, settings);
    }

    QTemporaryDir m_dir;
    RenameListModel m_list;
};

TEST_F(Renaming, RenamesEveryRowInListOrder)
{
    for (const QString &name : {u"a.jpg"_s, u"b.jpg"_s, u"c.png"_s})
        write(name);
    scanAndNumber(u"*"_s, u"x"_s);
    const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.outcome, RenameResult::Completed);
    EXPECT_EQ(result.renamedCount, 3);
    EXPECT_EQ(result.failedRow(), -1);
    EXPECT_EQ(files(), (QStringList{u"x1.jpg"_s, u"x2.jpg"_s, u"x3.png"_s}));
    EXPECT_EQ(read(u"x2.jpg"_s), "b.jpg");
}

TEST_F(Renaming, StopsAtAnUnlistedTargetAndReplacesNothing)
{
    for (const QString &name : {u"a.jpg"_s, u"c.jpg"_s})
        write(name);
    write(u"x2.jpg"_s, "kept");
    scanAndNumber(u"a*.jpg;c*.jpg"_s, u"x"_s);
    ASSERT_FALSE(m_list.conflict(1));
    const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.outcome, RenameResult::Stopped);
    EXPECT_EQ(result.renamedCount, 1);
    EXPECT_EQ(result.failedRow(), 1);
    EXPECT_EQ(result.errorCode, EEXIST);
    EXPECT_EQ(result.errorText, errorText(EEXIST));
    EXPECT_EQ(files(), (QStringList{u"c.jpg"_s, u"x1.jpg"_s, u"x2.jpg"_s}));
    EXPECT_EQ(read(u"x1.jpg"_s), "a.jpg");
    EXPECT_EQ(read(u"x2.jpg"_s), "kept");
    EXPECT_EQ(read(u"c.jpg"_s), "c.jpg");
}

TEST_F(Renaming, ATargetThatAppearedSinceTheScanIsNotReplaced)
{
    write(u"a.jpg"_s);
    scanAndNumber(u"*"_s, u"x"_s);
    write(u"x1.jpg"_s, "newer");
    const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.failedRow(), 0);
    EXPECT_EQ(result.errorCode, EEXIST);
    EXPECT_EQ(read(u"x1.jpg"_s), "newer");
    EXPECT_EQ(read(u"a.jpg"_s), "a.jpg");
}

TEST_F(Renaming, SwappedNamesKeepBothFiles)
{
    write(u"1.jpg"_s);
    write(u"2.jpg"_s);
    m_list.scanFolder(m_dir.path(), u"*"_s);
    m_list.setNewNames({u"2.jpg"_s, u"1.jpg"_s}, {true, true});
    const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.failedRow(), 0);
    EXPECT_EQ(result.errorCode, EEXIST);
    EXPECT_EQ(read(u"1.jpg"_s), "1.jpg");
    EXPECT_EQ(read(u"2.jpg"_s), "2.jpg");
}

TEST_F(Renaming, AVanishedFileStopsTheRunThere)
{
    for (const QString &name : {u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s})
        write(name);
    scanAndNumber(u"*"_s, u"x"_s);
    ASSERT_TRUE(QFile::remove(m_dir.filePath(u"b.jpg"_s)));
    const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.failedRow(), 1);
    EXPECT_EQ(result.errorText, errorText(ENOENT));
    EXPECT_EQ(files(), (QStringList{u"c.jpg"_s, u"x1.jpg"_s}));
}

TEST_F(Renaming, ANewNameThatIsNoSingleNameIsRefusedBeforeTheDiskIsTouched)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"sub"_s));
    for (const QString &bad : {u"sub/x.jpg"_s, u"../x.jpg"_s, u".."_s, QString()}) {
        write(u"a.jpg"_s);
        write(u"b.jpg"_s);
        m_list.scanFolder(m_dir.path(), u"*.jpg"_s);
        m_list.setNewNames({u"ok.jpg"_s, bad}, {false, false});
        const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
        EXPECT_EQ(result.failedRow(), 1) << bad.toStdString();
        EXPECT_EQ(result.errorText, errorText(EINVAL));
        EXPECT_EQ(files(), (QStringList{u"b.jpg"_s, u"ok.jpg"_s}));
        EXPECT_TRUE(QDir(m_dir.filePath(u"sub"_s)).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(u"../x.jpg"_s)));
        ASSERT_TRUE(QFile::remove(m_dir.filePath(u"ok.jpg"_s)));
    }
}

TEST_F(Renaming, NothingToDoWithoutNewNames)
{
    EXPECT_EQ(FileRenamer::renameFiles(m_dir.path(), m_list).outcome, RenameResult::NothingToDo);
    write(u"a.jpg"_s);
    m_list.scanFolder(m_dir.path(), u"*"_s);
    EXPECT_EQ(FileRenamer::renameFiles(m_dir.path(), m_list).outcome, RenameResult::NothingToDo);
    EXPECT_EQ(files(), QStringList{u"a.jpg"_s});
}

TEST_F(Renaming, AnEmptyFolderTextIsNotTheWorkingDirectory)
{
    write(u"a.jpg"_s);
    scanAndNumber(u"*"_s, u"x"_s);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const RenameResult result = FileRenamer::renameFiles(QString(), m_list);
    QDir::setCurrent(previous);
    EXPECT_EQ(result.failedRow(), 0);
    EXPECT_EQ(result.errorCode, ENOENT);
    EXPECT_EQ(files(), QStringList{u"a.jpg"_s});

    EXPECT_EQ(FileRenamer::renameFiles(m_dir.filePath(u"gone"_s), m_list).errorCode, ENOENT);
}

// The way taken where the file system refuses RENAME_NOREPLACE.
TEST_F(Renaming, LinkAndUnlinkRenamesWithoutReplacing)
{
    write(u"a.jpg"_s);
    write(u"b.jpg"_s);
    ASSERT_EQ(::symlink("b.jpg", QFile::encodeName(m_dir.filePath(u"link.jpg"_s)).constData()), 0);
    const int folderFd = ::open(QFile::encodeName(m_dir.path()).constData(), O_PATH | O_DIRECTORY);
    ASSERT_GE(folderFd, 0);

    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "a.jpg", "b.jpg"), EEXIST);
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "gone.jpg", "c.jpg"), ENOENT);
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "a.jpg", "c.jpg"), 0);
    // A link is renamed itself, not the file it points to.
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "link.jpg", "d.jpg"), 0);
    ::close(folderFd);

    EXPECT_EQ(files(), (QStringList{u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s}));
    EXPECT_EQ(read(u"b.jpg"_s), "b.jpg");
    EXPECT_EQ(read(u"c.jpg"_s), "a.jpg");
    EXPECT_TRUE(QFileInfo(m_dir.filePath(u"d.jpg"_s)).isSymLink());
    EXPECT_EQ(read(u"d.jpg"_s), "b.jpg");
}

} // namespace
