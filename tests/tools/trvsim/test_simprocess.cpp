// trvsim as a process: the line, the dump files, silence for other numbers.

#include "maker/tarvel/journalformat.h"
#include "maker/trvclnk/framecodec.h"
#include "tests/tools/trvsim/process/simprocess.h"
#include "tools/trvsim/controller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace vestan;
using namespace vestan::test;

namespace {

std::vector<uint8_t> fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> frame(const std::vector<uint8_t> &payload)
{
    return line::encodeFrame(payload.data(), payload.size());
}

} // namespace

TEST(TrvsimProcess, DumpHoldsEveryFixedObjectAndTheJournalFile)
{
    QTemporaryDir temporary;
    // A directory that does not exist yet is made.
    const QString dir = temporary.filePath(QStringLiteral("new/dump"));
    SimProcess sim({QStringLiteral("--dump"), dir, QStringLiteral("--records"),
                    QStringLiteral("40"), QStringLiteral("--flash-size"), QStringLiteral("5000")});
    ASSERT_TRUE(sim.ready()) << sim.failure().toStdString();
    trvsim::SimOptions options;
    options.records = 40;
    options.flashSize = 5000;
    const trvsim::Controller expected(options);
    EXPECT_EQ(fileBytes(dir + QStringLiteral("/0900.bin")), trvsim::flashImage(5000));
    EXPECT_EQ(fileBytes(dir + QStringLiteral("/0B00.bin")), expected.journal().header);
    EXPECT_EQ(fileBytes(dir + QStringLiteral("/0B01.bin")), expected.journal().data);
    EXPECT_EQ(fileBytes(dir + QStringLiteral("/0B03.bin")),
              std::vector<uint8_t>({2, 1, 0, 5, 0xD7, 0x07, 3, 3}));
    EXPECT_EQ(fileBytes(dir + QStringLiteral("/0C04.bin")).size(), 12u);
    std::vector<uint8_t> journal = expected.journal().header;
    journal.insert(journal.end(), expected.journal().data.begin(), expected.journal().data.end());
    EXPECT_EQ(fileBytes(dir + QStringLiteral("/journal.dat")), journal);
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/0C02.bin")));
    // Nothing half-written is left beside the files.
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), 6);
}

TEST(TrvsimProcess, LinkPointsAtThePrintedLine)
{
    SimProcess sim({});
    ASSERT_TRUE(sim.ready()) << sim.failure().toStdString();
    EXPECT_EQ(QFileInfo(sim.linkPath()).symLinkTarget(), sim.linePath());
    EXPECT_TRUE(sim.linePath().startsWith(QStringLiteral("/dev/pts/")));
}

TEST(TrvsimProcess, AnswersItsNumberAndStaysSilentForOthers)
{
    SimProcess sim({QStringLiteral("--net"), QStringLiteral("7")});
    ASSERT_TRUE(sim.ready()) << sim.failure().toStdString();
    RawLine line(sim.linkPath());
    ASSERT_TRUE(line.isOpen());
    std::vector<uint8_t> payload;
    ASSERT_TRUE(line.write(frame({33, 1, 0x00, 0x0B})));
    EXPECT_FALSE(line.readFrame(payload, 300));
    ASSERT_TRUE(line.write(frame({7, 1, 0x00, 0x0B})));
    ASSERT_TRUE(line.readFrame(payload));
    EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 4),
              std::vector<uint8_t>({7, 1, 0x00, 0x0B}));
}

TEST(TrvsimProcess, GarbageAndABrokenFrameDoNotStopTheServing)
{
    SimProcess sim({});
    ASSERT_TRUE(sim.ready()) << sim.failure().toStdString();
    RawLine line(sim.linkPath());
    std::vector<uint8_t> bad = frame({33, 1, 0x00, 0x0B});
    bad[5] ^= 0xFF;
    std::vector<uint8_t> stream = {0xA5, 0x00, 0x13, 0xA5};
    stream.insert(stream.end(), bad.begin(), bad.end());
    const auto good = frame({33, 2, 0x04, 0x0C, 12, 0});
    stream.insert(stream.end(), good.begin(), good.end());
    ASSERT_TRUE(line.write(stream));
    std::vector<uint8_t> payload;
    ASSERT_TRUE(line.readFrame(payload));
    EXPECT_EQ(payload.size(), 18u);
    EXPECT_FALSE(line.readFrame(payload, 200)); // the broken one got no answer
}

TEST(TrvsimProcess, AFrameThatStopsHalfwayIsGivenUp)
{
    SimProcess sim({});
    ASSERT_TRUE(sim.ready()) << sim.failure().toStdString();
    RawLine line(sim.linkPath());
    // A header promising 1000 bytes, then nothing: after a pause the next
    // request must be served, not swallowed as the rest of that frame.
    std::vector<uint8_t> header = {0xA5, 0xE8, 0x03, 0};
    header[3] = line::crc8(header.data(), 3);
    ASSERT_TRUE(line.write(header));
    EXPECT_TRUE(line.readFor(400).empty());
    ASSERT_TRUE(line.write(frame({33, 1, 0x00, 0x0B})));
    std::vector<uint8_t> payload;
    EXPECT_TRUE(line.readFrame(payload));
}

TEST(TrvsimProcess, ServesAWholeJournalReplyForReplyInOneFrame)
{
    SimProcess sim({QStringLiteral("--records"), QStringLiteral("2000")});
    ASSERT_TRUE(sim.ready()) << sim.failure().toStdString();
    RawLine line(sim.linkPath());
    trvsim::SimOptions options;
    options.records = 2000;
    const trvsim::Controller expected(options);
    std::vector<uint8_t> data;
    std::vector<uint8_t> payload;
    for (uint32_t offset = 0; offset < expected.journal().data.size(); offset += 1024) {
        const std::vector<uint8_t> request = {33,
                                              3,
                                              0x01,
                                              0x0B,
                                              0x00,
                                              0x04,
                                              uint8_t(offset),
                                              uint8_t(offset >> 8),
                                              uint8_t(offset >> 16),
                                              uint8_t(offset >> 24)};
        ASSERT_TRUE(line.write(frame(request)));
        ASSERT_TRUE(line.readFrame(payload)) << offset;
        data.insert(data.end(), payload.begin() + 10, payload.end());
    }
    EXPECT_EQ(data, expected.journal().data);
}

TEST(TrvsimProcess, BadOptionsEndWithAMessage)
{
    QProcess process;
    process.start(buildBinDir() + QStringLiteral("/trvsim"),
                  {QStringLiteral("--net"), QStringLiteral("0")});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("--net"));
}

TEST(TrvsimProcess, EndsCleanlyOnTermAndRemovesItsLink)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("line"));
    QProcess process;
    process.start(buildBinDir() + QStringLiteral("/trvsim"), {QStringLiteral("--link"), link});
    ASSERT_TRUE(process.waitForReadyRead(10000));
    ASSERT_TRUE(QFileInfo(link).isSymLink());
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}
