// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "prefs/preferencesfile.h"

#include "convert/convertlistmodel.h"
#include "pages/cconvlvctrl.h"
#include "pages/clvcolorwnd.h"
#include "pages/cprefsctrl.h"
#include "pages/crenamelvctrl.h"
#include "prefs/colourcontrast.h"
#include "prefs/preferences.h"
#include "prefs/sessionstate.h"
#include "rename/renamelistmodel.h"
#include "util/pathutil.h"
#include "widgets/pageservices.h"
#include "widgets/readableicon.h"
#include "widgets/statusline.h"

#include "confighome.h"
#include "qtprinters.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray DefaultFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Pelorin>\r\n<GifImages>.gif;</GifImages>\r\n"
    "<JpgImages>.jpg;.jpeg;.jpe;.jif;.jfif;.jxr;</JpgImages>\r\n"
    "<J2kImages>.jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;</J2kImages>\r\n"
    "<PngImages>.png;</PngImages>\r\n<PsdImages>.psd;</PsdImages>\r\n"
    "<TifImages>.tif;.tiff;</TifImages>\r\n<RawImages>.raw;.dng;.cr2;</RawImages>\r\n"
    "<WebImages>.webp;</WebImages>\r\n"
    "<colorTable>#000000;#0000ff;#ff0000;#800080;#0000ff;</colorTable>\r\n</Pelorin>\r\n";

// The standard colour, the offscreen palette's text, is black.
TEST(Preferences, AllImagesFollowsTheGroupsTheDefaultsComeBackWholeAndTheFileKeepsItsLayout)
{
    const auto readText = [](const QByteArray &bytes) {
        Preferences preferences;
        PreferencesFile::read(preferences, bytes);
        return preferences;
    };
    const QString allImages =
        u".gif;.jpg;.jpeg;.jpe;.jif;.jfif;.jxr;.jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;"
        ".png;.psd;.tif;.tiff;.raw;.dng;.cr2;.webp;"_s;
    Preferences preferences;
    EXPECT_EQ(preferences.extensionList(AllImagesIndex), allImages);
    EXPECT_EQ(preferences.extensionList(-1) + preferences.extensionList(ExtensionListCount), u""_s);

    preferences.setExtensionList(ImageFormatGroup::GifImages, QString());
    preferences.setExtensionList(ImageFormatGroup::WebImages, u".webp;.wp;"_s);
    preferences.colours().setColour(CollisionError, 0x123456);
    EXPECT_EQ(preferences.extensionList(AllImagesIndex),
              QString(allImages).remove(u".gif;"_s).replace(u".webp;"_s, u".webp;.wp;"_s));
    preferences.setDefaults();
    EXPECT_EQ(preferences, Preferences());

    // The file is written in its fixed layout and read back; what is amiss keeps its default.
    EXPECT_EQ(PreferencesFile::write(Preferences()), DefaultFile);
    Preferences changed; // and read back: special characters, line breaks, other colours
    changed.setExtensionList(ImageFormatGroup::TifImages, u".tif;<&>\"'.x;&amp;lt;"_s);
    changed.setExtensionList(ImageFormatGroup::WebImages, u".webp;\r\n.é;"_s);
    changed.colours().setColour(Standard, 0x0A0B0C);
    changed.colours().setColour(OtherError, 0xFFFFFF);
    EXPECT_EQ(readText(PreferencesFile::write(changed)), changed);

    // The first opening tag counts, and the first closing tag after it; anything else keeps the
    // default. The text ends at the first zero byte, so a sixteen-bit file keeps every default.
    // clang-format off
    const std::pair<QByteArray, QString> cases[] = {
        {"<x><PngImages>.apng;</PngImages></x>", u".apng;"_s}, {"<PngImages></PngImages>", u".png;"_s},
        {"</PngImages><PngImages>.apng;", u".png;"_s}, {"<pngimages>.apng;</pngimages>", u".png;"_s},
        {"<PngImages>.a;</PngImages><PngImages>.b;</PngImages>", u".a;"_s},
        {"<PngImages> .a; \r\n.b</PngImages>", u" .a; \r\n.b"_s},
        {"<PngImages>&lt;&amp;amp;&#39;</PngImages>", u"<&amp;'"_s},
        {"\xFF\xFE<PngImages>.apng;</PngImages>\xC0", u".apng;"_s},
        {QByteArray("<GifImages>.g;</GifImages>\0<PngImages>.a;</PngImages>", 53), u".png;"_s}};
    // clang-format on
    for (const auto &[text, pngList] : cases)
        EXPECT_EQ(readText(text).extensionList(ImageFormatGroup::PngImages), pngList);

    // The colour table is walked by position.
    constexpr ColourRef K = 0x000000, R = 0x0000FF, B = 0xFF0000, P = 0x800080;
    // Short entries keep their place, no hex digits read as black, a non-digit ends the number,
    // empty entries are no entries, extra entries are ignored, negatives stay within 24 bits.
    // clang-format off
    const std::pair<QByteArray, std::array<ColourRef, 5>> tables[] = {
        {"#0000ff;#12345;#00ff00;", {R, R, 0x00FF00, P, R}}, {"#12g456;", {0x12, R, B, P, R}},
        {"#00ff00;#zzzzzz;", {0x00FF00, K, B, P, R}}, {"#-00001;", {0xFFFFFF, R, B, P, R}},
        {"0000ff0;#111111;", {K, 0x111111, B, P, R}},
        {";;#111111;;;#222222", {0x111111, 0x222222, B, P, R}},
        {"#000001;#000002;#000003;#000004;#000005;#000006;", {1, 2, 3, 4, 5}}};
    // clang-format on
    for (const auto &[table, colours] : tables) {
        const LineColourTable read = readText("<colorTable>" + table + "</colorTable>").colours();
        EXPECT_EQ((std::array{read.at(0), read.at(1), read.at(2), read.at(3), read.at(4)}), colours)
            << table.toStdString();
    }
}

// Anything but a regular file in the file's place keeps the defaults, as a damaged file does: a
// FIFO (with a writer) must not block the start, a device must not be read until memory runs out;
// past a MiB nothing is read. (A save cut short: AtomicFile's own test.) Each value of the state
// file stands on its own: a damaged or cut line loses only its value, a folder gone since is not
// restored, and a folder named by any bytes comes back whole.
TEST(FilesOnDisk, OnlyARegularFileIsReadAndStateValuesStandAlone)
{
    const ConfigHome home;
    const QString path = PreferencesFile::settingsFilePath();
    const QByteArray value = "<PngImages>.x;</PngImages>", fifo = QFile::encodeName(path) + "-fifo";
    const int writer = ::mkfifo(fifo.constData(), 0600) ? -1 : ::open(fifo.constData(), O_RDWR);
    ASSERT_TRUE(::write(writer, value.constData(), value.size()) == value.size() &&
                writeFileBytes(path, QByteArray(1 << 20, ' ') + value) &&
                QFile::link(u"/dev/zero"_s, path + u"-zero"_s));
    for (const QString &file : {path, path + u"-fifo"_s, path + u"-zero"_s}) {
        Preferences preferences;
        PreferencesFile::loadFrom(preferences, file);
        EXPECT_EQ(preferences.extensionList(ImageFormatGroup::PngImages), u".png;"_s);
    }
    ::close(writer);

    const QTemporaryDir dir;
    const auto removeOdd =
        qScopeGuard([&dir] { removeTreeAtBytes(QFile::encodeName(dir.path())); });
    const QByteArray odd = QFile::encodeName(dir.path()) + "/ a=b%\xff\n";
    ASSERT_EQ(::mkdir(odd.constData(), 0700), 0);
    const SessionState state{
        PathUtil::decodeName(odd), dir.path(), 3, 85, true, 2, 1200, 1, false, true};
    ASSERT_TRUE(state.save().ok);
    EXPECT_EQ(std::pair(SessionState::load(), QFileInfo(home.statePath()).isFile()),
              std::pair(state, true));
    // clang-format off
    const std::pair<QByteArray, SessionState> cases[] = {
        {"source=/no/such/folder\ndestination=tmp\nformat=gif\nquality=101\nresize=yes\n"
         "side=diagonal\npixels=-5\npage=3\nreplace=no", {}},
        {"quality = 85\r\nformat=png\npage=rename\nside=lar\n" + QByteArray(1, '\0') +
         "\xff=\n=\nsource\nresize=on\npixels=1e3\nreplace=off",
         {{}, {}, 1, 85, true, {}, {}, 1, false, {}}},
        {"pixels=0", {}}, {"pixels=4294967297", {}},
        {"pixels=1\nquality=0", {{}, {}, {}, 0, {}, {}, 1, {}, {}, {}}},
        {"pixels=2147483647", {{}, {}, {}, {}, {}, {}, INT_MAX, {}, {}, {}}}};
    // clang-format on
    // A size is written only when there is one.
    for (const auto &[bytes, read] : cases)
        EXPECT_EQ(std::pair(SessionState::read(bytes), read.write().contains("pixels=")),
                  std::pair(read, read.resizePixels.has_value()))
            << bytes.toStdString();
    qputenv("XDG_STATE_HOME", "relative");
    EXPECT_EQ(SessionState::filePath(), QDir::homePath() + u"/.local/state/Pelorin/state"_s);
}

TEST(PreferencesPage, AColourShowsInTheSampleAndReachesTheListsOnlyOnSaveAndSavesFailAloud)
{
    const ConfigHome home;
    const QString file = home.preferencesPath();
    Preferences preferences;
    QStringList messages;
    PageServices services;
    services.chooseColour = [](QWidget *, ColourRef, const QString &, ColourRef &chosen) {
        return chosen = 0x00C000, true; // green
    };
    services.showMessage = [&](const QString &text) { messages.append(text); };
    CPrefsCtrl page(preferences, services); // which keeps a reference to the services
    page.fill();
    page.show();
    QLineEdit *rawEdit = page.findChild<QLineEdit *>(u"rawEdit"_s);
    const auto click = [&page](const QString &n) { page.findChild<QAbstractButton *>(n)->click(); };
    const CLvColorWnd *sample = page.findChild<CLvColorWnd *>(u"notSelectedSample"_s);
    click(u"collisionRadio"_s);
    EXPECT_EQ(sample->textColour(), 0x800080u);
    click(u"colourButton"_s);
    // The lists draw with the saved colour.
    EXPECT_EQ(std::pair(sample->textColour(), preferences.colour(CollisionError)),
              std::pair(0x00C000u, 0x800080u));
    click(u"saveButton"_s);
    EXPECT_EQ(preferences.colour(CollisionError), 0x00C000u);
    EXPECT_TRUE(readFileBytes(file).contains(";#00c000;#0000ff;</colorTable>"));

    // Lists are saved as typed; Restore leaves the file; a failure is loud.
    rawEdit->setText(u" .NEF;.raw&<x>"_s);
    click(u"saveButton"_s);
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::RawImages), u" .NEF;.raw&<x>"_s);
    const QByteArray saved = readFileBytes(file);
    EXPECT_TRUE(saved.contains("\r\n<RawImages> .NEF;.raw&amp;&lt;x&gt;</RawImages>\r\n"));
    click(u"restoreButton"_s);
    EXPECT_EQ(std::tuple(preferences.extensionList(ImageFormatGroup::RawImages), rawEdit->text(),
                         readFileBytes(file)),
              std::tuple(u".raw;.dng;.cr2;"_s, u".raw;.dng;.cr2;"_s, saved));

    // A folder where the file should be: no save can succeed, and none may claim it did.
    ASSERT_TRUE(QFile::remove(file) && QDir().mkpath(file + u"/in-the-way"_s));
    click(u"saveButton"_s);
    EXPECT_EQ(messages, QStringList{u"The preferences could not be saved to %1: %2"_s.arg(
                            file, u"Filename refers to a directory."_s)});
    EXPECT_TRUE(QFileInfo(file + u"/in-the-way"_s).isDir());
}

struct Scheme
{
    const char *name;
    QRgb base, window, highlight;
};
void PrintTo(const Scheme &scheme, std::ostream *out)
{
    *out << scheme.name;
}
using Readable = testing::TestWithParam<Scheme>;

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

// With the colours saved on a light scheme, every line kind, selected or not, in both lists, the
// status line and the samples read at 4.5:1; the keyboard's row is framed and the turn icons
// stand out at 3:1. The first Down selects the first row. On a dark scheme the classic colours
// themselves are lightened until they read on the lists and the status line.
TEST_P(Readable, LinesStatusSamplesFocusAndIconsSelectedOrNot)
{
    Preferences preferences;
    const QPalette original = QApplication::palette();
    QPalette palette(QColor(GetParam().window), QColor(GetParam().window));
    palette.setColor(QPalette::Base, QColor(GetParam().base));
    palette.setColor(QPalette::Highlight, QColor(GetParam().highlight));
    QApplication::setPalette(palette);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });

    ConvertListModel lines;
    lines.setNames({u"a"_s, u"b"_s, u"c"_s, u"d"_s});
    for (const int row : {1, 2, 3}) // file type, duplicate, collision
        lines.setFlag(row, LineStatus(1 << (row - 1)), true);
    CConvLvCtrl convertList;
    convertList.attach(lines, preferences);
    const QTemporaryDir dir;
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"1"_s), "") &&
                writeFileBytes(dir.filePath(u"2"_s), ""));
    RenameListModel files;
    files.scanFolder(dir.path(), u"*"_s);
    files.setNewNames({u"2"_s, u"1"_s}, {true, true});
    CRenameLvCtrl renameList;
    renameList.attach(files, preferences);
    for (QAbstractItemView *list :
         std::initializer_list<QAbstractItemView *>{&convertList, &renameList}) {
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(list));
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 0);
        const QAbstractItemModel &model = *list->model();
        for (int current = 0; current < model.rowCount(); ++current) {
            list->setCurrentIndex(model.index(current, 0));
            const QRect framed = list->visualRect(model.index(current, 0));
            EXPECT_GE(contrast(*list->viewport(), QRect(framed.left(), framed.top() + 4, 3, 8)), 3)
                << current;
            for (int row = 0; row < model.rowCount(); ++row)
                for (int column = 0; column < model.columnCount(); ++column) {
                    const QRect cell = list->visualRect(model.index(row, column));
                    if (!model.index(row, column).data().toString().isEmpty()) {
                        EXPECT_GE(contrast(*list->viewport(), cell.adjusted(3, 2, -3, -2)), 4.5)
                            << row << ", " << column << " current " << current;
                    }
                }
        }
        list->hide();
    }

    StatusLine line(preferences);
    line.resize(400, 30);
    for (const int kind : {Standard, FileTypeError, DuplicateError, CollisionError, OtherError}) {
        line.showText(u"Collision in destination files."_s, kind);
        EXPECT_GE(contrast(line, line.rect()), 4.5) << kind;
    }
    const PageServices services;
    CPrefsCtrl page(preferences, services);
    page.fill();
    for (QRadioButton *radio : page.findChildren<QRadioButton *>()) {
        radio->click();
        for (CLvColorWnd *sample : page.findChildren<CLvColorWnd *>())
            EXPECT_GE(contrast(*sample, sample->rect()), 4.5) << radio->objectName().toStdString();
    }
    for (const QString &path : {u":/icons/rotate-left.png"_s, u":/icons/rotate-right.png"_s}) {
        QPushButton button(ReadableIcon::load(path, palette), QString());
        button.adjustSize();
        EXPECT_GE(contrast(button, button.rect().adjusted(6, 6, -6, -6)), 3) << path.toStdString();
    }
    if (qGray(GetParam().base) < 128) {
        preferences.setDefaults();
        for (int position = 0; position < LineColourTable::Size; ++position)
            for (const QPalette::ColorRole background : {QPalette::Base, QPalette::Window})
                EXPECT_GE(ColourContrast::ratio(toQColor(preferences.colours().at(position)),
                                                palette.color(background)),
                          4.5)
                    << position;
    }
}

// Qt's light palette, Breeze Dark, and a dark one with a deep blue highlight.
INSTANTIATE_TEST_SUITE_P(Palettes, Readable,
                         testing::Values(Scheme{"Light", 0xFFFFFF, 0xEFEFEF, 0x308CC6},
                                         Scheme{"BreezeDark", 0x232629, 0x31363B, 0x3DAEE9},
                                         Scheme{"DeepBlue", 0x191919, 0x353535, 0x2A82DA}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
