#pragma once

#include <QWidget>

namespace vestan {

// Scaffold: the owner of this folder replaces it with the real page.
class JournalHeaderWindow : public QWidget
{
    Q_OBJECT

public:
    explicit JournalHeaderWindow(QWidget *parent = nullptr);
};

} // namespace vestan
