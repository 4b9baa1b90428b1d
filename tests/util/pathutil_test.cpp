// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/conversionplan.h"
#include "util/atomicfile.h"
#include "util/folderprobe.h"
#include "util/pathutil.h"
#include "util/systemcalls.h"
#include "util/wildcardmatcher.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(Names, TheExtensionIsReplacedOnlyAToZFoldBytesComeBackAsTheyWereAndWildcardsMatchWholeNames)
{
    // "name|extension|destination in /my.out/ as JPEG": a dot in a folder's name is no extension.
    const char16_t *const cases[] = {
        u"x.old.cr2|.cr2|/my.out/x.old.jpg",           u"README||/my.out/README.jpg",
        u"holiday.my pic||/my.out/holiday.my pic.jpg", u"my pic.jpeg|.jpeg|/my.out/my pic.jpg",
        u"trailing.|.|/my.out/trailing.jpg",           u"été.Tiff|.Tiff|/my.out/été.jpg"};
    for (const char16_t *row : cases) {
        const QStringList c = QString::fromUtf16(row).split(u'|');
        EXPECT_EQ(PathUtil::extension(c[0]), c[1]) << c[0].toStdString();
        EXPECT_EQ(ConversionPlan::destinationPath(u"/my.out/"_s, c[0], u".jpg"_s), c[2]);
    }
    // Only the letters A to Z fold.
    EXPECT_EQ(ConversionPlan::destinationKey(u"ÉtÉ IMGZ.JPG"_s), u"ÉtÉ imgz:"_s);

    // Valid names (also one that really holds U+FFFD, and a pair ending in U+DC80), Latin-1,
    // cut sequences and stray continuation bytes; then on each side of every bound of UTF-8's
    // lead and second bytes, the first and last code points of each length, around the encoded
    // surrogates, and overlong forms, surrogates and codes above U+10FFFF: each decodes and
    // encodes back to the same bytes, and shows with U+FFFD ('#' below) for a byte.
    // clang-format off
    const std::tuple<const char *, const char16_t *, bool> encodings[] = {
        {"IMG 1.jpg", u"IMG 1.jpg", true}, {"\xc3\xa9t\xc3\xa9.jpg", u"été.jpg", true},
        {"\xef\xbf\xbd.jpg", u"#.jpg", true}, {"bad\xff.jpg", u"bad#.jpg", false},
        {"\xe9t\xe9.jpg", u"#t#.jpg", false}, {"a\xe2\x82-\xc3", u"a##-#", false},
        {"\x80\xc3\xa9\xbf", u"#\u00e9#", false},
        {"\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80"
         "\xef\xbf\xbf\xf0\x90\x80\x80\xf0\x9f\x92\x80\xf4\x8f\xbf\xbf",
         u"\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0001F480\U0010FFFF", true},
        {"\xc0\xaf\xc1\xbf\xe0\x9f\xbf\xed\xa0\x80\xf0\x8f\xbf\xbf"
         "\xf4\x90\x80\x80\xf5\x80\x80\x80\xe2\x82\xc0",
         u"#########################", false}};
    // clang-format on
    for (const auto &[bytes, text, valid] : encodings) {
        const QString name = PathUtil::decodeName(bytes);
        const QString shown = QString::fromUtf16(text).replace(u'#', QChar::ReplacementCharacter);
        EXPECT_EQ(
            std::tuple(PathUtil::encodeName(name), PathUtil::displayName(name), name == shown),
            std::tuple(QByteArray(bytes), shown, valid));
    }

    EXPECT_EQ(PathUtil::fileUrl(PathUtil::decodeName("/tmp/a b/bad\xff#1.jpg")).toEncoded(),
              "file:///tmp/a%20b/bad%FF%231.jpg");
    EXPECT_EQ(PathUtil::fileUrl(u"/x/été #1?%;.png"_s), QUrl::fromLocalFile(u"/x/été #1?%;.png"_s));
    EXPECT_EQ(std::tuple(PathUtil::split(u"/x"_s), PathUtil::split(QByteArray("/")),
                         PathUtil::split(u"x"_s)),
              std::tuple(std::pair(u"/"_s, u"x"_s), std::pair(QByteArray("/"), QByteArray()),
                         std::pair(u"."_s, u"x"_s)));
    // A lone surrogate that no byte stands for has no bytes of its own.
    EXPECT_EQ(PathUtil::encodeName(QString(QChar(0xDC7F)) + QChar(0xD800)),
              "\xef\xbf\xbd\xef\xbf\xbd");

    // Wildcards match whole names without regard to case. A pattern and the names split at '|',
    // those it does not match marked with '!'.
    // clang-format off
    const char16_t *const patterns[][2] = {
        {u"*.*", u"a.jpg|README|.hidden"}, {u"*.jpg.*", u"a.jpg.png|!a.jpg"},
        {u"IMG_0*.*", u"IMG_0001.jpg|img_0002.PNG|!DSC_0003.jpg"}, {u"été*.*", u"ÉTÉ 2026.jpg"},
        {u"*a*b*.*", u"xxaxxbxx.png|!xxbxxaxx.png"}, {u"?.*", u"a.jpg|!ab.jpg"},
        {u"holiday.*", u"Holiday.png|holiday|!holiday2.jpg|!my holiday.jpg"}};
    // clang-format on
    for (const auto &[pattern, names] : patterns)
        for (const QString &name : QString::fromUtf16(names).split(u'|'))
            EXPECT_EQ(WildcardMatcher::matches(pattern, QStringView(name).sliced(name[0] == u'!')),
                      name[0] != u'!')
                << QString::fromUtf16(pattern).toStdString() << " ~ " << name.toStdString();
}

// A file written whole: when the disk fails a write, the flush, the close or the rename, the
// system's reason is told, the old content stays and no temporary file is left. A name another
// process takes between its choice and the open is never written into. Two folders are one by
// device and inode, not by the inode number alone.
TEST(AtomicFile, ReplacesAFileOnlyByAWholeOneOfItsOwnAndFolderProbeTellsDevicesApart)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()), target = folder + "/state";
    const auto fails = [](int error) { return [error](auto...) { return errno = error, -1; }; };
    const auto taken = [&, once = true](int fd, const char *name, int flags, mode_t mode) mutable {
        if (std::exchange(once, false))
            writeFileAtBytes(folder + '/' + name, "theirs");
        return ::openat(fd, name, flags, mode);
    };
    const std::tuple<std::function<void(SystemCalls &)>, int, const char *> faults[] = {
        {[&](SystemCalls &c) { c.write = fails(ENOSPC); }, ENOSPC, "old"},
        {[&](SystemCalls &c) { c.fdatasync = fails(EIO); }, EIO, "old"},
        {[](SystemCalls &c) { c.close = [](int fd) { return ::close(fd), errno = EIO, -1; }; }, EIO,
         "old"},
        {[&](SystemCalls &c) { c.renameat = fails(EXDEV); }, EXDEV, "old"},
        {[&](SystemCalls &c) { c.openat = taken; }, 0, "theirs new"}};
    for (const auto &[fault, error, after] : faults) {
        ASSERT_TRUE(writeFileAtBytes(target, "old"));
        SystemCalls::Fake calls;
        fault(*calls);
        const FileResult written = AtomicFile::write(target, "new");
        QStringList contents;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            contents.append(QString::fromLatin1(readFileBytes(dir.filePath(name))));
        removeFilesAtBytes(dir.path());
        EXPECT_EQ(std::tuple(written.ok, written.reason, contents.join(u' ')),
                  std::tuple(!error, error ? FileResult::failure(error).reason : QString(),
                             QString::fromLatin1(after)));
    }

    // A new file is anybody's to read, as the umask allows, like any file the user's programs make.
    const mode_t umask = ::umask(0);
    ::umask(umask);
    struct stat made = {};
    ASSERT_TRUE(AtomicFile::write(folder + "/new", "new").ok &&
                ::stat(folder + "/new", &made) == 0);
    EXPECT_EQ(made.st_mode & 07777, 0666 & ~umask);

    const QByteArray inner = folder + "/inner";
    struct stat outer = {};
    ASSERT_TRUE(::mkdir(inner, 0700) == 0 && ::stat(folder, &outer) == 0);
    SystemCalls::Fake calls;
    calls->fstat = [&](int fd, struct stat *s) {
        const int result = ::fstat(fd, s);
        if (s->st_ino != outer.st_ino)
            std::tie(s->st_dev, s->st_ino) = std::tuple(outer.st_dev + 1, outer.st_ino);
        return result;
    };
    EXPECT_EQ(
        std::pair(FolderProbe::sameFolder(folder, inner), QDir(QFile::decodeName(inner)).isEmpty()),
        std::pair(false, true));
}

} // namespace
