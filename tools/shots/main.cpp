// vestan_shots: takes the user guide's pictures from the running program.
//
//   xvfb-run -a build/bin/vestan_shots [--out DIR]
//   (or with QT_QPA_PLATFORM=offscreen)
//
// DIR defaults to docs/images of the source tree. Every picture is taken
// only after the state it is meant to show has been checked; any surprise
// (an error box, a missing control, a wrong text) ends the run with a message
// and a nonzero exit code.

#include "tools/shots/modalgrabber.h"
#include "tools/shots/shotsession.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QProgressBar>
#include <cstdio>
#include <functional>

namespace vestan::shots {
namespace {

enum Page
{
    kJournalPage = 0,
    kUploadPage = 1,
    kClockPage = 2,
    kInfoPage = 3
};

void require(bool condition, const QString &what)
{
    if (!condition)
        throw ShotFailure{what};
}

// Runs a step from inside the program's own handlers, which would take an
// escaping failure for an error of their own: the failure is kept for later.
void inHandler(QString &failure, const std::function<void()> &step)
{
    try {
        step();
    } catch (const ShotFailure &f) {
        failure = f.what;
    }
}

// The link closed, right after start-up, and the two dialogs of the link
// library that are reached only while the link is closed.
void shootClosedLink(ShotSession &s)
{
    require(s.text("SBtnComOpenClose") == QStringLiteral("Открыть"), "the link is not closed");
    s.saveWindow(QStringLiteral("start"));
    s.savePicture(
        QStringLiteral("link-setup"),
        ModalGrabber(QStringLiteral("SetupDialog")).grabWhile([&] { s.click("SBtnComSetup"); }));
    s.savePicture(
        QStringLiteral("device-select"),
        ModalGrabber(QStringLiteral("DeviceDialog")).grabWhile([&] { s.click("SBtnComSelect"); }));
    // The same dialog with a network serial server typed in.
    s.savePicture(QStringLiteral("device-network"),
                  ModalGrabber(QStringLiteral("DeviceDialog"))
                      .grabWhile([&] { s.click("SBtnComSelect"); },
                                 [](QDialog &dialog) {
                                     auto *device =
                                         dialog.findChild<QComboBox *>(QStringLiteral("device"));
                                     if (device)
                                         device->setCurrentText(
                                             QStringLiteral("rfc2217://192.168.10.21:4001"));
                                 }));
    s.expectNoSurprises(QStringLiteral("link dialogs"));
}

void openLink(ShotSession &s)
{
    s.click("SBtnComOpenClose");
    require(s.state().channel.isOpen == 1, QStringLiteral("the link did not open: ") + s.boxes());
    s.expectNoSurprises(QStringLiteral("open"));
}

// A whole journal download; the progress panel is pictured half-way.
void shootJournalDownload(ShotSession &s)
{
    s.showPage(kJournalPage);
    auto *bar = s.find<QProgressBar>("ProgressBJurLnk");
    bool pictured = false;
    QString failure;
    s.host().onProcessEvents = [&] {
        if (!pictured && bar->maximum() > 1 && bar->value() * 2 >= bar->maximum()) {
            pictured = true;
            inHandler(failure, [&] { s.saveWindow(QStringLiteral("progress")); });
        }
    };
    s.click("SBtnJurLink");
    s.host().onProcessEvents = nullptr;
    require(failure.isEmpty(), failure);
    require(pictured, QStringLiteral("the download ended before half-way"));
    s.expectNoSurprises(QStringLiteral("journal download"));
    require(s.text("StTLJurIFile") == s.host().savePath,
            QStringLiteral("the journal was not stored: ") + s.boxes());
    require(s.text("StTLJurISize").startsWith(QStringLiteral("Заголовок ")),
            QStringLiteral("no journal sizes"));
    s.saveWindow(QStringLiteral("journal"));
}

// The software image upload, pictured while it runs (stop button shown),
// then stopped.
void shootUpload(ShotSession &s)
{
    s.showPage(kUploadPage);
    auto *bar = s.find<QProgressBar>("ProgressBJurLnk");
    bool pictured = false;
    const size_t boxesBefore = s.host().boxes.size();
    QString failure;
    s.host().onProcessEvents = [&] {
        if (!pictured && bar->maximum() > 1 && bar->value() * 8 >= bar->maximum()) {
            pictured = true;
            inHandler(failure, [&] {
                require(s.find("SBtnComStop")->isVisible(), QStringLiteral("no stop button"));
                s.saveWindow(QStringLiteral("upload"));
                s.click("SBtnComStop");
            });
            // Stopped in any case: the rest of the image is not wanted.
            if (!failure.isEmpty())
                s.state().channel.running = 0;
        }
    };
    s.click("SBtnGet");
    s.host().onProcessEvents = nullptr;
    require(failure.isEmpty(), failure);
    require(pictured, QStringLiteral("the upload ended before it was pictured"));
    // A stop between portions ends the upload without a question.
    require(s.host().boxes.size() == boxesBefore, QStringLiteral("the stop asked: ") + s.boxes());
    require(s.state().channel.running == 0, QStringLiteral("the upload still runs"));
    s.expectNoSurprises(QStringLiteral("upload"));
}

// The controller set to the computer's time and read back, then the last
// journal record found with the year "Max".
void shootClock(ShotSession &s)
{
    s.showPage(kClockPage);
    s.click("BtnTime");
    s.click("BtnGDTTM");
    require(s.text("StTxtGDTTM").startsWith(QStringLiteral("20.5.2024 (1-Понедельник),  09:41:")),
            QStringLiteral("clock read: ") + s.text("StTxtGDTTM") + s.boxes());
    s.click("BtnMaxYear");
    s.click("BtnFind");
    require(s.text("StTxtIDRec") == QStringLiteral("1000"),
            QStringLiteral("record search: ") + s.text("StTxtRFind") + s.boxes());
    s.expectNoSurprises(QStringLiteral("clock"));
    s.saveWindow(QStringLiteral("clock"));
}

void shootInformation(ShotSession &s)
{
    s.showPage(kInfoPage);
    s.click("BtnU");
    require(s.text("StTxtU").startsWith(QStringLiteral("Uпит=")),
            QStringLiteral("no power readings"));
    s.click("BtnI1");
    require(s.text("MemoInfo").contains(QStringLiteral("К О Н Т Р О Л Л Е Р")),
            QStringLiteral("no information: ") + s.boxes());
    s.expectNoSurprises(QStringLiteral("information"));
    s.saveWindow(QStringLiteral("info"));
}

void shootStatistics(ShotSession &s)
{
    s.savePicture(QStringLiteral("statistics"),
                  ModalGrabber(QStringLiteral("StatisticsDialog")).grabWhile([&] {
                      s.click("SBtnComState");
                  }));
    s.expectNoSurprises(QStringLiteral("statistics"));
}

int run(const QString &outputDir)
{
    ShotSession session(outputDir);
    try {
        session.start();
        shootClosedLink(session);
        openLink(session);
        shootJournalDownload(session);
        shootUpload(session);
        shootClock(session);
        shootInformation(session);
        shootStatistics(session);
        session.click("SBtnComOpenClose");
    } catch (const ShotFailure &failure) {
        std::fprintf(stderr, "vestan_shots: %s\n", qPrintable(failure.what));
        return 1;
    }
    return 0;
}

} // namespace
} // namespace vestan::shots

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Takes the user guide's pictures."));
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Folder for the pictures."),
                                 QStringLiteral("DIR"),
                                 QString::fromUtf8(VESTAN_SHOTS_DEFAULT_OUT));
    parser.addOption(out);
    parser.process(app);
    QDir().mkpath(parser.value(out));
    return vestan::shots::run(parser.value(out));
}
