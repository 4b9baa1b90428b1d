// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/caboutdlg.h"

#include "strings/stringtable.h"
#include "ui_caboutdlg.h"
#include "widgets/layoutscale.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString FreeImageHomePage = u"https://freeimage.sourceforge.io/"_s;

QString linkHtml(const QString &target, const QString &label)
{
    return u"<a href=\"%1\">%2</a>"_s.arg(target.toHtmlEscaped(), label.toHtmlEscaped());
}

void makeLink(QLabel *label, const QString &target, const QString &text)
{
    label->setTextFormat(Qt::RichText);
    label->setText(linkHtml(target, text));
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
    label->setToolTip(target);
    label->setAccessibleName(text);
}

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->iconLabel->setPixmap(windowIcon().pixmap(32, 32));
    m_ui->versionLabel->setText(versionText());
    // Grown with the desktop font like the main window, while the links still hold plain text.
    const QString maker = loadString(MakerWebPage);
    m_ui->makerLink->setText(QUrl(maker).host());
    m_ui->freeImageLink->setText(u"FreeImage"_s);
    const double scale = LayoutScale::needed({this});
    LayoutScale::scaleChildren(this, scale);
    setFixedSize(int(std::lround(width() * scale)), int(std::lround(height() * scale)));
    m_ui->edge->setGeometry(rect()); // the border, whatever the rounding

    makeLink(m_ui->makerLink, maker, QUrl(maker).host());
    makeLink(m_ui->freeImageLink, FreeImageHomePage, u"FreeImage"_s);
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::versionText(int major, int minor, int build, int revision, bool prerelease)
{
    if (prerelease)
        return loadString(VersionPrerelease).arg(major).arg(minor).arg(build).arg(revision);
    if (build != 0)
        return loadString(VersionBuild).arg(major).arg(minor).arg(build);
    return loadString(VersionShort).arg(major).arg(minor);
}

QString CAboutDlg::versionText()
{
    return versionText(PELORIN_VERSION_MAJOR, PELORIN_VERSION_MINOR, PELORIN_VERSION_BUILD,
                       PELORIN_VERSION_REVISION, PELORIN_PRERELEASE);
}

// Clicks on the links are taken by the link labels; every other click lands here.
void CAboutDlg::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        accept();
    else
        QDialog::mousePressEvent(event);
}

void CAboutDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        accept();
    else
        QDialog::keyPressEvent(event);
}
