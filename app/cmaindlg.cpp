#include "app/cmaindlg.h"

#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"

using namespace Qt::Literals::StringLiterals;

CMainDlg::CMainDlg(Preferences &preferences, QWidget *parent)
    : QDialog(parent), m_preferences(preferences)
{
    setWindowTitle(u"Pelorin"_s);
    PreferencesFile::load(m_preferences);
}
