#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points $XDG_CONFIG_HOME at a fresh temporary folder for the lifetime of the object, so that
// the program's real settings path logic runs without touching the user's own files.
class ConfigHome
{
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome &) = delete;
    ConfigHome &operator=(const ConfigHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString preferencesPath() const
    {
        return m_dir.path() + QLatin1String("/Pelorin/Preferences.xml");
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};
