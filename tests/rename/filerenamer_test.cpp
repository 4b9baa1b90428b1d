#include "rename/filerenamer.h"
#include "rename/newnamegenerator.h"
#include "rename/renamelistmodel.h"
#include "util/noreplacerename.h"
#include "util/pathutil.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
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
    QByteArray path(const QByteArray &name) const
    {
        return PathUtil::encodeName(m_dir.path()) + '/' + name;
    }
    void write(const QByteArray &name, const QByteArray &content = {})
    {
        ASSERT_TRUE(writeFileAtBytes(path(name), content.isEmpty() ? name : content));
    }
    QByteArray read(const QByteArray &name) const { return readFileAtBytes(path(name)); }
    QStringList files() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::System, QDir::Name);
    }
    RenameResult rename(const QString &filter, const QStringList &newNames)
    {
        m_list.scanFolder(m_dir.path(), filter);
        m_list.setNewNames(newNames, QList<bool>(newNames.size(), false));
        return FileRenamer::renameFiles(m_dir.path(), m_list);
    }

    QTemporaryDir m_dir;
    RenameListModel m_list;
};

TEST_F(Renaming, RenamesEveryRowInListOrderByTheBytesOfItsName)
{
    for (const QByteArray name : {"a.jpg", "b.jpg", "bad\xff.jpg", "c.png", "pic.j\xe9g"})
        write(name);
    m_list.scanFolder(m_dir.path(), u"*"_s);
    NumberingSettings settings{u"x"_s, 1, 1, false};
    NewNameGenerator::computeNewNames(m_list, settings);
    const RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.outcome, RenameResult::Completed);
    EXPECT_EQ(result.renamedCount, 5);
    // The extension keeps its own bytes.
    for (const auto &[name, content] : {std::pair<QByteArray, QByteArray>{"x1.jpg", "a.jpg"},
                                        {"x2.jpg", "b.jpg"},
                                        {"x3.jpg", "bad\xff.jpg"},
                                        {"x4.png", "c.png"},
                                        {"x5.j\xe9g", "pic.j\xe9g"}})
        EXPECT_EQ(read(name), content) << name.toStdString();
    EXPECT_EQ(read("bad\xff.jpg"), "(missing)");
}

TEST_F(Renaming, StopsAtATargetThatExistsAndReplacesNothing)
{
    write("a.jpg");
    write("c.jpg");
    write("x2.jpg", "kept"); // not listed by the filter
    const RenameResult result = rename(u"a*.jpg;c*.jpg"_s, {u"x1.jpg"_s, u"x2.jpg"_s});
    EXPECT_EQ(result.outcome, RenameResult::Stopped);
    EXPECT_EQ(result.failedRow(), 1);
    EXPECT_EQ(result.errorCode, EEXIST);
    EXPECT_EQ(result.errorText, QString::fromLocal8Bit(std::strerror(EEXIST)));
    EXPECT_EQ(files(), (QStringList{u"c.jpg"_s, u"x1.jpg"_s, u"x2.jpg"_s}));
    EXPECT_EQ(read("x2.jpg"), "kept");
    EXPECT_EQ(read("c.jpg"), "c.jpg");

    // Swapped names, which the conflict marks would have blocked.
    EXPECT_EQ(rename(u"x*"_s, {u"x2.jpg"_s, u"x1.jpg"_s}).errorCode, EEXIST);
    EXPECT_EQ(read("x1.jpg"), "a.jpg");
    EXPECT_EQ(read("x2.jpg"), "kept");
}

TEST_F(Renaming, AVanishedFileOrANameThatIsNotASingleNameInTheFolderStopsTheRunThere)
{
    for (const QByteArray name : {"a.jpg", "b.jpg", "c.jpg"})
        write(name);
    m_list.scanFolder(m_dir.path(), u"*"_s);
    ASSERT_TRUE(QFile::remove(m_dir.filePath(u"b.jpg"_s)));
    m_list.setNewNames({u"x1.jpg"_s, u"x2.jpg"_s, u"x3.jpg"_s}, {false, false, false});
    RenameResult result = FileRenamer::renameFiles(m_dir.path(), m_list);
    EXPECT_EQ(result.failedRow(), 1);
    EXPECT_EQ(result.errorCode, ENOENT);
    EXPECT_EQ(files(), (QStringList{u"c.jpg"_s, u"x1.jpg"_s}));

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"sub"_s));
    for (const QString &bad : {u"sub/x.jpg"_s, u"../x.jpg"_s, u".."_s, QString()}) {
        result = rename(u"*.jpg"_s, {u"ok.jpg"_s, bad});
        EXPECT_EQ(result.failedRow(), 1) << bad.toStdString();
        EXPECT_EQ(result.errorCode, EINVAL);
        EXPECT_EQ(files(), (QStringList{u"ok.jpg"_s, u"x1.jpg"_s}));
        EXPECT_TRUE(QDir(m_dir.filePath(u"sub"_s)).isEmpty());
        ASSERT_TRUE(QFile::rename(m_dir.filePath(u"ok.jpg"_s), m_dir.filePath(u"c.jpg"_s)));
    }
}

TEST_F(Renaming, TouchesNothingWithoutNewNamesOrWithoutAFolder)
{
    EXPECT_EQ(FileRenamer::renameFiles(m_dir.path(), m_list).outcome, RenameResult::NothingToDo);
    write("a.jpg");
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
    write("a.jpg");
    write("b.jpg");
    ASSERT_EQ(::symlink("b.jpg", path("link.jpg").constData()), 0);
    const int folderFd = ::open(path({}).constData(), O_PATH | O_DIRECTORY);
    ASSERT_GE(folderFd, 0);
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "a.jpg", "b.jpg"), EEXIST);
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "a.jpg", "c.jpg"), 0);
    // A symbolic link is renamed itself, not the file it points to.
    EXPECT_EQ(NoReplaceRename::linkAndUnlink(folderFd, "link.jpg", "d.jpg"), 0);
    ::close(folderFd);
    EXPECT_EQ(files(), (QStringList{u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s}));
    EXPECT_EQ(read("b.jpg"), "b.jpg");
    EXPECT_EQ(read("c.jpg"), "a.jpg");
    EXPECT_TRUE(QFileInfo(m_dir.filePath(u"d.jpg"_s)).isSymLink());
}

} // namespace
