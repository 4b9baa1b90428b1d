// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/commandline.h"

#include "qtprinters.h"
#include "testfiles.h"
#include "util/pathutil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// In the arguments, the expected folder and the expected text: %dir stands for a folder that
// exists, %odd for one whose name is not UTF-8, %rel for a relative path to the folder.
struct Case
{
    const char *name;
    QStringList arguments;
    CommandLine::Action action;
    QString folder;
    QString textPart;
};

void PrintTo(const Case &testCase, std::ostream *out)
{
    *out << testCase.name;
}

class CommandLineParse : public testing::TestWithParam<Case>
{
};

TEST_P(CommandLineParse, GivesTheActionTheSourceFolderAndTheText)
{
    QTemporaryDir temporary;
    const QString dir = temporary.path() + u"/pictures"_s;
    const QString odd = PathUtil::decodeName(PathUtil::encodeName(temporary.path()) + "/\xff\xfe");
    ASSERT_TRUE(QDir().mkpath(dir));
    ASSERT_EQ(::mkdir(PathUtil::encodeName(odd).constData(), 0755), 0);
    ASSERT_TRUE(writeFileBytes(dir + u"/a.jpg"_s, "x"));
    const auto expand = [&](QString text) {
        return text.replace(u"%rel"_s, QDir::current().relativeFilePath(dir) + u"/../pictures/."_s)
            .replace(u"%dir"_s, dir)
            .replace(u"%odd"_s, odd);
    };

    QStringList arguments{u"pelorin"_s};
    for (const QString &argument : GetParam().arguments)
        arguments.append(expand(argument));
    const CommandLine result = CommandLine::parse(arguments, u"1.2.3"_s);

    EXPECT_EQ(result.action, GetParam().action);
    EXPECT_EQ(result.folder, expand(GetParam().folder));
    EXPECT_TRUE(result.text.contains(expand(GetParam().textPart))) << result.text.toStdString();
    EXPECT_EQ(result.text.isEmpty(), GetParam().textPart.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineParse,
    testing::Values(
        Case{"Nothing", {}, CommandLine::Open, {}, {}},
        Case{"Help", {u"--help"_s}, CommandLine::ShowHelp, {}, u"[FOLDER]"_s},
        Case{"Version", {u"-v"_s}, CommandLine::ShowVersion, {}, u"pelorin 1.2.3\n"_s},
        Case{"Folder", {u"%dir"_s}, CommandLine::Open, u"%dir"_s, {}},
        Case{"RelativeFolder", {u"%rel"_s}, CommandLine::Open, u"%dir"_s, {}},
        Case{"FileOpensItsFolder", {u"%dir/a.jpg"_s}, CommandLine::Open, u"%dir"_s, {}},
        Case{"NameNotUtf8", {u"%odd"_s}, CommandLine::Open, u"%odd"_s, {}},
        Case{"MissingPathOpensWithAWarning",
             {u"%dir/gone"_s},
             CommandLine::Open,
             {},
             u"%dir/gone"_s},
        Case{"UnknownOption", {u"--frobnicate"_s}, CommandLine::Refuse, {}, u"frobnicate"_s},
        Case{"TwoFolders", {u"%dir"_s, u"%dir"_s}, CommandLine::Refuse, {}, u"--help"_s}),
    [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

} // namespace
