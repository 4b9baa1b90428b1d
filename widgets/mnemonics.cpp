// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/mnemonics.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Where the & goes in text, or -1: a letter of A to Z that is free, at the start of a word first.
qsizetype keyPosition(const QString &text, const QString &taken)
{
    const auto free = [&](qsizetype i) {
        const QChar upper = text[i].toUpper();
        return upper >= u'A' && upper <= u'Z' && !taken.contains(upper);
    };
    for (qsizetype i = 0; i < text.size(); ++i)
        if (free(i) && (i == 0 || !text[i - 1].isLetterOrNumber()))
            return i;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (free(i))
            return i;
    return -1;
}

} // namespace

QChar Mnemonics::letter(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1].toUpper();
        ++i; // "&&" is an ampersand shown
    }
    return {};
}

QString Mnemonics::assign(QWidget *parent, QString taken, Qt::FindChildOptions options)
{
    for (QWidget *control : parent->findChildren<QWidget *>(options)) {
        auto *label = qobject_cast<QLabel *>(control);
        auto *button = qobject_cast<QAbstractButton *>(control);
        auto *group = qobject_cast<QGroupBox *>(control);
        const bool labelled = label && label->buddy() && label->textFormat() != Qt::RichText;
        const bool own = qobject_cast<QPushButton *>(control) ||
                         qobject_cast<QCheckBox *>(control) ||
                         qobject_cast<QRadioButton *>(control);
        if (!labelled && !(button && own) && !group)
            continue;
        QString text = labelled ? label->text() : group ? group->title() : button->text();
        if (const QChar given = letter(text); !given.isNull()) {
            taken.append(given);
            continue;
        }
        const qsizetype position = keyPosition(text, taken);
        if (text.contains(u'&') || position < 0)
            continue;
        taken.append(text[position].toUpper());
        text.insert(position, u'&');
        if (labelled)
            label->setText(text);
        else if (group)
            group->setTitle(text);
        else
            button->setText(text);
    }
    return taken;
}
