// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/folderprobe.h"

#include "util/atomicfile.h"
#include "util/pathutil.h"
#include "util/systemcalls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Fd
{
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int openFolder(const QByteArray &path)
{
    return path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A probe file in the folder, removed when the probe ends.
class ProbeFile
{
public:
    ProbeFile(int folderFd, const QByteArray &tag)
        : m_folderFd(folderFd)
    {
        const int fd = AtomicFile::createTemporary(folderFd, m_name, tag);
        if (fd >= 0)
            ::close(fd);
        else
            m_name.clear();
    }
    ~ProbeFile()
    {
        if (!m_name.isEmpty())
            ::unlinkat(m_folderFd, m_name.constData(), 0);
    }
    ProbeFile(const ProbeFile &) = delete;
    ProbeFile &operator=(const ProbeFile &) = delete;
    bool made() const { return !m_name.isEmpty(); }
    const QByteArray &name() const { return m_name; }

private:
    int m_folderFd;
    QByteArray m_name;
};

} // namespace

bool FolderProbe::shows(int folderFd, const QByteArray &name)
{
    struct stat entry{};
    return ::fstatat(folderFd, name.constData(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
}

bool FolderProbe::sameFolder(const QByteArray &first, const QByteArray &second)
{
    if (first.isEmpty() || second.isEmpty())
        return false;
    if (first == second)
        return true;
    const Fd a(openFolder(first));
    const Fd b(openFolder(second));
    struct stat aStat{};
    struct stat bStat{};
    const SystemCalls &system = SystemCalls::current();
    if (a.get() < 0 || b.get() < 0 || system.fstat(a.get(), &aStat) != 0 ||
        system.fstat(b.get(), &bStat) != 0)
        return false;
    if (aStat.st_dev == bStat.st_dev && aStat.st_ino == bStat.st_ino)
        return true;
    const ProbeFile probe(b.get(), QByteArray());
    return probe.made() && shows(a.get(), probe.name());
}

FolderProbe::CaseRule FolderProbe::caseRule(const QByteArray &folder)
{
    const Fd fd(openFolder(folder));
    return fd.get() < 0 ? CaseRule::Exact : caseRule(fd.get());
}

FolderProbe::CaseRule FolderProbe::caseRule(int folderFd)
{
    // "~xé" in the name: whether "~Xé" and "~xÉ" reach it too. A disk that takes no such name
    // (FAT through fusefat) is asked about A to Z only.
    const QByteArray lower = QByteArrayLiteral("~x\xC3\xA9");
    const ProbeFile probe(folderFd, lower);
    if (probe.made()) {
        QByteArray unicode = probe.name();
        unicode.replace(lower, QByteArrayLiteral("~x\xC3\x89"));
        if (shows(folderFd, unicode))
            return CaseRule::UnicodeFolds;
        QByteArray ascii = probe.name();
        ascii.replace(lower, QByteArrayLiteral("~X\xC3\xA9"));
        return shows(folderFd, ascii) ? CaseRule::AsciiFolds : CaseRule::Exact;
    }
    const ProbeFile plain(folderFd, QByteArrayLiteral("~x"));
    if (!plain.made())
        return CaseRule::Exact;
    QByteArray ascii = plain.name();
    ascii.replace(QByteArrayLiteral("~x"), QByteArrayLiteral("~X"));
    return shows(folderFd, ascii) ? CaseRule::AsciiFolds : CaseRule::Exact;
}

QString FolderProbe::nameKey(const QString &name, CaseRule rule)
{
    return rule == CaseRule::UnicodeFolds ? looseKey(name) : PathUtil::asciiLower(name);
}

QString FolderProbe::looseKey(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}
