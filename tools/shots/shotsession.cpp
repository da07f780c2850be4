#include "tools/shots/shotsession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

namespace vestan::shots {
namespace {

// A steady, believable moment for the computer's clock: the window's date
// fields and the clock button show it, and the controller is set to it.
const QDateTime kComputerTime(QDate(2024, 5, 20), QTime(9, 41, 27));

} // namespace

ShotSession::ShotSession(const QString &outputDir)
    : outputDir_(outputDir), work_(QDir::tempPath() + QStringLiteral("/vestan-XXXXXX"))
{
    hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
    savedTmp_ = qgetenv("TMPDIR");
}

ShotSession::~ShotSession()
{
    window_.reset();
    state_.reset();
    line_.reset();
    if (hadTmp_)
        qputenv("TMPDIR", savedTmp_);
    else
        qunsetenv("TMPDIR");
}

void ShotSession::start()
{
    if (!work_.isValid())
        throw ShotFailure{QStringLiteral("no temporary directory")};
    for (const char *folder : {"tmp", "journals", "run"})
        QDir(work_.path()).mkpath(QString::fromLatin1(folder));

    test::LineSetup setup;
    setup.dump = false;
    setup.throughLineSim = true;
    setup.lineArguments = {QStringLiteral("--baud"), QStringLiteral("115200")};
    line_ = std::make_unique<test::LineRig>(setup);
    if (!line_->ready())
        throw ShotFailure{line_->failure()};
    writeLinkSettings();

    // The transfer file goes where the program would put it, in $TMPDIR.
    qputenv("TMPDIR", QFile::encodeName(work_.filePath(QStringLiteral("tmp"))));

    host_.realTime = true;
    host_.now = kComputerTime;
    host_.path = work_.filePath(QStringLiteral("vestan"));
    host_.savePath = work_.filePath(QStringLiteral("journals/journal-33.dat"));

    state_ = std::make_unique<ProgramState>(host_);
    window_ = std::make_unique<MainWindow>(
        *state_, nullptr, [](ProgramState &s) { return test::LineRig::bindRealLibrary(s); });
    if (!window_->started())
        throw ShotFailure{QStringLiteral("the link library did not bind: ") + boxes()};
    // As the program's entry does: the journal-header window belongs to the main window.
    auto *headerWindow = new JournalHeaderWindow(window_.get());
    headerWindow->hide();
    window_->setJournalHeaderWindow(headerWindow);

    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get()))
        throw ShotFailure{QStringLiteral("the window was never shown")};
}

void ShotSession::writeLinkSettings()
{
    // The port as tools/start.sh wires it: COM2 is a link named run/COM2 to
    // the line, and only the keys start.sh writes, so that the dialogs show
    // the library's defaults for everything else.
    const QString device = work_.filePath(QStringLiteral("run/COM2"));
    if (!QFile::link(line_->device(), device))
        throw ShotFailure{QStringLiteral("cannot link ") + device};
    QFile ini(test::LineRig::iniPath());
    const QByteArray text = QStringLiteral("[COM2]\nDevice=%1\nBaud=115200\n").arg(device).toUtf8();
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate) || ini.write(text) != text.size())
        throw ShotFailure{QStringLiteral("cannot write ") + ini.fileName()};
}

QString ShotSession::text(const char *name) const
{
    QWidget *w = find(name);
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
        return memo->toPlainText();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    throw ShotFailure{QStringLiteral("no text in ") + QString::fromLatin1(name)};
}

void ShotSession::click(const char *name)
{
    auto *button = find<QAbstractButton>(name);
    if (!button->isEnabled())
        throw ShotFailure{QString::fromLatin1(name) + QStringLiteral(" is disabled")};
    button->click();
}

void ShotSession::showPage(int index)
{
    find<QTabWidget>("PgCtrl")->setCurrentIndex(index);
}

void ShotSession::saveWindow(const QString &name)
{
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    savePicture(name, window_->grab());
}

void ShotSession::savePicture(const QString &name, const QPixmap &picture)
{
    if (picture.isNull())
        throw ShotFailure{QStringLiteral("nothing to picture for ") + name};
    const QString path = QDir(outputDir_).filePath(name + QStringLiteral(".png"));
    if (!picture.save(path, "PNG"))
        throw ShotFailure{QStringLiteral("cannot write ") + path};
    qInfo("%s  %dx%d", qPrintable(path), picture.width(), picture.height());
}

QString ShotSession::boxes() const
{
    QString all;
    for (const test::RecordedBox &box : host_.boxes)
        all += box.caption + QStringLiteral(" | ") + box.text + u'\n';
    return all;
}

void ShotSession::expectNoSurprises(const QString &step) const
{
    if (host_.unexpectedBoxes != 0 || host_.unexpectedDialogs != 0 || !host_.errors.empty())
        throw ShotFailure{step + QStringLiteral(": unexpected boxes or errors:\n") + boxes() +
                          QStringList(host_.errors.begin(), host_.errors.end()).join(u'\n')};
}

} // namespace vestan::shots
