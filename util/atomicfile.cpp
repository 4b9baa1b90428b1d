#include "util/atomicfile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int AtomicFile::createTemporary(const QByteArray &folder, QByteArray &path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + "/.pelorin-" + QByteArray::number(qint64(::getpid())) + '-' +
               QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
    QByteArray temporary;
    const int fd = createTemporary(folder, temporary);
    if (fd < 0)
        return FileResult::failure(errno);
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
    if (error == 0 && ::rename(temporary.constData(), path.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return FileResult::failure(error);
    }
    return FileResult::success();
}
