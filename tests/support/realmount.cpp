// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "realmount.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <sys/statfs.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr long FuseMagic = 0x65735546, OverlayMagic = 0x794c7630;

bool run(const QString &program, const QStringList &arguments, QString &why,
         QString *output = nullptr)
{
    QProcess process;
    const QString system = QStandardPaths::findExecutable(program, {u"/usr/sbin"_s, u"/sbin"_s});
    process.setProgram(system.isEmpty() ? QStandardPaths::findExecutable(program) : system);
    process.setArguments(arguments);
    if (process.program().isEmpty()) {
        why = program + u" is not installed"_s;
        return false;
    }
    process.start();
    const bool ran = process.waitForFinished(60'000) &&
                     process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    why = program + u": "_s + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return ran;
}

bool isMount(const QString &path)
{
    struct statfs info{};
    return ::statfs(QFile::encodeName(path).constData(), &info) == 0 &&
           (info.f_type == FuseMagic || info.f_type == OverlayMagic);
}

} // namespace

const char *RealMount::name(Kind kind)
{
    static const char *const Names[] = {"bindfs", "overlay", "FAT", "exFAT", "NTFS"};
    return Names[int(kind)];
}

std::unique_ptr<RealMount> RealMount::make(Kind kind, const QString &mountPoint,
                                           const QString &scratch, QString &why,
                                           const QString &source)
{
    if ((kind == Kind::Overlay || kind == Kind::ExFat) && ::geteuid() != 0)
        why = u"an overlay or a loop device needs root"_s;
    else if (kind != Kind::Overlay && ::access("/dev/fuse", R_OK | W_OK) != 0)
        why = u"/dev/fuse cannot be used"_s;
    if (!why.isEmpty())
        return nullptr;
    QDir().mkpath(mountPoint);
    std::unique_ptr<RealMount> mount(new RealMount);
    mount->m_mountPoint = mountPoint;
    const QString image = scratch + u"/"_s + QString::fromLatin1(name(kind)) + u".img"_s;
    QFile file(image);
    const auto formatted = [&](const QString &program, QStringList options) {
        return file.open(QIODevice::WriteOnly) && file.resize(64 << 20) &&
               run(program, options << image, why);
    };
    const bool mounted = [&] {
        switch (kind) {
        case Kind::Bind:
            return run(u"bindfs"_s, {source, mountPoint}, why);
        case Kind::Overlay:
            return QDir().mkpath(scratch + u"/lower"_s) && QDir().mkpath(scratch + u"/work"_s) &&
                   run(u"mount"_s,
                       {u"-t"_s, u"overlay"_s, u"overlay"_s, u"-o"_s,
                        u"lowerdir=%1/lower,upperdir=%2,workdir=%1/work"_s.arg(scratch, source),
                        mountPoint},
                       why);
        case Kind::Fat:
            return formatted(u"mkfs.vfat"_s, {}) &&
                   run(u"fusefat"_s, {u"-o"_s, u"rw+"_s, image, mountPoint}, why);
        case Kind::ExFat:
            return formatted(u"mkfs.exfat"_s, {}) &&
                   run(u"losetup"_s, {u"-f"_s, u"--show"_s, image}, why, &mount->m_loopDevice) &&
                   run(u"mount.exfat-fuse"_s, {mount->m_loopDevice, mountPoint}, why);
        case Kind::Ntfs:
            return formatted(u"mkntfs"_s, {u"-F"_s, u"-q"_s}) &&
                   run(u"ntfs-3g"_s, {image, mountPoint}, why);
        }
        return false;
    }();
    if (!mounted || !isMount(mountPoint)) {
        why = mounted ? u"the mount did not appear"_s : why;
        return nullptr; // the destructor frees what was set up
    }
    // The FUSE server: the newest process whose command line names the mount point.
    QString pid;
    if (kind != Kind::Overlay &&
        run(u"pgrep"_s, {u"-n"_s, u"-f"_s, QRegularExpression::escape(mountPoint)}, why, &pid))
        mount->m_serverPid = pid.toLongLong();
    return mount;
}

RealMount::~RealMount()
{
    QString why;
    if (isMount(m_mountPoint) && !run(u"fusermount3"_s, {u"-u"_s, u"-z"_s, m_mountPoint}, why))
        run(u"umount"_s, {u"-l"_s, m_mountPoint}, why);
    if (!m_loopDevice.isEmpty())
        run(u"losetup"_s, {u"-d"_s, m_loopDevice}, why);
}
