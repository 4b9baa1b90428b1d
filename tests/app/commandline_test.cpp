// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/commandline.h"

#include "testfiles.h"
#include "util/pathutil.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// Help and version are checked on the installed program by packaging/check-install.sh.
TEST(CommandLine, OpensAFolderOrAFilesFolderWarnsOfAMissingPathAndRefusesTwoFolders)
{
    QTemporaryDir temporary;
    const auto removeOdd =
        qScopeGuard([&temporary] { removeTreeAtBytes(QFile::encodeName(temporary.path())); });
    const QString dir = temporary.path();
    // A name that is not UTF-8 is found by its bytes; a relative path is made absolute and clean.
    ASSERT_TRUE(writeFileAtBytes(PathUtil::encodeName(dir) + "/\xff.jpg"));
    const QString file = QDir::current().relativeFilePath(dir) + u"/./\xdcff.jpg"_s;
    // The arguments, then the action, the folder and a part of the text (none: no text).
    // clang-format off
    const std::tuple<QStringList, CommandLine::Action, QString, QString> cases[] = {
        {{dir}, CommandLine::Open, dir, {}}, {{file}, CommandLine::Open, dir, {}},
        {{dir + u"/gone"_s}, CommandLine::Open, {}, dir + u"/gone"_s},
        {{dir, dir}, CommandLine::Refuse, {}, u"--help"_s}};
    // clang-format on
    for (const auto &[arguments, action, folder, text] : cases) {
        const CommandLine result =
            CommandLine::parse(QStringList{u"pelorin"_s} + arguments, u"1.2"_s);
        EXPECT_EQ(std::tuple(result.action, result.folder, result.text.isEmpty(),
                             result.text.contains(text)),
                  std::tuple(action, folder, text.isEmpty(), true))
            << arguments.join(u' ').toStdString() << result.text.toStdString();
    }
}
