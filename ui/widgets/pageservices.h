// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/convertpreview.h"
#include "prefs/linecolourtable.h"
#include "rename/takendate.h"
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
    // Renders a preview and hands it to done later, from the event loop (at once when run in
    // this process). A newer request abandons the one in flight: its done may never be called.
    using PreviewDone = std::function<void(const PreviewResult &)>;
    std::function<void(const PreviewRequest &, PreviewDone done)> renderPreview;
    // Reads when the pictures names of folder were taken and hands the dates to done in batches,
    // from the event loop: dates[i] is that of names[first + i]. Every name comes back once, a
    // file that could not be read (or on which a reader failed) with an unset date. A newer call
    // abandons the batches of an earlier one not yet handed over. Read in this process when not
    // set, which only tests do: metadata is hostile input.
    using DatesDone = std::function<void(int first, const QList<TakenDate> &dates)>;
    std::function<void(const QString &folder, const QStringList &names, DatesDone done)> readDates;
    // Shows a message that needs the user's attention.
    std::function<void(const QString &)> showMessage;
    // Asks the user a question with the choices given as buttons and returns the index of the one
    // chosen. Escape chooses the last, which is to be the choice that changes nothing. Nothing is
    // asked when not set.
    std::function<int(const QString &text, const QStringList &choices)> ask;
};
