// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "convert/conversionoptions.h"
#include "convert/conversionrunner.h"
#include "convert/imagepipeline.h"
#include "convert/waitcursor.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

class ConvertListModel;

// "Convert image" and "Convert all" over the convert list: the checks around each picture,
// which lines are skipped, the run's log and what the window shows meanwhile, told through the
// signals in the order the user sees it. The pictures themselves are converted by a
// ConversionRunner, as many at once as it takes; the log keeps the list order whatever order
// they finish in. Both calls return at once and end with finished(), exactly once; a call made
// while a conversion goes on is ignored. The list must not change meanwhile.
class BatchConverter : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    // The list and the runner must outlive the converter.
    BatchConverter(ConvertListModel &list, ConversionRunner &runner,
                   Clock clock = &QDateTime::currentDateTime, QObject *parent = nullptr);
    // Conversions still in flight are let go: their ends are never seen.
    ~BatchConverter() override;

    // The "Convert image" button: refuses a collision line, converts the row (-1: none) and
    // shows the outcome.
    void convertImage(int selectedRow, const ConversionOptions &options);
    // The "Convert all" button; finished() gives the end text shown (empty when the list was
    // empty) once every picture started is done or stopped.
    void convertAll(const ConversionOptions &options);
    // Stops a running "Convert all": no further picture starts, and the runner ends those still
    // in flight after the grace; the run then ends at once.
    void requestStop();
    // How long the pictures in flight may take to finish after a stop; 2 s unless set.
    void setStopGrace(int milliseconds) { m_stopGraceMs = milliseconds; }

    // A conversion of one picture or of all goes on.
    bool isBusy() const { return m_kind != Kind::None; }
    bool isConvertingAll() const { return m_kind == Kind::All; }

Q_SIGNALS:
    // Select the row alone with the focus and draw it at once: the picture being converted.
    void currentRowShown(int row);
    // A status-line text with its LineStatus kind.
    void statusShown(const QString &text, int kind);
    void viewLogEnabled(bool enabled);
    // A failed conversion empties the picture in the preview.
    void workingImageCleared();
    void placeholderWanted();
    void beep();
    void allDeselected();
    // A "Convert all" run shows its progress between these two.
    void runStarted(int total);
    void progressChanged(int done, int total);
    void runEnded();
    // Pictures are being converted: from here until finished().
    void busy();
    // The last word of every convertImage() and convertAll(), once all is shown.
    void finished(const QString &endText);

private:
    enum class Kind
    {
        None,
        Image,
        All
    };

    // The checks before a picture: no row, missing or equal folders. On success shows
    // "Converting  " + name and fills request; otherwise fills failure.
    bool foldersAreOne() const;
    bool prepare(int row, ConversionRequest &request, ConversionResult &failure);
    void imageDone(const ConversionResult &result);
    void dispatch();
    void pictureDone(int row, const ConversionResult &result);
    void record(int row, const ConversionResult &result);
    void endRun();
    ConversionRunner::Finished callback();

    ConvertListModel &m_list;
    ConversionRunner &m_runner;
    Clock m_clock;
    Kind m_kind = Kind::None;
    bool m_stopRequested = false;
    int m_stopGraceMs = 2000;
    QTimer m_stopGrace;
    std::optional<WaitCursor> m_waitCursor;

    // The run going on.
    ConversionOptions m_options;
    QStringList m_lines; // one per row, filled in whatever order the pictures finish
    bool m_skipped = false;
    bool m_dispatching = false;
    int m_total = 0;
    int m_next = 0;
    int m_inFlight = 0;
    int m_done = 0;
};
