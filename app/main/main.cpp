#include "app/mainwindow.h"
#include "app/programstate.h"
#include "journal/journalheaderwindow.h"
#include "platform/guarded.h"
#include "platform/qthost.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

int runProgram(QApplication &app, vestan::Host &host)
{
    vestan::ProgramState state(host);
    vestan::MainWindow frmMain(state);
    // A window of its own, owned by the main window so that it lives as long.
    auto *frmJHInfo = new vestan::JournalHeaderWindow(&frmMain);
    frmJHInfo->hide();
    // The journal-header window never keeps the program alive on its own.
    frmJHInfo->setAttribute(Qt::WA_QuitOnClose, false);
    frmMain.setJournalHeaderWindow(frmJHInfo);
    app.setWindowIcon(frmMain.windowIcon());

    // Without a bound link library start-up has closed the window unseen.
    if (!frmMain.started())
        return 0;
    frmMain.show();
    app.exec();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Ties the window to its menu entry on Wayland and in desktop shells.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vestan.Vestan"));
    // The interface is Russian whatever the system's language: so are Qt's
    // own buttons and dialogs, when the translation is installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    vestan::QtHost host;
    // An error escaping everything is shown before the program ends.
    int result = 1;
    vestan::guarded(host, [&] { result = runProgram(app, host); })();
    return result;
}
