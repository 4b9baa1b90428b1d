#pragma once

#include "convert/conversionoptions.h"
#include "convert/imagepipeline.h"

#include <QDateTime>
#include <QTimer>

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
    // once every picture started is done or stopped.
    QString convertAll(const ConversionOptions &options);
    // Stops a running "Convert all": no further picture starts, and the runner ends those still
    // in flight after the grace; the run then ends at once.
    void requestStop();
    // How long the pictures in flight may take to finish after a stop; 2 s unless set.
    void setStopGrace(int milliseconds) { m_stopGraceMs = milliseconds; }

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
    bool m_running = false;
    bool m_stopRequested = false;
    int m_stopGraceMs = 2000;
    QTimer m_stopGrace;
};
