// The journal download behind SBtnJurLink, driven on the page with a fake
// link: portions, progress, texts, storing, and every way it can end.

#include "journal/journalpage.h"
#include "tests/journal/transferrig.h"

#include <QCheckBox>
#include <QImage>
#include <QToolButton>

namespace vestan::test {
namespace {

class Download : public TransferRig
{
protected:
    void SetUp() override
    {
        TransferRig::SetUp();
        page = std::make_unique<JournalPage>(state, recentFiles, progress);
    }
    void TearDown() override
    {
        page.reset();
        TransferRig::TearDown();
    }
    void serve(int headerSize, int dataSize)
    {
        header = patternBytes(headerSize, 1);
        data = patternBytes(dataSize, 2);
        link.objects[ObjJournalHeader] = header;
        link.objects[ObjJournalData] = data;
    }
    void click() { page->SBtnJurLink->click(); }
    // Ends cleanly whatever happened: flag cleared, panel hidden, status
    // refreshed once on the way in and once on the way out.
    void expectEnded()
    {
        EXPECT_EQ(state.channel.running, 0);
        EXPECT_TRUE(progress.isHidden());
        EXPECT_EQ(status.runningSeen, (std::vector<int>{1, 0}));
    }

    std::unique_ptr<JournalPage> page;
    QByteArray header;
    QByteArray data;
};

TEST_F(Download, HeaderAndDataInPortionsStoredAsOneFile)
{
    serve(2500, 100);
    std::vector<int> positions;
    std::vector<QString> texts;
    link.beforeRequest = [&](int) {
        positions.push_back(progress.ProgressBJurLnk->value());
        texts.push_back(progress.StTLJurInfo->text());
        host.ticks += 1500;
    };
    int maximumAtQuestion = 0;
    int positionAtQuestion = 0;
    QString infoAtQuestion;
    host.onMessageBox = [&](const RecordedBox &) {
        maximumAtQuestion = progress.ProgressBJurLnk->maximum();
        positionAtQuestion = progress.ProgressBJurLnk->value();
        infoAtQuestion = progress.StTLJurInfo->text();
        EXPECT_FALSE(progress.isHidden());
    };
    host.answers = {kIdYes};
    host.fileAnswers = {target("journal.dat")};
    click();

    EXPECT_EQ(link.requests[0].toHex(), "2101000b");
    EXPECT_EQ(link.requests[1].toHex(), "2101010b");
    EXPECT_EQ(blocks(),
              (std::vector<Block>{
                  {0x0B00, 1024, 0}, {0x0B00, 1024, 1024}, {0x0B00, 452, 2048}, {0x0B01, 100, 0}}));
    // Positions seen before each portion: the fourth step leaves the bar full.
    EXPECT_EQ(std::vector<int>(positions.begin() + 2, positions.end()),
              (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(maximumAtQuestion, 3);
    EXPECT_EQ(positionAtQuestion, 3);
    EXPECT_EQ(std::vector<QString>(texts.begin() + 3, texts.end()),
              (std::vector<QString>{"Заголовок 2500 [1024]", "Заголовок 2500 [2048]",
                                    "Заголовок 2500 [2500]"}));
    EXPECT_EQ(infoAtQuestion, "Заголовок 2500, данные 100");
    // Six requests of 1.5 s each before the last portion's reply.
    EXPECT_EQ(progress.StTLJurTm->text(), "09");

    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "vestan");
    EXPECT_EQ(host.boxes[0].text, "Записать журнал в файл");
    EXPECT_EQ(host.boxes[0].style, kMbIconQuestion | kMbYesNo);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].title, "Запись журнала в файл");
    EXPECT_EQ(host.dialogs[0].kind, FileDialogKind::Save);

    EXPECT_EQ(readAll(target("journal.dat")), header + data);
    EXPECT_EQ(state.session.lastJournalFile, target("journal.dat"));
    EXPECT_EQ(state.session.lastHeaderSize, 2500u);
    EXPECT_EQ(state.session.lastDataSize, 100u);
    EXPECT_EQ(page->CBoxJurFile->itemText(0), target("journal.dat"));
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_TRUE(tmpEntries().isEmpty());
    expectEnded();
}

TEST_F(Download, EmptyJournalAsksAndStoresAnEmptyFile)
{
    serve(0, 0);
    host.answers = {kIdYes};
    host.fileAnswers = {target("empty.dat")};
    click();
    EXPECT_TRUE(blocks().empty());
    EXPECT_EQ(progress.ProgressBJurLnk->maximum(), 1);
    EXPECT_EQ(progress.StTLJurInfo->text(), "Заголовок 0, данные 0");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Записать журнал в файл");
    ASSERT_TRUE(QFile::exists(target("empty.dat")));
    EXPECT_EQ(readAll(target("empty.dat")), QByteArray());
    EXPECT_EQ(state.session.lastJournalFile, target("empty.dat"));
    expectEnded();
}

TEST_F(Download, HeaderOnlySkipsTheDataArea)
{
    serve(1500, 700);
    state.session.lastDataSize = 77;
    page->ChcBoxJurHeadOnly->setChecked(true);
    host.answers = {kIdYes};
    host.fileAnswers = {target("head.dat")};
    click();
    for (const QByteArray &r : link.requests)
        EXPECT_NE(uint8_t(r[2]), 0x01) << "the data area was asked for";
    EXPECT_EQ(blocks(), (std::vector<Block>{{0x0B00, 1024, 0}, {0x0B00, 476, 1024}}));
    EXPECT_EQ(progress.ProgressBJurLnk->maximum(), 2);
    EXPECT_EQ(progress.StTLJurInfo->text(), "Заголовок 1500");
    EXPECT_EQ(readAll(target("head.dat")), header);
    EXPECT_EQ(state.session.lastHeaderSize, 1500u);
    EXPECT_EQ(state.session.lastDataSize, 0u);
    expectEnded();
}

TEST_F(Download, SmallPortionSize)
{
    serve(40, 33);
    state.session.portionSize = 16;
    host.answers = {kIdYes};
    host.fileAnswers = {target("small.dat")};
    click();
    EXPECT_EQ(blocks(), (std::vector<Block>{{0x0B00, 16, 0},
                                            {0x0B00, 16, 16},
                                            {0x0B00, 8, 32},
                                            {0x0B01, 16, 0},
                                            {0x0B01, 16, 16},
                                            {0x0B01, 1, 32}}));
    EXPECT_EQ(progress.ProgressBJurLnk->maximum(), 5); // 73 bytes in portions of 16
    EXPECT_EQ(readAll(target("small.dat")), header + data);
}

TEST_F(Download, ShortReplyEndsWithoutQuestionOrMessage)
{
    serve(2500, 100);
    link.beforeRequest = [&](int index) {
        if (index == 2) // the controller's journal shrinks after the sizes were given
            link.objects[ObjJournalHeader] = header.left(2100);
    };
    click();
    EXPECT_EQ(blocks().size(), 3u);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(progress.StTLJurInfo->text(), "Заголовок 2500 [2100]");
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_TRUE(state.session.lastJournalFile.isEmpty());
    expectEnded();
}

TEST_F(Download, FailedPortionIsReportedOnceAndNothingStored)
{
    serve(2500, 100);
    link.finalCodes = {-7};
    link.errorTexts[-7] = "line";
    link.requestResults = {0, 0, 0, -7};
    click();
    EXPECT_EQ(blocks().size(), 2u);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "vestan :\"Чтение заголовка журнала\"");
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_TRUE(tmpEntries().isEmpty());
    expectEnded();
}

TEST_F(Download, FailedSizeRequestEndsBeforeAnyFile)
{
    serve(2500, 100);
    link.finalCodes = {-7};
    link.requestResults = {0, -7};
    click();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "vestan :\"Чтение размера данных журнала\"");
    EXPECT_TRUE(blocks().empty());
    EXPECT_TRUE(tmpEntries().isEmpty());
    expectEnded();
}

TEST_F(Download, StopDuringTheHeaderLoop)
{
    serve(5000, 100);
    host.onProcessEvents = [&] {
        if (host.processEventsCount == 2) // the stop button, before the second portion
            state.channel.running = 0;
    };
    click();
    // The portion under way when the stop came is still asked for; no further one.
    EXPECT_EQ(blocks().size(), 2u);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(state.channel.running, 0);
    EXPECT_TRUE(progress.isHidden());
}

TEST_F(Download, NoToStoringDropsTheTemporaryFile)
{
    serve(300, 10);
    host.answers = {kIdNo};
    click();
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_TRUE(state.session.lastJournalFile.isEmpty());
    expectEnded();
}

TEST_F(Download, CancelledSaveDialogDropsTheTemporaryFile)
{
    serve(300, 10);
    host.answers = {kIdYes};
    host.fileAnswers = {""};
    click();
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(page->CBoxJurFile->count(), 0);
}

TEST_F(Download, DeclinedReplaceAndKeptJournalThenANewDownload)
{
    serve(300, 10);
    ASSERT_TRUE(writeFile(target("old.dat"), "old journal"));
    host.answers = {kIdYes, kIdNo, kIdNo};
    host.fileAnswers = {target("old.dat")};
    click();
    EXPECT_EQ(boxTexts(),
              (std::vector<QString>{"Записать журнал в файл",
                                    "Заменить существующий файл?\n\"" + target("old.dat") + "\"",
                                    "Удалить журнал?\n\"" + tempName() + "\""}));
    EXPECT_EQ(host.boxes[2].style, kMbIconExclamation | kMbYesNo);
    EXPECT_EQ(host.boxes[2].caption, "vestan");
    EXPECT_EQ(readAll(target("old.dat")), "old journal");
    EXPECT_EQ(readAll(tempName()), header + data);
    EXPECT_TRUE(state.tempFile.isRegistered());
    EXPECT_FALSE(state.tempFile.isOpen());
    EXPECT_TRUE(state.session.lastJournalFile.isEmpty());

    // The kept file is made anew for the next transfer, not written through a closed handle.
    serve(2000, 50);
    host.boxes.clear();
    host.answers = {kIdYes};
    host.fileAnswers = {target("new.dat")};
    click();
    EXPECT_EQ(boxTexts(), (std::vector<QString>{"Записать журнал в файл"}));
    EXPECT_EQ(readAll(target("new.dat")), header + data);
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_TRUE(tmpEntries().isEmpty());
}

TEST_F(Download, FailedCopyAsksWhetherToDeleteTheJournal)
{
    serve(300, 10);
    host.answers = {kIdYes, kIdOk, kIdYes};
    host.fileAnswers = {target("no/such/dir/j.dat")};
    click();
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_TRUE(host.boxes[1].text.startsWith("Копирование файла \"" + tempName()));
    EXPECT_EQ(host.boxes[2].text, "Удалить журнал?\n\"" + tempName() + "\"");
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(page->CBoxJurFile->count(), 0);
    EXPECT_TRUE(state.session.lastJournalFile.isEmpty());
}

TEST_F(Download, FailedWriteReadsOnButAsksNothing)
{
    VESTAN_NEEDS_LINUX_FILES();
    serve(3000, 0);
    {
        FileSizeLimit limit(1500);
        click();
    }
    EXPECT_EQ(blocks().size(), 3u);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, " Ошибка записи во временный файл\n\"" + tempName() + "\"");
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_TRUE(tmpEntries().isEmpty());
    expectEnded();
}

TEST_F(Download, TemporaryFileThatCannotBeCreatedEndsTheDownload)
{
    serve(300, 10);
    ASSERT_TRUE(QDir().mkpath(tempName())); // a directory in the way
    click();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, " Не могу создать временный файл\n\"" + tempName() + "\"");
    EXPECT_TRUE(blocks().empty());
    expectEnded();
}

TEST_F(Download, RunningOperationBlocksTheClick)
{
    serve(300, 10);
    state.channel.running = 1;
    click();
    EXPECT_TRUE(link.requests.empty());
    EXPECT_TRUE(status.runningSeen.empty());
    EXPECT_EQ(state.channel.running, 1);
}

TEST_F(Download, WorksWithoutAStatusDisplay)
{
    serve(10, 10);
    state.linkStatus = nullptr;
    host.answers = {kIdNo};
    click();
    EXPECT_EQ(blocks().size(), 2u);
    EXPECT_EQ(state.channel.running, 0);
}

TEST_F(Download, StatusLineShowsTheLastStoredJournalAndARunDisablesTheControls)
{
    const auto controls = {
        static_cast<QWidget *>(page->SBtnJurLink), static_cast<QWidget *>(page->ChcBoxJurHeadOnly),
        static_cast<QWidget *>(page->SBtnJurLoad), static_cast<QWidget *>(page->CBoxJurFile)};
    page->showLinkStatus();
    EXPECT_EQ(page->StTLJurIFile->text(), "");
    EXPECT_EQ(page->StTLJurISize->text(), " ");

    state.session.lastJournalFile = "/data/j1.dat";
    state.session.lastHeaderSize = 84;
    state.channel.running = 1;
    page->showLinkStatus();
    EXPECT_EQ(page->StTLJurIFile->text(), "/data/j1.dat");
    EXPECT_EQ(page->StTLJurISize->text(), "Заголовок 84");
    for (QWidget *w : controls)
        EXPECT_FALSE(w->isEnabled());

    state.session.lastDataSize = 4000000000u;
    state.channel.running = 0;
    page->showLinkStatus();
    EXPECT_EQ(page->StTLJurISize->text(), "Заголовок 84, данные 4000000000");
    for (QWidget *w : controls)
        EXPECT_TRUE(w->isEnabled());
}

TEST_F(Download, PageControlsCarryTheirNamesHintsAndPictures)
{
    EXPECT_EQ(page->StTLJurIFile->objectName(), "StTLJurIFile");
    EXPECT_EQ(page->StTLJurISize->objectName(), "StTLJurISize");
    EXPECT_EQ(page->SBtnJurLink->objectName(), "SBtnJurLink");
    EXPECT_EQ(page->ChcBoxJurHeadOnly->objectName(), "ChcBoxJurHeadOnly");
    EXPECT_EQ(page->SBtnJurLoad->objectName(), "SBtnJurLoad");
    EXPECT_EQ(page->CBoxJurFile->objectName(), "CBoxJurFile");
    EXPECT_EQ(page->ChcBoxJurHeadOnly->text(), "Только заголовок");
    EXPECT_FALSE(page->ChcBoxJurHeadOnly->isChecked());
    EXPECT_EQ(page->SBtnJurLink->toolTip(), "Получить журал с контроллера");
    EXPECT_EQ(page->SBtnJurLoad->toolTip(), "Выбор журнала");
    EXPECT_EQ(page->CBoxJurFile->toolTip(), "Предыдущие журналы");
    // The pictures come from the page's resources, the folder with its own disabled look.
    const QIcon folder = page->SBtnJurLoad->icon();
    const QImage normal = folder.pixmap(QSize(20, 20), QIcon::Normal).toImage();
    const QImage disabled = folder.pixmap(QSize(20, 20), QIcon::Disabled).toImage();
    EXPECT_FALSE(normal.isNull());
    EXPECT_FALSE(disabled.isNull());
    EXPECT_NE(normal, disabled);
    EXPECT_FALSE(page->SBtnJurLink->icon().pixmap(QSize(16, 16)).isNull());
}

} // namespace
} // namespace vestan::test
