// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "convert/convertlistmodel.h"
#include "imaging/conversionoptions.h"
#include "imaging/convertpreview.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <functional>
#include <memory>

class BatchConverter;
class ConversionRunner;
class Preferences;

// What the convert page does, without a widget: the two folders and their checks, the list and
// its marks, the preview of the selected line, and the conversions. A view hands it the user's
// actions (with the row selected at that moment) and shows what the signals tell, in the order
// they come. Conversions run as jobs: convertImage() and convertAll() return at once and end
// with conversionFinished().
class ConvertSession : public QObject
{
    Q_OBJECT

public:
    using PreviewDone = ConvertPreview::Done;
    using PreviewService = ConvertPreview::Service;

    // runner: where pictures are converted, in this process when null; preview: in this process
    // when empty.
    ConvertSession(const Preferences &preferences, std::shared_ptr<ConversionRunner> runner,
                   PreviewService preview, QObject *parent = nullptr);
    // A conversion still going on is stopped and forgotten; nothing is reported any more.
    ~ConvertSession() override;

    QString sourceFolder() const { return m_sourceFolder; }
    QString destinationFolder() const { return m_destinationFolder; }
    ConvertListModel &list() { return m_list; }
    const ConvertListModel &list() const { return m_list; }
    // The options as the view last set them, with the folders and the RAW extensions.
    ConversionOptions options() const;
    int placeholderAngle() const { return m_placeholderAngle; }
    // Whether a conversion of one picture or of all goes on; isConvertingAll(): a "Convert all".
    bool isConverting() const;
    bool isConvertingAll() const;
    // The log of the destination folder when it exists, else empty.
    QString existingLogPath() const;

    // What the view tells of itself: its controls' values (the folders in it are ignored), the
    // picture placeholder, the preview frame's size, whether the page can be seen.
    void setOptions(const ConversionOptions &options) { m_settings = options; }
    void setPlaceholder(const QImage &placeholder) { m_placeholder = placeholder; }
    void setFrameSize(QSize size) { m_frameSize = size; }
    void setPageShown(bool shown) { m_pageShown = shown; }
    // How long the pictures in flight may take to finish after Stop; 2 s unless set.
    void setStopGrace(int milliseconds);

    // While pictures are converted the list stays as it is: the calls below that would change
    // it (up to deleteRow) do nothing then.

    // The source chooser opens: the list empties, whatever is chosen.
    void clearList();
    // A folder the chooser gave (the old one when it was cancelled); empty does nothing.
    void chooseSourceFolder(const QString &folder);
    void chooseDestinationFolder(const QString &folder);
    // group: an index of the input format choice.
    void chooseInputGroup(int group);
    void setNameFilter(const QString &filter);
    // After setOptions() with the new choice.
    void outputFormatChanged(int selectedRow);
    void replaceFilesChanged();
    // Removes the line (the file stays); returns the row to select next, or -1.
    int deleteRow(int row);

    // The preview of a row (-1: none), asked now; it shows when it comes, unless stale.
    void loadPreview(int row);
    void redrawPreview();
    // The placeholder, turned by its angle; at page start.
    void showPlaceholder() { drawPlaceholder(true); }
    void clearPreview();
    void rotate(int selectedRow, int degrees);

    void convertImage(int selectedRow);
    void convertAll();

public Q_SLOTS:
    // Stops a conversion after the grace; a destination that does not answer is left within
    // a second.
    void stop();

Q_SIGNALS:
    // A status-line text with its LineStatus kind; an empty Standard text clears the line.
    void statusShown(const QString &text, int kind);
    void beep();
    void sourceFolderShown(const QString &folder);
    void destinationFolderShown(const QString &folder);
    void countChanged(int count);
    void rowBroughtIntoView(int row);
    // The preview frame: a picture, the placeholder (both as they are to be drawn), or blank.
    void pictureShown(const QImage &picture);
    void placeholderShown(const QImage &placeholder);
    void frameBlanked();
    // The RAW brightness applies to the picture previewed.
    void rawBrightnessApplies(bool applies);
    // A picture, or the placeholder, was turned: its angle now, counterclockwise as the image
    // library counts, from 0 to 270.
    void turnedTo(int degrees);

    // A conversion: started, then for "Convert all" the run's progress, its rows and the log.
    void conversionStarted();
    void runStarted(int total);
    void progressChanged(int done, int total);
    void currentRowShown(int row);
    void runEnded();
    void viewLogEnabled(bool enabled);
    void allDeselected();
    // The last word of every convertImage() and convertAll(), after the marks are renewed.
    void conversionFinished(const QString &endText);

private:
    bool checkFolders(bool sourceSide);
    void refillConvertList();
    void gatherDestinationNames();
    void markDuplicates(bool scroll);
    // announce: bring the first marked line into view and say so in the status line.
    void markCollisions(bool announce = true);
    // The destination read again after a conversion, on the batch's thread.
    std::function<std::function<void()>()> rescanAfterRun();
    void showStatus(const QString &text, int kind);
    void showMessage(int stringId, int kind);
    void clearStatus();

    void showLoadedPreview(int row, const PreviewResult &preview);
    void abandonPreview() { ++m_previewRequest; }
    void drawPreview();
    void drawPlaceholder(bool show);

    const Preferences &m_preferences;
    std::shared_ptr<ConversionRunner> m_runner;
    PreviewService m_preview;
    ConvertListModel m_list;
    std::unique_ptr<BatchConverter> m_batch;
    ConversionOptions m_settings;
    QString m_sourceFolder;
    QString m_destinationFolder;
    QString m_destinationNames;
    QString m_nameFilter;
    int m_inputGroup = 0;
    QSize m_frameSize;
    bool m_pageShown = true;
    QImage m_workingImage;
    QImage m_placeholder;
    int m_placeholderAngle = 0;
    quint64 m_previewRequest = 0;     // the preview awaited; results of earlier ones are dropped
    bool m_previewOwnsStatus = false; // "Loading" shows: no conversion has written since
};
