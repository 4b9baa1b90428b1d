// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/crenumctrl.h"

#include "prefs/preferences.h"
#include "rename/newnamegenerator.h"
#include "rename/renamesession.h"
#include "strings/stringtable.h"
#include "ui_crenumctrl.h"
#include "widgets/folderdrop.h"
#include "widgets/layoutscale.h"
#include "widgets/messagebox.h"
#include "widgets/pageservices.h"
#include "widgets/statusline.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QShortcut>

using namespace Qt::Literals::StringLiterals;

CRenumCtrl::CRenumCtrl(Preferences &preferences, StatusLine &statusLine,
                       const PageServices &services, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_statusLine(statusLine)
    , m_services(services)
    , m_ui(std::make_unique<Ui::CRenumCtrl>())
    , m_session(
          std::make_unique<RenameSession>(preferences, services.renderPreview, services.readDates))
{
    m_ui->setupUi(this);
    setObjectName(u"renamePage"_s);

    m_ui->folderButton->setIcon(QFileIconProvider().icon(QFileIconProvider::Folder));
    m_ui->folderButton->setText(QString());
    m_ui->folderButton->setAccessibleName(loadString(ChooseRenameFolder));
    m_ui->folderButton->setToolTip(loadString(ChooseRenameFolder));
    m_ui->fileCountLabel->setTitle(m_ui->fileCountTitle->text());
    // Room for a large count and a large file's size.
    LayoutScale::reserve(m_ui->fileCountLabel, {u"99999"_s});
    LayoutScale::reserve(m_ui->fileSizeLabel, {QLocale::system().toString(99999.99, 'f', 2) +
                                               loadString(KilobyteSuffix)});
    showOwnFolderControls(false);

    m_ui->renameList->attach(m_session->list(), m_preferences);
    m_ui->filterEdit->setText(u"*.*"_s);
    m_ui->digitsSpin->setRange(1, NewNameGenerator::MaximumDigits);
    m_ui->digitsSpin->setValue(1);
    // Digits only: a number validator would take a minus sign.
    m_ui->startEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(u"[0-9]*"_s), this));
    m_ui->renumberButton->setEnabled(false);
    m_ui->undoButton->setText(loadString(UndoButton));
    m_ui->undoButton->setAccessibleName(loadString(UndoButton));
    m_ui->undoButton->setToolTip(loadString(UndoTooltip));
    // While the focus is on the page; a text field takes the key for its own undo. Not the
    // button's own shortcut, which would click only after its animation.
    auto *undoKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    undoKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(undoKey, &QShortcut::activated, m_ui->undoButton, &QPushButton::click);
    m_ui->undoButton->setEnabled(false);

    connect(m_ui->folderButton, &QPushButton::clicked, this, &CRenumCtrl::chooseFolder);
    // Anywhere on the page; the list's own drag of rows is no drag of links.
    FolderDrop::install(this, [this](const QString &folder) { listOwnFolder(folder); });
    m_closeToInput.setSingleShot(true);
    m_closeToInput.setInterval(250);
    connect(&m_closeToInput, &QTimer::timeout, this, &CRenumCtrl::closeToInput);
    connectSession();
    m_ui->startEdit->setText(u"1"_s);
}

CRenumCtrl::~CRenumCtrl() = default;

void CRenumCtrl::connectSession()
{
    RenameSession *session = m_session.get();
    CRenameLvCtrl *list = m_ui->renameList;
    connect(m_ui->baseNameEdit, &QLineEdit::textChanged, session, &RenameSession::setBaseName);
    connect(m_ui->startEdit, &QLineEdit::textChanged, session, &RenameSession::setStartText);
    connect(m_ui->digitsSpin, &QSpinBox::valueChanged, session, &RenameSession::setDigitCount);
    connect(m_ui->renumberButton, &QPushButton::clicked, session, &RenameSession::renumber);
    connect(m_ui->undoButton, &QPushButton::clicked, session, &RenameSession::undo);
    connect(list, &CRenameLvCtrl::sortRequested, session, &RenameSession::sortBy);
    connect(list, &CRenameLvCtrl::moveRequested, this, [this, list](int row, int step) {
        // The selection moves with the row.
        const int target = m_session->moveRowBy(row, step);
        if (target >= 0)
            list->scrollTo(m_session->list().index(target, 0));
    });
    connect(list, &CRenameLvCtrl::dragStarted, session, &RenameSession::beginDrag);
    connect(list, &CRenameLvCtrl::rowDragged, session, &RenameSession::dragRow);
    connect(list, &CRenameLvCtrl::dropped, session, &RenameSession::drop);
    connect(list, &CRenameLvCtrl::removeRequested, session, &RenameSession::removeRow);
    connect(list, &CRenameLvCtrl::rowActivated, this, &CRenumCtrl::requestPreview);
    connect(list, &CRenameLvCtrl::selectionMoved, this, &CRenumCtrl::showFileSize);

    connect(session, &RenameSession::statusShown, &m_statusLine, &StatusLine::showRenameText);
    connect(session, &RenameSession::statusSpoken, &m_statusLine, &StatusLine::speakLine);
    connect(session, &RenameSession::messageShown, this, [this](const QString &text) {
        if (m_services.showMessage)
            m_services.showMessage(text);
    });
    connect(session, &RenameSession::beep, this, [] { MessageBox::beep(); });
    connect(session, &RenameSession::busyChanged, this, &CRenumCtrl::setBusy);
    connect(session, &RenameSession::countChanged, this,
            [this](int count) { m_ui->fileCountLabel->setLiveText(QString::number(count)); });
    connect(session, &RenameSession::listed, list, [list] {
        list->horizontalHeader()->viewport()->update();
        list->fitColumns();
    });
    connect(session, &RenameSession::digitsShown, this, &CRenumCtrl::showDigits);
    connect(session, &RenameSession::baseNameShown, this, [this](const QString &baseName) {
        const QSignalBlocker quiet(m_ui->baseNameEdit);
        m_ui->baseNameEdit->setText(baseName);
    });
    connect(session, &RenameSession::renumberEnabledChanged, m_ui->renumberButton,
            &QWidget::setEnabled);
    connect(session, &RenameSession::undoEnabledChanged, m_ui->undoButton, &QWidget::setEnabled);
    connect(session, &RenameSession::rowBroughtIntoView, this, [this, list](int row) {
        list->scrollTo(m_session->list().index(row, 0), QAbstractItemView::EnsureVisible);
    });
    connect(session, &RenameSession::frameBlanked, m_ui->previewArea, &PreviewFrame::blank);
    connect(session, &RenameSession::pictureShown, m_ui->previewArea, &PreviewFrame::showPicture);
    connect(session, &RenameSession::fileIconShown, this, &CRenumCtrl::showFileIcon);
}

QString CRenumCtrl::folder() const
{
    return m_session->folder();
}

QString CRenumCtrl::filter() const
{
    return m_session->filter();
}

RenameListModel &CRenumCtrl::rows()
{
    return m_session->list();
}

bool CRenumCtrl::isBusy() const
{
    return m_session->isBusy();
}

void CRenumCtrl::setBusy(bool busy)
{
    // Closed to input only once the work lasts: most renumbers end before anyone could act, and
    // a control turned off under the focus would move it, which a screen reader says each time.
    // The session takes no change meanwhile either way.
    if (busy) {
        m_closeToInput.start();
    } else {
        m_closeToInput.stop();
        setEnabled(true);
        if (m_focusBeforeBusy)
            m_focusBeforeBusy->setFocus();
        m_focusBeforeBusy = nullptr;
    }
    Q_EMIT busyChanged(busy);
}

void CRenumCtrl::closeToInput()
{
    QWidget *focus = QApplication::focusWidget();
    m_focusBeforeBusy = focus && isAncestorOf(focus) ? focus : nullptr;
    setEnabled(false);
}

void CRenumCtrl::takeOverFolder(const QString &folder, int outputFormatIndex)
{
    showOwnFolderControls(folder.isEmpty());
    if (!folder.isEmpty())
        m_ui->folderEdit->setText(folder);
    m_session->takeOverFolder(folder, outputFormatIndex);
}

void CRenumCtrl::clearListing()
{
    m_session->clearListing();
}

void CRenumCtrl::recoverInterrupted()
{
    if (m_services.ask)
        m_session->recoverInterrupted(m_services.ask);
}

void CRenumCtrl::chooseFolder()
{
    QString chosen = m_ui->folderEdit->text();
    if (m_services.folderChooser.chooseFolder(this, loadString(ChooseRenameFolder), chosen))
        listOwnFolder(chosen);
}

void CRenumCtrl::listOwnFolder(const QString &folder)
{
    // The page's own filter applies now, and is shown.
    showOwnFolderControls(true);
    m_ui->folderEdit->setText(folder);
    m_session->listFolder(folder, m_ui->filterEdit->text());
}

void CRenumCtrl::showOwnFolderControls(bool shown)
{
    for (QWidget *own :
         {static_cast<QWidget *>(m_ui->folderButton), static_cast<QWidget *>(m_ui->filterLabel),
          static_cast<QWidget *>(m_ui->filterEdit)})
        own->setVisible(shown);
}

void CRenumCtrl::showDigits(int minimum, int digits)
{
    const QSignalBlocker quiet(m_ui->digitsSpin);
    m_ui->digitsSpin->setRange(minimum, NewNameGenerator::MaximumDigits);
    m_ui->digitsSpin->setValue(digits);
}

void CRenumCtrl::requestPreview()
{
    if (m_previewPending)
        return;
    m_previewPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_previewPending = false;
            m_ui->renameList->viewport()->repaint();
            m_session->loadPreview(m_ui->renameList->selectedRow(),
                                   m_ui->previewArea->contentsRect().size());
        },
        Qt::QueuedConnection);
}

void CRenumCtrl::showFileIcon(const QString &path)
{
    QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    // Qt finds no file by a name that is not UTF-8; it is a file all the same.
    if (icon.isNull())
        icon = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    PreviewFrame *area = m_ui->previewArea;
    const QSize size = area->contentsRect().adjusted(32, 32, -32, -32).size();
    area->showIcon(icon.pixmap(size).toImage());
}

void CRenumCtrl::showFileSize()
{
    m_ui->fileSizeLabel->setText(m_session->fileSizeText(m_ui->renameList->selectedRow()));
}
