// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

// Progress of a long run beside the status line, with the button that stops it. The window
// around it disables what must not be touched meanwhile, and has Escape call stop().
class RunProgress : public QWidget
{
    Q_OBJECT

public:
    explicit RunProgress(QWidget *parent = nullptr);

    void begin(int total);
    void setDone(int done);
    void end();
    bool isRunning() const { return m_running; }
    // What the Stop button does: asks once for the run to stop.
    void stop();

Q_SIGNALS:
    void started();
    void stopRequested();
    void finished();

private:
    QProgressBar *m_bar;
    QPushButton *m_stopButton;
    bool m_running = false;
};
