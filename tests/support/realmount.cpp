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

constexpr long FuseMagic = 0x65735546;

QString executable(const QString &program)
{
    const QString system = QStandardPaths::findExecutable(program, {u"/usr/sbin"_s, u"/sbin"_s});
    return system.isEmpty() ? QStandardPaths::findExecutable(program) : system;
}

bool run(const QString &program, const QStringList &arguments, QString &why,
         QString *output = nullptr)
{
    QProcess process;
    process.setProgram(executable(program));
    if (process.program().isEmpty()) {
        why = program + u" is not installed"_s;
        return false;
    }
    process.setArguments(arguments);
    process.start();
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        why = program + u": "_s + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return true;
}

constexpr long OverlayMagic = 0x794c7630;

bool isMount(const QString &path)
{
    struct statfs info{};
    return ::statfs(QFile::encodeName(path).constData(), &info) == 0 &&
           (info.f_type == FuseMagic || info.f_type == OverlayMagic);
}

// The FUSE server's process: the newest process whose command line names the mount point.
qint64 serverOf(const QString &mountPoint)
{
    QString pids;
    QString why;
    if (!run(u"pgrep"_s, {u"-n"_s, u"-f"_s, QRegularExpression::escape(mountPoint)}, why, &pids))
        return 0;
    return pids.toLongLong();
}

} // namespace

const char *RealMount::name(Kind kind)
{
    switch (kind) {
    case Kind::Bind:
        return "bindfs";
    case Kind::Overlay:
        return "overlay";
    case Kind::Fat:
        return "FAT";
    case Kind::ExFat:
        return "exFAT";
    case Kind::Ntfs:
        return "NTFS";
    }
    return "";
}

std::unique_ptr<RealMount> RealMount::make(Kind kind, const QString &mountPoint,
                                           const QString &scratch, QString &why,
                                           const QString &source)
{
    if (kind != Kind::Overlay && ::access("/dev/fuse", R_OK | W_OK) != 0) {
        why = u"/dev/fuse cannot be used"_s;
        return nullptr;
    }
    QDir().mkpath(mountPoint);
    std::unique_ptr<RealMount> mount(new RealMount);
    const QString image = scratch + u"/"_s + QString::fromLatin1(name(kind)) + u".img"_s;
    const auto makeImage = [&](const QString &program, const QStringList &arguments) {
        QFile file(image);
        return file.open(QIODevice::WriteOnly) && file.resize(64 << 20) &&
               run(program, arguments + QStringList{image}, why);
    };
    bool mounted = false;
    switch (kind) {
    case Kind::Bind:
        mounted = run(u"bindfs"_s, {source, mountPoint}, why);
        break;
    case Kind::Fat:
        mounted = makeImage(u"mkfs.vfat"_s, {}) &&
                  run(u"fusefat"_s, {u"-o"_s, u"rw+"_s, image, mountPoint}, why);
        break;
    case Kind::Overlay:
        if (::geteuid() != 0) {
            why = u"an overlay needs root"_s;
            return nullptr;
        }
        mounted = QDir().mkpath(scratch + u"/lower"_s) && QDir().mkpath(scratch + u"/work"_s) &&
                  run(u"mount"_s,
                      {u"-t"_s, u"overlay"_s, u"overlay"_s, u"-o"_s,
                       u"lowerdir=%1/lower,upperdir=%2,workdir=%1/work"_s.arg(scratch, source),
                       mountPoint},
                      why);
        break;
    case Kind::ExFat: {
        if (::geteuid() != 0) {
            why = u"a loop device needs root"_s;
            return nullptr;
        }
        mounted = makeImage(u"mkfs.exfat"_s, {}) &&
                  run(u"losetup"_s, {u"-f"_s, u"--show"_s, image}, why, &mount->m_loopDevice) &&
                  run(u"mount.exfat-fuse"_s, {mount->m_loopDevice, mountPoint}, why);
        break;
    }
    case Kind::Ntfs:
        mounted = makeImage(u"mkntfs"_s, {u"-F"_s, u"-q"_s}) &&
                  run(u"ntfs-3g"_s, {image, mountPoint}, why);
        break;
    }
    mount->m_mountPoint = mountPoint;
    if (!mounted || !isMount(mountPoint)) {
        if (why.isEmpty())
            why = u"the mount did not appear"_s;
        return nullptr; // the destructor frees what was set up
    }
    if (kind != Kind::Overlay)
        mount->m_serverPid = serverOf(mountPoint);
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
