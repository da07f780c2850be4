#pragma once

// What the transfer tests share: a program state on a scripted host and a
// fake link, the progress panel, a status display that records what it was
// shown, and a private temporary directory that TMPDIR points into so the
// temporary transfer file lands there.

#include "journal/progresspanel.h"
#include "journal/recentfiles.h"
#include "journal/transferrun.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"
#include "tests/support/testsystem.h"

#include <QByteArray>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <vector>

namespace vestan::test {

class RecordingStatus : public LinkStatusDisplay
{
public:
    explicit RecordingStatus(LinkChannel &channel) : channel_(channel) {}
    void RefreshLinkStatus() override { runningSeen.push_back(channel_.running); }
    bool showsRunning() const override { return !runningSeen.empty() && runningSeen.back() != 0; }
    std::vector<int> runningSeen;

private:
    LinkChannel &channel_;
};

inline QByteArray patternBytes(int size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + seed * 13 + (i >> 8)) & 0xFF);
    return bytes;
}

inline QByteArray readAll(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

inline bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline std::vector<QString> boxTextsOf(const ScriptedHost &host)
{
    std::vector<QString> out;
    for (const RecordedBox &b : host.boxes)
        out.push_back(b.text);
    return out;
}

class TransferRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("tmp")));
        savedTmp_ = qgetenv(tempVariable());
        hadTmp_ = qEnvironmentVariableIsSet(tempVariable());
        qputenv(tempVariable(), QFile::encodeName(tmpDir()));
        state.api = link.api();
        state.paths.programDir = QStringLiteral("/opt/vestan/bin/");
        state.paths.programFileName = QStringLiteral("vestan");
        recentFiles.attach(&recentBox);
        state.linkStatus = &status;
        state.channel.isOpen = 1;
        progress.hide();
    }

    void TearDown() override
    {
        // Every scripted answer was asked for.
        EXPECT_TRUE(host.answers.empty());
        EXPECT_TRUE(host.fileAnswers.empty());
        state.tempFile.DeleteTempFile();
        if (hadTmp_)
            qputenv(tempVariable(), savedTmp_);
        else
            qunsetenv(tempVariable());
    }

    QString tmpDir() const { return dir.filePath(QStringLiteral("tmp")); }
    // The user's own directory inside it, where the temporary file lives.
    QString userTmpDir() const { return userTempDirectory(); }
    QString tempName() const
    {
        return userTmpDir() + QDir::separator() + QStringLiteral("vestan.TMP");
    }
    QString target(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList tmpEntries() const
    {
        return QDir(userTmpDir()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    // The block requests sent: object code, length, offset.
    struct Block
    {
        uint16_t code;
        uint16_t length;
        uint32_t offset;
        bool operator==(const Block &) const = default;
    };
    std::vector<Block> blocks() const
    {
        std::vector<Block> out;
        for (const QByteArray &r : link.requests) {
            if (r.size() != 10 || r[1] != 3)
                continue;
            auto byte = [&](int i) { return uint32_t(uint8_t(r[i])); };
            out.push_back({uint16_t(byte(2) | byte(3) << 8), uint16_t(byte(4) | byte(5) << 8),
                           byte(6) | byte(7) << 8 | byte(8) << 16 | byte(9) << 24});
        }
        return out;
    }
    std::vector<QString> boxTexts() const { return boxTextsOf(host); }

    QTemporaryDir dir;
    ScriptedHost host;
    FakeLink link;
    Session state{host};
    RecentFiles recentFiles;
    WindowQuestions questions{state, recentFiles, StoreTexts{}};
    RecordingStatus status{state.channel};
    QComboBox recentBox;
    QWidget window; // the panel lives in a window, as in the program
    ProgressPanel progress{&window};

private:
    QByteArray savedTmp_;
    bool hadTmp_ = false;
};

} // namespace vestan::test
