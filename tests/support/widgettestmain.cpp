// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Entry of the widget tests: a QApplication, offscreen unless a platform was chosen.
#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A test whose window ends the application leaves it quitting: every event loop after would return
// at once, and a test waiting on one would spin until memory runs out. The application's own loop,
// run for a moment, clears that.
class QuitCleared : public testing::EmptyTestEventListener
{
    void OnTestEnd(const testing::TestInfo &) override
    {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    Q_INIT_RESOURCE(pelorin);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new QuitCleared);
    return RUN_ALL_TESTS();
}
