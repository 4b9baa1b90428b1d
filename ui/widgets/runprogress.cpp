// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/runprogress.h"
#include "strings/stringtable.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

RunProgress::RunProgress(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QProgressBar(this))
    , m_stopButton(new QPushButton(loadString(StopButton), this))
{
    setObjectName(u"runProgress"_s);
    m_bar->setObjectName(u"runProgressBar"_s);
    m_bar->setAccessibleName(loadString(ProgressName));
    m_bar->setFormat(u"%v / %m"_s);
    m_stopButton->setObjectName(u"stopButton"_s);
    m_stopButton->setAutoDefault(false);
    m_stopButton->setToolTip(loadString(StopTooltip));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_stopButton);
    connect(m_stopButton, &QPushButton::clicked, this, &RunProgress::stop);
    hide();
}

void RunProgress::begin(int total)
{
    m_running = true;
    m_bar->setRange(0, total);
    setDone(0);
    m_stopButton->setEnabled(true);
    show();
    Q_EMIT started();
}

void RunProgress::setDone(int done)
{
    // Readers query the bar for its value; the description says it in words, "3 of 10".
    m_bar->setAccessibleDescription(loadString(ProgressOf).arg(done).arg(m_bar->maximum()));
    m_bar->setValue(done);
}

void RunProgress::stop()
{
    if (!m_running || !m_stopButton->isEnabled())
        return;
    m_stopButton->setEnabled(false);
    Q_EMIT stopRequested();
}

void RunProgress::end()
{
    m_running = false;
    hide();
    Q_EMIT finished();
}
