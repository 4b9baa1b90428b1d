// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "strings/translations.h"

#include "app/caboutdlg.h"
#include "app/cmaindlg.h"
#include "confighome.h"
#include "prefs/preferences.h"
#include "strings/stringtable.h"
#include "testfiles.h"
#include "workers/workerclient.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Translated = testing::TestWithParam<const char *>;

TEST_P(Translated, LeavesNoShownTextInEnglishInAWindowOfTheSameSizeAndTheWorkerFollows)
{
    // What the window, its pages and the about box show or name, then the string table (whence the
    // tabs, lists and messages come); the design's width last, whatever the screen's room.
    const auto shownTexts = [] {
        ConfigHome home;
        Preferences preferences;
        CMainDlg window(preferences, PageServices());
        CAboutDlg about(&window);
        QStringList texts;
        for (QWidget *widget : window.findChildren<QWidget *>() + QList<QWidget *>{&window})
            for (const char *name : {"windowTitle", "toolTip", "accessibleName",
                                     "accessibleDescription", "text", "title"})
                texts.append(
                    widget->property(name).toString().remove(QRegularExpression(u"<[^>]*>"_s)));
        for (int id = 0; id < 1000; ++id)
            texts.append(loadString(id));
        return texts << QString::number(window.designSize().width());
    };
    const auto restore = qScopeGuard([] { Translations::install(QLocale(QLocale::English)); });
    const QString language = QString::fromLatin1(GetParam()).left(2);
    const QStringList english = shownTexts();
    // A regional variant falls back to the language.
    ASSERT_EQ(Translations::install(QLocale(QString::fromLatin1(GetParam()))), language);
    const QStringList translated = shownTexts();
    ASSERT_EQ(translated.size(), english.size());
    // Names, formats, addresses and the words the language shares may stay as they are.
    const QRegularExpression kept(u"^([^\\p{L}]|Pelorin|FreeImage|Version|ß|RAW|\\S+\\.\\S+|"_s +
                                  (language == u"fr"_s ? u"Destination|Pages|pixels)*$"_s
                                                       : u"Filter|Status|normal|maximal)*$"_s));
    // Placeholders and edge blanks, which the code around a text relies on.
    const auto marks = [](const QString &text) {
        QStringList found;
        for (const auto &match : QRegularExpression(u"%\\d|^\\s+|\\s+$"_s).globalMatch(text))
            found.append(match.captured());
        found.sort();
        return found;
    };
    for (qsizetype i = 0; i + 1 < english.size(); ++i) {
        EXPECT_TRUE(translated[i] != english[i] || kept.match(english[i]).hasMatch())
            << english[i].toStdString();
        EXPECT_EQ(marks(translated[i]), marks(english[i])) << english[i].toStdString();
    }
    // The fixed layout grows until every text fits: a long translation would blow it up.
    EXPECT_LE(translated.last().toInt(), english.last().toInt() * 1.05);

    QTemporaryDir folder;
    WorkerClient worker({.itemTimeoutMs = 20'000});
    QList<ConversionResult> results;
    worker.convert({folder.path(), folder.filePath(u"out.jpg"_s), {}, 0},
                   [&results](const ConversionResult &result) { results.append(result); });
    ASSERT_TRUE(runEventsUntil([&results] { return !results.isEmpty(); }));
    EXPECT_EQ(results[0].libraryMessage, loadString(NotAFileButFolder));

    // A language the program lacks is English, whatever was installed before.
    EXPECT_EQ(Translations::install(QLocale(QLocale::Japanese)), QString());
    EXPECT_EQ(loadString(NotAFileButFolder), u"a folder, not a file"_s);
}

INSTANTIATE_TEST_SUITE_P(Languages, Translated, testing::Values("fr_BE", "de_AT"));

} // namespace
