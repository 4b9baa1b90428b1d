// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QFrame>
#include <QImage>

// A preview area: a picture fitted into its preview rectangle, a placeholder stretched over the
// whole area, a file's icon inset by 32 pixels, or nothing, always on the button-face colour.
// The convert page's square frame and the rename page's preview.
class PreviewFrame : public QFrame
{
    Q_OBJECT

public:
    enum class Content
    {
        Blank,
        Picture,
        Placeholder,
        Icon
    };

    explicit PreviewFrame(QWidget *parent = nullptr);

    void showPicture(const QImage &picture);
    void showPlaceholder(const QImage &placeholder);
    void showIcon(const QImage &icon);
    void blank();

    Content content() const { return m_content; }
    const QImage &image() const { return m_image; }
    // Where the picture is drawn, inside the frame's edge.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void show(Content content, const QImage &image);

    Content m_content = Content::Blank;
    QImage m_image;
};
