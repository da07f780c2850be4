#pragma once

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vestan {

struct Session;
class LampImage;

// The controls of the information page that the readout drives.
struct InfoReadoutControls
{
    QPushButton *readButton = nullptr; // BtnI1
    LampImage *lamp = nullptr;         // ImgLamp
    QLabel *version = nullptr;         // StTxtVersion
    QLabel *verLink = nullptr;         // StTxtVerLink
    QPlainTextEdit *memo = nullptr;    // MemoInfo
};

// Reads the request-handler version and the journal header from the
// controller (ControllerInfo) and shows the version texts and the header summary.
class InfoReadout
{
public:
    InfoReadout(Session &state, const InfoReadoutControls &controls);

    void BtnI1Click();

private:
    Session &state_;
    InfoReadoutControls controls_;
};

} // namespace vestan
