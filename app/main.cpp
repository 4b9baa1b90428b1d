#include "app/cmaindlg.h"
#include "prefs/preferences.h"

#include <QApplication>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Pelorin"_s);

    // The standard line colour follows the palette, which exists only from here on.
    Preferences &preferences = Preferences::instance();
    preferences.setDefaults();

    CMainDlg mainWindow(preferences);
    mainWindow.show();
    return QApplication::exec();
}
