#pragma once

class QLabel;
class QWidget;

namespace vestan {

// The journal page's controls that RefreshLinkStatus drives.
struct JournalStatusControls
{
    QLabel *file = nullptr;      // StTLJurIFile
    QLabel *sizes = nullptr;     // StTLJurISize
    QWidget *jurLink = nullptr;  // SBtnJurLink
    QWidget *headOnly = nullptr; // ChcBoxJurHeadOnly
    QWidget *jurLoad = nullptr;  // SBtnJurLoad
    QWidget *jurFile = nullptr;  // CBoxJurFile
};

} // namespace vestan
