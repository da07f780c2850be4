// The object transfer's questions: each face answers them through
// TransferQuestions, and the transfer asks exactly the ones its way takes.

#include "session/objecttransfer.h"
#include "session/session.h"
#include "session/transferquestions.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"
#include "tests/support/testsystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vestan::test {
namespace {

// Answers from its fields and records every question, in order.
class RecordedQuestions : public TransferQuestions
{
public:
    QString target;
    bool replaceAnswer = false;
    bool deleteAnswer = true;
    QStringList asked;

    QString storeAs() override
    {
        asked << QStringLiteral("storeAs");
        return target;
    }
    bool replace(const Question &question, const QString &file) override
    {
        asked << QStringLiteral("replace ") + file;
        replaceText = question.text;
        return replaceAnswer;
    }
    bool deleteTemporary(const QString &) override
    {
        asked << QStringLiteral("deleteTemporary");
        return deleteAnswer;
    }
    FlashSizeAnswer strangeFlashSize(const Question &) override
    {
        asked << QStringLiteral("strangeFlashSize");
        return FlashSizeAnswer::Refused;
    }
    QString replaceText;
};

class ObjectTransferQuestions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        saved_ = qgetenv(tempVariable());
        qputenv(tempVariable(), QFile::encodeName(dir.path()));
        state.api = link.api();
        state.paths = {QStringLiteral("/opt/vestan/bin/"), QStringLiteral("vestan")};
        state.channel.isOpen = 1;
        state.channel.running = 1;
        link.objects[ObjJournalHeader] = QByteArray(300, 'h');
        link.objects[ObjJournalData] = QByteArray(2000, 'd');
    }
    void TearDown() override
    {
        state.tempFile.DeleteTempFile();
        qputenv(tempVariable(), saved_);
    }

    // Fetches both objects and stores them as the questions say.
    QString runWhole(RecordedQuestions &questions)
    {
        TransferObserver observer;
        ObjectTransfer transfer(state, questions, observer);
        EXPECT_TRUE(transfer.prepare());
        transfer.fetch({{ObjJournalHeader, 300, QStringLiteral("h")},
                        {ObjJournalData, 2000, QStringLiteral("d")}});
        EXPECT_TRUE(transfer.complete());
        const QString stored = transfer.store();
        temporary = state.tempFile.TempFileName();
        transfer.finish();
        return stored;
    }

    QTemporaryDir dir;
    ScriptedHost host;
    FakeLink link;
    Session state{host};
    QString temporary;

private:
    QByteArray saved_;
};

TEST_F(ObjectTransferQuestions, AnExistingTargetIsAskedForAndARefusalKeepsTheTemporaryFile)
{
    const QString target = dir.filePath(QStringLiteral("j.dat"));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    RecordedQuestions questions;
    questions.target = target;
    questions.deleteAnswer = false;
    EXPECT_EQ(runWhole(questions), QString());
    EXPECT_EQ(questions.asked, QStringList({"storeAs", "replace " + target, "deleteTemporary"}));
    EXPECT_TRUE(questions.replaceText.contains(target));
    EXPECT_EQ(QFile(target).size(), 3);
    EXPECT_EQ(QFile(temporary).size(), 2300); // kept whole, as the answer said

    // Replacing it stores the objects one after another; nothing more is asked.
    questions.asked.clear();
    questions.replaceAnswer = true;
    link.requests.clear();
    EXPECT_EQ(runWhole(questions), target);
    EXPECT_EQ(questions.asked, QStringList({"storeAs", "replace " + target}));
    QFile stored(target);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), QByteArray(300, 'h') + QByteArray(2000, 'd'));
    EXPECT_FALSE(QFile::exists(temporary));
}

TEST_F(ObjectTransferQuestions, NoTargetAsksNothingMoreAndDropsTheTemporaryFile)
{
    RecordedQuestions questions;
    EXPECT_EQ(runWhole(questions), QString());
    EXPECT_EQ(questions.asked, QStringList({"storeAs"}));
    EXPECT_FALSE(QFile::exists(temporary));
}

} // namespace
} // namespace vestan::test
