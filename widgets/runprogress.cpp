#include "widgets/runprogress.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

RunProgress::RunProgress(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QProgressBar(this))
    , m_stopButton(new QPushButton(u"Stop"_s, this))
{
    setObjectName(u"runProgress"_s);
    m_bar->setObjectName(u"runProgressBar"_s);
    m_bar->setAccessibleName(u"Progress"_s);
    m_bar->setFormat(u"%v / %m"_s);
    m_stopButton->setObjectName(u"stopButton"_s);
    m_stopButton->setAutoDefault(false);
    m_stopButton->setToolTip(
        u"Stop the run: the pictures being converted get two seconds to finish"_s);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_stopButton);
    connect(m_stopButton, &QPushButton::clicked, this, [this] {
        m_stopButton->setEnabled(false);
        Q_EMIT stopRequested();
    });
    hide();
}

void RunProgress::begin(int total)
{
    m_running = true;
    m_bar->setRange(0, total);
    m_bar->setValue(0);
    m_stopButton->setEnabled(true);
    show();
    qApp->installEventFilter(this);
    Q_EMIT started();
}

void RunProgress::setDone(int done)
{
    m_bar->setValue(done);
}

void RunProgress::end()
{
    qApp->removeEventFilter(this);
    m_running = false;
    hide();
    Q_EMIT finished();
}

bool RunProgress::eventFilter(QObject *watched, QEvent *event)
{
    // Input reaches a window first and a widget after; only widgets are turned away.
    if (!watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && m_stopButton->isEnabled())
            m_stopButton->click();
        return true;
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
        // Only the stop button takes input while a run goes on.
        return watched != m_stopButton;
    default:
        return false;
    }
}
