// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "convert/convertsession.h"
#include "prefs/linecolourtable.h"
#include "rename/renamesession.h"
#include "widgets/folderchooser.h"

#include <QUrl>

#include <functional>
#include <memory>

class ConversionRunner;

// What the pages ask of the desktop, gathered so that tests can stand in for each; the real ones
// are wired in app/ (DesktopServices).
struct PageServices
{
    FolderChooser folderChooser;
    // Opens a file or folder with the user's default application; false when none could be
    // started.
    std::function<bool(const QUrl &)> openUrl;
    // Whether the image library can be used; checked once when the convert page starts.
    std::function<bool()> imageLibraryUsable;
    // The colour chooser: opened on initial with the title given; true when the user confirmed.
    std::function<bool(QWidget *owner, ColourRef initial, const QString &title, ColourRef &chosen)>
        chooseColour;
    // Where pictures are converted and previewed; in this process when not set.
    std::shared_ptr<ConversionRunner> conversionRunner;
    // How long the pictures in flight may take to finish after Stop before they are ended.
    int stopGraceMs = 2000;
    // Where previews are rendered and the dates photos were taken are read: the worker pool. In
    // this process when not set, which only tests do for dates: metadata is hostile input.
    ConvertSession::PreviewService renderPreview;
    RenameSession::DatesService readDates;
    // Shows a message that needs the user's attention.
    std::function<void(const QString &)> showMessage;
    // Asks the user a question with the choices given as buttons and returns the index of the one
    // chosen. Escape chooses the last, which is to be the choice that changes nothing. Nothing is
    // asked when not set.
    std::function<int(const QString &text, const QStringList &choices)> ask;
};
