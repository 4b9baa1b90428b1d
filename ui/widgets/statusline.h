// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "prefs/linecolourtable.h"
#include "widgets/livelabel.h"

class Announcer;
class Preferences;

// The one line of status text under the pages. Its colour tells the kind of message, taken from
// the current LineColourTable when the text is written; the text keeps that colour until the
// next write, so a later repaint never changes it. Every text written is the line's accessible
// name; errors and the outcomes of work are also spoken, once, as a notification, when control
// returns to the event loop: the last such text of the pass, unless the line showed it before
// the pass (cleared and written again) or was cleared after it.
class StatusLine : public LiveLabel
{
    Q_OBJECT

public:
    explicit StatusLine(const Preferences &preferences, QWidget *parent = nullptr);

    // convertKind is a LineStatus value of the convert page.
    void showMessage(int stringId, int convertKind);
    void showText(const QString &text, int convertKind);
    // The rename page reports only error or no error.
    void showRenameMessage(int stringId, bool error);
    void showRenameText(const QString &text, bool error);
    void clearLine();
    // Speaks what the line shows now: the outcome of a piece of work, not an error.
    void speakLine();
    // Speaks a text that the line does not show.
    void say(const QString &text);

    ColourRef textColour() const { return m_colour; }

    // The rename error flag wins; then OtherError, FileTypeError, CollisionError, DuplicateError.
    static ColourRef colourFor(const LineColourTable &colours, int convertKind, bool renameError);

private:
    void write(const QString &text, int convertKind, bool renameError);
    void settleLater();
    void settle();

    const Preferences &m_preferences;
    Announcer *m_announcer;
    ColourRef m_colour = 0;
    // Since the last return to the event loop: whether the line was touched, its text before,
    // and the text to speak then: only if the line did not show it before, or always.
    bool m_settling = false;
    QString m_textBefore;
    QString m_toSpeak;
    bool m_speakAlways = false;
};
