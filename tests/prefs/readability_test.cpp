// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/cconvlvctrl.h"
#include "convert/convertlistmodel.h"
#include "prefs/clvcolorwnd.h"
#include "prefs/colourcontrast.h"
#include "prefs/cprefsctrl.h"
#include "prefs/preferences.h"
#include "rename/crenamelvctrl.h"
#include "rename/renamelistmodel.h"
#include "widgets/pageservices.h"
#include "widgets/readableicon.h"
#include "widgets/statusline.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Scheme
{
    const char *name;
    QRgb base, window, text, highlight;
};

// Qt's own light palette, Breeze Dark, and a dark one with a deep blue highlight.
const Scheme Schemes[] = {{"Light", 0xFFFFFF, 0xEFEFEF, 0x000000, 0x308CC6},
                          {"BreezeDark", 0x232629, 0x31363B, 0xEFF0F1, 0x3DAEE9},
                          {"DeepBlue", 0x191919, 0x353535, 0xFFFFFF, 0x2A82DA}};

// The highest contrast of any pixel of the area against its top left pixel, its background.
double contrast(QWidget &widget, const QRect &area)
{
    const QImage image = widget.grab().toImage();
    double best = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, ColourContrast::ratio(image.pixelColor(x, y),
                                                        image.pixelColor(area.topLeft())));
    return best;
}

struct Readable : testing::TestWithParam<Scheme>
{
    // The preferences, made before the palette changes, hold the table of a light scheme.
    void SetUp() override
    {
        const Scheme &s = GetParam();
        QPalette palette(QColor(s.window), QColor(s.window));
        for (const auto &[role, rgb] : {std::pair(QPalette::Base, s.base),
                                        {QPalette::Text, s.text},
                                        {QPalette::WindowText, s.text},
                                        {QPalette::ButtonText, s.text},
                                        {QPalette::Highlight, s.highlight}})
            palette.setColor(role, QColor(rgb));
        QApplication::setPalette(palette);
    }
    void TearDown() override { QApplication::setPalette(m_original); }

    const QPalette m_original = QApplication::palette();
    Preferences m_preferences;
};

// Every line kind, selected or not, in both lists and the status line, and the preferences'
// samples read at 4.5:1; the keyboard's row is framed and the turn icons stand out at 3:1. The
// first Down selects the first row.
TEST_P(Readable, LinesSelectedOrNotSamplesStatusFocusAndIcons)
{
    ConvertListModel lines;
    lines.setNames({u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s});
    for (const LineStatus status : {FileTypeError, DuplicateError, CollisionError})
        lines.setFlag(status == CollisionError ? 3 : status, status, true);
    CConvLvCtrl convertList;
    convertList.attach(lines, m_preferences);
    const QTemporaryDir dir;
    for (const QString &name : {u"1.jpg"_s, u"2.jpg"_s})
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    RenameListModel files;
    files.scanFolder(dir.path(), u"*.jpg"_s);
    files.setNewNames({u"2.jpg"_s, u"1.jpg"_s}, {true, true});
    CRenameLvCtrl renameList;
    renameList.attach(files, m_preferences);
    for (QAbstractItemView *list :
         std::initializer_list<QAbstractItemView *>{&convertList, &renameList}) {
        list->show();
        list->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(list));
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 0);
        const QAbstractItemModel &model = *list->model();
        for (int current = 0; current < model.rowCount(); ++current) {
            list->setCurrentIndex(model.index(current, 0));
            const QRect frame = list->visualRect(model.index(current, 0));
            EXPECT_GE(contrast(*list->viewport(), QRect(frame.left(), frame.top() + 4, 3, 8)), 3)
                << list->metaObject()->className() << " frame " << current;
            for (int cell = 0; cell < model.rowCount() * model.columnCount(); ++cell) {
                const QModelIndex index =
                    model.index(cell / model.columnCount(), cell % model.columnCount());
                if (index.data().toString().isEmpty())
                    continue;
                EXPECT_GE(
                    contrast(*list->viewport(), list->visualRect(index).adjusted(3, 2, -3, -2)),
                    4.5)
                    << list->metaObject()->className() << " cell " << cell << " current "
                    << current;
            }
        }
        list->hide();
    }

    StatusLine line(m_preferences);
    line.resize(400, 30);
    for (const LineStatus kind :
         {Standard, FileTypeError, DuplicateError, CollisionError, OtherError}) {
        line.showText(u"Collision in destination files."_s, kind);
        EXPECT_GE(contrast(line, line.rect()), 4.5) << "status " << kind;
    }
    const PageServices services;
    CPrefsCtrl page(m_preferences, services);
    page.fill();
    for (QRadioButton *radio : page.findChildren<QRadioButton *>(
             QRegularExpression(u"(standard|fileType|duplicate|collision|other)Radio"_s))) {
        radio->click();
        for (CLvColorWnd *sample : page.findChildren<CLvColorWnd *>())
            EXPECT_GE(contrast(*sample, sample->rect()), 4.5) << radio->objectName().toStdString();
    }
    for (const QString &path : {u":/icons/rotate-left.png"_s, u":/icons/rotate-right.png"_s}) {
        QPushButton button(ReadableIcon::load(path, QApplication::palette()), QString());
        button.adjustSize();
        EXPECT_GE(contrast(button, button.rect().adjusted(6, 6, -6, -6)), 3) << path.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Palettes, Readable, testing::ValuesIn(Schemes),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
