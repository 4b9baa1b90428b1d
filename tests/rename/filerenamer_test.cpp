#include "util/pathutil.h"
#include "rename/filerenamer.h"
#include "rename/newnamegenerator.h"
#include "util/noreplacerename.h"
#include "rename/renamelistmodel.h"

#include "qtprinters.h"
#include "testfiles.h"

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

// Every file holds its own first name, so that a test can tell where each one went.
class Renaming : public testing::Test
{
protected:
    void TearDown() override { removeFilesAtBytes(m_dir.path()); }
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
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::System, QDir::Name);
    }
    RenameResult scanNumberAndRename(const QString &filter)
    {
        m_list.scanFolder(m_dir.path(), filter);
        NumberingSettings settings{u"x"_s, 1, 1, false};
        NewNameGenerator::computeNewNames(m_list, settings);
        return FileRenamer::renameFiles(m_dir.path(), m_list);
    }

    QTemporaryDir m_dir;
    RenameListModel m_list;
};

TEST_F(Renaming, RenamesEveryRowInListOrder)
{
    for (const QString &name : {u"a.jpg"_s, u"b.jpg"_s, u"c.png"_s})
        write(name);
    const RenameResult result = scanNumberAndRename(u"*"_s);
    EXPECT_EQ(result.outcome, RenameResult::Completed);
    EXPECT_EQ(result.renamedCount, 3);
    EXPECT_EQ(files(), (QStringList{u"x1.jpg"_s, u"x2.jpg"_s, u"x3.png"_s}));
    EXPECT_EQ(read(u"x2.jpg"_s), "b.jpg");
}

TEST_F(Renaming, NamesThatAreNotUtf8AreRenamedByTheirBytes)
{
    const QByteArray folder = PathUtil::encodeName(m_dir.path()) + '/';
    ASSERT_TRUE(writeFileAtBytes(folder + "bad\xff.jpg", "bad"));
    ASSERT_TRUE(writeFileAtBytes(folder + "pic.j\xe9g", "pic"));
    const RenameResult result = scanNumberAndRename(u"*"_s);
    EXPECT_EQ(result.outcome, RenameResult::Completed);
    EXPECT_EQ(result.renamedCount, 2);
    // The extension keeps its own bytes.
    EXPECT_EQ(readFileAtBytes(folder + "x1.jpg"), "bad");
    EXPECT_EQ(readFileAtBytes(folder + "x2.j\xe9g"), "pic");
    EXPECT_EQ(readFileAtBytes(folder + "bad\xff.jpg"), "(missing)");
}

TEST_F(Renaming, StopsAtATargetThatExistsAndReplacesNothing)
{
    write(u"a.jpg"_s);
    write(u"c.jpg"_s);
    write(u"x2.jpg"_s, "kept"); // not listed by the filter
    const RenameResult result = scanNumberAndRename(u"a*.jpg;c*.jpg"_s);
    EXPECT_EQ(result.outcome, RenameResult::Stopped);
    EXPECT_EQ(result.failedRow(), 1);
    EXPECT_EQ(result.errorCode, EEXIST);
    EXPECT_EQ(result.errorText, QString::fromLocal8Bit(std::strerror(EEXIST)));
    EXPECT_EQ(files(), (QStringList{u"c.jpg"_s, u"x1.jpg"_s, u"x2.jpg"_s}));
    EXPECT_EQ(read(u"x2.jpg"_s), "kept");
    EXPECT_EQ(read(u"c.jpg"_s), "c.jpg");

    // Swapped names, which the conflict marks would have blocked.
    m_list.scanFolder(m_dir.path(), u"x*"_s);
    m_list.setNewNames({u"x2.jpg"_s, u"x1.jpg"_s}, {true, true});
    EXPECT_EQ(FileRenamer::renameFiles(m_dir.path(), m_list).errorCode, EEXIST);
    EXPECT_EQ(read(u"x1.jpg"_s), "a.jpg");
    EXPECT_EQ(read(u"x2.jpg"_s), "kept");
}

TEST_F(Renaming, AVanishedFileStopsTheRunThere)
{
    for (const QString &name : {u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s})
        write(name);
    m_list.scanFolder(m_dir.path(), u"*"_s);
    m_list.setNewNames({u"x1.jpg"_s, u"x2.jpg"_s, u"x3.jpg"_s}, {false, false, false});
    ASSERT_TRUE(QFile::remove(m_dir.filePath(u"b.jpg"_s)));
    const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.failedRow(), 1);
    EXPECT_EQ(result.errorCode, ENOENT);
    EXPECT_EQ(files(), (QStringList{u"c.jpg"_s, u"x1.jpg"_s}));
}

TEST_F(Renaming, ANameThatIsNotASingleNameInTheFolderIsRefused)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"sub"_s));
    for (const QString &bad : {u"sub/x.jpg"_s, u"../x.jpg"_s, u".."_s, QString()}) {
        write(u"a.jpg"_s);
        write(u"b.jpg"_s);
        m_list.scanFolder(m_dir.path(), u"*.jpg"_s);
        m_list.setNewNames({u"ok.jpg"_s, bad}, {false, false});
        const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
        EXPECT_EQ(result.failedRow(), 1) << bad.toStdString();
        EXPECT_EQ(result.errorCode, EINVAL);
        EXPECT_EQ(files(), (QStringList{u"b.jpg"_s, u"ok.jpg"_s}));
        EXPECT_TRUE(QDir(m_dir.filePath(u"sub"_s)).isEmpty());
        ASSERT_TRUE(QFile::remove(m_dir.filePath(u"ok.jpg"_s)));
    }
}

TEST_F(Renaming, TouchesNothingWithoutNewNamesOrWithoutAFolder)
{
    EXPECT_EQ(FileRenamer::renameFiles(m_dir.path(), m_list).outcome, RenameResult::NothingToDo);
    write(u"a.jpg"_s);
    m_list.scanFolder(m_dir.path(), u"*"_s);
    EXPECT_EQ(FileRenamer::renameFiles(m_dir.path(), m_list).outcome, RenameResult::NothingToDo);

    // An empty folder text must not mean the working directory.
    m_list.setNewName(0, u"x1.jpg"_s, false);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const RenameResult result = FileRenamer::renameFiles(QString(), m_list);
    QDir::setCurrent(previous);
    EXPECT_EQ(result.failedRow(), 0);
    EXPECT_EQ(result.errorCode, ENOENT);
    EXPECT_EQ(FileRenamer::renameFiles(m_dir.filePath(u"gone"_s), m_list).errorCode, ENOENT);
    EXPECT_EQ(files(), QStringList{u"a.jpg"_s});
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
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "a.jpg", "c.jpg"), 0);
    // A symbolic link is renamed itself, not the file it points to.
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "link.jpg", "d.jpg"), 0);
    ::close(folderFd);

    EXPECT_EQ(files(), (QStringList{u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s}));
    EXPECT_EQ(read(u"b.jpg"_s), "b.jpg");
    EXPECT_EQ(read(u"c.jpg"_s), "a.jpg");
    EXPECT_TRUE(QFileInfo(m_dir.filePath(u"d.jpg"_s)).isSymLink());
}

} // namespace
