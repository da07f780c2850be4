#include "infopagefixture.h"

#include "info/controllerinfo.h"
#include "maker/tarvel/journalformat.h"
#include "maker/tarvel/journallayout.h"
#include "maker/tarvel/tarvel.h"
#include "platform/codepage.h"

#include <QFontInfo>
#include <cstring>

namespace vestan::test {
namespace {

namespace jf = journalformat;

constexpr int kGreen = LampList::Green;
constexpr int kGrey = LampList::Grey;
constexpr int kRed = LampList::Red;
constexpr int kYellow = LampList::Yellow;

struct Block
{
    uint16_t length;
    uint32_t offset;
    friend bool operator==(const Block &, const Block &) = default;
};

void PrintTo(const Block &b, std::ostream *os)
{
    *os << "{" << b.length << " @ " << b.offset << "}";
}

uint16_t u16(const QByteArray &b, int at)
{
    return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

jf::JournalSpec journalSpec(uint32_t headerSize)
{
    jf::JournalSpec spec;
    spec.controllerName = "КП-7 Северная";
    spec.versionText = "TARVEL-M 3.12";
    spec.firstPowerOn = {2001, 12, 19, 8, 0, 1};
    spec.lastPowerOn = {}; // never recorded: all zero
    spec.settingsSaved = {2008, 5, 14, 9, 30, 0};
    spec.parametersRequested = {2009, 2, 28, 12, 5, 59};
    spec.recordCount = 17;
    spec.recordSize = 64;
    spec.maxVariables = 12;
    spec.firstRecord = {2008, 1, 1, 0, 0, 0};
    spec.extraHeaderBytes = headerSize - jf::layout::kMinHeaderSize;
    return spec;
}

QByteArray bytes(const std::vector<uint8_t> &v)
{
    return QByteArray(reinterpret_cast<const char *>(v.data()), qsizetype(v.size()));
}

const QStringList kSummary = {
    QStringLiteral("К О Н Т Р О Л Л Е Р:  КП-7 Северная"),
    QStringLiteral("   Первое включение    19-Дек-2001, 08:00:01"),
    QStringLiteral("   Последнее включение   00.00.0000, 00:00:00"),
    QStringLiteral("   Сохранение настроек 14-Май-2008, 09:30:00"),
    QStringLiteral("   Запрос параметров   28-Фев-2009, 12:05:59"),
    QString(),
    QStringLiteral("Ж У Р Н А Л"),
    QString(),
    QStringLiteral("   Число записей                      17"),
    QStringLiteral("   Размер записи                      64"),
    QStringLiteral("   MAX. число переменных в записи     12"),
};

class InfoReadoutTest : public InfoPageFixture
{
protected:
    void SetUp() override
    {
        InfoPageFixture::SetUp();
        link.objects[ObjJournalHeader] = bytes(jf::encodeHeader(journalSpec(2500)));
        link.objects[ObjHandlerVersion] = QByteArray("\x02\x01\x00\x05\xD7\x07\x03\x03", 8);
        link.errorTexts[-3] = toCp1251(QStringLiteral("Нет ответа"));
        link.finalCodes = {-3};
        // What an earlier readout left on the page.
        control("StTxtVersion")->setText(QStringLiteral("прежняя версия"));
        memo()->setPlainText(QStringLiteral("прежняя сводка"));
    }

    void click() { button("BtnI1")->click(); }

    std::vector<Block> blocks() const
    {
        std::vector<Block> out;
        for (const QByteArray &r : link.requests) {
            if (r.size() == 10 && uint8_t(r[1]) == 3)
                out.push_back({u16(r, 4), uint32_t(u16(r, 6)) | (uint32_t(u16(r, 8)) << 16)});
        }
        return out;
    }

    void expectIdleAfterwards() const
    {
        EXPECT_EQ(state.channel.running, 0);
        EXPECT_TRUE(button("BtnI1")->isEnabled());
    }
};

TEST_F(InfoReadoutTest, HeaderInOnePortion)
{
    link.objects[ObjJournalHeader] = bytes(jf::encodeHeader(journalSpec(300)));
    click();

    ASSERT_EQ(link.requests.size(), 3u);
    EXPECT_EQ(link.requests[0], QByteArray("\x21\x01\x00\x0B", 4));
    EXPECT_EQ(link.requests[1], QByteArray("\x21\x02\x03\x0B\x08\x00", 6));
    EXPECT_EQ(blocks(), (std::vector<Block>{{300, 0}}));
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kGreen, kGreen}));
    EXPECT_EQ(text("StTxtVerLink"),
              QStringLiteral("Обработчик запросов по связи: Версия 2-1-0-5 от 3.3.2007"));
    EXPECT_EQ(text("StTxtVersion"), QStringLiteral("TARVEL-M 3.12"));
    EXPECT_EQ(memo()->toPlainText(), kSummary.join(QLatin1Char('\n')));
    EXPECT_TRUE(host.boxes.empty());
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, HeaderInThreePortionsBlinksPerPortion)
{
    click();

    EXPECT_EQ(blocks(), (std::vector<Block>{{1024, 0}, {1024, 1024}, {452, 2048}}));
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kGreen, kYellow, kGreen, kGreen}));
    // The check library accepts the header only when every portion landed in its place.
    EXPECT_EQ(memo()->toPlainText(), kSummary.join(QLatin1Char('\n')));
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, SmallPortionSizeIsHonoured)
{
    state.session.portionSize = 1000;
    click();
    EXPECT_EQ(blocks(), (std::vector<Block>{{1000, 0}, {1000, 1000}, {500, 2000}}));
    EXPECT_EQ(lampChanges.back(), kGreen);
}

TEST_F(InfoReadoutTest, EmptyHeaderIsCheckedAndRefused)
{
    link.objects[ObjJournalHeader] = QByteArray();
    click();

    EXPECT_TRUE(blocks().empty());
    QStringList expected = {fromCp1251(_tj_Err2str(-2))};
    expected << QStringLiteral("К О Н Т Р О Л Л Е Р:  ");
    for (const char *label : {"   Первое включение    ", "   Последнее включение ",
                              "   Сохранение настроек ", "   Запрос параметров   "})
        expected << QString::fromUtf8(label) + QStringLiteral("  00.00.0000, 00:00:00");
    expected << QString() << QStringLiteral("Ж У Р Н А Л") << QString();
    expected << QStringLiteral("   Число записей                       0");
    expected << QStringLiteral("   Размер записи                       0");
    expected << QStringLiteral("   MAX. число переменных в записи      0");
    EXPECT_EQ(memo()->toPlainText(), expected.join(QLatin1Char('\n')));
    EXPECT_EQ(text("StTxtVersion"), QString());
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kGreen}));
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, CorruptedHeaderShowsTheCheckText)
{
    QByteArray header = bytes(jf::encodeHeader(journalSpec(300)));
    header[int(jf::layout::kControllerNameAt)] = 'X';
    link.objects[ObjJournalHeader] = header;
    click();

    const QStringList lines = memo()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[0], fromCp1251(_tj_Err2str(-12)));
    EXPECT_EQ(lines[1], QStringLiteral("К О Н Т Р О Л Л Е Р:  "));
    EXPECT_EQ(lampChanges.back(), kGreen);
}

TEST_F(InfoReadoutTest, ControllerWithoutVersionObject)
{
    link.objects.erase(ObjHandlerVersion);
    click();

    EXPECT_EQ(text("StTxtVerLink"), QStringLiteral("Очень старая версия."));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(memo()->toPlainText(), QString());
    EXPECT_EQ(text("StTxtVersion"), QStringLiteral("прежняя версия"));
    EXPECT_TRUE(blocks().empty());
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kRed}));
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, ShortVersionAnswerCountsAsVeryOld)
{
    link.objects[ObjHandlerVersion] = QByteArray("\x02\x01\x00\x05", 4);
    click();

    EXPECT_EQ(text("StTxtVerLink"), QStringLiteral("Очень старая версия."));
    EXPECT_TRUE(blocks().empty());
    EXPECT_EQ(lampChanges.back(), kRed);
}

TEST_F(InfoReadoutTest, FailedSizeRequestLeavesThePage)
{
    link.requestResults = {-3};
    click();

    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption,
              QStringLiteral("vestan :\"Чтение размера заголовка журнала\""));
    EXPECT_EQ(memo()->toPlainText(), QStringLiteral("прежняя сводка"));
    EXPECT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kRed}));
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, FailedPortion)
{
    link.requestResults = {0, 0, 0, -3};
    click();

    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, QStringLiteral("vestan :\"Чтение заголовка журнала\""));
    EXPECT_EQ(host.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(blocks().size(), 2u);
    EXPECT_EQ(memo()->toPlainText(), QString());
    EXPECT_EQ(text("StTxtVersion"), QStringLiteral("прежняя версия"));
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kGreen, kYellow, kRed}));
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, ShortPortionFailsWithoutMessage)
{
    link.beforeRequest = [this](int index) {
        if (index == 3) // the second portion finds the object cut short
            link.objects[ObjJournalHeader].truncate(1500);
    };
    click();

    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(blocks().size(), 2u);
    EXPECT_EQ(memo()->toPlainText(), QString());
    EXPECT_EQ(lampChanges.back(), kRed);
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, StopWhileAPortionSucceeds)
{
    link.beforeRequest = [this](int index) {
        if (index == 2)
            state.channel.running = 0;
    };
    click();

    EXPECT_EQ(blocks().size(), 1u);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(memo()->toPlainText(), QString());
    EXPECT_EQ(text("StTxtVersion"), QStringLiteral("прежняя версия"));
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kGreen, kGreen}));
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, ButtonDisabledAndFlagSetWhileReading)
{
    std::vector<bool> enabled;
    std::vector<int> running;
    link.beforeRequest = [&](int) {
        enabled.push_back(button("BtnI1")->isEnabled());
        running.push_back(state.channel.running);
    };
    click();

    EXPECT_EQ(enabled, std::vector<bool>(5, false));
    EXPECT_EQ(running, std::vector<int>(5, 1));
    expectIdleAfterwards();
}

TEST_F(InfoReadoutTest, ClickWhileAnotherOperationRunsDoesNothing)
{
    state.channel.running = 1;
    click();

    EXPECT_TRUE(link.requests.empty());
    EXPECT_TRUE(lampChanges.empty());
    EXPECT_EQ(lamp()->imageIndex(), -1);
    EXPECT_EQ(memo()->toPlainText(), QStringLiteral("прежняя сводка"));
    EXPECT_EQ(state.channel.running, 1);
}

class HugeHeaderTest : public InfoReadoutTest, public ::testing::WithParamInterface<uint32_t>
{};

TEST_P(HugeHeaderTest, RefusedAsAnAllocationFailure)
{
    const uint32_t size = GetParam();
    link.onRequest = [size](const QByteArray &request, uint8_t *reply, uint16_t,
                            uint16_t *replyLength) {
        std::memcpy(reply, request.constData(), 4);
        std::memcpy(reply + 4, &size, 4);
        *replyLength = 8;
        return 0;
    };
    click();

    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].caption, QStringLiteral("Vestan"));
    EXPECT_EQ(host.boxes[0].text, QStringLiteral("Не могу выделить память\nпод заголовок журнала"));
    EXPECT_EQ(host.boxes[0].style, 0x10);
    EXPECT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(memo()->toPlainText(), QStringLiteral("прежняя сводка"));
    EXPECT_EQ(lampChanges, (std::vector<int>{kGrey, kRed}));
    expectIdleAfterwards();
}

// Size + 16 past 32 bits, and sizes the check's signed size cannot carry.
INSTANTIATE_TEST_SUITE_P(Sizes, HugeHeaderTest,
                         ::testing::Values(0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u, 0x7FFFFFF0u));

TEST(InfoReadoutAllocation, OrdinarySizesGetTheirSpare)
{
    EXPECT_NE(ControllerInfo::allocateHeader(0), nullptr);
    EXPECT_NE(ControllerInfo::allocateHeader(65536), nullptr);
}

TEST_F(InfoPageFixture, LayoutAndLook)
{
    EXPECT_EQ(page->objectName(), QStringLiteral("PgInfo"));
    EXPECT_NE(control<QWidget>("GrBoxKIInfo"), nullptr);
    EXPECT_EQ(button("BtnU")->text(), QStringLiteral("Питание"));
    EXPECT_EQ(button("BtnI1")->text(), QStringLiteral("Читать"));
    EXPECT_EQ(button("BtnI1")->size(), QSize(84, 49));
    EXPECT_EQ(lamp()->size(), QSize(32, 32));
    EXPECT_EQ(lamp()->imageIndex(), -1);
    EXPECT_EQ(control("StTxtVersion")->toolTip(), QStringLiteral("Версия контроллера"));
    EXPECT_EQ(control("StTxtVerLink")->toolTip(),
              QStringLiteral("Версия обработчика запромов по связи."));
    EXPECT_TRUE(memo()->isReadOnly());
    EXPECT_EQ(memo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    // Where no fixed font is installed (a bare Wine prefix) the hint must ask for one.
    const QFont font = memo()->font();
    EXPECT_TRUE(QFontInfo(font).fixedPitch() || font.styleHint() == QFont::TypeWriter);
}

TEST(LampList, FourSilverBackedLamps)
{
    const LampList list;
    const QColor silver(0xC0, 0xC0, 0xC0);
    std::vector<QRgb> centres;
    for (int i = 0; i < LampList::kCount; ++i) {
        const QImage image = list.image(i).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(image.pixelColor(0, 0), silver) << i;
        centres.push_back(image.pixel(18, 18));
    }
    const QColor green(centres[kGreen]), red(centres[kRed]), yellow(centres[kYellow]),
        grey(centres[kGrey]);
    EXPECT_GT(green.green(), green.red() + 60);
    EXPECT_GT(red.red(), red.green() + 60);
    EXPECT_GT(yellow.red(), yellow.blue() + 60);
    EXPECT_GT(yellow.green(), yellow.blue() + 60);
    EXPECT_LT(std::abs(grey.red() - grey.green()), 16);
    EXPECT_TRUE(list.image(4).isNull());
}

} // namespace
} // namespace vestan::test
