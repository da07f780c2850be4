#pragma once

#include "clock/controllerclock.h"
#include "clock/datetimefields.h"
#include "clock/recordsearch.h"

#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;

namespace vestan {

struct Session;

// The tab page TabSDTTM "Дата и Время": the controller's clock read once,
// set from the fields or from the computer's clock, and the journal record
// search by date and time. Timer1Timer, driven by the main window's Timer1,
// shows the computer's time on BtnTime.
class ClockPage : public QWidget
{
    Q_OBJECT

public:
    ClockPage(Session &state, QWidget *parent = nullptr);

    void FillDateTimeFields();
    JournalDateTime ReadDateTimeFields() { return fields_.read(); }
    void BtnGDTTMClick() { clock_->BtnGDTTMClick(); }
    void SetControllerClock() { clock_->SetControllerClock(); }
    void BtnSDTTMClick() { clock_->SetControllerClock(); }
    void BtnSetFieldClick() { FillDateTimeFields(); }
    void BtnTimeClick();
    void BtnMaxYearClick();
    void BtnFindClick() { search_->BtnFindClick(); }
    void Timer1Timer();

private:
    void buildControls();
    void bindEvents();

    Session &state_;
    DateTimeFields fields_;
    QLabel *gdttmText_ = nullptr;  // StTxtGDTTM
    QLabel *idRec_ = nullptr;      // StTxtIDRec
    QLabel *rFind_ = nullptr;      // StTxtRFind
    QLabel *infoData_ = nullptr;   // LblInfoData
    QPushButton *gdttm_ = nullptr; // BtnGDTTM
    QPushButton *sdttm_ = nullptr; // BtnSDTTM
    QPushButton *time_ = nullptr;  // BtnTime
    QPushButton *setField_ = nullptr;
    QPushButton *find_ = nullptr;
    QPushButton *maxYear_ = nullptr;
    std::optional<ControllerClock> clock_; // made once the controls exist
    std::optional<RecordSearch> search_;
};

} // namespace vestan
