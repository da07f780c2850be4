#include "app/aboutbox.h"
#include "app/programstate.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable failures for texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vestan::test {
namespace {

const QString kDescription = QStringLiteral(
    "Доступ к данным контроллера \"TARVEL\"\n(отладочная версия, для внутреннего использования)");

class AboutBoxTest : public ::testing::Test
{
protected:
    ScriptedHost host;
    FakeLink link;
    ProgramState state{host};
    QTemporaryDir dir;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state.api = link.api();
        host.path = makeProgram(QStringLiteral("vestan"), QDate(2007, 3, 3));
    }

    QString makeProgram(const QString &name, const QDate &modified)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("program");
        file.flush(); // a later write would stamp the file anew
        EXPECT_TRUE(
            file.setFileTime(QDateTime(modified, QTime(12, 0)), QFileDevice::FileModificationTime));
        return path;
    }

    static QString shortDate(const QDate &date)
    {
        return QLocale::system().toString(date, QLocale::ShortFormat);
    }
};

TEST_F(AboutBoxTest, FourTextsToTheLibrary)
{
    SBtnAboutClick(state);

    EXPECT_EQ(link.callsNamed("_trv_about").size(), 1u);
    ASSERT_EQ(link.aboutTexts.size(), 4u);
    EXPECT_EQ(link.aboutTexts[0], QStringLiteral("Vestan"));
    EXPECT_EQ(link.aboutTexts[1], QStringLiteral("Версия 1.0"));
    EXPECT_EQ(link.aboutTexts[2], kDescription);
    EXPECT_EQ(link.aboutTexts[3],
              QStringLiteral("Разработчики Vestan: vestan, от ") + shortDate(QDate(2007, 3, 3)));
}

TEST_F(AboutBoxTest, RenamedProgramChangesOnlyTheCreditsFileName)
{
    SBtnAboutClick(state);
    const std::vector<QString> before = link.aboutTexts;

    const QString renamed = dir.filePath(QStringLiteral("Сервис.bin"));
    ASSERT_TRUE(QFile::rename(host.path, renamed));
    host.path = renamed;
    SBtnAboutClick(state);

    ASSERT_EQ(link.aboutTexts.size(), 4u);
    EXPECT_EQ(link.aboutTexts[3], QStringLiteral("Разработчики Vestan: Сервис.bin, от ") +
                                      shortDate(QDate(2007, 3, 3)));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(link.aboutTexts[i], before[i]);
}

TEST_F(AboutBoxTest, NewModificationDateChangesTheCredit)
{
    host.path = makeProgram(QStringLiteral("copy"), QDate(2010, 11, 25));
    SBtnAboutClick(state);
    EXPECT_EQ(link.aboutTexts[3],
              QStringLiteral("Разработчики Vestan: copy, от ") + shortDate(QDate(2010, 11, 25)));
}

TEST_F(AboutBoxTest, TwoClicksShowTheSameTexts)
{
    SBtnAboutClick(state);
    const std::vector<QString> first = link.aboutTexts;
    SBtnAboutClick(state);
    EXPECT_EQ(link.aboutTexts, first);
    EXPECT_EQ(link.callsNamed("_trv_about").size(), 2u);
}

TEST_F(AboutBoxTest, MissingProgramFileShowsAnUnknownDate)
{
    host.path = dir.filePath(QStringLiteral("gone"));
    SBtnAboutClick(state);
    EXPECT_EQ(link.aboutTexts[3], QStringLiteral("Разработчики Vestan: gone, от ?"));
}

} // namespace
} // namespace vestan::test
