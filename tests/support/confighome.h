#pragma once

#include <QByteArray>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

// Points $XDG_CONFIG_HOME at a fresh temporary folder for the lifetime of the object, so that
// the program's real settings path logic runs without touching the user's own files.
class ConfigHome
{
public:
    ConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        // Test mode would redirect to ~/.qttest; the sandbox above already keeps real files safe.
        QStandardPaths::setTestModeEnabled(false);
    }
    ~ConfigHome()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_hadPrevious ? qputenv("XDG_CONFIG_HOME", m_previous) : qunsetenv("XDG_CONFIG_HOME");
    }

    QString preferencesPath() const
    {
        return m_dir.path() + QLatin1String("/Pelorin/Preferences.xml");
    }

private:
    QByteArray m_previous = qgetenv("XDG_CONFIG_HOME");
    bool m_hadPrevious = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    QTemporaryDir m_dir; // non-copyable, and so is the object
};
