#include "app/pageservices.h"

#include "app/messagebox.h"
#include "convert/imagelibrary.h"
#include "convert/inplacerunner.h"
#include "prefs/chdcolordlg.h"

#include <QDesktopServices>

PageServices PageServices::desktop()
{
    PageServices services;
    services.openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    services.imageLibraryUsable = &ImageLibrary::isUsable;
    services.chooseColour = &CHdColorDlg::choose;
    services.conversionRunner = std::make_shared<InPlaceRunner>();
    services.renderPreview = &ConvertPreview::render;
    services.showMessage = [](const QString &text) { MessageBox::information(text); };
    return services;
}
