// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

// The system calls by which the program writes the user's files and tells files apart: the real
// ones unless a test has put others in their place (Fake) to play a disk or kernel that refuses a
// call or fails it, or another process acting in between. Each reports as the call it stands for:
// its result, and errno set on failure.
// Thread: current() may be used from any thread; a Fake is made and ended only while no other
// thread works on files.
struct SystemCalls
{
    std::function<int(const char *, int, mode_t)> open =
        [](const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); };
    std::function<int(int, const char *, int, mode_t)> openat = [](int folder, const char *name,
                                                                   int flags, mode_t mode) {
        return ::openat(folder, name, flags, mode);
    };
    std::function<int(const char *, struct stat *)> stat = ::stat;
    std::function<int(int, struct stat *)> fstat = ::fstat;
    std::function<int(int, const char *, struct stat *, int)> fstatat = ::fstatat;
    std::function<ssize_t(int, const void *, size_t)> write = ::write;
    std::function<int(int)> fdatasync = ::fdatasync;
    std::function<int(int)> close = ::close;
    std::function<int(FILE *)> fclose = ::fclose;
    std::function<int(int, const char *, int, const char *)> renameat = ::renameat;
    std::function<int(int, const char *, int, const char *, unsigned)> renameat2 = ::renameat2;
    std::function<int(int, const char *, int, const char *, int)> linkat = ::linkat;
    std::function<int(int, const char *, int)> unlinkat = ::unlinkat;

    static const SystemCalls &current();

    // While alive, current() makes the calls set through it, starting from the real ones; the
    // real ones again once it ends.
    class Fake
    {
    public:
        Fake();
        ~Fake();
        Fake(const Fake &) = delete;
        Fake &operator=(const Fake &) = delete;
        SystemCalls &operator*();
        SystemCalls *operator->();
    };
};
