// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Times typing one letter into "New name:" over a large rename list, until the window is idle
// again, with whatever accessibility the session has (a desktop with a screen reader, or
// bench/with-reader.sh). See bench/README.md.
#include "pages/crenumctrl.h"
#include "prefs/preferences.h"
#include "widgets/pageservices.h"
#include "widgets/statusline.h"

#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// Until the event loop has nothing left to do for a while: what the user waits for.
double untilIdleMs(QElapsedTimer &timer)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 200) {
        if (QCoreApplication::instance()->thread()->eventDispatcher()->processEvents(
                QEventLoop::AllEvents))
            quiet.restart();
    }
    return double(timer.nsecsElapsed()) / 1e6 - 200;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Typing over a large rename list"_s);
    parser.addHelpOption();
    const QCommandLineOption countOption({u"n"_s, u"count"_s}, u"Files to list"_s, u"count"_s,
                                         u"10000"_s);
    parser.addOption(countOption);
    parser.process(app);
    const int count = parser.value(countOption).toInt();
    QTemporaryDir folder;
    for (int i = 1; i <= count; ++i)
        QFile(folder.filePath(u"DSC_%1.jpg"_s.arg(i))).open(QIODevice::WriteOnly);

    Preferences preferences;
    StatusLine statusLine(preferences);
    PageServices services;
    services.readDates = [](const QString &, const QStringList &, RenameSession::DatesDone) {};
    CRenumCtrl page(preferences, statusLine, services);
    page.resize(788, 375);
    page.show();
    // A reader follows the active window only.
    page.activateWindow();
    page.takeOverFolder(folder.path(), 0);
    QElapsedTimer timer;
    timer.start();
    const double listed = untilIdleMs(timer);

    auto *edit = page.findChild<QLineEdit *>(u"baseNameEdit"_s);
    edit->setFocus();
    timer.restart();
    edit->setText(u"x"_s);
    const double typed = untilIdleMs(timer);
    timer.restart();
    edit->setText(u"xy"_s);
    const double again = untilIdleMs(timer);
    std::printf(
        "%d files, accessibility %s: listed %.0f ms, first letter %.0f ms, second %.0f ms\n", count,
        QAccessible::isActive() ? "on" : "off", listed, typed, again);
    return 0;
}
