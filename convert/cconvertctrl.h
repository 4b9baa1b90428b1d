#pragma once

#include "convert/conversionoptions.h"
#include "convert/convertlistmodel.h"
#include "convert/convertrunwindow.h"

#include <QImage>
#include <QWidget>

#include <memory>

class BatchConverter;
class ConversionRunner;
class Preferences;
class RunProgress;
class StatusLine;
struct PreviewResult;
struct PageServices;

namespace Ui {
class CConvertCtrl;
}

// The " 1 - Convert " page: source and destination folders, which files to take, the output
// format and options, the list with its conflict marks, the preview, and the conversions.
class CConvertCtrl : public QWidget, private ConvertRunWindow
{
    Q_OBJECT

public:
    CConvertCtrl(Preferences &preferences, StatusLine &statusLine, RunProgress &runProgress,
                 const PageServices &services, QWidget *parent = nullptr);
    ~CConvertCtrl() override;

    // Page start. Returns false when the image library cannot be used: the user has been told,
    // and the program must end.
    bool initialise();

    QString sourceFolder() const { return m_sourceFolder; }
    // What the rename page takes over when its tab is chosen.
    QString destinationFolder() const { return m_destinationFolder; }
    int outputFormatIndex() const;

    // Draws the preview picture again (tab switch, window restored).
    void redrawPreview();
    // Releases the preview picture; called at shut-down.
    void clearPreview();

    // The options as the controls stand now.
    ConversionOptions options() const;
    ConvertListModel &listModel() { return m_list; }
    int placeholderAngle() const { return m_placeholderAngle; }

    // The word shown beside the JPEG quality for a percentage.
    static QString qualityWord(int percent);

private:
    // Handlers of the controls.
    void chooseSourceFolder();
    void chooseDestinationFolder();
    void viewLogFile();
    void inputFormatChanged();
    void outputFormatChanged(int index);
    void nameFilterChanged();
    void applyResizeRule();
    void replaceFilesClicked(bool checked);
    void qualityChanged(int position);
    void rawBrightnessChanged(int position);
    void sliderSettled();
    void requestPreview();
    void runDeferredPreview();
    void openSelectedSource();
    void convertImage();
    void convertAll();
    void deleteRow(int row);

    // The folder and conflict checks.
    bool checkFolders(bool sourceSide);
    void refillConvertList();
    void gatherDestinationNames();
    void markDuplicates(bool scroll);
    // announce: bring the first marked line into view and say so in the status line.
    void markCollisions(bool announce = true);
    void remarkAfterRun();

    // The preview. loadPreview asks for it; it is shown when it comes, unless the list or the
    // request changed meanwhile.
    void loadPreview(int row);
    void showLoadedPreview(int row, const PreviewResult &preview);
    void abandonPreview() { ++m_previewRequest; }
    void drawPreview();
    void drawPlaceholder(bool show);
    void rotateSelection(int degrees);

    // ConvertRunWindow
    void showCurrentRow(int row) override;
    void showStatus(const QString &text, int kind) override;
    void setViewLogEnabled(bool enabled) override;
    void clearWorkingImage() override;
    void showPlaceholder() override;
    void beep() override;
    void deselectAll() override;
    void runStarted(int total) override;
    void showProgress(int done, int total) override;
    void runFinished() override;

    Preferences &m_preferences;
    StatusLine &m_statusLine;
    RunProgress &m_runProgress;
    const PageServices &m_services;
    std::unique_ptr<Ui::CConvertCtrl> m_ui;
    ConvertListModel m_list;
    std::shared_ptr<ConversionRunner> m_runner;
    std::unique_ptr<BatchConverter> m_batch;
    QString m_sourceFolder;
    QString m_destinationFolder;
    QString m_destinationNames;
    QImage m_workingImage;
    QImage m_placeholder;
    int m_placeholderAngle = 0;
    bool m_running = false;
    bool m_previewPending = false;
    quint64 m_previewRequest = 0;     // the preview awaited; results of earlier ones are dropped
    bool m_previewOwnsStatus = false; // "Loading" shows: no conversion has written since
};
