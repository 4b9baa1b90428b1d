// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/pageservices.h"

#include "convert/imagelibrary.h"
#include "convert/workerpool.h"
#include "widgets/chdcolordlg.h"
#include "widgets/messagebox.h"

#include <QDesktopServices>

namespace {

// A preview that takes longer than this is given up, so that a file which hangs the image
// library ends with a message rather than "Loading" for ever.
constexpr int PreviewTimeoutMs = 20'000;

} // namespace

PageServices PageServices::desktop()
{
    PageServices services;
    services.openUrl = &QDesktopServices::openUrl;
    services.imageLibraryUsable = &ImageLibrary::isUsable;
    services.chooseColour = &CHdColorDlg::choose;
    // Pictures are decoded in worker processes: a damaged file can crash the image library.
    const auto workers = std::make_shared<WorkerPool>();
    services.conversionRunner = workers;
    services.renderPreview = [workers](const PreviewRequest &request, PreviewDone done) {
        workers->preview(request, PreviewTimeoutMs, std::move(done));
    };
    services.readDates = [workers](const QString &folder, const QStringList &names,
                                   DatesDone done) {
        workers->readDates(folder, names, std::move(done));
    };
    services.showMessage = [](const QString &text) { MessageBox::information(text); };
    return services;
}
