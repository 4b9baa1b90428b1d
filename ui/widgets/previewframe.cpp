// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/previewframe.h"

#include "imaging/convertpreview.h"

#include <QPainter>

PreviewFrame::PreviewFrame(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewFrame::showPicture(const QImage &picture)
{
    show(picture.isNull() ? Content::Blank : Content::Picture, picture);
}

void PreviewFrame::showPlaceholder(const QImage &placeholder)
{
    show(Content::Placeholder, placeholder);
}

void PreviewFrame::showIcon(const QImage &icon)
{
    show(icon.isNull() ? Content::Blank : Content::Icon, icon);
}

void PreviewFrame::blank()
{
    show(Content::Blank, QImage());
}

QRect PreviewFrame::pictureRect() const
{
    const QRect area = contentsRect();
    switch (m_content) {
    case Content::Picture:
        return ConvertPreview::previewRect(area.width(), area.height(), m_image.width(),
                                           m_image.height())
            .translated(area.topLeft());
    case Content::Placeholder:
        return area;
    case Content::Icon:
        return area.adjusted(32, 32, -32, -32);
    case Content::Blank:
        break;
    }
    return QRect();
}

void PreviewFrame::show(Content content, const QImage &image)
{
    m_content = content;
    m_image = image;
    // Drawn at once: the frame changes inside handlers that run on before returning to the loop.
    if (isVisible())
        repaint();
}

void PreviewFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(contentsRect(), face);
    drawFrame(&painter);
    if (m_content == Content::Blank || m_image.isNull())
        return;
    const QRect target = pictureRect();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Transparent parts show the button face.
    painter.fillRect(target, face);
    painter.drawImage(target, m_image);
}
