#pragma once

#include "app/mainwindow.h"
#include "app/programstate.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"

#include <QTemporaryDir>
#include <memory>

namespace vestan::test {

// A main window on the scripted host with the fake link table bound in place
// of the real library; the program lives in a temporary directory so that the
// settings file lands there.
struct WindowRig
{
    WindowRig()
    {
        host.path = dir.filePath(QStringLiteral("vestan"));
        state = std::make_unique<ProgramState>(host);
    }
    ~WindowRig() { window.reset(); }

    // Builds the window; binderResult 0 binds the fake table, anything else
    // fails the way the loader does.
    void open(int32_t binderResult = 0)
    {
        window =
            std::make_unique<MainWindow>(*state, nullptr, [this, binderResult](ProgramState &s) {
                if (binderResult == 0)
                    s.api = fake.api();
                return binderResult;
            });
    }
    void open(LinkBinder binder)
    {
        window = std::make_unique<MainWindow>(*state, nullptr, std::move(binder));
    }
    // Destroys the window, which runs the ending once more.
    void destroy() { window.reset(); }

    template <typename T = QWidget> T *find(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    QString settingsPath() const { return dir.filePath(QStringLiteral("vestan.ini")); }

    QTemporaryDir dir;
    ScriptedHost host;
    FakeLink fake;
    std::unique_ptr<ProgramState> state;
    std::unique_ptr<MainWindow> window;
};

} // namespace vestan::test
