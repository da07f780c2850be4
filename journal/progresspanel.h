#pragma once

#include <QFrame>

namespace vestan {

// Scaffold: the owner of this folder replaces it with the real page.
class ProgressPanel : public QFrame
{
    Q_OBJECT

public:
    explicit ProgressPanel(QWidget *parent = nullptr);
};

} // namespace vestan
