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

// Answers the next message box with OK; returns its caption and text.
QStringList answerNextBox(const std::function<void()> &show)
{
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = {box->windowTitle(), box->text()};
        box->button(QMessageBox::Ok)->click();
    });
    show();
    return shown;
}

TEST(MessageBox, ShowsTheWholeTextUnderTheApplicationName)
{
    QApplication::setApplicationName(u"Pelorin"_s);
    const QString longText = QString(300, u'x') + u" end"_s;
    EXPECT_EQ(answerNextBox([&] { EXPECT_EQ(MessageBox::information(longText), QMessageBox::Ok); }),
              (QStringList{u"Pelorin"_s, longText}));
    EXPECT_EQ(answerNextBox([] { MessageBox::information(ImageLibraryMissing); }).value(1),
              u"FreeImage.dll and/or FreeImagePlus.dll missing!"_s);
}

} // namespace
