#include "convert/batchconverter.h"

#include "convert/conversionlog.h"
#include "convert/conversionplan.h"
#include "convert/convertlistmodel.h"
#include "convert/convertrunwindow.h"
#include "convert/librarymessages.h"
#include "convert/pathutil.h"
#include "prefs/linestatus.h"
#include "resources/stringtable.h"

#include <QCursor>
#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString EndOfConversion = u"End of conversion!"_s;

// The wait cursor for the length of one picture, put back whatever happens.
class WaitCursor
{
public:
    WaitCursor()
        : m_active(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_active)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_active;
};

} // namespace

BatchConverter::BatchConverter(ConvertListModel &list, ConvertRunWindow &window,
                               Converter converter, Clock clock)
    : m_list(list)
    , m_window(window)
    , m_converter(std::move(converter))
    , m_clock(std::move(clock))
{}

ConversionResult BatchConverter::convertItem(int row, const ConversionOptions &options)
{
    ConversionResult result;
    if (row < 0 || row >= m_list.count()) {
        result.resultMessage = u"Choose an image to convert."_s;
        return result;
    }
    if (options.sourceFolder.isEmpty() || options.destinationFolder.isEmpty() ||
        options.sourceFolder == options.destinationFolder) {
        result.resultMessage = loadString(FoldersMustDiffer);
        return result;
    }
    const WaitCursor waitCursor;
    const QString name = m_list.text(row);
    m_window.showStatus(u"Converting  "_s + name, Standard);

    ConversionRequest request;
    request.sourcePath = PathUtil::append(options.sourceFolder, name);
    request.destinationPath = ConversionPlan::destinationPath(
        options.destinationFolder, name, outputExtension(options.outputFormat));
    request.options = options;
    request.rotation = m_list.rotation(row);
    return m_converter(request);
}

void BatchConverter::convertImage(int selectedRow, const ConversionOptions &options)
{
    if (m_list.flags(selectedRow) & CollisionError) {
        m_window.showStatus(loadString(ConversionNotDone), CollisionError);
        m_window.beep();
        return;
    }
    const ConversionResult result = convertItem(selectedRow, options);
    if (!result.ok)
        m_window.clearWorkingImage();
    m_window.showStatus(result.resultMessage, result.ok ? Standard : OtherError);
}

QString BatchConverter::convertAll(const ConversionOptions &options)
{
    if (m_list.count() == 0)
        return QString();
    m_window.setViewLogEnabled(false);

    QString runLog;
    bool skipped = false;
    // The count is read anew on every step: the list may only shrink, never grow, meanwhile.
    for (int row = 0; row < m_list.count(); ++row) {
        LibraryMessages::clear();
        const QString name = m_list.text(row);
        const int flags = m_list.flags(row);
        if (flags & DuplicateError) {
            skipped = true;
            runLog += name + u" : ignored (duplicates)\r\n"_s;
            continue;
        }
        if (!options.replaceFiles && (flags & CollisionError)) {
            skipped = true;
            runLog += name + u" : ignored (conflict with destination)\r\n"_s;
            continue;
        }
        m_window.showCurrentRow(row);
        const ConversionResult result = convertItem(row, options);
        if (result.ok) {
            runLog += name + u" : conversion OK\r\n"_s;
            continue;
        }
        skipped = true;
        const QString line = name + u" : "_s + result.resultMessage;
        m_window.showStatus(line, OtherError);
        m_window.clearWorkingImage();
        if (m_list.flags(row) & FileTypeError)
            runLog += name + u" : File error >>> "_s + result.libraryMessage + u"\r\n"_s;
        else
            runLog += line + u"\r\n"_s;
    }

    ConversionLog::write(options.outputFormat, options.sourceFolder, options.destinationFolder,
                         runLog, m_clock());
    m_window.setViewLogEnabled(true);
    m_window.showPlaceholder();
    m_window.beep();
    const QString endText =
        EndOfConversion + (skipped ? u" : Files have been skipped (see log)."_s : u"."_s);
    m_window.showStatus(endText, Standard);
    m_window.deselectAll();
    return endText;
}
