#include "confighome.h"

#include <QStandardPaths>

ConfigHome::ConfigHome()
    : m_previous(qgetenv("XDG_CONFIG_HOME"))
    , m_hadPrevious(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    // Test mode would redirect to ~/.qttest; the sandbox above already keeps real files safe.
    QStandardPaths::setTestModeEnabled(false);
}

ConfigHome::~ConfigHome()
{
    QStandardPaths::setTestModeEnabled(true);
    if (m_hadPrevious)
        qputenv("XDG_CONFIG_HOME", m_previous);
    else
        qunsetenv("XDG_CONFIG_HOME");
}
