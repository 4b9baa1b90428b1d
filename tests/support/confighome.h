// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

// Points $XDG_CONFIG_HOME and $XDG_STATE_HOME at a fresh temporary folder for the lifetime of
// the object, so that the program's real path logic runs without touching the user's own files.
class ConfigHome
{
public:
    ConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        qputenv("XDG_STATE_HOME", m_dir.filePath(QLatin1String("state")).toLocal8Bit());
        // Test mode would redirect to ~/.qttest; the sandbox above already keeps real files safe.
        QStandardPaths::setTestModeEnabled(false);
    }
    ~ConfigHome()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_hadPrevious ? qputenv("XDG_CONFIG_HOME", m_previous) : qunsetenv("XDG_CONFIG_HOME");
        m_hadState ? qputenv("XDG_STATE_HOME", m_previousState) : qunsetenv("XDG_STATE_HOME");
    }

    QString preferencesPath() const
    {
        return m_dir.path() + QLatin1String("/Pelorin/Preferences.xml");
    }
    QString statePath() const { return m_dir.path() + QLatin1String("/state/Pelorin/state"); }

private:
    QByteArray m_previous = qgetenv("XDG_CONFIG_HOME");
    bool m_hadPrevious = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    QByteArray m_previousState = qgetenv("XDG_STATE_HOME");
    bool m_hadState = qEnvironmentVariableIsSet("XDG_STATE_HOME");
    QTemporaryDir m_dir; // non-copyable, and so is the object
};
