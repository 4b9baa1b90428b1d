// Times the convert page's preview of large pictures: how long from a selected line to the
// picture the frame shows, with the page's usual options (JPEG output, quality 80 %).
#include "convert/convertpreview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <FreeImage.h>

#include <cstdio>

namespace {

QString makeJpeg(const QTemporaryDir &dir, int width, int height)
{
    FIBITMAP *dib = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE *line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < width; ++x) {
            line[x * 3 + FI_RGBA_RED] = BYTE(x * 255 / width);
            line[x * 3 + FI_RGBA_GREEN] = BYTE(y * 255 / height);
            line[x * 3 + FI_RGBA_BLUE] = BYTE((x ^ y) & 0xFF);
        }
    }
    const QString path = dir.filePath(QStringLiteral("picture-%1x%2.jpg").arg(width).arg(height));
    FreeImage_Save(FIF_JPEG, dib, QFile::encodeName(path).constData(), JPEG_QUALITYGOOD);
    FreeImage_Unload(dib);
    return path;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int rounds = 5;
    std::printf("%-12s %-9s %12s %12s\n", "picture", "output", "ms (best)", "ms (mean)");
    for (const QSize size : {QSize(6000, 4000), QSize(4000, 6000), QSize(8000, 6000)}) {
        const QString path = makeJpeg(dir, size.width(), size.height());
        for (const OutputFormat format : {OutputFormat::Jpeg, OutputFormat::Png}) {
            PreviewRequest request;
            request.sourcePath = path;
            request.frame = QSize(217, 217); // the convert page's frame
            request.outputFormat = format;
            qint64 best = -1, total = 0;
            for (int round = 0; round < rounds; ++round) {
                QElapsedTimer timer;
                timer.start();
                const PreviewResult result = ConvertPreview::render(request);
                const qint64 elapsed = timer.elapsed();
                if (!result.loaded) {
                    std::fprintf(stderr, "not loaded: %s\n", qPrintable(path));
                    return 1;
                }
                total += elapsed;
                best = best < 0 ? elapsed : std::min(best, elapsed);
            }
            std::printf("%5dx%-6d %-9s %12lld %12lld\n", size.width(), size.height(),
                        format == OutputFormat::Jpeg ? "JPEG" : "PNG", best, total / rounds);
        }
    }
    return 0;
}
