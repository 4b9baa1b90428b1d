#pragma once

#include <QFrame>
#include <QImage>

// The square frame beside the convert list. Shows a picture fitted into its preview rectangle,
// the placeholder stretched over the whole frame, or nothing, always on the button-face colour.
class PreviewFrame : public QFrame
{
    Q_OBJECT

public:
    enum class Content
    {
        Blank,
        Picture,
        Placeholder
    };

    explicit PreviewFrame(QWidget *parent = nullptr);

    void showPicture(const QImage &picture);
    void showPlaceholder(const QImage &placeholder);
    void blank();

    Content content() const { return m_content; }
    const QImage &image() const { return m_image; }
    // Where the picture is drawn (the whole frame for the placeholder).
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void show(Content content, const QImage &image);

    Content m_content = Content::Blank;
    QImage m_image;
};
