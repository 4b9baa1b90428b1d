// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/convertpreview.h"
#include "imaging/imagepipeline.h"
#include "rename/takendate.h"

#include <QByteArray>
#include <QString>

// The messages between the window and a pelorin-worker process, over the worker's standard input
// and output: one request, then exactly one reply, or none when the worker dies on it. A dates
// request is answered in parts, in the order of its names, each as soon as it is read, so that
// the window knows which file a worker died on.
// A frame is a 32-bit big-endian length, then that many bytes written by QDataStream (Qt 6.0
// layout): the version byte, the kind byte, then the fields of that kind.
// Thread: any; no state.
class WorkerProtocol
{
public:
    static constexpr quint8 Version = 6;
    // Far above any real message (a preview image is a few hundred kilobytes); a larger length
    // is a damaged stream, never something to buffer.
    static constexpr quint32 MaxFrameBytes = 256u * 1024 * 1024;

    enum class Kind : quint8
    {
        Invalid = 0,
        // Requests.
        Convert = 1,
        Preview = 2,
        Dates = 3,
        // Replies.
        ConversionReply = 101,
        PreviewReply = 102,
        TextReply = 103, // no result: a refused request
        DatesReply = 104,
    };

    static QByteArray convertRequest(const ConversionRequest &request);
    static QByteArray previewRequest(const PreviewRequest &request);
    static QByteArray conversionReply(const ConversionResult &result);
    static QByteArray previewReply(const PreviewResult &result);
    static QByteArray textReply(const QString &text);
    // The dates of the names, in parts of at most partSize (1: each date as soon as it is read);
    // a reply holds the dates of the names from its index first on.
    static QByteArray datesRequest(const QString &folder, const QStringList &names, int partSize);
    static QByteArray datesReply(int first, const QList<TakenDate> &dates);

    enum class FrameStatus
    {
        Incomplete,
        Complete,
        Invalid, // a length beyond MaxFrameBytes: the stream cannot be trusted any more
    };
    // Moves the first whole frame's payload from buffer into payload.
    static FrameStatus takeFrame(QByteArray &buffer, QByteArray &payload);

    struct Message
    {
        Kind kind = Kind::Invalid; // Invalid: damaged, cut short or of another version
        bool otherVersion = false;
        ConversionRequest conversionRequest;
        PreviewRequest previewRequest;
        ConversionResult conversionResult;
        PreviewResult previewResult;
        QString text;
        QString folder;
        QStringList names;
        int partSize = 1;
        int first = 0;
        QList<TakenDate> dates;
    };
    // Never trusts the payload: every count and size is checked against what is there.
    static Message decode(const QByteArray &payload);
};
