#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

// Progress of a long run beside the status line, with the button that stops it. While a run
// goes on, the rest of the application takes no input (the window still repaints); Escape asks
// the run to stop like the button does.
class RunProgress : public QWidget
{
    Q_OBJECT

public:
    explicit RunProgress(QWidget *parent = nullptr);

    void begin(int total);
    void setDone(int done);
    void end();
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    void started();
    void stopRequested();
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QProgressBar *m_bar;
    QPushButton *m_stopButton;
    bool m_running = false;
};
