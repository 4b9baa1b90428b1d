// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "prefs/linecolourtable.h"

#include <QString>

class QWidget;

// The colour chooser of the preferences page: opened on a colour, titled with the status name,
// with 16 custom colours that stay for the run (all white at first).
class CHdColorDlg
{
public:
    // Returns whether the user confirmed; chosen then holds the colour.
    static bool choose(QWidget *owner, ColourRef initial, const QString &title, ColourRef &chosen);
};
