#pragma once

class QLabel;

namespace vestan {

struct ProgramState;

// Reads the controller's supply voltage, frequency and temperature once and
// shows them in StTxtU.
class PowerReadout
{
public:
    PowerReadout(ProgramState &state, QLabel *text);

    void BtnUClick();

private:
    ProgramState &state_;
    QLabel *text_;
};

} // namespace vestan
