#include "widgets/messagebox.h"

#include "resources/stringtable.h"

#include "qtprinters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Shown
{
    QString caption;
    QString text;
};

// Answers the next message box with OK and records what it showed.
void answerNextBox(Shown &shown)
{
    QTimer::singleShot(0, [&shown] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = {box->windowTitle(), box->text()};
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(MessageBox, ShowsTheWholeTextUnderTheApplicationName)
{
    QApplication::setApplicationName(u"Pelorin"_s);
    const QString longText = QString(300, u'x') + u" end"_s;

    Shown shown;
    answerNextBox(shown);
    EXPECT_EQ(MessageBox::information(longText), QMessageBox::Ok);
    EXPECT_EQ(shown.caption, u"Pelorin"_s);
    EXPECT_EQ(shown.text, longText);

    answerNextBox(shown);
    MessageBox::information(ImageLibraryMissing);
    EXPECT_EQ(shown.text, u"FreeImage.dll and/or FreeImagePlus.dll missing!"_s);
}

} // namespace
