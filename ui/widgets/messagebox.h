// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// The few messages that need the user's attention, and the default beep.
class MessageBox
{
public:
    // An information box with an OK button and no owner. An empty caption shows the application
    // name. Returns the button pressed.
    static int information(const QString &text, const QString &caption = QString());
    static int information(int textId, int captionId = 0);
    static void beep();
};
