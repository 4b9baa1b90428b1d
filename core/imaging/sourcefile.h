// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <FreeImage.h>

#include <QString>

#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>

// A user's file opened for reading, never blocking: a name that is (or points at) a pipe, device,
// socket or folder is refused before a byte is read, so a file swapped after the listing cannot
// stall the process. The checks are made on the opened descriptor, and every read goes through
// it, so what was checked is what is decoded.
// Thread: one thread at a time.
class SourceFile
{
public:
    SourceFile() = default;
    ~SourceFile();
    SourceFile(const SourceFile &) = delete;
    SourceFile &operator=(const SourceFile &) = delete;

    // False when the file cannot be opened or is refused; error() then says why.
    bool open(const QString &path);
    // True when open() failed because the file is no regular file, as opposed to the system
    // failing to open it (a missing file, no permission).
    bool refused() const { return m_refused; }
    // The reason of the last failure, in words for the user.
    QString error() const { return m_error; }
    QString path() const { return m_path; }
    // The opened file's identity: another name with the same pair is this very file.
    dev_t device() const { return m_device; }
    ino_t inode() const { return m_inode; }
    qint64 size() const { return m_size; }
    // The opened file's last modification, as its status gave it at the open.
    struct timespec modified() const { return m_modified; }
    // The opened descriptor, -1 when closed; owned by this object.
    int descriptor() const { return m_file ? ::fileno(m_file) : -1; }
    // Whether the status of a name, seen through another mount or name, is this file's: the same
    // device and inode, or (where a mount shows it under other numbers) the same size, time of
    // change to the nanosecond and mode. The caller knows the name is in the source's folder.
    bool looksLike(const struct stat &other) const;

    // The format the content shows, else the one the file name suggests, as the library's own
    // identification does: some formats carry no signature. FIF_UNKNOWN when neither tells.
    FREE_IMAGE_FORMAT identify();
    // Loads the picture with the format's reader from offset (the start of the file, or a
    // picture embedded in another); null on failure. A JPEG's header alone (FIF_LOAD_NOPIXELS)
    // is read from its bytes before the first scan's data, as the reader would read the whole
    // file: its header read of a progressive file decodes every scan, which took as long as the
    // picture itself. The reader may leave a message about the data cut short.
    FIBITMAP *load(FREE_IMAGE_FORMAT fif, int flags, qint64 offset = 0);
    // Reads up to size bytes at offset without moving the library's position; the number read.
    qint64 readAt(qint64 offset, void *data, qint64 size) const;

private:
    bool fail(const QString &reason, bool refused);
    bool seek(qint64 offset);

    FILE *m_file = nullptr;
    FreeImageIO m_io{};
    QString m_path;
    QString m_error;
    bool m_refused = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    qint64 m_size = 0;
    struct timespec m_modified{};
    mode_t m_mode = 0;
};
