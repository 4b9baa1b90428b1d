// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/cmaindlg.h"
#include "app/commandline.h"
#include "pages/crenumctrl.h"
#include "prefs/preferences.h"
#include "strings/translations.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// The exit code for a command line that asks for text rather than the window, else -1.
int printText(const CommandLine &commandLine)
{
    switch (commandLine.action) {
    case CommandLine::ShowHelp:
    case CommandLine::ShowVersion:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Refuse:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return CommandLine::UsageExitCode;
    case CommandLine::Open:
        break;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(pelorin);
    const QString version = QStringLiteral(PELORIN_VERSION);
    // Help and version need no display. Anything else waits for QApplication, which takes its own
    // options (-platform, -style...) out of argv.
    if (const CommandLine early = CommandLine::parse(CommandLine::arguments(argc, argv), version);
        early.action == CommandLine::ShowHelp || early.action == CommandLine::ShowVersion) {
        // Translations need an application object; a core one needs no display.
        QCoreApplication core(argc, argv);
        Translations::install(QLocale::system());
        return printText(CommandLine::parse(CommandLine::arguments(argc, argv), version));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Pelorin"_s);
    QApplication::setApplicationVersion(version);
    QApplication::setDesktopFileName(u"app.pelorin.Pelorin"_s);
    // The exit code is the main window's own (1 for Quit, 2 for cancel), never the 0 of a
    // last-window-closed quit.
    QApplication::setQuitOnLastWindowClosed(false);
    // The desktop's language when the program has it, else English.
    Translations::install(QLocale::system());

    const CommandLine commandLine = CommandLine::parse(CommandLine::arguments(argc, argv), version);
    if (const int exitCode = printText(commandLine); exitCode >= 0)
        return exitCode;
    if (!commandLine.text.isEmpty())
        std::fprintf(stderr, "pelorin: %s\n", commandLine.text.toLocal8Bit().constData());

    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/icons/pelorin-%1.png"_s.arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    // The standard line colour follows the palette, which exists only from here on.
    Preferences &preferences = Preferences::instance();
    preferences.setDefaults();

    CMainDlg mainWindow(preferences);
    // A page may end the program while the window is being set up, before it is ever shown.
    if (mainWindow.exitCode() != 0)
        return mainWindow.exitCode();
    mainWindow.restoreState();
    mainWindow.show();
    // A renumber the last run left unfinished is asked about before anything else happens.
    mainWindow.renamePage().recoverInterrupted();
    // Last, so that the folder asked for wins over anything the window restored.
    mainWindow.applyCommandLine(commandLine);
    return QApplication::exec();
}
