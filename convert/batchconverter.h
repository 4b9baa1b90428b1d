#pragma once

#include "convert/conversionoptions.h"
#include "convert/imagepipeline.h"

#include <QDateTime>

#include <functional>

class ConvertListModel;
class ConvertRunWindow;

// "Convert image" and "Convert all" over the convert list: the checks around each picture,
// which lines are skipped, the run's log and what the window shows meanwhile.
class BatchConverter
{
public:
    using Converter = std::function<ConversionResult(const ConversionRequest &)>;
    using Clock = std::function<QDateTime()>;

    // The converter and the clock are injectable for tests and for running conversions
    // elsewhere; by default the picture is converted here and the clock is the local time.
    BatchConverter(ConvertListModel &list, ConvertRunWindow &window,
                   Converter converter = &ImagePipeline::convertOne,
                   Clock clock = &QDateTime::currentDateTime);

    // One row (-1: none): the folder checks, "Converting  " + name, then the picture.
    ConversionResult convertItem(int row, const ConversionOptions &options);
    // The "Convert image" button: refuses a collision line, shows the outcome.
    void convertImage(int selectedRow, const ConversionOptions &options);
    // The "Convert all" button. Returns the end text shown (empty when the list was empty).
    QString convertAll(const ConversionOptions &options);

private:
    ConvertListModel &m_list;
    ConvertRunWindow &m_window;
    Converter m_converter;
    Clock m_clock;
};
