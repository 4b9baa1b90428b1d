// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/cprefsctrl.h"

#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "strings/stringtable.h"
#include "ui_cprefsctrl.h"
#include "widgets/pageservices.h"

#include <QApplication>
#include <QDir>

using namespace Qt::Literals::StringLiterals;

CPrefsCtrl::CPrefsCtrl(Preferences &preferences, const PageServices &services, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_services(services)
    , m_ui(std::make_unique<Ui::CPrefsCtrl>())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("preferencesPage"));
    m_listEdits = {m_ui->gifEdit, m_ui->jpgEdit, m_ui->j2kEdit, m_ui->pngEdit,
                   m_ui->psdEdit, m_ui->tifEdit, m_ui->rawEdit, m_ui->webEdit};
    m_radios = {m_ui->standardRadio, m_ui->fileTypeRadio, m_ui->duplicateRadio,
                m_ui->collisionRadio, m_ui->otherRadio};

    const QPalette palette = QApplication::palette();
    m_complementSelected =
        palette.color(QPalette::Text) != palette.color(QPalette::HighlightedText);

    for (QRadioButton *radio : m_radios) {
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                showSamples(checkedPosition());
        });
    }
    connect(m_ui->colourButton, &QPushButton::clicked, this, &CPrefsCtrl::chooseColour);
    connect(m_ui->saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(m_ui->restoreButton, &QPushButton::clicked, this, &CPrefsCtrl::restoreDefaults);
}

CPrefsCtrl::~CPrefsCtrl() = default;

void CPrefsCtrl::fill()
{
    for (int group = FirstGroupIndex; group <= LastGroupIndex; ++group)
        m_listEdits[group - FirstGroupIndex]->setText(m_preferences.extensionList(group));
    for (int position = 0; position < LineColourTable::Size; ++position)
        m_workingColours[position] = m_preferences.colours().at(position);
    m_ui->standardRadio->setChecked(true);
    showSamples(0);
    m_filled = true;
}

bool CPrefsCtrl::hasUnsavedEdits() const
{
    if (!m_filled)
        return false;
    for (int group = FirstGroupIndex; group <= LastGroupIndex; ++group)
        if (m_listEdits[group - FirstGroupIndex]->text() != m_preferences.extensionList(group))
            return true;
    for (int position = 0; position < LineColourTable::Size; ++position)
        if (m_workingColours[position] != m_preferences.colours().at(position))
            return true;
    return m_defaultsUnsaved;
}

int CPrefsCtrl::checkedPosition() const
{
    for (int position = 0; position < LineColourTable::Size; ++position) {
        if (m_radios[position]->isChecked())
            return position;
    }
    return -1;
}

void CPrefsCtrl::showSamples(int position)
{
    if (position < 0)
        return;
    const ColourRef colour = m_workingColours[position];
    const QPalette palette = QApplication::palette();
    m_ui->notSelectedSample->setColours(colour, toColourRef(palette.color(QPalette::Base)));
    m_ui->selectedSample->setColours(m_complementSelected ? complementColour(colour) : colour,
                                     toColourRef(palette.color(QPalette::Highlight)));
}

void CPrefsCtrl::chooseColour()
{
    const int position = checkedPosition();
    if (position < 0 || !m_services.chooseColour)
        return;
    ColourRef chosen = m_workingColours[position];
    if (!m_services.chooseColour(this, m_workingColours[position],
                                 loadString(StatusNameStandard + position), chosen))
        return;
    m_workingColours[position] = chosen;
    showSamples(position);
}

bool CPrefsCtrl::save()
{
    // Exactly as typed: users may rely on lists the program would not write itself.
    for (int group = FirstGroupIndex; group <= LastGroupIndex; ++group)
        m_preferences.setExtensionList(ImageFormatGroup(group),
                                       m_listEdits[group - FirstGroupIndex]->text());
    for (int position = 0; position < LineColourTable::Size; ++position)
        m_preferences.colours().setAt(position, m_workingColours[position]);
    const QString path = PreferencesFile::settingsFilePath();
    const FileResult saved = PreferencesFile::saveTo(m_preferences, path);
    if (!saved.ok && m_services.showMessage)
        m_services.showMessage(loadString(PreferencesNotSaved).arg(
            QDir::toNativeSeparators(path), saved.reason));
    m_defaultsUnsaved = m_defaultsUnsaved && !saved.ok;
    return saved.ok;
}

void CPrefsCtrl::restoreDefaults()
{
    m_preferences.setDefaults();
    fill();
    m_defaultsUnsaved = true;
}
