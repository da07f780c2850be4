#pragma once

#include "app/mainwindow.h"
#include "app/programstate.h"
#include "journal/journalheaderwindow.h"
#include "tests/support/linerig.h"

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QAbstractButton;

namespace vestan::shots {

// A failed precondition of a picture: the picture would show the wrong thing.
struct ShotFailure
{
    QString what;
};

// The program as the user sees it: the main window on a host that answers
// the transfers' questions, the real trvCLNK.so, and trvsim behind a line
// paced at 115200 baud, so that transfers take their real time. The program
// file, its settings and every stored file live in a private directory.
class ShotSession
{
public:
    explicit ShotSession(const QString &outputDir);
    ~ShotSession();
    ShotSession(const ShotSession &) = delete;
    ShotSession &operator=(const ShotSession &) = delete;

    // Starts the line and the program and shows the window.
    void start();

    ProgramState &state() { return *state_; }
    test::AutoHost &host() { return host_; }

    template <typename T = QWidget> T *find(const char *name) const
    {
        T *found = window_->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            throw ShotFailure{QStringLiteral("no control ") + QString::fromLatin1(name)};
        return found;
    }
    QString text(const char *name) const;

    // Clicks an enabled button as the user would.
    void click(const char *name);
    void showPage(int index);

    // Lets the window lay itself out and paint, then saves its picture.
    void saveWindow(const QString &name);
    void savePicture(const QString &name, const QPixmap &picture);

    // The boxes the host was shown so far, one per line.
    QString boxes() const;
    // Fails when the host had to answer a box or dialog nobody expected.
    void expectNoSurprises(const QString &step) const;

private:
    void writeLinkSettings();

    QString outputDir_;
    QTemporaryDir work_;
    QByteArray savedTmp_;
    bool hadTmp_ = false;
    test::AutoHost host_;
    std::unique_ptr<test::LineRig> line_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace vestan::shots
