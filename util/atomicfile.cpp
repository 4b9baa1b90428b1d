// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/atomicfile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int AtomicFile::createTemporary(int folderFd, QByteArray &name, const QByteArray &tag)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".pelorin-" + QByteArray::number(qint64(::getpid())) + '-' +
               QByteArray::number(QRandomGenerator::global()->generate(), 36) + tag + ".part";
        const int fd =
            ::openat(folderFd, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

FileResult AtomicFile::write(const QByteArray &path, const QByteArray &bytes)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/")
                                                                        : path.left(slash);
    const QByteArray name = path.mid(slash + 1);
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
    int error = 0;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && error == 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
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
    if (error == 0 && ::fdatasync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::renameat(folderFd, temporary.constData(), folderFd, name.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlinkat(folderFd, temporary.constData(), 0);
    ::close(folderFd);
    return error == 0 ? FileResult::success() : FileResult::failure(error);
}
