// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "util/fileresult.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Writes a whole file so that the old one is replaced only by a complete new one: the bytes go to
// a hidden temporary file in the same folder (".pelorin-<system>-<pid>-<random>.part", so a later
// run can tell a leftover of a dead process), which is then renamed over the path. A symbolic link
// at the path is replaced itself, never followed: writing through it could change a file elsewhere.
class AtomicFile
{
public:
    static FileResult write(const QByteArray &path, const QByteArray &bytes);

    // Creates a temporary file in the folder open as folderFd; returns its descriptor (O_RDWR,
    // close-on-exec) and sets name, or -1 with errno set. The process id in the name lets a later
    // run remove what a process left when it died mid-write. tag, if any, goes just before
    // ".part": the folder probes' own ("~x", "~xé") try names that differ in case.
    static int createTemporary(int folderFd, QByteArray &name, const QByteArray &tag = {});

    // Who wrote a temporary file, as its name says.
    struct Owner
    {
        QByteArray system; // empty in the names of older versions: ".pelorin-<pid>-<random>.part"
        qint64 pid = 0;
        bool operator==(const Owner &) const = default;
    };
    // Six characters that differ between machines, boots and PID namespaces (containers,
    // sandboxes): a process id in a name means something only where they are systemToken().
    static QByteArray systemToken();
    // ".pelorin-<system>-<pid>-": how the names of process pid's temporary files begin here.
    static QByteArray temporaryPrefix(qint64 pid);
    // The owner of a name that createTemporary, or an older version, made; nothing for any other
    // name, however close.
    static std::optional<Owner> temporaryOwner(QByteArrayView name);
};
