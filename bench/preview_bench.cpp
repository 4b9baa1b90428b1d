// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Times the convert page's preview of large pictures: how long from a selected line to the
// picture the frame shows, with the page's usual options (JPEG output, quality 80 %).
#include "benchpicture.h"
#include "imaging/convertpreview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int rounds = 5;
    std::printf("%-12s %-9s %12s %12s\n", "picture", "output", "ms (best)", "ms (mean)");
    for (const QSize size : {QSize(6000, 4000), QSize(4000, 6000), QSize(8000, 6000)}) {
        const QString path =
            dir.filePath(QStringLiteral("picture-%1x%2.jpg").arg(size.width()).arg(size.height()));
        writeBenchPicture(path, size.width(), size.height(), 1);
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
