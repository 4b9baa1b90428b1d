#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/convertlistmodel.h"
#include "convert/nullrunwindow.h"
#include "convert/workerpool.h"
#include "hostilecorpus.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class CountingWindow : public NullRunWindow
{
public:
    void showProgress(int done, int) override { lastDone = done; }

    int lastDone = 0;
};

// Damaged pictures of every kind go through "Convert all" in worker processes: the run ends,
// every picture has its line in the log, and no partial file is left behind.
TEST(HostileCorpus, ConvertAllSurvivesDamagedPicturesOfEveryKind)
{
    QTemporaryDir source;
    QTemporaryDir destination;
    const QList<HostileFile> corpus = writeHostileCorpus(source.path(), 48, 20261206);
    ASSERT_EQ(corpus.size(), 48);

    QStringList names;
    for (const HostileFile &file : corpus)
        names.append(file.name);
    ConvertListModel list;
    list.setNames(names);
    CountingWindow window;
    WorkerClient::Limits limits;
    limits.itemTimeoutMs = 20'000;
    limits.cpuSecondsPerItem = 15;
    WorkerPool pool(2, limits);
    BatchConverter batch(list, window, pool);
    ConversionOptions options;
    options.sourceFolder = source.path();
    options.destinationFolder = destination.path();

    EXPECT_FALSE(batch.convertAll(options).isEmpty());
    EXPECT_EQ(window.lastDone, int(names.size()));

    QFile log(ConversionLog::path(destination.path()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    for (const HostileFile &file : corpus)
        EXPECT_TRUE(text.contains(u"\r\n"_s + file.name + u" : "_s))
            << file.name.toStdString() << " (" << file.damage.toStdString() << ")";
    EXPECT_EQ(text.count(u"\r\nhostile-"_s), names.size());

    const QStringList left =
        QDir(destination.path()).entryList({u".pelorin-*"_s}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << left.join(u", "_s).toStdString();
}

} // namespace
