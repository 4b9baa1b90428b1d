#include "util/translations.h"

#include "app/caboutdlg.h"
#include "app/cmaindlg.h"
#include "confighome.h"
#include "convert/workerclient.h"
#include "prefs/preferences.h"
#include "qtprinters.h"
#include "resources/stringtable.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Texts = QList<std::pair<QString, QString>>; // where, what

// Every text a user reads or hears in the window, in an order fixed by how it is built.
Texts visibleTexts(const QWidget &window)
{
    Texts texts;
    QList<const QWidget *> widgets = {&window};
    for (const QWidget *child : window.findChildren<QWidget *>())
        widgets.append(child);
    for (const QWidget *widget : widgets) {
        const QString where =
            widget->objectName() + u'/' + QString::fromLatin1(widget->metaObject()->className());
        const auto add = [&](const QString &kind, const QString &text) {
            texts.append({where + u' ' + kind, text});
        };
        add(u"title"_s, widget->windowTitle());
        add(u"tooltip"_s, widget->toolTip());
        add(u"name"_s, widget->accessibleName());
        add(u"description"_s, widget->accessibleDescription());
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            add(u"text"_s, Qt::mightBeRichText(label->text())
                               ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                               : label->text());
        if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
            add(u"text"_s, button->text());
        if (const auto *group = qobject_cast<const QGroupBox *>(widget))
            add(u"text"_s, group->title());
        if (const auto *tabs = qobject_cast<const QTabBar *>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                add(u"tab"_s, tabs->tabText(i));
        if (const auto *combo = qobject_cast<const QComboBox *>(widget))
            for (int i = 0; i < combo->count(); ++i)
                add(u"item"_s, combo->itemText(i));
        if (const auto *view = qobject_cast<const QAbstractItemView *>(widget);
            view && view->model())
            for (int i = 0; i < view->model()->columnCount(); ++i)
                add(u"column"_s, view->model()->headerData(i, Qt::Horizontal).toString());
    }
    return texts;
}

Texts windowTexts(QSize &windowSize)
{
    ConfigHome home;
    Preferences preferences;
    preferences.setDefaults();
    PageServices services;
    services.imageLibraryUsable = [] { return true; };
    CMainDlg window(preferences, services);
    CAboutDlg about(&window);
    windowSize = window.size();
    Texts texts = visibleTexts(window) + visibleTexts(about);
    for (int id = 0; id < 1000; ++id)
        if (const QString text = loadString(id); !text.isEmpty())
            texts.append({u"string %1"_s.arg(id), text});
    return texts;
}

// The words a translation may keep as they are: names, formats and words the language shares.
bool keptAsIs(const QString &text, const QString &language)
{
    QStringList same = {u"Pelorin"_s, u"FreeImage"_s, u"Version"_s, u"ß"_s, u"RAW"_s};
    same += language == u"fr"_s ? QStringList{u"Destination"_s, u"Pages"_s, u"pixels"_s}
                                : QStringList{u"Filter"_s, u"Status"_s, u"normal"_s, u"maximal"_s};
    // A web address or a host name.
    if (!text.contains(u' ') && text.contains(u'.'))
        return true;
    QRegularExpressionMatchIterator words = QRegularExpression(u"\\p{L}+"_s).globalMatch(text);
    while (words.hasNext())
        if (!same.contains(words.next().captured()))
            return false;
    return true;
}

QStringList placeholders(const QString &text)
{
    QStringList found;
    QRegularExpressionMatchIterator it =
        QRegularExpression(u"%\\d|^\\s+|\\s+$"_s).globalMatch(text);
    while (it.hasNext())
        found.append(it.next().captured());
    found.sort();
    return found;
}

class Translated : public testing::TestWithParam<std::pair<std::string, std::string>>
{
protected:
    void TearDown() override { Translations::install(QLocale(QLocale::English)); }
};

// The window, its pages, the about box and the string table, with their placeholders, blanks
// and the reasons the worker gives, all in the desktop's language, in a window of about the
// same size.
TEST_P(Translated, LeavesNoVisibleTextInEnglishAndTheWorkerSpeaksTheWindowsLanguage)
{
    const QString language = QString::fromStdString(GetParam().second);
    QFile sources(PELORIN_TEST_FILES_DIR "/../../translations/pelorin_"_L1 + language + u".ts"_s);
    ASSERT_TRUE(sources.open(QIODevice::ReadOnly));
    EXPECT_FALSE(sources.readAll().contains("type=\"unfinished\""));

    QSize englishSize, translatedSize;
    const Texts english = windowTexts(englishSize);
    // A regional variant falls back to the language.
    ASSERT_EQ(Translations::install(QLocale(QString::fromStdString(GetParam().first))), language);
    const Texts translated = windowTexts(translatedSize);
    ASSERT_EQ(translated.size(), english.size());
    // The fixed layout grows until every text fits: a long translation would blow it up.
    EXPECT_LE(translatedSize.width(), englishSize.width() * 1.05);
    for (qsizetype i = 0; i < english.size(); ++i) {
        const auto &[where, source] = english[i];
        const QString &text = translated[i].second;
        if (text == source) {
            EXPECT_TRUE(keptAsIs(source, language)) << (where + u": "_s + source).toStdString();
        }
        EXPECT_EQ(placeholders(text), placeholders(source))
            << (where + u": "_s + text).toStdString();
    }

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

INSTANTIATE_TEST_SUITE_P(Languages, Translated,
                         testing::Values(std::pair<std::string, std::string>("fr_BE", "fr"),
                                         std::pair<std::string, std::string>("de_AT", "de")),
                         [](const auto &info) { return info.param.second; });

} // namespace
