// The real link library against the controller simulator on a
// pseudo-terminal: a journal download and a software image upload store
// exactly what the simulator holds.

#include "journal/journalcheck.h"
#include "journal/journalpage.h"
#include "session/linkloader.h"
#include "tests/journal/transferrig.h"
#include "tests/tools/trvsim/process/simprocess.h"
#include "upload/imagesize.h"
#include "upload/imageupload.h"
#include "upload/uploadpage.h"

#include <QFileInfo>
#include <QToolButton>

namespace vestan::test {
namespace {

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString bin = buildBinDir();
        if (!QFileInfo::exists(bin + "/trvCLNK.so") || !QFileInfo::exists(bin + "/trvsim"))
            GTEST_SKIP() << "trvCLNK.so or trvsim not built in " << qPrintable(bin);
        ASSERT_TRUE(QDir(dir.path()).mkpath("tmp"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("dump"));
        savedTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(dir.filePath("tmp")));

        // Two replies of the journal's data come with a burst inserted that
        // passes the check sum, as one damaged reply in 65536 does.
        sim = std::make_unique<SimProcess>(
            QStringList{"--records", "700", "--record-size", "96", "--flash-size",
                        QString::number(kAltFlashSize), "--dump", dir.filePath("dump"),
                        "--forge-burst", "0B01:30000:2"});
        ASSERT_TRUE(sim->ready()) << qPrintable(sim->failure());

        // The library takes its port table from TRVCLNK_INI once, when it is
        // first used; this test program loads it here only.
        const QString ini = dir.filePath("trvCLNK.ini");
        ASSERT_TRUE(writeFile(ini, "[COM2]\nDevice=" + QFile::encodeName(sim->linkPath()) +
                                       "\nBaud=115200\n"));
        qputenv("TRVCLNK_INI", QFile::encodeName(ini));

        host.path = bin + "/vestan"; // the library is found beside the program
        state.paths.programFileName = "vestan";
        ASSERT_EQ(LoadLinkLibrary(state), 0) << host.boxes.size();
        state.libraryBound = 1;
        state.api._trvCL_fInit();
        state.api._trvCL_fSetPhone(1, "");
        ASSERT_EQ(state.api._trvCL_fOpen(1), 1);
        state.channel.isOpen = 1;
    }

    void TearDown() override
    {
        if (state.libraryBound)
            state.api._trvCL_fClose(1);
        state.tempFile.DeleteTempFile();
        qputenv("TMPDIR", savedTmp_);
    }

    QTemporaryDir dir;
    ScriptedHost host;
    Session state{host};
    RecentFiles recentFiles;
    QWidget window;
    ProgressPanel progress{&window};
    std::unique_ptr<SimProcess> sim;

private:
    QByteArray savedTmp_;
};

TEST_F(EndToEnd, JournalAndImageStoredAsTheSimulatorHoldsThem)
{
    const QString journal = dir.filePath("journal.dat");
    const QString image = dir.filePath("flash.bin");
    host.answers = {kIdYes, kIdYes};
    host.fileAnswers = {journal, image};
    state.session.portionSize = 512;

    JournalPage journalPage(state, recentFiles, progress);
    journalPage.SBtnJurLink->click();
    const QByteArray expectedJournal = readAll(dir.filePath("dump/journal.dat"));
    ASSERT_GT(expectedJournal.size(), 700 * 96);
    EXPECT_EQ(readAll(journal), expectedJournal);
    EXPECT_EQ(state.session.lastDataSize, 700u * 96u);
    EXPECT_EQ(CheckJournalFile(host, journal, nullptr), 0);

    UploadPage uploadPage(state, recentFiles, progress);
    uploadPage.SBtnGet->click();
    const QByteArray expectedImage = readAll(dir.filePath("dump/0900.bin"));
    EXPECT_EQ(expectedImage.size(), int(kAltFlashSize));
    EXPECT_EQ(readAll(image), expectedImage);

    // Only the two storing questions were asked: no link error on the way.
    EXPECT_EQ(boxTextsOf(host),
              (std::vector<QString>{"Записать журнал в файл", "Записать данные FLASH в файл"}));
    EXPECT_EQ(journalPage.CBoxJurFile->itemText(0), image);
    EXPECT_EQ(journalPage.CBoxJurFile->itemText(1), journal);
    EXPECT_FALSE(QFile::exists(userTempDirectory() + "/vestan.TMP"));
}

} // namespace
} // namespace vestan::test
