#include "prefs/cprefsctrl.h"

#include "app/statusline.h"
#include "prefs/preferences.h"

CPrefsCtrl::CPrefsCtrl(Preferences &preferences, StatusLine &statusLine, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_statusLine(statusLine)
{
    setObjectName(QStringLiteral("preferencesPage"));
    resize(788, 375);
}

void CPrefsCtrl::fill() {}
