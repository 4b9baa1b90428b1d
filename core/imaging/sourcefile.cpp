// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/sourcefile.h"

#include "strings/stringtable.h"
#include "util/pathutil.h"
#include "util/systemcalls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

unsigned DLL_CALLCONV readFile(void *buffer, unsigned size, unsigned count, fi_handle handle)
{
    return unsigned(std::fread(buffer, size, count, static_cast<FILE *>(handle)));
}

unsigned DLL_CALLCONV writeNothing(void *, unsigned, unsigned, fi_handle)
{
    return 0;
}

int DLL_CALLCONV seekFile(fi_handle handle, long offset, int origin)
{
    return std::fseek(static_cast<FILE *>(handle), offset, origin);
}

long DLL_CALLCONV tellFile(fi_handle handle)
{
    return std::ftell(static_cast<FILE *>(handle));
}

QString notRegular(mode_t mode)
{
    return S_ISDIR(mode) ? loadString(NotAFileButFolder) : loadString(NotARegularFile);
}

// The JPEG stream at offset up to its first scan's header, ended there: every marker a header
// read looks at. Empty where the markers cannot be walked, as in a damaged file.
QByteArray jpegHeader(const SourceFile &file, qint64 offset)
{
    // Beyond any header worth the name: many APP blocks of 64 KiB.
    constexpr qint64 Limit = 16 << 20;
    quint8 bytes[4];
    if (file.readAt(offset, bytes, 2) != 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return {};
    qint64 at = offset + 2;
    while (at - offset < Limit) {
        if (file.readAt(at, bytes, 2) != 2 || bytes[0] != 0xFF)
            return {};
        const quint8 marker = bytes[1];
        if (marker == 0xFF) { // fill
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) // no length
            continue;
        if (marker == 0xD8 || marker == 0xD9 || file.readAt(at, bytes + 2, 2) != 2)
            return {};
        const int length = bytes[2] << 8 | bytes[3];
        if (length < 2)
            return {};
        at += length;
        if (marker == 0xDA) { // the start of the first scan: its data follows
            if (at > file.size() || at - offset > Limit)
                return {};
            QByteArray header(at - offset + 2, Qt::Uninitialized);
            if (file.readAt(offset, header.data(), at - offset) != at - offset)
                return {};
            header[at - offset] = char(0xFF);
            header[at - offset + 1] = char(0xD9);
            return header;
        }
    }
    return {};
}

} // namespace

SourceFile::~SourceFile()
{
    if (m_file)
        std::fclose(m_file);
}

bool SourceFile::fail(const QString &reason, bool refused)
{
    m_error = reason;
    m_refused = refused;
    return false;
}

bool SourceFile::open(const QString &path)
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_path = path;
    m_error.clear();
    m_refused = false;

    const QByteArray name = PathUtil::encodeName(path);
    // Opening some devices has effects of its own (a tape rewinds), so what is plainly no file
    // is not opened at all; the check on the descriptor below catches a swap after this one.
    const SystemCalls &system = SystemCalls::current();
    struct stat status
    {
    };
    if (system.stat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return fail(notRegular(status.st_mode), true);

    const int fd = system.open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0)
        return fail(qt_error_string(errno), false);
    if (system.fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(qt_error_string(error), false);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return fail(notRegular(status.st_mode), true);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    FILE *file =
        flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? nullptr : ::fdopen(fd, "rb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        return fail(qt_error_string(error), false);
    }
    m_file = file;
    m_io = FreeImageIO{readFile, writeNothing, seekFile, tellFile};
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_size = qint64(status.st_size);
    m_modified = status.st_mtim;
    m_mode = status.st_mode;
    return true;
}

bool SourceFile::seek(qint64 offset)
{
    return m_file && offset >= 0 && ::fseeko(m_file, off_t(offset), SEEK_SET) == 0;
}

FREE_IMAGE_FORMAT SourceFile::identify()
{
    if (!seek(0))
        return FIF_UNKNOWN;
    const FREE_IMAGE_FORMAT fif = FreeImage_GetFileTypeFromHandle(&m_io, m_file, 0);
    if (fif != FIF_UNKNOWN)
        return fif;
    return FreeImage_GetFIFFromFilename(PathUtil::encodeName(m_path).constData());
}

FIBITMAP *SourceFile::load(FREE_IMAGE_FORMAT fif, int flags, qint64 offset)
{
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(fif))
        return nullptr;
    if (fif == FIF_JPEG && (flags & FIF_LOAD_NOPIXELS) != 0) {
        QByteArray header = jpegHeader(*this, offset);
        if (!header.isEmpty()) {
            FIMEMORY *memory =
                FreeImage_OpenMemory(reinterpret_cast<BYTE *>(header.data()), DWORD(header.size()));
            FIBITMAP *dib = memory ? FreeImage_LoadFromMemory(FIF_JPEG, memory, flags) : nullptr;
            FreeImage_CloseMemory(memory);
            if (dib)
                return dib;
        }
    }
    if (!seek(offset))
        return nullptr;
    return FreeImage_LoadFromHandle(fif, &m_io, m_file, flags);
}

qint64 SourceFile::readAt(qint64 offset, void *data, qint64 size) const
{
    if (!m_file || offset < 0 || size <= 0)
        return 0;
    const int fd = ::fileno(m_file);
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, static_cast<char *>(data) + done, size_t(size - done),
                                    off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

bool SourceFile::looksLike(const struct stat &other) const
{
    if (other.st_dev == m_device && other.st_ino == m_inode)
        return true;
    return qint64(other.st_size) == m_size && other.st_mtim.tv_sec == m_modified.tv_sec &&
           other.st_mtim.tv_nsec == m_modified.tv_nsec && other.st_mode == m_mode;
}
