#pragma once

#include <QString>
#include <memory>

class QMessageBox;

namespace vestan::trvclnk {

// The about box of _trv_about: the program's name as its caption and
// heading, then its version line, description and credit line.
std::unique_ptr<QMessageBox> makeAboutBox(const QString &name, const QString &version,
                                          const QString &description, const QString &credit);

} // namespace vestan::trvclnk
