// The full run over damaged pictures: writes as many as asked, converts them all through the
// worker processes as "Convert all" does, and tells how each ended. Not part of the test suite:
// a few thousand pictures take minutes.
// Usage: hostile_run [count] [seed] [folder]
//   folder: where to write the damaged pictures and keep them (default: a temporary folder)
#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/convertlistmodel.h"
#include "convert/nullrunwindow.h"
#include "convert/workerclient.h"
#include "convert/workerpool.h"
#include "hostilecorpus.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

class ProgressWindow : public NullRunWindow
{
public:
    void showProgress(int done, int total) override
    {
        if (done % 100 == 0 || done == total)
            std::fprintf(stderr, "\r%d / %d", done, total);
    }
    void runFinished() override { std::fprintf(stderr, "\n"); }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const quint32 seed = argc > 2 ? quint32(std::strtoul(argv[2], nullptr, 10)) : 1;
    QTemporaryDir temporary;
    const QString source = argc > 3 ? QString::fromLocal8Bit(argv[3]) : temporary.path();
    QDir().mkpath(source);
    QTemporaryDir destination;
    const QList<HostileFile> corpus = writeHostileCorpus(source, count, seed);
    QStringList names;
    for (const HostileFile &file : corpus)
        names.append(file.name);

    ConvertListModel list;
    list.setNames(names);
    ProgressWindow window;
    WorkerPool pool;
    BatchConverter batch(list, window, pool);
    ConversionOptions options;
    options.sourceFolder = source;
    options.destinationFolder = destination.path();
    QElapsedTimer timer;
    timer.start();
    batch.convertAll(options);
    const double seconds = timer.elapsed() / 1000.0;

    QFile log(ConversionLog::path(destination.path()));
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no log written\n");
        return 1;
    }
    QHash<QString, int> outcomes;
    int lines = 0;
    for (const QString &line : QString::fromUtf8(log.readAll()).split(u"\r\n"_s)) {
        if (!line.startsWith(u"hostile-"_s))
            continue;
        ++lines;
        QString outcome = line.section(u" : "_s, 1);
        if (outcome.startsWith(u"Original image error"_s))
            outcome = u"Original image error"_s;
        else if (outcome.startsWith(u"the picture is too large"_s))
            outcome = u"the picture is too large to convert"_s;
        ++outcomes[outcome];
    }
    const int partial = int(
        QDir(destination.path()).entryList({u".pelorin-*"_s}, QDir::Files | QDir::Hidden).size());
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);

    std::printf("%d damaged pictures, %d log lines, %d partial files left\n", int(corpus.size()),
                lines, partial);
    for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
        std::printf("%6d  %s\n", it.value(), qPrintable(it.key()));
    std::printf("%.1f s in all, %.1f ms a picture; largest worker %ld MiB\n", seconds,
                1000.0 * seconds / std::max<qsizetype>(1, corpus.size()), usage.ru_maxrss / 1024);
    return lines == corpus.size() && partial == 0 ? 0 : 1;
}
