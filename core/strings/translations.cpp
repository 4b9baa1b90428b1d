// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "strings/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Installed
{
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
    QString language;
};

Installed &installed()
{
    static Installed current;
    return current;
}

} // namespace

QString Translations::install(const QLocale &locale)
{
    Installed &current = installed();
    for (QTranslator *translator : {current.program.get(), current.qt.get()})
        if (translator)
            QCoreApplication::removeTranslator(translator);
    current = Installed();

    for (QString name : locale.uiLanguages()) {
        name.replace(u'-', u'_');
        // The user prefers English to any language that may follow.
        if (name == u"en"_s || name.startsWith(u"en_"_s))
            break;
        auto program = std::make_unique<QTranslator>();
        // "de_AT" falls back to "de".
        if (!program->load(u"pelorin_"_s + name, u":/i18n"_s))
            continue;
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(u"qtbase_"_s + name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt.get());
        else
            qt.reset();
        QCoreApplication::installTranslator(program.get());
        const QString language = program->language();
        current = {std::move(program), std::move(qt), language.isEmpty() ? name : language};
        break;
    }
    return current.language;
}

QString Translations::language()
{
    return installed().language;
}
