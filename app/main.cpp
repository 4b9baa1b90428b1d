#include "app/cmaindlg.h"
#include "prefs/preferences.h"
#include "util/translations.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(pelorin);
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Pelorin"_s);
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    QApplication::setDesktopFileName(u"app.pelorin.Pelorin"_s);
    // The exit code is the main window's own (1 for Quit, 2 for cancel), never the 0 of a
    // last-window-closed quit.
    QApplication::setQuitOnLastWindowClosed(false);
    // The desktop's language when the program has it, else English.
    Translations::install(QLocale::system());

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
    mainWindow.show();
    return QApplication::exec();
}
