#include "session/linkloader.h"
#include "session/session.h"
#include "tests/support/scriptedhost.h"
#include "tests/support/testsystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace vestan {
namespace {

using test::ScriptedHost;

const QString kLibsDir = QStringLiteral(VESTAN_TEST_LIBS_DIR);
const QString kName = QStringLiteral("trvtest") + (test::isWindows() ? ".dll" : ".so");

// Keeps TRV_DIR as the test found it.
class TrvDirGuard
{
public:
    TrvDirGuard()
    {
        if (qEnvironmentVariableIsSet("TRV_DIR"))
            saved_ = qgetenv("TRV_DIR");
        qunsetenv("TRV_DIR");
    }
    ~TrvDirGuard()
    {
        if (saved_)
            qputenv("TRV_DIR", *saved_);
        else
            qunsetenv("TRV_DIR");
    }

private:
    std::optional<QByteArray> saved_;
};

// The file a bound entry point lives in, and its exported name.
QString fileOf(const void *address)
{
    const QString path = dynlib::modulePath(address);
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

QString symbolOf(const void *address)
{
    return test::exportedNameOf(address);
}

std::vector<const void *> places(const LinkApi &api)
{
    return {reinterpret_cast<const void *>(api._trvCL_fInit),
            reinterpret_cast<const void *>(api._trvCL_fDlgSetup),
            reinterpret_cast<const void *>(api._trvCL_fOpen),
            reinterpret_cast<const void *>(api._trvCL_fClose),
            reinterpret_cast<const void *>(api._trvCL_fIsOpen),
            reinterpret_cast<const void *>(api._trvCL_fErr2str),
            reinterpret_cast<const void *>(api._trvCL_fChkErrType),
            reinterpret_cast<const void *>(api._trvCL_fRequest),
            reinterpret_cast<const void *>(api._trvCL_fSetPhone),
            reinterpret_cast<const void *>(api._trvCL_fParamBaud),
            reinterpret_cast<const void *>(api._trvCL_fSetEvent),
            reinterpret_cast<const void *>(api._trv_about)};
}

const QString kSuffix = test::isWindows() ? QStringLiteral(".dll") : QStringLiteral(".so");

// Windows answers a bare name with a module of that name that is loaded
// already, as the libraries of earlier tests of this program stay.
const char *const kBareNameOnWindows =
    "the bare name finds the test library an earlier test left loaded";

const QStringList kEntryNames = {"_trvCL_fInit",       "_trvCL_fDlgSetup", "_trvCL_fOpen",
                                 "_trvCL_fClose",      "_trvCL_fIsOpen",   "_trvCL_fErr2str",
                                 "_trvCL_fChkErrType", "_trvCL_fRequest",  "_trvCL_fSetPhone",
                                 "_trvCL_fParamBaud",  "_trvCL_fSetEvent", "_trv_about"};

// The search order, as text: no files needed.
TEST(LinkLibrarySearchPaths, SevenPlacesInOrder)
{
    if (test::isWindows())
        GTEST_SKIP() << "Linux paths; WindowsPlaces checks the Windows ones";
    const QStringList paths =
        linkLibrarySearchPaths("/opt/vestan/bin/vestan", "trvCLNK.so", "/srv/lib");
    EXPECT_EQ(paths,
              QStringList({"/opt/vestan/bin/trvCLNK.so", "/opt/vestan/bin/_SYS/trvCLNK.so",
                           "/opt/vestan/bin/../trvCLNK.so", "/opt/vestan/bin/../_SYS/trvCLNK.so",
                           "/srv/lib/trvCLNK.so", "/srv/lib/_SYS/trvCLNK.so", "trvCLNK.so"}));
}

TEST(LinkLibrarySearchPaths, TrailingSeparatorOfTrvDirIsNotDoubled)
{
    if (test::isWindows())
        GTEST_SKIP() << "Linux paths; WindowsPlaces checks the Windows ones";
    EXPECT_EQ(linkLibrarySearchPaths("/p/vestan", "t.so", "/srv/lib/").mid(4, 2),
              QStringList({"/srv/lib/t.so", "/srv/lib/_SYS/t.so"}));
    EXPECT_EQ(linkLibrarySearchPaths("/p/vestan", "t.so", "D:\\Lib\\").mid(4, 2),
              QStringList({"D:\\Lib\\t.so", "D:\\Lib\\_SYS/t.so"}));
}

TEST(LinkLibrarySearchPaths, EmptyTrvDirIsUnset)
{
    if (test::isWindows())
        GTEST_SKIP() << "Linux paths; WindowsPlaces checks the Windows ones";
    EXPECT_EQ(linkLibrarySearchPaths("/p/vestan", "t.so", ""),
              QStringList({"/p/t.so", "/p/_SYS/t.so", "/p/../t.so", "/p/../_SYS/t.so", "t.so"}));
}

TEST(LinkLibrarySearchPaths, RootDirectorySkipsTheParentSteps)
{
    if (test::isWindows())
        GTEST_SKIP() << "Linux paths; WindowsPlaces checks the Windows ones";
    EXPECT_EQ(linkLibrarySearchPaths("/vestan", "t.so", "/srv"),
              QStringList({"/t.so", "/_SYS/t.so", "/srv/t.so", "/srv/_SYS/t.so", "t.so"}));
}

TEST(LinkLibrarySearchPaths, TrvDirBeyondItsCapacityIsIgnored)
{
    if (test::isWindows())
        GTEST_SKIP() << "Linux paths; WindowsPlaces checks the Windows ones";
    const QString fits = "/" + QString(kTrvDirCapacity - 2, 'x');
    EXPECT_EQ(linkLibrarySearchPaths("/p/vestan", "t.so", fits).mid(4, 1),
              QStringList({fits + "/t.so"}));
    const QString tooLong = fits + "x";
    EXPECT_EQ(linkLibrarySearchPaths("/p/vestan", "t.so", tooLong).size(), 5);
}

TEST(LinkLibrarySearchPaths, PathsBeyondAFileNameBufferAreLeftOut)
{
    if (test::isWindows())
        GTEST_SKIP() << "Linux paths; WindowsPlaces checks the Windows ones";
    // "/<dir>/t.so" of exactly kFileNameCapacity - 1 characters still fits;
    // its "_SYS/" sibling does not.
    const QString dir = "/" + QString(kFileNameCapacity - 1 - 6, 'd');
    const QStringList paths = linkLibrarySearchPaths(dir + "/vestan", "t.so", "");
    ASSERT_EQ(paths.first(), dir + "/t.so");
    EXPECT_EQ(paths.first().size(), kFileNameCapacity - 1);
    EXPECT_EQ(paths, QStringList({dir + "/t.so", "t.so"}));
}

// The same search with a drive, backslashes and the library's Windows name.
TEST(LinkLibrarySearchPaths, WindowsPlaces)
{
    if (!test::isWindows())
        GTEST_SKIP() << "Windows paths";
    EXPECT_EQ(linkLibrarySearchPaths("C:\\Prog\\vestan.exe", "trvCLNK.dll", "D:\\Lib"),
              QStringList({"C:\\Prog\\trvCLNK.dll", "C:\\Prog\\_SYS\\trvCLNK.dll",
                           "C:\\Prog\\..\\trvCLNK.dll", "C:\\Prog\\..\\_SYS\\trvCLNK.dll",
                           "D:\\Lib\\trvCLNK.dll", "D:\\Lib\\_SYS\\trvCLNK.dll", "trvCLNK.dll"}));
    // The root of a drive has no parent to try; a forward slash ends TRV_DIR too.
    EXPECT_EQ(linkLibrarySearchPaths("C:\\vestan.exe", "trvCLNK.dll", "D:\\Lib/"),
              QStringList({"C:\\trvCLNK.dll", "C:\\_SYS\\trvCLNK.dll", "D:\\Lib/trvCLNK.dll",
                           "D:\\Lib/_SYS\\trvCLNK.dll", "trvCLNK.dll"}));
    EXPECT_EQ(linkLibrarySearchPaths("C:\\Prog\\vestan.exe", "trvCLNK.dll", "").size(), 5);
}

// Real files in a temporary tree: the program in <root>/app/bin, TRV_DIR
// pointing at <root>/extra.
class LinkLoader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        host_.path = dir("app/bin") + "/vestan";
    }

    QString dir(const QString &relative)
    {
        const QString path = root_.filePath(relative);
        QDir().mkpath(path);
        return path;
    }

    // Puts a copy of a test library at <root>/<relative>/trvtest.so.
    QString place(const QString &relative, const QString &library = "trvtest_full" + kSuffix)
    {
        const QString target = dir(relative) + "/" + kName;
        EXPECT_TRUE(QFile::copy(kLibsDir + "/" + library, target)) << qPrintable(target);
        return QFileInfo(target).canonicalFilePath();
    }

    int32_t load(const QString &name = kName, int reportErrors = 1)
    {
        const LinkEntryPointTable table = makeLinkEntryPointTable(api_);
        return LoadAndBindLibrary(host_, name, handle_, table.data(), reportErrors);
    }

    QString loadedFrom() const { return fileOf(reinterpret_cast<const void *>(api_._trvCL_fInit)); }

    TrvDirGuard trvDir_;
    QTemporaryDir root_;
    ScriptedHost host_;
    LinkApi api_;
    dynlib::Handle handle_ = nullptr;
};

TEST_F(LinkLoader, LibraryBesideTheProgramWinsOverEveryOtherCopy)
{
    const QString beside = place("app/bin");
    place("app/bin/_SYS");
    place("app");
    place("app/_SYS");
    place("extra");
    qputenv("TRV_DIR", QFile::encodeName(root_.filePath("extra")));

    ASSERT_EQ(load(), 0);
    EXPECT_EQ(loadedFrom(), beside);
    EXPECT_NE(handle_, nullptr);
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(LinkLoader, EachPlaceIsTriedBeforeTheNextOnes)
{
    qputenv("TRV_DIR", QFile::encodeName(root_.filePath("extra")));
    // Every round adds a copy one place further up the list; the newest,
    // highest-ranked copy must win each time.
    const QStringList order = {"extra/_SYS", "extra", "app/_SYS", "app", "app/bin/_SYS"};
    for (const QString &relative : order) {
        const QString expected = place(relative);
        api_ = LinkApi();
        ASSERT_EQ(load(), 0) << qPrintable(relative);
        EXPECT_EQ(loadedFrom(), expected) << qPrintable(relative);
    }
}

TEST_F(LinkLoader, TrvDirWithAndWithoutTrailingSeparator)
{
    const QString expected = place("extra");
    for (const QString &value : {root_.filePath("extra"), root_.filePath("extra") + "/"}) {
        qputenv("TRV_DIR", QFile::encodeName(value));
        api_ = LinkApi();
        ASSERT_EQ(load(), 0) << qPrintable(value);
        EXPECT_EQ(loadedFrom(), expected);
    }
}

TEST_F(LinkLoader, TrvDirOfCapacityOrMoreIsNotSearched)
{
    const QString expected = place("extra");
    // "/." steps keep naming the same directory while the value grows.
    QString value = root_.filePath("extra");
    while (value.size() + 2 <= kTrvDirCapacity - 1)
        value += "/.";
    if (value.size() < kTrvDirCapacity - 1)
        value += "/";
    ASSERT_EQ(value.size(), kTrvDirCapacity - 1);

    qputenv("TRV_DIR", QFile::encodeName(value));
    ASSERT_EQ(load(), 0);
    EXPECT_EQ(loadedFrom(), expected);

    qputenv("TRV_DIR", QFile::encodeName(value + "/"));
    api_ = LinkApi();
    if (test::isWindows())
        GTEST_SKIP() << kBareNameOnWindows;
    EXPECT_EQ(load(), kLibraryNotFound);
}

TEST_F(LinkLoader, EmptyTrvDirFindsNothing)
{
    qputenv("TRV_DIR", "");
    if (test::isWindows())
        GTEST_SKIP() << kBareNameOnWindows;
    EXPECT_EQ(load(), kLibraryNotFound);
}

TEST_F(LinkLoader, BareNameIsTriedLast)
{
    // trvtest_bare.so lies only on the test program's run path.
    ASSERT_EQ(load("trvtest_bare" + kSuffix), 0);
    EXPECT_EQ(loadedFrom(),
              QFileInfo(kLibsDir + "/onpath/trvtest_bare" + kSuffix).canonicalFilePath());
    EXPECT_EQ(api_._trvCL_fParamBaud(0), 1007u);

    // A copy under TRV_DIR comes before the platform's own search.
    const QString copy = dir("extra") + "/trvtest_bare" + kSuffix;
    ASSERT_TRUE(QFile::copy(kLibsDir + "/trvtest_full" + kSuffix, copy));
    qputenv("TRV_DIR", QFile::encodeName(root_.filePath("extra")));
    api_ = LinkApi();
    ASSERT_EQ(load("trvtest_bare" + kSuffix), 0);
    EXPECT_EQ(loadedFrom(), QFileInfo(copy).canonicalFilePath());
    EXPECT_EQ(api_._trvCL_fParamBaud(0), 1001u);
}

TEST_F(LinkLoader, PlaceThatIsNoLibraryIsSkipped)
{
    QFile junk(dir("app/bin") + "/" + kName);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a shared library\n");
    junk.close();
    dir("app/bin/_SYS/" + kName); // a directory by the library's name
    const QString expected = place("app");

    ASSERT_EQ(load(), 0);
    EXPECT_EQ(loadedFrom(), expected);
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(LinkLoader, EveryEntryPointLandsInItsOwnPlace)
{
    place("app/bin");
    ASSERT_EQ(load(), 0);
    const auto bound = places(api_);
    for (int i = 0; i < kLinkEntryPointCount; ++i)
        EXPECT_EQ(symbolOf(bound[i]), kEntryNames[i]) << i;
    EXPECT_EQ(dynlib::resolve(handle_, "_trv_about"), bound[11]);
}

TEST_F(LinkLoader, MissingSetEventGivesElevenAndNamesIt)
{
    const QString path = place("app/bin", "trvtest_noevent" + kSuffix);
    place("app/bin/_SYS"); // binding failure does not send the search on
    handle_ = reinterpret_cast<dynlib::Handle>(1);

    EXPECT_EQ(load(), 11);
    EXPECT_EQ(handle_, nullptr);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].caption, "vestan: Загрузка DLL - \"trvtest" + kSuffix + "\"");
    EXPECT_EQ(host_.boxes[0].text,
              "ОШИБКА вышла!\n\n В библиотеке нет имени:\n\"_trvCL_fSetEvent\"\n");
    EXPECT_EQ(host_.boxes[0].style, kMbIconExclamation | kMbOk);

    const auto bound = places(api_);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(symbolOf(bound[i]), kEntryNames[i]) << i;
    EXPECT_EQ(bound[10], nullptr);
    EXPECT_EQ(bound[11], nullptr);
    // The library stays loaded: what was bound still answers.
    EXPECT_EQ(fileOf(bound[0]), path);
    EXPECT_EQ(api_._trvCL_fParamBaud(0), 1011u);
}

TEST_F(LinkLoader, MissingAboutGivesTwelveWithElevenBound)
{
    place("app/bin", "trvtest_noabout" + kSuffix);
    EXPECT_EQ(load(), 12);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].text, "ОШИБКА вышла!\n\n В библиотеке нет имени:\n\"_trv_about\"\n");
    const auto bound = places(api_);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(symbolOf(bound[i]), kEntryNames[i]) << i;
    EXPECT_EQ(bound[11], nullptr);
    EXPECT_EQ(handle_, nullptr);
}

TEST_F(LinkLoader, NothingAnywhereGivesMinusFourAndTheStopMessage)
{
    qputenv("TRV_DIR", QFile::encodeName(dir("extra")));
    handle_ = reinterpret_cast<dynlib::Handle>(1);
    EXPECT_EQ(load("trvtest_none" + kSuffix), kLibraryNotFound);
    EXPECT_EQ(handle_, nullptr);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].caption, "vestan: Загрузка DLL - \"trvtest_none" + kSuffix + "\"");
    EXPECT_EQ(host_.boxes[0].text, "ОШИБКА вышла!\n\n Не смог найти библиотеку(DLL).\n");
    EXPECT_EQ(host_.boxes[0].style, kMbIconStop | kMbOk);
    for (const void *p : places(api_))
        EXPECT_EQ(p, nullptr);
}

TEST_F(LinkLoader, WithoutReportingNoMessage)
{
    place("app/bin", "trvtest_noevent" + kSuffix);
    EXPECT_EQ(load(kName, 0), 11);
    EXPECT_EQ(load("trvtest_none" + kSuffix, 0), kLibraryNotFound);
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(LinkLoader, StalePlacesAfterAMissingNameAreEmptied)
{
    place("app/bin", "trvtest_noevent" + kSuffix);
    api_._trv_about = [](const char *, const char *, const char *, const char *) { return 0; };
    EXPECT_EQ(load(kName, 0), 11);
    EXPECT_EQ(api_._trv_about, nullptr);
}

TEST_F(LinkLoader, LoadLinkLibraryBindsTheProgramsTable)
{
    const QString path = place("app/bin");
    Session state(host_);
    state.linkLibraryName = kName;
    ASSERT_EQ(LoadLinkLibrary(state), 0);
    EXPECT_NE(state.libraryHandle, nullptr);
    EXPECT_EQ(fileOf(reinterpret_cast<const void *>(state.api._trvCL_fRequest)), path);
    EXPECT_EQ(state.api._trvCL_fParamBaud(1), 1001u);
}

TEST_F(LinkLoader, LoadLinkLibraryReportsAMissingLibrary)
{
    Session state(host_);
    state.linkLibraryName = "trvtest_none" + kSuffix;
    EXPECT_EQ(LoadLinkLibrary(state), kLibraryNotFound);
    EXPECT_EQ(state.libraryHandle, nullptr);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(host_.boxes[0].style, kMbIconStop | kMbOk);
}

} // namespace
} // namespace vestan
