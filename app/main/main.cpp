#include "app/mainwindow.h"
#include "app/programstate.h"
#include "journal/journalheaderwindow.h"
#include "platform/guarded.h"
#include "platform/qthost.h"

#include <QApplication>

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
    vestan::QtHost host;
    // An error escaping everything is shown before the program ends.
    int result = 1;
    vestan::guarded(host, [&] { result = runProgram(app, host); })();
    return result;
}
