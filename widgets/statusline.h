// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "prefs/linecolourtable.h"
#include "widgets/livelabel.h"

class Preferences;

// The one line of status text under the pages. Its colour tells the kind of message, taken from
// the current LineColourTable when the text is written; the text keeps that colour until the
// next write, so a later repaint never changes it. Screen readers hear every text written: it
// is the line's accessible name.
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

    ColourRef textColour() const { return m_colour; }

    // The rename error flag wins; then OtherError, FileTypeError, CollisionError, DuplicateError.
    static ColourRef colourFor(const LineColourTable &colours, int convertKind, bool renameError);

private:
    void write(const QString &text, int convertKind, bool renameError);

    const Preferences &m_preferences;
    ColourRef m_colour = 0;
};
