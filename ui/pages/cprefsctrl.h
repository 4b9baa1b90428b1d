// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "prefs/linecolourtable.h"

#include <QWidget>

#include <array>
#include <memory>

class Preferences;
class QRadioButton;
class QLineEdit;
struct PageServices;

namespace Ui {
class CPrefsCtrl;
}

// The " Preferences " page: the extension list of each input format group and the text colour of
// each line status, edited on the page and kept only by "Save".
class CPrefsCtrl : public QWidget
{
    Q_OBJECT

public:
    CPrefsCtrl(Preferences &preferences, const PageServices &services, QWidget *parent = nullptr);
    ~CPrefsCtrl() override;

    // Shows the saved preferences, dropping edits and colours that were not saved.
    void fill();
    // Whether the page holds edits, colours or restored defaults that "Save" has not kept.
    bool hasUnsavedEdits() const;
    // Keeps the page's values in the preferences and their file; false when the file could not
    // be written, which the user has been told.
    bool save();

private:
    void showSamples(int position);
    int checkedPosition() const;
    void chooseColour();
    void restoreDefaults();

    Preferences &m_preferences;
    const PageServices &m_services;
    std::unique_ptr<Ui::CPrefsCtrl> m_ui;
    std::array<QLineEdit *, 8> m_listEdits{};
    std::array<QRadioButton *, LineColourTable::Size> m_radios{};
    std::array<ColourRef, LineColourTable::Size> m_workingColours{};
    // Where text and highlighted text share a colour, the selected sample shows the status
    // colour itself rather than its complement.
    bool m_complementSelected = true;
    bool m_filled = false;          // the page shows values: before, there is nothing to keep
    bool m_defaultsUnsaved = false; // "Restore default values" since the last "Save"
};
