// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/statusline.h"

#include "prefs/preferences.h"
#include "strings/stringtable.h"
#include "widgets/announcer.h"

#include <utility>

StatusLine::StatusLine(const Preferences &preferences, QWidget *parent)
    : LiveLabel(parent)
    , m_preferences(preferences)
    , m_announcer(new Announcer(this))
{
    setObjectName(QStringLiteral("statusLine"));
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setAccessibleDescription(loadString(StatusLineDescription));
    write(QString(), Standard, false);
}

void StatusLine::showMessage(int stringId, int convertKind)
{
    write(loadString(stringId), convertKind, false);
}

void StatusLine::showText(const QString &text, int convertKind)
{
    write(text, convertKind, false);
}

void StatusLine::showRenameMessage(int stringId, bool error)
{
    write(loadString(stringId), Standard, error);
}

void StatusLine::showRenameText(const QString &text, bool error)
{
    write(text, Standard, error);
}

void StatusLine::clearLine()
{
    write(QString(), Standard, false);
}

void StatusLine::speakLine()
{
    settleLater();
    m_toSpeak = text();
    m_speakAlways = true;
}

void StatusLine::say(const QString &text)
{
    m_announcer->say(text);
}

ColourRef StatusLine::colourFor(const LineColourTable &colours, int convertKind, bool renameError)
{
    if (renameError)
        return colours.colour(OtherError);
    if (convertKind == Standard)
        return colours.colour(Standard);
    if (convertKind & OtherError)
        return colours.colour(OtherError);
    if (convertKind & FileTypeError)
        return colours.colour(FileTypeError);
    if (convertKind & CollisionError)
        return colours.colour(CollisionError);
    return colours.colour(DuplicateError);
}

void StatusLine::write(const QString &text, int convertKind, bool renameError)
{
    settleLater();
    // An error stays to be spoken when a standard text follows it at once, as in a run.
    if (text.isEmpty() || convertKind != Standard || renameError)
        m_toSpeak = text;
    m_colour = colourFor(m_preferences.colours(), convertKind, renameError);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText,
                     LineColourTable::drawn(m_colour, palette.color(QPalette::Window)));
    setPalette(palette);
    setLiveText(text);
    // Drawn at once: long runs write here from inside a handler, before returning to the loop.
    if (isVisible())
        repaint();
}

void StatusLine::settleLater()
{
    if (m_settling)
        return;
    m_settling = true;
    m_textBefore = text();
    QMetaObject::invokeMethod(this, &StatusLine::settle, Qt::QueuedConnection);
}

void StatusLine::settle()
{
    const bool spoken = !m_toSpeak.isEmpty() && (m_speakAlways || m_toSpeak != m_textBefore);
    const QString text = std::exchange(m_toSpeak, QString());
    m_settling = false;
    m_speakAlways = false;
    if (spoken)
        m_announcer->say(text);
}
