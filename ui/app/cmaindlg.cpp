// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/cmaindlg.h"

#include "app/caboutdlg.h"
#include "app/commandline.h"
#include "convert/convertsession.h"
#include "pages/cconvertctrl.h"
#include "pages/cprefsctrl.h"
#include "pages/crenumctrl.h"
#include "prefs/linestatus.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "prefs/sessionstate.h"
#include "strings/stringtable.h"
#include "ui_cmaindlg.h"
#include "widgets/layoutscale.h"
#include "widgets/mnemonics.h"
#include "widgets/runprogress.h"
#include "widgets/statusline.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QWindowStateChangeEvent>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

CMainDlg::CMainDlg(Preferences &preferences, PageServices services, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_preferences(preferences)
    , m_services(std::move(services))
    , m_ui(std::make_unique<Ui::CMainDlg>())
{
    m_ui->setupUi(this);
    setSizeGripEnabled(false);

    m_statusLine = new StatusLine(m_preferences, this);
    m_statusLine->setGeometry(m_ui->statusLineArea->geometry());
    // Room for two lines.
    LayoutScale::reserve(m_statusLine, {u"Status\nline"_s});
    m_runProgress = new RunProgress(this);

    for (int id : {TabConvert, TabRename, TabPreferences})
        m_ui->tabStrip->addTab(loadString(id));
    m_ui->tabStrip->setDrawBase(true);

    // The pages read the preferences from their first initialisation on.
    PreferencesFile::load(m_preferences);

    m_prefsPage = new CPrefsCtrl(m_preferences, m_services, this);
    m_convertPage =
        new CConvertCtrl(m_preferences, *m_statusLine, *m_runProgress, m_services, this);
    m_renamePage = new CRenumCtrl(m_preferences, *m_statusLine, m_services, this);

    // The window and its pages grow with the desktop font until every text in them fits.
    QWidget *const pages[] = {m_convertPage, m_renamePage, m_prefsPage};
    const double scale = LayoutScale::needed({this, pages[0], pages[1], pages[2]});
    LayoutScale::scaleChildren(this, scale);
    for (QWidget *page : pages)
        LayoutScale::scaleChildren(page, scale);
    m_designSize = QSize(int(std::lround(width() * scale)), int(std::lround(height() * scale)));

    const QRect statusArea = m_ui->statusLineArea->geometry();
    m_statusLine->setGeometry(statusArea);
    delete m_ui->statusLineArea;
    m_ui->statusLineArea = nullptr;
    // A run's progress takes the right part of the status line while it lasts.
    const int progressWidth = statusArea.width() / 3;
    m_runProgress->setGeometry(statusArea.right() - progressWidth + 1, statusArea.top(),
                               progressWidth, m_ui->quitButton->height());
    connect(m_runProgress, &RunProgress::started, this, [this, statusArea, progressWidth] {
        m_statusLine->resize(statusArea.width() - progressWidth - 8, statusArea.height());
    });
    connect(m_runProgress, &RunProgress::finished, this,
            [this, statusArea] { m_statusLine->resize(statusArea.size()); });

    const QPoint pageOrigin = m_ui->pageArea->geometry().topLeft();
    delete m_ui->pageArea;
    m_ui->pageArea = nullptr;
    for (QWidget *page : pages)
        page->move(pageOrigin);
    fitScreen();

    // Alt+letter keys: the window's own buttons act on every page, so no page takes their
    // letters; the rename list takes Alt+S and Alt+D for its sorts.
    const QString listKeys = u"SD"_s;
    const QString windowKeys =
        Mnemonics::assign(m_ui->quitButton->parentWidget(), listKeys, Qt::FindDirectChildrenOnly)
            .mid(listKeys.size());
    Mnemonics::assign(m_convertPage, windowKeys);
    Mnemonics::assign(m_renamePage, windowKeys + listKeys);
    Mnemonics::assign(m_prefsPage, windowKeys);

    // Tab order: the strip, then the visible page's controls, then the window's buttons.
    setTabOrder(m_ui->tabStrip, m_convertPage);
    setTabOrder(m_convertPage, m_renamePage);
    setTabOrder(m_renamePage, m_prefsPage);
    setTabOrder(m_prefsPage, m_ui->quitButton);
    setTabOrder(m_ui->quitButton, m_ui->aboutButton);

    m_convertPage->show();
    m_renamePage->hide();
    m_prefsPage->hide();

    if (!m_convertPage->initialise()) {
        done(QDialog::Accepted);
        return;
    }

    connect(m_convertPage, &CConvertCtrl::busyChanged, this, &CMainDlg::pageBusyChanged);
    connect(m_renamePage, &CRenumCtrl::busyChanged, this, &CMainDlg::pageBusyChanged);
    connect(m_ui->tabStrip, &QTabBar::currentChanged, this, &CMainDlg::switchPage);
    connect(m_ui->quitButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->aboutButton, &QPushButton::clicked, this, &CMainDlg::showAbout);

    // Enter on a push button presses that button; elsewhere it presses Quit, the default.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(true);
    // The next page and the previous one, as in every window with tabs.
    QList<std::pair<QKeySequence, int>> pageKeys = {{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                                                    {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const QKeySequence &keys : QKeySequence::keyBindings(QKeySequence::NextChild))
        pageKeys.append({keys, 1});
    for (const QKeySequence &keys : QKeySequence::keyBindings(QKeySequence::PreviousChild))
        pageKeys.append({keys, -1});
    for (const auto &[keys, step] : pageKeys)
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this, step = step] { stepPage(step); });

    if (const QScreen *screen = this->screen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_started = true;
}

CMainDlg::~CMainDlg()
{
    // Before the members and the other children: the pages hold the services, the status line
    // and the run progress.
    delete std::exchange(m_renamePage, nullptr);
    delete std::exchange(m_convertPage, nullptr);
    delete std::exchange(m_prefsPage, nullptr);
}

QTabBar &CMainDlg::tabStrip()
{
    return *m_ui->tabStrip;
}

void CMainDlg::fitScreen()
{
    const QScreen *screen = this->screen();
    // The title bar too must stay on the screen.
    const QSize room = screen ? screen->availableGeometry().size() -
                                    QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight))
                              : m_designSize;
    const QSize size =
        LayoutScale::fitted(m_designSize, room, style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    setFixedSize(size);
    if (size == m_designSize)
        return;
    // A font too large for the screen: the design keeps its arrangement and scrolls, following
    // the focus, however it moves (Tab, an Alt+letter key, a click).
    auto *content = new QWidget;
    content->setObjectName(u"content"_s);
    content->setFixedSize(m_designSize);
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow())
            child->setParent(content);
    auto *scroller = new QScrollArea(this);
    scroller->setObjectName(u"scroller"_s);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidget(content);
    scroller->setGeometry(rect());
    connect(qApp, &QApplication::focusChanged, scroller,
            [scroller, content](QWidget *, QWidget *now) {
                if (now && content->isAncestorOf(now))
                    scroller->ensureWidgetVisible(now);
            });
}

void CMainDlg::done(int result)
{
    // Enter in a field of the preferences page quits too: edits not saved are not lost unasked.
    if (m_prefsPage && m_prefsPage->hasUnsavedEdits() && m_services.ask) {
        const int choice = m_services.ask(
            loadString(PreferencesUnsaved),
            {loadString(SaveChoice), loadString(DiscardChoice), loadString(CancelChoice)});
        if (choice == 0 && !m_prefsPage->save())
            return; // the message said why; the edits are still there to try again
        if (choice != 0 && choice != 1)
            return;
        if (choice == 1)
            m_prefsPage->fill();
    }
    // Closing during a run stops it; the window closes once the run has ended.
    if (m_convertPage && m_convertPage->isBusy()) {
        m_closeAfterRun = result;
        m_runProgress->stop();
        // "Convert image" has no Stop button, but a close stops it too.
        m_convertPage->session().stop();
        return;
    }
    // A renumber is never cut short: the window closes once every file has its new name.
    if (m_renamePage && m_renamePage->isBusy()) {
        m_closeAfterRun = result;
        return;
    }
    m_exitCode = result == QDialog::Accepted ? 1 : 2;
    saveState();
    if (m_convertPage)
        m_convertPage->clearPreview();
    QDialog::done(result);
    QCoreApplication::exit(m_exitCode);
}

void CMainDlg::restoreState()
{
    if (!m_started)
        return;
    const SessionState state = SessionState::load();
    m_convertPage->restoreState(state);
    if (state.page)
        m_ui->tabStrip->setCurrentIndex(*state.page);
}

void CMainDlg::saveState() const
{
    if (!m_started)
        return;
    SessionState state;
    m_convertPage->recordState(state);
    state.page = m_ui->tabStrip->currentIndex();
    // Worth no message on the way out: the next start merely begins afresh.
    if (const FileResult saved = state.save(); !saved.ok)
        qWarning("Pelorin: the state file %s could not be written: %s",
                 qUtf8Printable(SessionState::filePath()), qUtf8Printable(saved.reason));
}

void CMainDlg::keyPressEvent(QKeyEvent *event)
{
    // Escape stops a run; the window stays.
    if (event->key() == Qt::Key_Escape && m_runProgress->isRunning()) {
        m_runProgress->stop();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainDlg::pageBusyChanged()
{
    // Only Stop and the close box act while pictures are converted or files renamed; the pages
    // may be busy at once (a conversion started while an interrupted renumber is looked at).
    const bool busy =
        (m_convertPage && m_convertPage->isBusy()) || (m_renamePage && m_renamePage->isBusy());
    for (QWidget *control :
         {static_cast<QWidget *>(m_ui->tabStrip), static_cast<QWidget *>(m_ui->quitButton),
          static_cast<QWidget *>(m_ui->aboutButton)})
        control->setEnabled(!busy);
    // Once everything the conversion shows is shown.
    if (!busy && m_closeAfterRun)
        QMetaObject::invokeMethod(
            this, [this] { done(*std::exchange(m_closeAfterRun, std::nullopt)); },
            Qt::QueuedConnection);
}

void CMainDlg::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized() &&
        static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized &&
        m_ui->tabStrip->currentIndex() == ConvertTab)
        m_convertPage->redrawPreview();
}

void CMainDlg::switchPage(int index)
{
    m_statusLine->clearLine();
    switch (index) {
    case ConvertTab:
        m_convertPage->show();
        m_renamePage->hide();
        m_renamePage->clearListing();
        m_prefsPage->hide();
        m_convertPage->redrawPreview();
        break;
    case RenameTab:
        m_convertPage->hide();
        m_renamePage->show();
        m_prefsPage->hide();
        m_renamePage->takeOverFolder(m_convertPage->destinationFolder(),
                                     m_convertPage->outputFormatIndex());
        break;
    case PreferencesTab:
        m_convertPage->hide();
        m_renamePage->hide();
        m_prefsPage->show();
        // Edits not saved wait on the page until they are saved, or the window asks at the end.
        if (!m_prefsPage->hasUnsavedEdits())
            m_prefsPage->fill();
        break;
    default:
        break;
    }
}

void CMainDlg::applyCommandLine(const CommandLine &commandLine)
{
    if (commandLine.folder.isEmpty() && commandLine.text.isEmpty())
        return;
    m_ui->tabStrip->setCurrentIndex(ConvertTab);
    if (!commandLine.folder.isEmpty())
        m_convertPage->session().chooseSourceFolder(commandLine.folder);
    else
        m_statusLine->showText(commandLine.text, OtherError);
}

void CMainDlg::stepPage(int step)
{
    QTabBar *tabs = m_ui->tabStrip;
    // Not while pictures are being converted.
    if (tabs->isEnabled())
        tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
}

void CMainDlg::showAbout()
{
    CAboutDlg about(QApplication::activeWindow() ? QApplication::activeWindow() : this);
    about.exec();
}
