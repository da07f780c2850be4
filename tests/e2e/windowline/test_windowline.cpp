// The window end to end on a line it is given rather than one it starts:
// tools/windows/e2e.sh runs this under Wine with trvsim on a Linux
// pseudo-terminal behind a Wine COM port. The real widgets and the real
// trvCLNK.dll download the journal and read the software image; the stored
// files must be byte for byte what trvsim dumped.
//   VESTAN_LINE_PORT     the port the library opens, e.g. COM12
//   VESTAN_LINE_NET      the controller's network number
//   VESTAN_LINE_DUMP     trvsim's --dump folder
//   VESTAN_LINE_LIBRARY  the trvCLNK.dll to bind, with its trvCLNK.ini beside it

#include "session/linkloader.h"
#include "tests/e2e/windowrig.h"

#include <QComboBox>
#include <QLineEdit>

namespace vestan::test {
namespace {

class WindowOnGivenLine : public WindowRig
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(WindowRig::SetUp());
        const QString port = qEnvironmentVariable("VESTAN_LINE_PORT");
        bool ok = false;
        portIndex_ = port.mid(3).toInt(&ok) - 1;
        ASSERT_TRUE(port.startsWith(QLatin1String("COM")) && ok && portIndex_ >= 0)
            << "VESTAN_LINE_PORT: " << port.toStdString();
        net_ = qEnvironmentVariable("VESTAN_LINE_NET");
        dump_ = QDir(qEnvironmentVariable("VESTAN_LINE_DUMP"));
        library_ = qEnvironmentVariable("VESTAN_LINE_LIBRARY");
        ASSERT_FALSE(net_.isEmpty() || library_.isEmpty());
        ASSERT_TRUE(dump_.exists(QStringLiteral("journal.dat"))) << dump_.path().toStdString();
    }

    // The window bound to the given library, on the given port and network number.
    void startOnLine()
    {
        const QString library = library_;
        ASSERT_NO_FATAL_FAILURE(startWindow([library](ProgramState &s) {
            s.linkLibraryName = library;
            const LinkEntryPointTable table = makeLinkEntryPointTable(s.api);
            return LoadAndBindLibrary(s.host, s.linkLibraryName, s.libraryHandle, table.data(), 0);
        }));
        // The port is the library's setup dialog's choice; the number is typed.
        state->channel.portIndex = portIndex_;
        auto *net = find<QLineEdit>("EdIDNet");
        ASSERT_NE(net, nullptr);
        net->setText(net_);
        ASSERT_EQ(QString::number(state->channel.netNumber), net_);
        ASSERT_NO_FATAL_FAILURE(openLink());
        ASSERT_EQ(state->channel.portIndex, portIndex_);
    }

    QString dumpFile(const char *name) const { return dump_.filePath(QString::fromLatin1(name)); }

    int portIndex_ = -1;
    QString net_;
    QDir dump_;
    QString library_;
};

TEST_F(WindowOnGivenLine, JournalAndSoftwareImageAreTheDumpedOnes)
{
    ASSERT_NO_FATAL_FAILURE(startOnLine());
    // Portions of 1000 bytes leave a short last one.
    find<QComboBox>("CBoxSize")->setCurrentIndex(6);
    ASSERT_EQ(state->session.portionSize, 1000);
    host.savePath = target("journal.dat");
    click("SBtnJurLink");
    EXPECT_EQ(compareFiles(host.savePath, dumpFile("journal.dat")), QString()) << boxText();

    // An image of a size other than the standard ones, read as reported:
    // No to trying the standard size.
    host.answers.push_back(kIdNo);
    host.savePath = target("image.bin");
    click("SBtnGet");
    EXPECT_EQ(compareFiles(host.savePath, dumpFile("0900.bin")), QString()) << boxText();
    EXPECT_EQ(host.unexpectedBoxes, 0) << boxText();
    EXPECT_TRUE(host.answers.empty()) << boxText();
    EXPECT_EQ(state->channel.running, 0);
}

} // namespace
} // namespace vestan::test
