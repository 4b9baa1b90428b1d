#include "rename/crenumctrl.h"

#include "app/statusline.h"
#include "prefs/preferences.h"

CRenumCtrl::CRenumCtrl(Preferences &preferences, StatusLine &statusLine, QWidget *parent)
    : QWidget(parent), m_preferences(preferences), m_statusLine(statusLine)
{
    setObjectName(QStringLiteral("renamePage"));
    resize(788, 375);
}

void CRenumCtrl::takeOverFolder(const QString &folder, int outputFormatIndex)
{
    Q_UNUSED(folder);
    Q_UNUSED(outputFormatIndex);
}

void CRenumCtrl::clearListing() {}
