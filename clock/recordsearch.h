#pragma once

class QLabel;

namespace vestan {

struct Session;
struct DateTimeFields;

// Asks the controller for the journal record of the date and time in the
// page's fields, to the millisecond, and shows the record it names.
class RecordSearch
{
public:
    RecordSearch(Session &state, const DateTimeFields &fields, QLabel *recordNumber, QLabel *result,
                 QLabel *infoData)
        : state_(state), fields_(fields), recordNumber_(recordNumber), result_(result),
          infoData_(infoData)
    {}

    void BtnFindClick();

private:
    Session &state_;
    const DateTimeFields &fields_;
    QLabel *recordNumber_; // StTxtIDRec
    QLabel *result_;       // StTxtRFind
    QLabel *infoData_;     // LblInfoData
};

} // namespace vestan
