// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/convertpreview.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QTemporaryDir>

#include <FreeImagePlus.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

PreviewRequest request(const QString &path, OutputFormat format = OutputFormat::Png,
                       int rotation = 0, bool grayscale = false, int quality = 16)
{
    return {path, QSize(200, 200), rotation, format, quality, grayscale, 4, QString()};
}

// The rectangle fits the longer side and keeps the ratio in whole percent.
TEST(Preview, FitsScalesTurnsGraysKeepsTransparencyShowsTheJpegLossesAndTellsPicturesFromOthers)
{
    const auto fit = &ConvertPreview::previewRect; // frame width and height, picture's
    EXPECT_EQ(std::tuple(fit(200, 200, 4000, 3000), fit(200, 200, 1920, 1080), fit(200, 200, 1, 1),
                         fit(217, 217, 100, 1000)),
              std::tuple(QRect(0, 25, 200, 150), QRect(0, 44, 200, 112), QRect(0, 0, 200, 200),
                         QRect(97, 0, 22, 217)));

    QTemporaryDir dir;
    const QString path = writeTestPicture(dir.filePath(u"a.png"_s), 400, 300);
    // Sixteen bits a channel, transparent in the bottom rows: the library leaves 16 bits a
    // channel in colour when asked for gray.
    fipImage rgba(FIT_RGBA16, 40, 40, 64);
    auto *pixels = reinterpret_cast<FIRGBA16 *>(rgba.accessPixels());
    for (int i = 0; i < 40 * 40; ++i)
        pixels[i] = FIRGBA16{65535, 0, 0, WORD(i < 20 * 40 ? 0 : 65535)};
    const QString deep = dir.filePath(u"deep.png"_s);
    ASSERT_TRUE(rgba.save(QFile::encodeName(deep)));
    // The white top-left corner follows the turn (a left one for positive angles), after the
    // scaling; gray weighs red and blue as the luma of Rec. 709 does.
    const QSize wide(200, 150), tall(150, 200), square(200, 200);
    for (const auto &[from, turn, gray, at, size, colour] :
         {std::tuple(path, 0, false, QPoint(5, 5), wide, qRgb(255, 255, 255)),
          std::tuple(path, 90, false, QPoint(5, 195), tall, qRgb(255, 255, 255)),
          std::tuple(path, -90, false, QPoint(145, 5), tall, qRgb(255, 255, 255)),
          std::tuple(path, 0, true, QPoint(50, 100), wide, qRgb(54, 54, 54)),
          std::tuple(path, 0, true, QPoint(150, 100), wide, qRgb(18, 18, 18)),
          std::tuple(deep, 0, false, QPoint(100, 5), square, qRgba(255, 0, 0, 255)),
          std::tuple(deep, 0, true, QPoint(100, 5), square, qRgb(54, 54, 54))})
        for (const QImage &image :
             {ConvertPreview::render(request(from, OutputFormat::Png, turn, gray)).image})
            EXPECT_EQ(std::pair(image.size(), image.pixel(at)), std::pair(size, colour))
                << from.toStdString() << turn;
    EXPECT_EQ(qAlpha(ConvertPreview::render(request(deep)).image.pixel(100, 195)), 0);

    // A large JPEG is read small, then scaled to the same rectangle.
    const QString big =
        writeTestPicture(dir.filePath(u"big.jpg"_s), 2400, 1800, FIF_JPEG, JPEG_QUALITYSUPERB);
    const QImage jpeg = ConvertPreview::render(request(big, OutputFormat::Jpeg)).image;
    // The JPEG preview shows the losses of the quality chosen.
    EXPECT_TRUE(jpeg.size() == wide && qRed(jpeg.pixel(50, 100)) > 200 &&
                qRed(jpeg.pixel(150, 100)) < 60 &&
                ConvertPreview::render(request(path, OutputFormat::Jpeg, 0, false, 0)).image !=
                    ConvertPreview::render(request(path)).image);

    // A file is a picture by its content or its name, even when it fails to load; the rename
    // page shows the load error for those and a file icon for the rest. A pipe is refused unread
    // (a picture over the budget: the worker test's huge.bmp).
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"fake.jpg"_s), "\xFF\xD8\xFF\xE0 not a JPEG"));
    writeTestPicture(dir.filePath(u"photo.txt"_s), 8, 8);
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath(u"pipe.png"_s)).constData(), 0600), 0);
    // clang-format off
    const std::tuple<QString, bool, bool, QString> files[] = {
        {u"fake.jpg"_s, false, true, {}}, {u"missing.png"_s, false, false, qt_error_string(ENOENT)},
        {u"photo.txt"_s, true, true, {}},
        {u"pipe.png"_s, false, false, u"not a regular file (a pipe, device or socket)"_s}};
    // clang-format on
    for (const auto &[name, loaded, recognised, why] : files)
        for (const PreviewResult &r : {ConvertPreview::render(request(dir.filePath(name)))})
            EXPECT_EQ(std::tuple(r.loaded, r.recognised, why.isEmpty() ? why : r.libraryMessage),
                      std::tuple(loaded, recognised, why))
                << name.toStdString();
}

} // namespace
