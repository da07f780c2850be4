// The file services of the transfers: elapsed time, dialogs, copy or move,
// and the temporary transfer file.

#include "journal/elapsed.h"
#include "journal/filedialogs.h"
#include "session/copyormove.h"
#include "tests/journal/transferrig.h"

namespace vestan::test {
namespace {

TEST(FormatElapsed, ShowsSecondsMinutesOrHours)
{
    EXPECT_EQ(FormatElapsed(0), "00");
    EXPECT_EQ(FormatElapsed(999), "00");
    EXPECT_EQ(FormatElapsed(59999), "59");
    EXPECT_EQ(FormatElapsed(60000), "01:00");
    EXPECT_EQ(FormatElapsed(3599999), "59:59");
    EXPECT_EQ(FormatElapsed(3600000), "01:00:00");
    EXPECT_EQ(FormatElapsed(90061000), "25:01:01");
    EXPECT_EQ(FormatElapsed(0xFFFFFFFFu), "1193:02:47");
}

TEST(FileFilter, PairsBecomeQtFilters)
{
    EXPECT_EQ(qtFileFilter(QString::fromUtf8(kOpenDialogFilter)),
              "Журнал (*.dat);;Все файлы (*.*, *) (*.* *)");
    EXPECT_EQ(qtFileFilter(QString::fromUtf8(kSaveDialogFilter)),
              "Все файлы (*.*);;Журналы (*.dat);;BIN-файлы (*.bin)");
    EXPECT_EQ(qtFileFilter("Образы|*.img;*.bin"), "Образы (*.img *.bin)");
}

using Dialogs = TransferRig;

TEST_F(Dialogs, PresetFromNewestRecentFile)
{
    recentFiles.append("/data/old/a.dat");
    recentFiles.AddRecentFile("/data/new/journal.dat");
    host.fileAnswers = {"/x/saved.dat"};
    QString name;
    ASSERT_TRUE(
        AskSaveFileName(host, recentFiles, "Запись журнала в файл", name, kFileNameCapacity));
    EXPECT_EQ(name, "/x/saved.dat");
    ASSERT_EQ(host.dialogs.size(), 1u);
    const FileDialogRequest &request = host.dialogs[0];
    EXPECT_EQ(request.kind, FileDialogKind::Save);
    EXPECT_EQ(request.directory, "/data/new");
    EXPECT_EQ(request.fileName, "journal.dat");
    EXPECT_EQ(request.title, "Запись журнала в файл");
    EXPECT_EQ(request.filter, "Все файлы (*.*);;Журналы (*.dat);;BIN-файлы (*.bin)");
}

TEST_F(Dialogs, EmptyListLeavesPresetToTheDialogAndDefaultTitles)
{
    host.fileAnswers = {"", ""};
    QString name = "stale";
    EXPECT_FALSE(AskOpenFileName(host, recentFiles, QString(), name, kFileNameCapacity));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_FALSE(AskSaveFileName(host, recentFiles, QString(), name, kFileNameCapacity));
    ASSERT_EQ(host.dialogs.size(), 2u);
    EXPECT_EQ(host.dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(host.dialogs[0].title, "Открыть файл");
    EXPECT_TRUE(host.dialogs[0].directory.isEmpty());
    EXPECT_TRUE(host.dialogs[0].fileName.isEmpty());
    EXPECT_EQ(host.dialogs[0].filter, "Журнал (*.dat);;Все файлы (*.*, *) (*.* *)");
    EXPECT_EQ(host.dialogs[1].title, "Сохранение");
}

TEST_F(Dialogs, NameOfCapacityLengthIsRefused)
{
    const QString fits = "/" + QString(kFileNameCapacity - 2, u'a');
    const QString tooLong = "/" + QString(kFileNameCapacity - 1, u'a');
    host.fileAnswers = {fits, tooLong};
    QString name;
    EXPECT_TRUE(AskOpenFileName(host, recentFiles, "t", name, kFileNameCapacity));
    EXPECT_EQ(name, fits);
    EXPECT_FALSE(AskOpenFileName(host, recentFiles, "t", name, kFileNameCapacity));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_TRUE(host.boxes.empty());
    // No room at all: no dialog.
    EXPECT_FALSE(AskOpenFileName(host, recentFiles, "t", name, 0));
    EXPECT_EQ(host.dialogs.size(), 2u);
}

using CopyOrMove = TransferRig;

TEST_F(CopyOrMove, CopiesToANewFile)
{
    const QByteArray bytes = patternBytes(200000, 1);
    ASSERT_TRUE(writeFile(target("src"), bytes));
    EXPECT_TRUE(CopyOrMoveFile(state, kCopyFile, target("src"), target("dst"), questions));
    EXPECT_EQ(readAll(target("dst")), bytes);
    EXPECT_EQ(readAll(target("src")), bytes);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(CopyOrMove, ExistingTargetDeclinedLeavesBothFiles)
{
    ASSERT_TRUE(writeFile(target("src"), "new"));
    ASSERT_TRUE(writeFile(target("dst"), "old"));
    host.answers = {kIdNo};
    EXPECT_FALSE(CopyOrMoveFile(state, kCopyFile, target("src"), target("dst"), questions));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, "vestan");
    EXPECT_EQ(host.boxes[0].text, "Заменить существующий файл?\n\"" + target("dst") + "\"");
    EXPECT_EQ(host.boxes[0].style, kMbIconExclamation | kMbYesNo);
    EXPECT_EQ(readAll(target("dst")), "old");
    EXPECT_EQ(readAll(target("src")), "new");
}

TEST_F(CopyOrMove, ExistingTargetReplacedOnYes)
{
    ASSERT_TRUE(writeFile(target("src"), "new"));
    ASSERT_TRUE(writeFile(target("dst"), "older and longer"));
    host.answers = {kIdYes};
    EXPECT_TRUE(CopyOrMoveFile(state, kCopyFile, target("src"), target("dst"), questions));
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(readAll(target("dst")), "new");
}

TEST_F(CopyOrMove, FailedCopyKeepsTheOldTargetAndLeavesNothingBehind)
{
    VESTAN_NEEDS_LINUX_FILES();
    const QByteArray bytes = patternBytes(300000, 2);
    ASSERT_TRUE(writeFile(target("src"), bytes));
    ASSERT_TRUE(writeFile(target("dst"), "old journal"));
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    host.answers = {kIdYes};
    bool copied = true;
    {
        FileSizeLimit limit(100000);
        copied = CopyOrMoveFile(state, kCopyFile, target("src"), target("dst"), questions);
    }
    EXPECT_FALSE(copied);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1].text, "Копирование файла \"" + target("src") + "\"\nв файл \"" +
                                      target("dst") + "\"\n НЕ УДАЛОСЬ!");
    EXPECT_EQ(host.boxes[1].style, kMbIconStop | kMbOk);
    EXPECT_EQ(readAll(target("dst")), "old journal");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST_F(CopyOrMove, MissingSourceIsAFailedCopy)
{
    EXPECT_FALSE(CopyOrMoveFile(state, kCopyFile, target("none"), target("dst"), questions));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.boxes[0].text.startsWith("Копирование файла"));
    EXPECT_FALSE(QFile::exists(target("dst")));
}

TEST_F(CopyOrMove, MoveOntoExistingFileFailsAfterYes)
{
    ASSERT_TRUE(writeFile(target("src"), "new"));
    ASSERT_TRUE(writeFile(target("dst"), "old"));
    host.answers = {kIdYes};
    EXPECT_FALSE(CopyOrMoveFile(state, kMoveFile, target("src"), target("dst"), questions));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1].text, "Перемещение файла \"" + target("src") + "\"\nв файл \"" +
                                      target("dst") + "\"\n НЕ УДАЛОСЬ!");
    EXPECT_EQ(readAll(target("dst")), "old");
    EXPECT_EQ(readAll(target("src")), "new");
}

// A user who may write the file but not the folder it lies in (root may write
// any folder, so as root the copy runs in a child as "nobody").
TEST_F(CopyOrMove, WritableTargetInAFolderThatRefusesNewFilesIsWrittenInPlace)
{
    VESTAN_NEEDS_LINUX_FILES();
    const QString folder = target("locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString dst = folder + QStringLiteral("/dst");
    ASSERT_TRUE(writeFile(target("src"), "journal"));
    ASSERT_TRUE(writeFile(dst, "old"));
    const bool root = userId() == 0;
    ASSERT_TRUE(setFileMode(dir.path(), 0755));
    ASSERT_TRUE(setFileMode(target("src"), 0644));
    ASSERT_TRUE(setFileMode(folder, root ? 0755 : 0555));
    if (root) {
        ASSERT_TRUE(giveToNobody(dst));
    }
    host.answers = {kIdYes};

    bool copied = false;
    if (root) {
        copied = asPlainUser([&] {
                     return CopyOrMoveFile(state, kCopyFile, target("src"), dst, questions) ? 0 : 1;
                 }) == 0;
        host.answers.clear(); // the child answered the question
    } else {
        copied = CopyOrMoveFile(state, kCopyFile, target("src"), dst, questions);
    }
    setFileMode(folder, 0755);
    EXPECT_TRUE(copied);
    EXPECT_EQ(readAll(dst), "journal");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"dst"});
}

TEST_F(CopyOrMove, MoveToAFreeName)
{
    ASSERT_TRUE(writeFile(target("src"), "moved"));
    EXPECT_TRUE(CopyOrMoveFile(state, kMoveFile, target("src"), target("dst"), questions));
    EXPECT_FALSE(QFile::exists(target("src")));
    EXPECT_EQ(readAll(target("dst")), "moved");
}

TEST_F(CopyOrMove, BadParametersAreRefused)
{
    EXPECT_FALSE(CopyOrMoveFile(state, kCopyFile, QString(), target("dst"), questions));
    EXPECT_FALSE(CopyOrMoveFile(state, kCopyFile, target("src"), QString(), questions));
    EXPECT_FALSE(CopyOrMoveFile(state, 2, target("src"), target("dst"), questions));
    ASSERT_EQ(host.boxes.size(), 3u);
    for (const RecordedBox &box : host.boxes) {
        EXPECT_EQ(box.text, "       ОШИБКА ПАРАМЕТРОВ\nКОПИРОВАНИЯ ИЛИ ПЕРЕМЕЩЕНИЯ ФАЙЛА");
        EXPECT_EQ(box.style, kMbIconStop | kMbOk);
    }
}

using TempFileTest = TransferRig;

TEST_F(TempFileTest, CreatedOwnerOnlyInTheTemporaryDirectory)
{
    VESTAN_NEEDS_LINUX_FILES();
    state.tempFile.CreateTempFile();
    ASSERT_TRUE(state.tempFile.isRegistered());
    EXPECT_EQ(state.tempFile.TempFileName(), tempName());
    EXPECT_EQ(fileMode(tempName()) & 0777, 0600u);
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(state.tempFile.WriteTempFile(bytes, 3));
    state.tempFile.CloseTempFile();
    EXPECT_TRUE(state.tempFile.isRegistered());
    EXPECT_EQ(readAll(tempName()), QByteArray("\1\2\3"));
    state.tempFile.DeleteTempFile();
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_FALSE(QFile::exists(tempName()));
}

TEST_F(TempFileTest, ExtensionReplacedOrAppended)
{
    state.paths.programFileName = "Vestan.exe";
    EXPECT_EQ(state.tempFile.MakeTempFileName(kFileNameCapacity),
              userTmpDir() + QDir::separator() + "Vestan.TMP");
    state.paths.programFileName = "vestan";
    EXPECT_EQ(state.tempFile.MakeTempFileName(kFileNameCapacity),
              userTmpDir() + QDir::separator() + "vestan.TMP");
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(TempFileTest, PlantedLinkIsNotFollowed)
{
    VESTAN_NEEDS_LINUX_FILES();
    ASSERT_TRUE(writeFile(target("victim"), "precious"));
    ASSERT_TRUE(QFile::link(target("victim"), tempName()));
    state.tempFile.CreateTempFile();
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_TRUE(state.tempFile.TempFileName().isEmpty());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, host.path);
    EXPECT_EQ(host.boxes[0].text, " Не могу создать временный файл\n\"" + tempName() + "\"");
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(readAll(target("victim")), "precious");
}

TEST_F(TempFileTest, AnotherUsersFileIsNotTakenOver)
{
    VESTAN_NEEDS_LINUX_FILES();
    if (userId() != 0)
        GTEST_SKIP() << "needs to hand a file to another user";
    ASSERT_TRUE(writeFile(tempName(), "theirs"));
    ASSERT_TRUE(giveToNobody(tempName()));
    state.tempFile.CreateTempFile();
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(readAll(tempName()), "theirs");
}

TEST_F(TempFileTest, FileInUseByAnotherTransferIsRefused)
{
    state.tempFile.CreateTempFile();
    ASSERT_TRUE(state.tempFile.isRegistered());
    const uint8_t bytes[] = {9, 9};
    ASSERT_TRUE(state.tempFile.WriteTempFile(bytes, 2));
    // A second copy of the program with its own state.
    ScriptedHost otherHost;
    Session other(otherHost);
    other.paths = state.paths;
    other.tempFile.CreateTempFile();
    EXPECT_FALSE(other.tempFile.isRegistered());
    EXPECT_EQ(otherHost.boxes.size(), 1u);
    // Closed for the copy, or kept after a failed one, it is still ours.
    state.tempFile.CloseTempFile();
    other.tempFile.CreateTempFile();
    other.tempFile.DeleteTempFile();
    EXPECT_FALSE(other.tempFile.isRegistered());
    EXPECT_EQ(otherHost.boxes.size(), 2u);
    EXPECT_EQ(readAll(tempName()), QByteArray("\x09\x09"));
    // A later transfer of the same copy empties its kept file in place.
    state.tempFile.CreateTempFile();
    EXPECT_TRUE(state.tempFile.isRegistered());
    EXPECT_EQ(readAll(tempName()), QByteArray());
    state.tempFile.DeleteTempFile();
    other.tempFile.CreateTempFile();
    EXPECT_TRUE(other.tempFile.isRegistered());
}

TEST_F(TempFileTest, TheUsersDirectoryIsPrivateAndNeverALink)
{
    VESTAN_NEEDS_LINUX_FILES();
    const QString own = tmpDir() + QStringLiteral("/vestan-%1").arg(userId());
    ASSERT_EQ(userTempDirectory(), own);
    EXPECT_EQ(fileMode(own) & 0777, 0700u);

    // Planted in its place, a link to a directory everyone may enter is not used.
    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(target("elsewhere")));
    ASSERT_TRUE(QFile::link(target("elsewhere"), own));
    EXPECT_EQ(userTempDirectory(), QString());
    state.paths.programDir = target("prog/");
    EXPECT_EQ(state.tempFile.MakeTempFileName(kFileNameCapacity), target("prog/vestan.TMP"));
}

TEST_F(TempFileTest, FailedWriteStopsAllFurtherWritesWithOneMessage)
{
    VESTAN_NEEDS_LINUX_FILES();
    state.tempFile.CreateTempFile();
    ASSERT_TRUE(state.tempFile.isRegistered());
    const QByteArray portion = patternBytes(1024, 3);
    const auto *data = reinterpret_cast<const uint8_t *>(portion.constData());
    std::vector<bool> results;
    {
        FileSizeLimit limit(2000);
        for (int i = 0; i < 4; ++i)
            results.push_back(state.tempFile.WriteTempFile(data, 1024));
    }
    EXPECT_EQ(results, (std::vector<bool>{true, false, false, false}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, " Ошибка записи во временный файл\n\"" + tempName() + "\"");
    EXPECT_EQ(host.boxes[0].caption, host.path);
    EXPECT_FALSE(state.tempFile.isRegistered());
    EXPECT_FALSE(QFile::exists(tempName()));
}

TEST_F(TempFileTest, NoUsableNameIsReported)
{
    state.paths.programFileName.clear();
    state.tempFile.CreateTempFile();
    EXPECT_FALSE(state.tempFile.isRegistered());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Не могу получить\nимя для временного файла");
    EXPECT_EQ(host.boxes[0].caption, host.path);
}

} // namespace
} // namespace vestan::test
