// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QWidget>

// An invisible notification that screen readers speak: each say() shows it anew with the text
// as its accessible name, which readers present as they present a desktop notification, without
// moving the focus. It takes no room, no input and no focus.
class Announcer : public QWidget
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *parent);

    void say(const QString &text);
};
