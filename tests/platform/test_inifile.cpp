#include "platform/inifile.h"
#include "tests/support/testsystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vestan {
namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QString path(const char *name = "test.ini") const
    {
        return dir_.filePath(QString::fromLatin1(name));
    }

    void put(const QByteArray &bytes, const char *name = "test.ini") const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray contents(const char *name = "test.ini") const
    {
        QFile file(path(name));
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray("<missing>");
        return file.readAll();
    }

    QTemporaryDir dir_;
};

// ---- reading ----

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "k", "dflt"), "dflt");
    put("[S]\nk=1\n");
    EXPECT_EQ(ini.readString("Other", "k", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("S", "x", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("S", "k", "dflt"), "1");
}

TEST_F(IniFileTest, BlanksAndOnePairOfEnclosingQuotesAreDropped)
{
    put("[S]\n"
        "plain =  value with  inner blanks \t\n"
        "quoted=\"  kept blanks  \"\n"
        "empty=\"\"\n"
        "nested=\"\"x\"\"\n"
        "half=\"open\n"
        "one=\"\n"
        "inner=a\"b\"\n"
        "blank=   \n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "plain"), "value with  inner blanks");
    EXPECT_EQ(ini.readString("S", "quoted"), "  kept blanks  ");
    EXPECT_EQ(ini.readString("S", "empty", "dflt"), "");
    EXPECT_EQ(ini.readString("S", "nested"), "\"x\"");
    EXPECT_EQ(ini.readString("S", "half"), "\"open");
    EXPECT_EQ(ini.readString("S", "one"), "\"");
    EXPECT_EQ(ini.readString("S", "inner"), "a\"b\"");
    EXPECT_EQ(ini.readString("S", "blank", "dflt"), "");
}

TEST_F(IniFileTest, NamesCompareWithoutLetterCaseAndFirstOccurrenceWins)
{
    put("k=outside\n"
        "  [ Vestan App ]  \n"
        "; k=comment\n"
        "K=first\n"
        "k=second\n"
        "[vestan app]\n"
        "k=third\n"
        "only=in second\n"
        "[Пример]\n"
        "Ключ=Значение\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("VESTAN APP", "k"), "first");
    // The second section of the same name is not looked at, as on Windows.
    EXPECT_EQ(ini.readString("Vestan App", "only", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("пример", "ключ"), "Значение");
}

TEST_F(IniFileTest, CrlfLinesReadLikeLfLines)
{
    put("[S]\r\na=1\r\nb = two \r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "a"), "1");
    EXPECT_EQ(ini.readString("S", "b"), "two");
}

TEST_F(IniFileTest, AtMost2047CharactersOfAValueAreRead)
{
    const QByteArray longValue(3000, 'x');
    put("[S]\nlong=" + longValue + "\nafter=ok\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "long"), QString(2047, u'x'));
    EXPECT_EQ(ini.readString("S", "after"), "ok");
}

// ---- writing ----

TEST_F(IniFileTest, WritingCreatesFileAndSection)
{
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("VestanApp", "ComPort", "COM2"));
    ASSERT_TRUE(ini.writeString("VestanApp", "IdNet", "33"));
    EXPECT_EQ(contents(), test::onDisk("[VestanApp]\nComPort=COM2\nIdNet=33\n"));
}

TEST_F(IniFileTest, ReplacingAKeyLeavesEveryOtherByteAsItWas)
{
    const QByteArray before = "; settings\r\n"
                              "[Other]\r\n"
                              "ComPort=COM9\r\n"
                              "\r\n"
                              "[VestanApp]\r\n"
                              "Unknown = keep me \r\n"
                              "  comport = COM1 \r\n"
                              "; trailing comment\r\n";
    put(before);
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("VestanApp", "ComPort", "COM3"));
    QByteArray expected = before;
    expected.replace("  comport = COM1 \r\n", "  comport =COM3\r\n");
    EXPECT_EQ(contents(), expected);
    EXPECT_EQ(ini.readString("Other", "ComPort"), "COM9");
}

TEST_F(IniFileTest, ANewKeyGoesAfterTheLastLineOfItsSectionWithTheFilesLineEnd)
{
    put("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("A", "z", "3"));
    EXPECT_EQ(contents(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");

    put("[A]\nx=1\n\n[B]\ny=2");
    ASSERT_TRUE(ini.writeString("B", "z", "3"));
    EXPECT_EQ(contents(), "[A]\nx=1\n\n[B]\ny=2\nz=3\n");
}

TEST_F(IniFileTest, ANewSectionIsAppendedAfterABlankLine)
{
    put("; only a comment, no line end");
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("S", "k", "v"));
    EXPECT_EQ(contents(), test::onDisk("; only a comment, no line end\n\n[S]\nk=v\n"));
}

TEST_F(IniFileTest, DuplicateSectionsWriteIntoTheFirst)
{
    put("[S]\na=1\n[T]\n[s]\nb=old\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("S", "b", "new"));
    EXPECT_EQ(contents(), "[S]\na=1\nb=new\n[T]\n[s]\nb=old\n");
}

TEST_F(IniFileTest, WrittenValuesReadBack)
{
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("S", "phone", "\"\""));
    ASSERT_TRUE(ini.writeString("S", "name", "Журнал №1.dat"));
    EXPECT_EQ(ini.readString("S", "phone", "?"), "");
    EXPECT_EQ(ini.readString("S", "name"), "Журнал №1.dat");
    EXPECT_TRUE(contents().contains(test::onDisk("Журнал №1.dat"))); // UTF-8 or code page 1251
}

TEST_F(IniFileTest, AByteOrderMarkAndBytesThatAreNotUtf8SurviveARewrite)
{
    const QByteArray before = "\xEF\xBB\xBF[S]\nbad=\xFF\xFE\nk=1\n";
    put(before);
    IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "k"), "1");
    ASSERT_TRUE(ini.writeString("S", "k", "2"));
    EXPECT_EQ(contents(), "\xEF\xBB\xBF[S]\nbad=\xFF\xFE\nk=2\n");
}

TEST_F(IniFileTest, ValuesAndNamesThatWouldBreakTheLinesAreRefused)
{
    put("[S]\nk=1\n");
    IniFile ini(path());
    EXPECT_FALSE(ini.writeString("S", "k", "a\n[T]\nx=y"));
    EXPECT_FALSE(ini.writeString("S", "k", "a\rb"));
    EXPECT_FALSE(ini.writeString("S", "a=b", "1"));
    EXPECT_FALSE(ini.writeString("S]", "k", "1"));
    EXPECT_FALSE(ini.writeString("S", "", "1"));
    EXPECT_EQ(contents(), "[S]\nk=1\n");
}

TEST_F(IniFileTest, AReadOnlyFileIsNotWrittenAndStaysWhole)
{
    const QByteArray before = "[S]\r\nk=1\r\n; note\r\n";
    put(before);
    QFile::setPermissions(path(),
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    IniFile ini(path());
    EXPECT_FALSE(ini.writeString("S", "k", "2"));
    EXPECT_FALSE(ini.writeString("S", "new", "2"));
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(ini.readString("S", "k"), "1");
}

TEST_F(IniFileTest, AFileInAMissingDirectoryCannotBeWritten)
{
    IniFile ini(dir_.filePath("no/such/dir/test.ini"));
    EXPECT_FALSE(ini.writeString("S", "k", "1"));
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath("no")));
}

TEST_F(IniFileTest, ADirectoryInPlaceOfTheFileReadsDefaultsAndCannotBeWritten)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("test.ini"));
    IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "k", "dflt"), "dflt");
    EXPECT_FALSE(ini.writeString("S", "k", "1"));
}

TEST_F(IniFileTest, RewritingKeepsTheFilesPermissions)
{
    VESTAN_NEEDS_LINUX_FILES();
    put("[S]\nk=1\n");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                      QFileDevice::WriteUser;
    QFile::setPermissions(path(), mode);
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("S", "k", "2"));
    EXPECT_EQ(QFile::permissions(path()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              QFileDevice::Permissions());
}

} // namespace
} // namespace vestan
