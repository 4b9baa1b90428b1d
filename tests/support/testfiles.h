// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <functional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Small helpers the tests share: whole files in and out, and waiting on the event loop.

inline QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The same for a path given by its bytes, which need not be valid UTF-8 (QFile would alter it).
inline bool writeFileAtBytes(const QByteArray &path, const QByteArray &bytes = {})
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written =
        fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return fd >= 0 && ::close(fd) == 0 && written;
}

inline QByteArray readFileAtBytes(const QByteArray &path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "(missing)";
    return file.readAll();
}

// Removes the files of a folder by their bytes, for names QTemporaryDir cannot remove.
inline void removeFilesAtBytes(const QString &folder)
{
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *entry = ::readdir(dir))
            ::unlinkat(::dirfd(dir), entry->d_name, 0); // sub-folders stay
        ::closedir(dir);
    }
}

// Removes a folder and all it holds by the bytes of their names, never through a link: for a
// QTemporaryDir holding names it cannot remove, which it would leave behind.
inline void removeTreeAtBytes(const QByteArray &folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder.toStdString()), ignored);
}

// Runs the event loop until done() holds or ms have passed; returns done().
inline bool runEventsUntil(const std::function<bool()> &done, int ms = 20'000)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// What write() gives with writes limited to bytes, as on a full disk: they then fail with EFBIG.
template <typename Write> auto withFileSizeLimit(rlim_t bytes, Write write)
{
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, previous.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto result = write();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    return result;
}
