// A stored journal chosen by the user: the check of its start, the list of
// recent files, and the journal-header window.

#include "journal/journalcheck.h"
#include "journal/journalheaderwindow.h"
#include "journal/journalpage.h"
#include "maker/tarvel/journalformat.h"
#include "maker/tarvel/tarvel.h"
#include "platform/codepage.h"
#include "tests/journal/transferrig.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <cstring>

namespace vestan::test {
namespace {

QByteArray validJournal()
{
    journalformat::JournalSpec spec;
    spec.controllerName = "Котельная 3";
    spec.versionText = "ПО 2.14";
    spec.firstPowerOn = {2007, 3, 1, 8, 0, 0, 0};
    spec.lastPowerOn = {2008, 5, 1, 7, 30, 0, 0};
    spec.settingsSaved = {2008, 4, 2, 12, 0, 0, 0};
    spec.parametersRequested = {2008, 5, 13, 16, 45, 10, 0};
    spec.recordCount = 5;
    spec.firstRecord = {2008, 5, 1, 7, 31, 0, 0};
    const journalformat::Journal journal = journalformat::generateJournal(spec);
    QByteArray bytes(reinterpret_cast<const char *>(journal.header.data()),
                     qsizetype(journal.header.size()));
    bytes.append(reinterpret_cast<const char *>(journal.data.data()),
                 qsizetype(journal.data.size()));
    return bytes;
}

QString checkText(int code)
{
    return fromCp1251(_tj_Err2str(code));
}

using JournalCheck = TransferRig;

TEST_F(JournalCheck, WholeJournalPassesAndIsHandedBackOpen)
{
    ASSERT_TRUE(writeFile(target("j.dat"), validJournal()));
    std::unique_ptr<QFile> file;
    EXPECT_EQ(CheckJournalFile(host, target("j.dat"), &file), 0);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->isOpen());
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(JournalCheck, EightyFourBytesAreEnoughEightyThreeAreNot)
{
    const QByteArray journal = validJournal();
    ASSERT_TRUE(writeFile(target("84.dat"), journal.left(84)));
    ASSERT_TRUE(writeFile(target("83.dat"), journal.left(83)));
    EXPECT_EQ(CheckJournalFile(host, target("84.dat"), nullptr), 0);
    EXPECT_TRUE(host.boxes.empty());

    std::unique_ptr<QFile> file;
    EXPECT_EQ(CheckJournalFile(host, target("83.dat"), &file), 1);
    EXPECT_FALSE(file);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, host.path);
    EXPECT_EQ(host.boxes[0].text, " Файл \"" + target("83.dat") + "\"\nмаловат для журнала!");
    EXPECT_EQ(host.boxes[0].style, kMbIconExclamation | kMbOk);
}

TEST_F(JournalCheck, MissingFileOrDirectoryCannotBeOpened)
{
    EXPECT_EQ(CheckJournalFile(host, target("none.dat"), nullptr), 1);
    EXPECT_EQ(CheckJournalFile(host, dir.path(), nullptr), 1);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text, " Не могу открыть файл\n\"" + target("none.dat") + "\"");
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(host.boxes[1].text, " Не могу открыть файл\n\"" + dir.path() + "\"");
}

TEST_F(JournalCheck, BadSignatureIsRefusedWithTheLibraryText)
{
    QByteArray bytes = validJournal();
    bytes[0] = 'X';
    ASSERT_TRUE(writeFile(target("sig.dat"), bytes));
    const int code = _tj_ChkHeadStart(bytes.constData(), 84, nullptr);
    ASSERT_NE(code, 0);
    EXPECT_EQ(CheckJournalFile(host, target("sig.dat"), nullptr), code);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text,
              " " + checkText(code) + "\n\n Файл \"" + target("sig.dat") + "\"");
    EXPECT_EQ(host.boxes[0].style, kMbIconExclamation | kMbOk);
}

TEST_F(JournalCheck, FlippedByteIsRefused)
{
    QByteArray bytes = validJournal();
    bytes[30] = char(bytes[30] ^ 0x01);
    ASSERT_TRUE(writeFile(target("flip.dat"), bytes));
    EXPECT_NE(CheckJournalFile(host, target("flip.dat"), nullptr), 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.boxes[0].text.endsWith("\n\n Файл \"" + target("flip.dat") + "\""));
}

TEST_F(JournalCheck, AcceptPutsAGoodFileOnTopAndLeavesTheListForABadOne)
{
    ASSERT_TRUE(writeFile(target("good.dat"), validJournal()));
    ASSERT_TRUE(writeFile(target("bad.dat"), QByteArray(100, 'x')));
    recentFiles.AddRecentFile("/older.dat");
    EXPECT_EQ(AcceptJournalFile(host, recentFiles, target("bad.dat")), 1);
    EXPECT_EQ(recentFiles.recentCount(), 1);
    EXPECT_EQ(AcceptJournalFile(host, recentFiles, target("good.dat")), 0);
    EXPECT_EQ(recentFiles.recentCount(), 2);
    EXPECT_EQ(recentFiles.item(0), target("good.dat"));
}

class RecentList : public TransferRig
{
protected:
    void fill(int count)
    {
        for (int i = count; i >= 1; --i)
            recentFiles.AddRecentFile(QString("/j/%1.dat").arg(i));
    }
    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < recentBox.count(); ++i)
            out << recentBox.itemText(i);
        return out;
    }
};

TEST_F(RecentList, FirstEntryAgainLeavesTheListUnchanged)
{
    fill(5);
    const QStringList before = items();
    recentFiles.AddRecentFile("/j/1.dat");
    EXPECT_EQ(items(), before);
    EXPECT_EQ(recentFiles.recentCount(), 5);
}

TEST_F(RecentList, FifthEntryMovesToTheTop)
{
    fill(7);
    recentFiles.AddRecentFile("/j/5.dat");
    EXPECT_EQ(items(), QStringList({"/j/5.dat", "/j/1.dat", "/j/2.dat", "/j/3.dat", "/j/4.dat",
                                    "/j/6.dat", "/j/7.dat"}));
    EXPECT_EQ(recentFiles.recentCount(), 7);
    EXPECT_EQ(recentBox.currentIndex(), 0);
}

TEST_F(RecentList, EleventhNamePushesOutTheOldest)
{
    fill(10);
    recentFiles.AddRecentFile("/j/new.dat");
    EXPECT_EQ(recentFiles.recentCount(), 10);
    EXPECT_EQ(recentBox.count(), 10);
    EXPECT_EQ(items().front(), "/j/new.dat");
    EXPECT_EQ(items().back(), "/j/9.dat");
    EXPECT_FALSE(items().contains("/j/10.dat"));
}

TEST_F(RecentList, OtherLetterCaseIsANewEntry)
{
    fill(3);
    recentFiles.AddRecentFile("/J/2.DAT");
    EXPECT_EQ(recentFiles.recentCount(), 4);
    EXPECT_EQ(items(), QStringList({"/J/2.DAT", "/j/1.dat", "/j/2.dat", "/j/3.dat"}));
}

using JournalLoad = TransferRig;

TEST_F(JournalLoad, ChosenJournalGoesToTheTopOfThePagesList)
{
    ASSERT_TRUE(writeFile(target("good.dat"), validJournal()));
    JournalPage page(state, recentFiles, progress);
    JournalHeaderWindow window;
    page.setHeaderWindow(&window);
    ASSERT_EQ(recentFiles.box(), page.CBoxJurFile);
    recentFiles.AddRecentFile("/older/old.dat");
    host.fileAnswers = {target("good.dat")};
    page.SBtnJurLoad->click();
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].title, "Открыть журнал");
    EXPECT_EQ(host.dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(host.dialogs[0].directory, "/older");
    EXPECT_EQ(page.CBoxJurFile->itemText(0), target("good.dat"));
    EXPECT_EQ(page.CBoxJurFile->currentText(), target("good.dat"));
    EXPECT_TRUE(host.boxes.empty());
    // Nothing is decoded for a chosen file, so the header window stays hidden.
    EXPECT_TRUE(window.isHidden());
}

TEST_F(JournalLoad, CancelledDialogChangesNothing)
{
    JournalPage page(state, recentFiles, progress);
    host.fileAnswers = {""};
    page.SBtnJurLoad->click();
    EXPECT_EQ(page.CBoxJurFile->count(), 0);
    EXPECT_TRUE(host.boxes.empty());
}

TEST(JournalHeaderWindowTest, ShowsOnlyAValidRecord)
{
    JournalHeaderWindow window;
    EXPECT_EQ(window.size(), QSize(473, 296));
    EXPECT_EQ(window.PgCtrJHInfo->count(), 1);
    EXPECT_EQ(window.PgCtrJHInfo->tabText(0), "Базовая информация");
    EXPECT_TRUE(window.EdJName->isReadOnly());
    EXPECT_FALSE(window.ShowJournalHeaderInfo(nullptr, 0, "t"));

    std::vector<uint8_t> record(kJournalHeaderRecordSize, 0);
    EXPECT_FALSE(window.ShowJournalHeaderInfo(record.data(), 0, "t"));
    EXPECT_TRUE(window.isHidden());

    record[journalrecord::kValidFlag] = 1;
    const QByteArray name = toCp1251("/журналы/котельная.dat");
    std::memcpy(record.data() + journalrecord::kFileName, name.constData(), size_t(name.size()));
    window.BtnJHIExit->setText("Закрыть");
    EXPECT_TRUE(window.ShowJournalHeaderInfo(record.data(), 0, QString()));
    EXPECT_EQ(window.windowTitle(), "Информация о журнале");
    EXPECT_EQ(window.EdJName->text(), "/журналы/котельная.dat");
    EXPECT_EQ(window.BtnJHIExit->text(), "Отмена");
    EXPECT_FALSE(window.isHidden());
}

} // namespace
} // namespace vestan::test
