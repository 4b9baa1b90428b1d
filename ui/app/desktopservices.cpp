// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/desktopservices.h"

#include "imaging/imagelibrary.h"
#include "widgets/chdcolordlg.h"
#include "widgets/messagebox.h"
#include "workers/workerpool.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace {

// A preview that takes longer than this is given up, so that a file which hangs the image
// library ends with a message rather than "Loading" for ever.
constexpr int PreviewTimeoutMs = 20'000;

} // namespace

PageServices DesktopServices::make()
{
    PageServices services;
    services.openUrl = &QDesktopServices::openUrl;
    services.imageLibraryUsable = &ImageLibrary::isUsable;
    services.chooseColour = &CHdColorDlg::choose;
    // Pictures are decoded in worker processes: a damaged file can crash the image library.
    const auto workers = std::make_shared<WorkerPool>();
    services.conversionRunner = workers;
    services.renderPreview = [workers](const PreviewRequest &request,
                                       ConvertSession::PreviewDone done) {
        workers->preview(request, PreviewTimeoutMs, std::move(done));
    };
    services.readDates = [workers](const QString &folder, const QStringList &names,
                                   RenameSession::DatesDone done) {
        workers->readDates(folder, names, std::move(done));
    };
    services.showMessage = [](const QString &text) { MessageBox::information(text); };
    services.ask = [](const QString &text, const QStringList &choices) {
        QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text);
        QList<QAbstractButton *> buttons;
        for (const QString &choice : choices)
            buttons.append(box.addButton(choice, QMessageBox::AcceptRole));
        // Escape and the close box choose the last: the choice that changes nothing.
        if (!buttons.isEmpty())
            box.setEscapeButton(buttons.last());
        box.exec();
        return int(buttons.indexOf(box.clickedButton()));
    };
    return services;
}
