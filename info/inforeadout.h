#pragma once

#include <cstdint>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vestan {

struct ProgramState;
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
// controller and shows the version texts and the header summary.
class InfoReadout
{
public:
    InfoReadout(ProgramState &state, const InfoReadoutControls &controls);

    void BtnI1Click();

    // Room for a raw header of size bytes plus 16 spare, or null when that
    // cannot be had (also when the size does not fit the check's 32-bit signed size).
    static std::unique_ptr<uint8_t[]> allocateHeader(uint32_t size);

private:
    int readHandlerVersion();
    int readHeader(uint8_t *raw, uint32_t size, bool &complete);
    void showHeader(const uint8_t *raw, uint32_t size);

    ProgramState &state_;
    InfoReadoutControls controls_;
};

} // namespace vestan
