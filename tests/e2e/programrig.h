#pragma once

// The whole program offscreen against a simulated controller: the window rig
// bound to the real trvCLNK.so, with the line from LineRig.

#include "tests/e2e/windowrig.h"
#include "tests/support/linerig.h"

#include <QToolButton>

namespace vestan::test {

class ProgramRig : public WindowRig
{
protected:
    void TearDown() override
    {
        WindowRig::TearDown();
        line.reset();
    }

    static LineSetup simWith(const QStringList &simArguments)
    {
        LineSetup setup;
        setup.simArguments = simArguments;
        return setup;
    }

    // The line, then the program bound to the real library.
    void startProgram(const LineSetup &setup)
    {
        line = std::make_unique<LineRig>(setup);
        ASSERT_TRUE(line->ready()) << line->failure().toStdString();
        ASSERT_NO_FATAL_FAILURE(
            startWindow([](ProgramState &s) { return LineRig::bindRealLibrary(s); }));
    }

    std::unique_ptr<LineRig> line;
};

} // namespace vestan::test
