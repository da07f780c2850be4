#pragma once

// The whole program offscreen: the main window on an answering host, bound
// by a given binder to a real link library. The temporary transfer file lands
// in a private directory. Where the line comes from is the caller's business.

#include "app/mainwindow.h"
#include "app/programstate.h"
#include "platform/claimedfile.h"
#include "tests/support/autohost.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Texts in failure messages as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace vestan::test {

class WindowRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(QDir(work.path()).mkpath(QStringLiteral("tmp")));
        hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
        savedTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmpDir()));
        host.path = work.filePath(QStringLiteral("vestan"));
    }

    void TearDown() override
    {
        window.reset();
        state.reset();
        if (hadTmp_)
            qputenv("TMPDIR", savedTmp_);
        else
            qunsetenv("TMPDIR");
    }

    // The program bound through `binder` to the real library.
    void startWindow(const LinkBinder &binder)
    {
        state = std::make_unique<ProgramState>(host);
        window = std::make_unique<MainWindow>(*state, nullptr, binder);
        ASSERT_TRUE(window->started()) << "the real library did not bind";
    }

    // A click on the tool bar's open button, as the user opens the link.
    void openLink()
    {
        click("SBtnComOpenClose");
        ASSERT_EQ(state->channel.isOpen, 1) << boxText();
    }

    void click(const char *name)
    {
        auto *button = find<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }

    template <typename T = QWidget> T *find(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    QString tmpDir() const { return work.filePath(QStringLiteral("tmp")); }
    QString userTmpDir() const { return userTempDirectory(); }
    QString tempFileName() const { return userTmpDir() + QStringLiteral("/vestan.TMP"); }
    QStringList tmpEntries() const
    {
        return QDir(userTmpDir()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    QString target(const char *name) const { return work.filePath(QString::fromLatin1(name)); }

    // Every box the host was shown, for failure messages.
    std::string boxText() const
    {
        QString all;
        for (const RecordedBox &box : host.boxes)
            all += box.caption + QStringLiteral(" | ") + box.text + u'\n';
        return all.toStdString();
    }

    QTemporaryDir work;
    AutoHost host;
    std::unique_ptr<ProgramState> state;
    std::unique_ptr<MainWindow> window;

private:
    QByteArray savedTmp_;
    bool hadTmp_ = false;
};

} // namespace vestan::test
