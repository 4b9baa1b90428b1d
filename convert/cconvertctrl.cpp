#include "convert/cconvertctrl.h"

#include "app/statusline.h"
#include "prefs/preferences.h"

CConvertCtrl::CConvertCtrl(Preferences &preferences, StatusLine &statusLine, QWidget *parent)
    : QWidget(parent), m_preferences(preferences), m_statusLine(statusLine)
{
    setObjectName(QStringLiteral("convertPage"));
    resize(788, 375);
}

QString CConvertCtrl::destinationFolder() const
{
    return QString();
}

int CConvertCtrl::outputFormatIndex() const
{
    return 0;
}

void CConvertCtrl::redrawPreview() {}

void CConvertCtrl::clearPreview() {}
