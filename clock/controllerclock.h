#pragma once

class QLabel;

namespace vestan {

struct Session;
struct DateTimeFields;

// Reads the controller's clock once into a text field, and sets it from the
// page's date and time fields.
class ControllerClock
{
public:
    ControllerClock(Session &state, const DateTimeFields &fields, QLabel *display)
        : state_(state), fields_(fields), display_(display)
    {}

    // Shows the clock as "day.month.year (weekday number-name),  hh:mm:ss".
    void BtnGDTTMClick();
    // Sends the fields, with the day of week of the date when it is a real one.
    void SetControllerClock();

private:
    Session &state_;
    const DateTimeFields &fields_;
    QLabel *display_; // StTxtGDTTM
};

} // namespace vestan
