// The software image upload behind SBtnGet: the size check with its
// question, the portions, and storing the image.

#include "journal/journalpage.h"
#include "tests/journal/transferrig.h"
#include "upload/imagesize.h"
#include "upload/imageupload.h"
#include "upload/uploadpage.h"

#include <QToolButton>

namespace vestan::test {
namespace {

class Upload : public TransferRig
{
protected:
    void SetUp() override
    {
        TransferRig::SetUp();
        page = std::make_unique<UploadPage>(state, recentFiles, progress);
    }
    void TearDown() override
    {
        page.reset();
        TransferRig::TearDown();
    }
    void serve(int size)
    {
        image = patternBytes(size, 5);
        link.objects[ObjFlash] = image;
    }
    void click() { page->SBtnGet->click(); }
    static QString strangeText(unsigned long size)
    {
        return QString::asprintf("Странный размер ПО = %lu\nПохоже на глюк старого "
                                 "контроллера!\n\nПопробовать стандартный размер=512 Кб?\n",
                                 size);
    }

    std::unique_ptr<UploadPage> page;
    QByteArray image;
};

TEST_F(Upload, StandardSizeWithoutQuestion)
{
    serve(int(kStandardFlashSize));
    state.session.lastHeaderSize = 2500;
    state.session.lastDataSize = 100;
    host.answers = {kIdYes};
    host.fileAnswers = {target("flash.bin")};
    click();
    EXPECT_EQ(link.requests[0].toHex(), "21010009");
    const auto sent = blocks();
    ASSERT_EQ(sent.size(), 512u);
    for (size_t i = 0; i < sent.size(); ++i)
        ASSERT_EQ(sent[i], (Block{0x0900, 1024, uint32_t(i * 1024)}));
    EXPECT_EQ(progress.ProgressBJurLnk->maximum(), 512);
    EXPECT_EQ(progress.StTLJurInfo->text(), "FLASH 524288 [524288]");
    EXPECT_EQ(boxTexts(), (std::vector<QString>{"Записать данные FLASH в файл"}));
    EXPECT_EQ(host.boxes[0].caption, "vestan");
    EXPECT_EQ(host.boxes[0].style, kMbIconQuestion | kMbYesNo);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].title, "Запись данных FLASH в файл");
    EXPECT_EQ(readAll(target("flash.bin")), image);
    EXPECT_EQ(state.session.lastJournalFile, target("flash.bin"));
    EXPECT_EQ(state.session.lastHeaderSize, 2500u);
    EXPECT_EQ(state.session.lastDataSize, 100u);
    EXPECT_EQ(recentBox.itemText(0), target("flash.bin"));
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(state.channel.running, 0);
    EXPECT_TRUE(progress.isHidden());
    EXPECT_EQ(status.runningSeen, (std::vector<int>{1, 0}));
}

TEST_F(Upload, AlternativeSizeWithoutQuestion)
{
    serve(int(kAltFlashSize));
    host.answers = {kIdNo};
    click();
    EXPECT_EQ(blocks().size(), 576u);
    EXPECT_EQ(boxTexts(), (std::vector<QString>{"Записать данные FLASH в файл"}));
    EXPECT_TRUE(tmpEntries().isEmpty());
}

TEST_F(Upload, StrangeSizeYesReadsTheStandardSize)
{
    serve(int(kStandardFlashSize) + 1);
    host.answers = {kIdYes, kIdYes};
    host.fileAnswers = {target("flash.bin")};
    click();
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].caption, "vestan: \"Запрос размера ПО\"");
    EXPECT_EQ(host.boxes[0].text, strangeText(524289));
    EXPECT_EQ(host.boxes[0].style, kMbIconExclamation | kMbYesNoCancel);
    EXPECT_EQ(blocks().size(), 512u);
    EXPECT_EQ(readAll(target("flash.bin")), image.left(int(kStandardFlashSize)));
}

TEST_F(Upload, StrangeSizeNoReadsTheReportedSize)
{
    serve(int(kStandardFlashSize) + 1);
    host.answers = {kIdNo, kIdYes};
    host.fileAnswers = {target("flash.bin")};
    click();
    const auto sent = blocks();
    ASSERT_EQ(sent.size(), 513u);
    EXPECT_EQ(sent.back(), (Block{0x0900, 1, 524288}));
    EXPECT_EQ(progress.ProgressBJurLnk->maximum(), 513);
    EXPECT_EQ(readAll(target("flash.bin")), image);
}

TEST_F(Upload, StrangeSizeCancelEndsBeforeAnyPortionOrFile)
{
    serve(int(kStandardFlashSize) + 1);
    host.answers = {kIdCancel};
    click();
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(blocks().empty());
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(state.channel.running, 0);
    EXPECT_TRUE(progress.isHidden());
}

TEST_F(Upload, ZeroSizeAnsweredNoOffersAnEmptyFile)
{
    serve(0);
    host.answers = {kIdNo, kIdYes};
    host.fileAnswers = {target("empty.bin")};
    click();
    EXPECT_EQ(boxTexts(), (std::vector<QString>{strangeText(0), "Записать данные FLASH в файл"}));
    EXPECT_TRUE(blocks().empty());
    EXPECT_EQ(progress.ProgressBJurLnk->maximum(), 1);
    ASSERT_TRUE(QFile::exists(target("empty.bin")));
    EXPECT_EQ(readAll(target("empty.bin")), QByteArray());
}

TEST_F(Upload, DeclinedReplaceAsksAboutTheFileAndKeepsIt)
{
    serve(3000);
    ASSERT_TRUE(writeFile(target("old.bin"), "old"));
    host.answers = {kIdNo, kIdYes, kIdNo, kIdNo};
    host.fileAnswers = {target("old.bin")};
    click();
    ASSERT_EQ(host.boxes.size(), 4u);
    EXPECT_EQ(host.boxes[3].caption, "vestan");
    EXPECT_EQ(host.boxes[3].text, "Удалить файл?\n\"" + tempName() + "\"");
    EXPECT_EQ(host.boxes[3].style, kMbIconExclamation | kMbYesNo);
    EXPECT_EQ(readAll(target("old.bin")), "old");
    EXPECT_EQ(readAll(tempName()), image);
    EXPECT_TRUE(state.session.lastJournalFile.isEmpty());
}

TEST_F(Upload, StopEndsWithoutQuestion)
{
    serve(int(kStandardFlashSize));
    host.onProcessEvents = [&] {
        if (host.processEventsCount == 3)
            state.channel.running = 0;
    };
    click();
    EXPECT_EQ(blocks().size(), 3u);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(tmpEntries().isEmpty());
    EXPECT_EQ(state.channel.running, 0);
}

} // namespace
} // namespace vestan::test
