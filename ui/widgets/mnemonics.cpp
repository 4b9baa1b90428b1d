// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/mnemonics.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

// Where a key may go in the text: letters of A to Z not reserved, at the start of a word first.
QList<qsizetype> keyPositions(const QString &text, const QString &reserved)
{
    QList<qsizetype> starts, others;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar upper = text[i].toUpper();
        if (upper >= u'A' && upper <= u'Z' && !reserved.contains(upper))
            (i == 0 || !text[i - 1].isLetterOrNumber() ? starts : others).append(i);
    }
    return starts + others;
}

struct Keyed
{
    QWidget *control;
    QString text;
    QList<qsizetype> positions;
    qsizetype chosen = -1;
};

// Gives control `index` a letter, moving others to letters of theirs still free where that
// frees one: as many controls as possible get a key.
bool place(QList<Keyed> &keyed, QHash<QChar, qsizetype> &owner, qsizetype index, QString &seen)
{
    Keyed &one = keyed[index];
    for (const qsizetype position : one.positions) {
        const QChar letter = one.text[position].toUpper();
        if (seen.contains(letter))
            continue;
        seen.append(letter);
        if (!owner.contains(letter) || place(keyed, owner, owner[letter], seen)) {
            owner[letter] = index;
            one.chosen = position;
            return true;
        }
    }
    return false;
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
    QList<Keyed> keyed;
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
        const QString text = labelled ? label->text() : group ? group->title() : button->text();
        if (const QChar given = letter(text); !given.isNull())
            taken.append(given);
        else if (!text.contains(u'&'))
            keyed.append({control, text, {}});
    }
    for (Keyed &one : keyed)
        one.positions = keyPositions(one.text, taken);
    QHash<QChar, qsizetype> owner;
    for (qsizetype index = 0; index < keyed.size(); ++index) {
        // A free letter of its own first, so that earlier controls keep theirs where they can.
        const auto free = std::find_if(
            keyed[index].positions.begin(), keyed[index].positions.end(), [&](qsizetype position) {
                return !owner.contains(keyed[index].text[position].toUpper());
            });
        if (free != keyed[index].positions.end()) {
            owner[keyed[index].text[*free].toUpper()] = index;
            keyed[index].chosen = *free;
            continue;
        }
        QString seen;
        place(keyed, owner, index, seen);
    }
    for (Keyed &one : keyed) {
        if (one.chosen < 0)
            continue;
        taken.append(one.text[one.chosen].toUpper());
        const QString text = QString(one.text).insert(one.chosen, u'&');
        if (auto *label = qobject_cast<QLabel *>(one.control))
            label->setText(text);
        else if (auto *group = qobject_cast<QGroupBox *>(one.control))
            group->setTitle(text);
        else
            static_cast<QAbstractButton *>(one.control)->setText(text);
    }
    return taken;
}
