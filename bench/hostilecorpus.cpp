// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "hostilecorpus.h"

#include "testfiles.h"
#include "testpictures.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <tuple>

#include <FreeImage.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Base
{
    QString extension;
    QByteArray bytes;
};

// One valid picture of each input group the library can write, plus a DNG made by hand.
QList<Base> validPictures(int side)
{
    QTemporaryDir dir;
    QList<Base> bases;
    for (const auto &[fif, extension, flags] :
         {std::tuple(FIF_JPEG, u".jpg"_s, JPEG_QUALITYGOOD), std::tuple(FIF_PNG, u".png"_s, 0),
          std::tuple(FIF_TIFF, u".tif"_s, TIFF_LZW), std::tuple(FIF_PSD, u".psd"_s, 0),
          std::tuple(FIF_JP2, u".jp2"_s, 0), std::tuple(FIF_WEBP, u".webp"_s, 0),
          std::tuple(FIF_GIF, u".gif"_s, 0)}) {
        const QString path = dir.filePath(u"base"_s + extension);
        if (fif == FIF_GIF) {
            // GIF takes palette pictures only.
            const QString png = writeTestPicture(dir.filePath(u"gif-source.png"_s), side, side);
            FIBITMAP *source = FreeImage_Load(FIF_PNG, QFile::encodeName(png).constData());
            FIBITMAP *palette = FreeImage_ColorQuantize(source, FIQ_WUQUANT);
            FreeImage_Save(FIF_GIF, palette, QFile::encodeName(path).constData());
            FreeImage_Unload(palette);
            FreeImage_Unload(source);
        } else {
            writeTestPicture(path, side, side * 3 / 4, fif, flags);
        }
        bases.append({extension, readFileBytes(path)});
    }
    bases.append({u".dng"_s, makeTestDng(quint32(side), quint32(side * 3 / 4))});
    return bases;
}

// Replaces every 16- or 32-bit field in the first bytes that holds the picture's width or
// height, in either byte order, by a huge value.
QByteArray inflated(QByteArray bytes, int side)
{
    const qsizetype end = std::min<qsizetype>(bytes.size() - 4, 512);
    for (const int value : {side, side * 3 / 4}) {
        for (qsizetype at = 0; at < end; ++at) {
            uchar *p = reinterpret_cast<uchar *>(bytes.data()) + at;
            if (qFromBigEndian<quint32>(p) == quint32(value))
                qToBigEndian<quint32>(30000, p);
            else if (qFromLittleEndian<quint32>(p) == quint32(value))
                qToLittleEndian<quint32>(30000, p);
            else if (qFromBigEndian<quint16>(p) == quint16(value))
                qToBigEndian<quint16>(30000, p);
            else if (qFromLittleEndian<quint16>(p) == quint16(value))
                qToLittleEndian<quint16>(30000, p);
        }
    }
    return bytes;
}

} // namespace

QList<HostileFile> writeHostileCorpus(const QString &folder, int count, quint32 seed, int side)
{
    QRandomGenerator random(seed);
    const QList<Base> bases = validPictures(side);
    QList<HostileFile> written;
    for (int i = 0; i < count; ++i) {
        const Base &base = bases[i % bases.size()];
        QByteArray bytes = base.bytes;
        QString damage;
        switch ((i / bases.size()) % 5) {
        case 0: {
            const int at = random.bounded(int(bytes.size()));
            bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
            damage = u"one bit flipped at %1"_s.arg(at);
            break;
        }
        case 1:
            for (int flip = 0; flip < 16; ++flip) {
                const int at = random.bounded(int(bytes.size()));
                bytes[at] = char(random.bounded(256));
            }
            damage = u"16 bytes scrambled"_s;
            break;
        case 2: {
            const int size = random.bounded(int(bytes.size()));
            bytes.truncate(size);
            damage = u"cut to %1 bytes"_s.arg(size);
            break;
        }
        case 3:
            bytes = inflated(bytes, side);
            damage = u"claims 30000 pixels a side"_s;
            break;
        default:
            bytes.truncate(std::min<qsizetype>(bytes.size(), 64));
            damage = u"header only"_s;
            break;
        }
        const QString name = u"hostile-%1%2"_s.arg(i, 3, 10, QLatin1Char('0')).arg(base.extension);
        if (writeFileBytes(folder + u'/' + name, bytes))
            written.append({name, damage});
    }
    return written;
}
