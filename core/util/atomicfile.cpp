// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/atomicfile.h"

#include "util/pathutil.h"
#include "util/smallfile.h"
#include "util/systemcalls.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView Prefix = ".pelorin-";
constexpr QByteArrayView Suffix = ".part";
constexpr qsizetype TokenLength = 6;
// The folder probes' tags (FolderProbe), after the random part.
constexpr QByteArrayView ProbeTags[] = {"~x\xC3\xA9", "~x"};

bool isBase36(QByteArrayView text, qsizetype shortest, qsizetype longest)
{
    return text.size() >= shortest && text.size() <= longest &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

// As a process id is written: decimal, no sign, no leading zero; 0 for anything else.
qint64 processId(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 10 || text[0] == '0' ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const qint64 pid = text.toLongLong();
    return pid <= INT_MAX ? pid : 0;
}

} // namespace

QByteArray AtomicFile::systemToken()
{
    static const QByteArray token = [] {
        // What makes a process id name one process: the boot (its id is random at each), the
        // PID namespace (its inode) and, for a system without /proc, the host.
        QByteArray seed = SmallFile::read("/proc/sys/kernel/random/boot_id", 64) + '\0';
        char text[256] = {};
        if (const ssize_t length = ::readlink("/proc/self/ns/pid", text, sizeof text - 1);
            length > 0)
            seed.append(text, length);
        seed += '\0';
        if (::gethostname(text, sizeof text - 1) == 0)
            seed.append(text, qstrnlen(text, sizeof text));
        quint64 value = qFromBigEndian<quint64>(
            QCryptographicHash::hash(seed, QCryptographicHash::Sha256).constData());
        // A letter first: older versions read a process id there, and so never take these names
        // for theirs.
        QByteArray token(1, char('a' + value % 26));
        for (value /= 26; token.size() < TokenLength; value /= 36)
            token += "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36];
        return token;
    }();
    return token;
}

QByteArray AtomicFile::temporaryPrefix(qint64 pid)
{
    return Prefix.toByteArray() + systemToken() + '-' + QByteArray::number(pid) + '-';
}

std::optional<AtomicFile::Owner> AtomicFile::temporaryOwner(QByteArrayView name)
{
    if (!name.startsWith(Prefix) || !name.endsWith(Suffix))
        return std::nullopt;
    // "<system>-<pid>-<random>", or "<pid>-<random>" from an older version.
    QByteArrayView rest = name.sliced(Prefix.size(), name.size() - Prefix.size() - Suffix.size());
    for (const QByteArrayView tag : ProbeTags) {
        if (rest.endsWith(tag)) {
            rest.chop(tag.size());
            break;
        }
    }
    const qsizetype last = rest.lastIndexOf('-');
    if (last < 0 || !isBase36(rest.sliced(last + 1), 1, 7))
        return std::nullopt;
    rest.truncate(last);
    const qsizetype first = rest.indexOf('-');
    const QByteArrayView system = first < 0 ? QByteArrayView() : rest.first(first);
    const qint64 pid = processId(rest.sliced(first + 1));
    if (pid == 0 ||
        (first >= 0 && (!isBase36(system, TokenLength, TokenLength) || system[0] < 'a')))
        return std::nullopt;
    return Owner{system.toByteArray(), pid};
}

int AtomicFile::createTemporary(int folderFd, QByteArray &name, const QByteArray &tag)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryPrefix(::getpid()) +
               QByteArray::number(QRandomGenerator::global()->generate(), 36) + tag +
               Suffix.toByteArray();
        const int fd = SystemCalls::current().openat(folderFd, name.constData(),
                                                     O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

FileResult AtomicFile::write(const QByteArray &path, const QByteArray &bytes)
{
    const auto [folder, name] = PathUtil::split(path);
    const int folderFd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return FileResult::failure(errno);
    QByteArray temporary;
    const int fd = createTemporary(folderFd, temporary);
    if (fd < 0) {
        const int error = errno;
        ::close(folderFd);
        return FileResult::failure(error);
    }
    const SystemCalls &system = SystemCalls::current();
    int error = 0;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && error == 0) {
        const ssize_t written = system.write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            error = written < 0 ? errno : ENOSPC;
        else {
            data += written;
            left -= written;
        }
    }
    // What is written this way is read or kept by the user: worth a wait for the disk.
    if (error == 0 && system.fdatasync(fd) != 0)
        error = errno;
    if (system.close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 &&
        system.renameat(folderFd, temporary.constData(), folderFd, name.constData()) != 0)
        error = errno;
    if (error != 0)
        system.unlinkat(folderFd, temporary.constData(), 0);
    ::close(folderFd);
    return error == 0 ? FileResult::success() : FileResult::failure(error);
}
