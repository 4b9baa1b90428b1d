#pragma once

#include "convert/conversionoptions.h"
#include "convert/imagepipeline.h"

#include <QDateTime>

#include <functional>

class ConversionRunner;
class ConvertListModel;
class ConvertRunWindow;

// "Convert image" and "Convert all" over the convert list: the checks around each picture,
// which lines are skipped, the run's log and what the window shows meanwhile. The pictures
// themselves are converted by a ConversionRunner, as many at once as it takes; the log keeps
// the list order whatever order they finish in.
class BatchConverter
{
public:
    using Clock = std::function<QDateTime()>;

    // The runner and the window must outlive the converter.
    BatchConverter(ConvertListModel &list, ConvertRunWindow &window, ConversionRunner &runner,
                   Clock clock = &QDateTime::currentDateTime);

    // The "Convert image" button: refuses a collision line, converts the row (-1: none) and
    // shows the outcome. Returns once the picture is done.
    void convertImage(int selectedRow, const ConversionOptions &options);
    // The "Convert all" button. Returns the end text shown (empty when the list was empty),
    // once every picture started is done.
    QString convertAll(const ConversionOptions &options);
    // Asks a running "Convert all" to start no further picture; those in flight finish.
    void requestStop() { m_stopRequested = true; }

private:
    // The checks before a picture: no row, missing or equal folders. On success shows
    // "Converting  " + name and fills request; otherwise fills failure.
    bool prepare(int row, const ConversionOptions &options, ConversionRequest &request,
                 ConversionResult &failure);
    ConversionResult convertOne(const ConversionRequest &request);

    ConvertListModel &m_list;
    ConvertRunWindow &m_window;
    ConversionRunner &m_runner;
    Clock m_clock;
    bool m_stopRequested = false;
};
