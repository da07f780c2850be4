#pragma once

class QLabel;

namespace vestan {

struct Session;

// Reads the controller's supply voltage, frequency and temperature once and
// shows them in StTxtU.
class PowerReadout
{
public:
    PowerReadout(Session &state, QLabel *text);

    void BtnUClick();

private:
    Session &state_;
    QLabel *text_;
};

} // namespace vestan
