// The library's parts below the C interface: error texts, the port table in
// trvCLNK.ini, the dialogs' contents, the dial string.

#include "maker/trvclnk/devicedialog.h"
#include "maker/trvclnk/linkaboutbox.h"
#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/linksettingsfile.h"
#include "maker/trvclnk/linkstatistics.h"
#include "maker/trvclnk/modemdialer.h"
#include "maker/trvclnk/setupdialog.h"
#include "maker/trvclnk/statisticsdialog.h"
#include "platform/codepage.h"
#include "platform/serialports.h"
#include "scriptedchannel.h"
#include "tests/support/testsystem.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vestan;
using namespace vestan::trvclnk;

namespace {

QString text(int32_t code)
{
    return fromCp1251(errorText(code));
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// --- error codes ---------------------------------------------------------

TEST(LinkErrors, ProgramCodesKeepTheirMeaning)
{
    EXPECT_EQ(kErrStopped, -51);
    EXPECT_EQ(kErrRequestTooLong, -52);
    EXPECT_EQ(text(-51), QStringLiteral("Операция прервана пользователем"));
    EXPECT_EQ(text(-52), QStringLiteral("Запрос не помещается в буфер связи"));
}

TEST(LinkErrors, EveryLibraryCodeHasARussianTextInCodePage1251)
{
    for (int32_t code :
         {kErrNotOpen,       kErrOpenFailed,       kErrTimeout,         kErrCrc,
          kErrMalformed,     kErrReplyTooLarge,    kErrWriteFailed,     kErrDeviceLost,
          kErrBadPort,       kErrBadArgument,      kErrSettingsWrite,   kErrNoGui,
          kErrNoStatistics,  kErrUnknownEvent,     kErrNoPermission,    kErrNoDevice,
          kErrDeviceBusy,    kErrModemBusy,        kErrModemNoCarrier,  kErrModemNoDialtone,
          kErrModemNoAnswer, kErrModemDialTimeout, kErrModemNoResponse, kErrModemError}) {
        const QByteArray raw(errorText(code));
        ASSERT_FALSE(raw.isEmpty()) << code;
        // Cyrillic letters of code page 1251 are single bytes 0xC0 .. 0xFF (0xA8, 0xB8 for Ё, ё).
        EXPECT_TRUE(std::any_of(raw.begin(), raw.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0xC0;
        })) << code;
        EXPECT_EQ(toCp1251(fromCp1251(raw.constData())), raw) << code;
        EXPECT_NE(code, -51);
        EXPECT_NE(code, -52);
    }
    EXPECT_EQ(text(kErrModemBusy), QStringLiteral("Модем: линия занята (BUSY)"));
    EXPECT_EQ(text(kErrTimeout), QStringLiteral("Нет ответа контроллера (тайм-аут)"));
}

TEST(LinkErrors, TextsStayPutAndUnknownCodesHaveNone)
{
    EXPECT_EQ(errorText(kErrCrc), errorText(kErrCrc));
    EXPECT_STREQ(errorText(-999), "");
    EXPECT_STREQ(errorText(0), "");
    EXPECT_STREQ(errorText(7), "");
}

TEST(LinkErrors, OnlyTimeOutsAndBrokenRepliesAreWorthRepeating)
{
    EXPECT_EQ(isFinalError(kErrTimeout), 0);
    EXPECT_EQ(isFinalError(kErrCrc), 0);
    EXPECT_EQ(isFinalError(kErrMalformed), 0);
    for (int32_t code : {kErrNotOpen, kErrOpenFailed, kErrReplyTooLarge, kErrWriteFailed,
                         kErrDeviceLost, kErrModemBusy, kErrModemNoCarrier, kErrModemNoDialtone,
                         kErrModemNoAnswer, kErrModemDialTimeout, kErrStopped, kErrRequestTooLong})
        EXPECT_NE(isFinalError(code), 0) << code;
}

// --- trvCLNK.ini -----------------------------------------------------------

TEST(LinkSettingsFile, MissingFileGivesTheDefaultsOfThePort)
{
    QTemporaryDir dir;
    const LinkSettingsFile file(dir.filePath(QStringLiteral("trvCLNK.ini")));
    const PortSettings com2 = file.read(1);
    EXPECT_EQ(com2.device, vestan::defaultSerialDevice(1));
    EXPECT_EQ(com2.baud, 115200u);
    EXPECT_EQ(com2.dataBits, 8);
    EXPECT_EQ(com2.parity, 'N');
    EXPECT_EQ(com2.stopBits, 1);
    EXPECT_EQ(com2.dial, 'T');
    EXPECT_EQ(file.read(0).device, vestan::defaultSerialDevice(0));
    EXPECT_EQ(sectionName(1), QStringLiteral("COM2"));
}

TEST(LinkSettingsFile, ReadsEveryKeyOfItsSection)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trvCLNK.ini"));
    writeFile(path, "; port table\n[COM3]\nDevice=/dev/ttyUSB0\n[com2]\n"
                    "device = \"/tmp/my line\"\nBaud=9600\nDataBits=7\nParity=e\nStopBits=2\n"
                    "ReplyTimeoutMs=2500\nInterByteTimeoutMs=80\nModemInit=ATZ\nDial=P\n"
                    "DialTimeoutMs=45000\nModemTimeoutMs=1500\nGuardTimeMs=1200\n");
    const PortSettings s = LinkSettingsFile(path).read(1);
    EXPECT_EQ(s.device, QStringLiteral("/tmp/my line"));
    EXPECT_EQ(s.baud, 9600u);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, 'E');
    EXPECT_EQ(s.stopBits, 2);
    EXPECT_EQ(s.replyTimeoutMs, 2500);
    EXPECT_EQ(s.interByteTimeoutMs, 80);
    EXPECT_EQ(s.modemInit, QStringLiteral("ATZ"));
    EXPECT_EQ(s.dial, 'P');
    EXPECT_EQ(s.dialTimeoutMs, 45000);
    EXPECT_EQ(s.modemTimeoutMs, 1500);
    EXPECT_EQ(s.guardTimeMs, 1200);
}

TEST(LinkSettingsFile, UnreadableValuesKeepTheirDefaultsAndAnEmptyInitMeansNone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trvCLNK.ini"));
    writeFile(path, "[COM1]\nDevice=\nBaud=fast\nDataBits=9\nParity=X\nStopBits=3\n"
                    "ReplyTimeoutMs=-5\nDial=Q\nModemInit=\n");
    const PortSettings s = LinkSettingsFile(path).read(0);
    const PortSettings d = defaultPortSettings(0);
    EXPECT_EQ(s.device, d.device);
    EXPECT_EQ(s.baud, d.baud);
    EXPECT_EQ(s.dataBits, d.dataBits);
    EXPECT_EQ(s.parity, d.parity);
    EXPECT_EQ(s.stopBits, d.stopBits);
    EXPECT_EQ(s.replyTimeoutMs, d.replyTimeoutMs);
    EXPECT_EQ(s.dial, d.dial);
    EXPECT_EQ(s.modemInit, QString());
}

TEST(LinkSettingsFile, StoredSettingsReadBackAndOtherLinesStay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trvCLNK.ini"));
    writeFile(path, "; kept\n[COM1]\nDevice=/dev/ttyS7\nOwnKey=1\n");
    LinkSettingsFile file(path);
    PortSettings s = defaultPortSettings(4);
    s.baud = 19200;
    s.parity = 'O';
    s.stopBits = 2;
    s.replyTimeoutMs = 700;
    s.modemInit = QStringLiteral("AT&F E0");
    s.dial = 'P';
    ASSERT_TRUE(file.storeDevice(4, QStringLiteral("  /dev/ttyACM0 ")));
    ASSERT_TRUE(file.storeLineSettings(4, s));
    s.device = QStringLiteral("/dev/ttyACM0");
    EXPECT_EQ(file.read(4), s);
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.startsWith("; kept\n[COM1]\nDevice=/dev/ttyS7\nOwnKey=1\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("[COM5]"));
    EXPECT_EQ(file.read(0).device, QStringLiteral("/dev/ttyS7"));
}

TEST(LinkSettingsFile, RefusesEmptyDevicesBadPortsAndUnwritableFiles)
{
    QTemporaryDir dir;
    LinkSettingsFile file(dir.filePath(QStringLiteral("trvCLNK.ini")));
    EXPECT_FALSE(file.storeDevice(1, QStringLiteral("   ")));
    EXPECT_FALSE(file.storeDevice(-1, QStringLiteral("/dev/ttyS0")));
    EXPECT_FALSE(file.storeDevice(kPortCount, QStringLiteral("/dev/ttyS0")));
    EXPECT_FALSE(QFile::exists(file.path()));
    VESTAN_NEEDS_LINUX_FILES();
    if (vestan::test::userId() == 0)
        GTEST_SKIP() << "root writes into read-only directories";
    ASSERT_TRUE(vestan::test::setFileMode(dir.path(), 0500));
    EXPECT_FALSE(file.storeDevice(1, QStringLiteral("/dev/ttyS0")));
    vestan::test::setFileMode(dir.path(), 0700);
}

TEST(LinkSettingsFile, UnwritablePathIsRefused)
{
    // A directory where the file should be cannot be replaced, root or not.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trvCLNK.ini"));
    ASSERT_TRUE(QDir().mkdir(path));
    LinkSettingsFile file(path);
    EXPECT_FALSE(file.storeDevice(1, QStringLiteral("/dev/ttyS0")));
    EXPECT_FALSE(file.storeLineSettings(1, defaultPortSettings(1)));
}

// --- dialogs -------------------------------------------------------------

TEST(SetupDialog, OpensWithTheSettingsAndGivesThemBackUnchanged)
{
    PortSettings s = defaultPortSettings(1);
    s.baud = 57600;
    s.dataBits = 7;
    s.parity = 'M';
    s.stopBits = 2;
    s.replyTimeoutMs = 1234;
    s.modemInit = QStringLiteral("ATZ");
    s.dial = 'P';
    s.guardTimeMs = 321; // not in the dialog: kept as it was
    SetupDialog dialog(1, s);
    EXPECT_EQ(dialog.findChild<QComboBox *>(QStringLiteral("baud"))->currentText(),
              QStringLiteral("57600"));
    EXPECT_TRUE(dialog.findChild<QRadioButton *>(QStringLiteral("pulse"))->isChecked());
    EXPECT_EQ(dialog.settings(), s);
}

TEST(SetupDialog, EditedFieldsBecomeTheSettings)
{
    SetupDialog dialog(0, defaultPortSettings(0));
    dialog.findChild<QComboBox *>(QStringLiteral("baud"))->setCurrentText(QStringLiteral("9600"));
    dialog.findChild<QComboBox *>(QStringLiteral("dataBits"))->setCurrentIndex(2); // 7
    dialog.findChild<QComboBox *>(QStringLiteral("parity"))->setCurrentIndex(2);   // odd
    dialog.findChild<QComboBox *>(QStringLiteral("stopBits"))->setCurrentIndex(1);
    dialog.findChild<QSpinBox *>(QStringLiteral("replyTimeout"))->setValue(3000);
    dialog.findChild<QLineEdit *>(QStringLiteral("modemInit"))
        ->setText(QStringLiteral(" AT&FЖE0 "));
    dialog.findChild<QRadioButton *>(QStringLiteral("pulse"))->setChecked(true);
    const PortSettings s = dialog.settings();
    EXPECT_EQ(s.baud, 9600u);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, 'O');
    EXPECT_EQ(s.stopBits, 2);
    EXPECT_EQ(s.replyTimeoutMs, 3000);
    EXPECT_EQ(s.modemInit, QStringLiteral("AT&FE0")); // only what a modem can take
    EXPECT_EQ(s.dial, 'P');
}

TEST(SetupDialog, UnreadableSpeedKeepsTheOldOne)
{
    PortSettings s = defaultPortSettings(0);
    s.baud = 4800;
    SetupDialog dialog(0, s);
    dialog.findChild<QComboBox *>(QStringLiteral("baud"))->setCurrentText(QStringLiteral("fast"));
    EXPECT_EQ(dialog.settings().baud, 4800u);
}

TEST(DeviceDialog, ShowsTheDeviceOfTheChosenPort)
{
    const QList<DeviceEntry> devices = {
        {QStringLiteral("/dev/ttyS0"), QStringLiteral("16550A"), QString(), true},
        {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R"), QStringLiteral("USB 0403:6001"),
         false}};
    const auto deviceOf = [](int port) {
        return port == 3 ? QStringLiteral("/dev/ttyUSB0") : QStringLiteral("/dev/ttyS%1").arg(port);
    };
    DeviceDialog dialog(1, devices, deviceOf);
    EXPECT_EQ(dialog.chosenPort(), 1);
    EXPECT_EQ(dialog.chosenDevice(), QStringLiteral("/dev/ttyS1"));
    dialog.findChild<QSpinBox *>(QStringLiteral("port"))->setValue(4);
    EXPECT_EQ(dialog.chosenPort(), 3);
    EXPECT_EQ(dialog.chosenDevice(), QStringLiteral("/dev/ttyUSB0"));
    auto *description = dialog.findChild<QLabel *>(QStringLiteral("description"));
    EXPECT_EQ(description->text(), QStringLiteral("FT232R, USB 0403:6001 (нет прав)"));
    // The list shows every port with what tells them apart; the choice stays the path.
    auto *list = dialog.findChild<QComboBox *>(QStringLiteral("device"));
    ASSERT_EQ(list->count(), 2);
    QStringList row;
    for (int column = 0; column < list->model()->columnCount(); ++column)
        row << list->model()->index(1, column).data().toString();
    EXPECT_EQ(row, QStringList({"/dev/ttyUSB0", "FT232R", "USB 0403:6001", "(нет прав)"}));
    dialog.setChosenDevice(QStringLiteral(" /tmp/sim/line "));
    EXPECT_EQ(dialog.chosenDevice(), QStringLiteral("/tmp/sim/line"));
    EXPECT_EQ(description->text(), QStringLiteral("(введено вручную)"));
    // A port of the system's list without a description was picked, not typed.
    DeviceDialog plain(0, {{QStringLiteral("COM1"), QString(), QString(), true}},
                       [](int) { return QStringLiteral("COM1"); });
    EXPECT_EQ(plain.findChild<QLabel *>(QStringLiteral("description"))->text(), QString());
}

TEST(DeviceDialog, PortOutOfRangeStartsAtCom1)
{
    DeviceDialog dialog(-3, {}, [](int) { return QString(); });
    EXPECT_EQ(dialog.chosenPort(), 0);
}

TEST(StatisticsDialog, ShowsEveryCounter)
{
    LinkStatistics stats;
    stats.requests = 12;
    stats.replies = 9;
    stats.timeouts = 2;
    stats.crcErrors = 1;
    stats.bytesSent = 345;
    StatisticsDialog dialog(1, stats, true);
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("table"));
    const auto lines = statisticsLines(stats);
    ASSERT_EQ(table->rowCount(), lines.size());
    QMap<QString, QString> shown;
    for (int row = 0; row < table->rowCount(); ++row)
        shown[table->item(row, 0)->text().trimmed()] = table->item(row, 1)->text();
    EXPECT_EQ(shown.value(QStringLiteral("Запросов")), QStringLiteral("12"));
    EXPECT_EQ(shown.value(QStringLiteral("Ответов")), QStringLiteral("9"));
    EXPECT_EQ(shown.value(QStringLiteral("Неудачных попыток всего")), QStringLiteral("3"));
    EXPECT_EQ(shown.value(QStringLiteral("Передано байт")), QStringLiteral("345"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("state"))->text(),
              QStringLiteral("Порт открыт"));
}

// A 1366 x 768 screen at 150 % scaling: 910 x 512 pixels before scaling,
// less the task bar and a caption.
TEST(LinkDialogs, EachFitsASmallScreenAtOneAndAHalfTimesScale)
{
    StatisticsDialog statistics(0, LinkStatistics(), true);
    SetupDialog setup(0, defaultPortSettings(0));
    DeviceDialog device(0, {{QStringLiteral("COM1"), QStringLiteral("16550A"), QString(), true}},
                        [](int) { return QStringLiteral("COM1"); });
    for (QDialog *dialog : std::initializer_list<QDialog *>{&statistics, &setup, &device}) {
        const QSize size = dialog->sizeHint().expandedTo(dialog->minimumSizeHint());
        EXPECT_LE(size.width(), 900) << qPrintable(dialog->objectName());
        EXPECT_LE(size.height(), 512 - 40 - 30) << qPrintable(dialog->objectName());
    }
}

TEST(AboutBox, ShowsTheFourTextsAsPlainText)
{
    const auto box = makeAboutBox(QStringLiteral("Vestan"), QStringLiteral("Версия 1.0"),
                                  QStringLiteral("Доступ к данным <b>контроллера</b>"),
                                  QStringLiteral("Разработчики Vestan"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), QStringLiteral("Vestan\n\nВерсия 1.0\n\nДоступ к данным "
                                          "<b>контроллера</b>\n\nРазработчики Vestan"));
    EXPECT_TRUE(box->windowTitle().contains(QStringLiteral("Vestan")));
}

// --- modem ---------------------------------------------------------------

TEST(ModemDialer, OnlyWhatAModemDialsIsDialled)
{
    EXPECT_TRUE(ModemDialer::isDialable(" +7 (495) 123-45-67,,#21*W9P!T@ /."));
    EXPECT_EQ(ModemDialer::dialString(" 8,(495) 123-45-67 "), QByteArray("8,(495) 123-45-67"));
    // Line ends and ';' would turn the rest into commands; letters and
    // Cyrillic (or '?' for what code page 1251 lacks) would dial as something else.
    for (const char *number : {"123\rATZ", "123\n", "123;", "\xC0\xC1", "? 8-495-123", "8\t495",
                               "ATH0", "123A"})
        EXPECT_FALSE(ModemDialer::isDialable(number)) << number;
}

TEST(ModemDialer, ReadsAnswersAcrossEchoesAndPieces)
{
    test::ScriptedChannel line;
    PortSettings settings;
    settings.modemInit = QStringLiteral("ATE0");
    line.onWrite = [&](const test::Bytes &sent) {
        const QByteArray text(reinterpret_cast<const char *>(sent.data()), qsizetype(sent.size()));
        if (text.startsWith("ATE0")) {
            line.arriveIn(1, {'A', 'T', 'E', '0', '\r', '\r', '\n', 'O'});
            line.arriveIn(2, {'K', '\r', '\n'});
        } else if (text.startsWith("ATDP")) {
            line.arriveIn(30, {'\r', '\n', 'R', 'I', 'N', 'G', '\r', '\n'});
            const QByteArray connect("\r\nCONNECT 9600/ARQ\r\n");
            line.arriveIn(40, test::Bytes(connect.begin(), connect.end()));
        }
    };
    settings.dial = 'P';
    EXPECT_EQ(ModemDialer(line, settings).dial("5551234"), kOk);
    ASSERT_EQ(line.written.size(), 2u);
    EXPECT_EQ(line.written[1],
              test::Bytes({'A', 'T', 'D', 'P', '5', '5', '5', '1', '2', '3', '4', '\r'}));
}

TEST(ModemDialer, ModemThatNeverAnswersEndsWithinItsTimeOuts)
{
    test::ScriptedChannel line;
    PortSettings settings;
    settings.modemTimeoutMs = 700;
    EXPECT_EQ(ModemDialer(line, settings).dial("1"), kErrModemNoResponse);
    EXPECT_EQ(line.now, 700);
    settings.modemInit.clear();
    settings.dialTimeoutMs = 900;
    line.now = 0;
    line.written.clear();
    EXPECT_EQ(ModemDialer(line, settings).dial("1"), kErrModemDialTimeout);
    EXPECT_EQ(line.now, 900);
    // The dial is cut short by a character, so the modem does not connect later.
    ASSERT_EQ(line.written.size(), 2u);
    EXPECT_EQ(line.written[1], test::Bytes({'\r'}));
}
