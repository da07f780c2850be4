#pragma once

#include <QString>

class QComboBox;

namespace vestan {

inline constexpr int kRecentMax = 10;

// The recent journal files: the items of the combo box CBoxJurFile, newest
// first, with recentCount kept in step with them.
class RecentFiles
{
public:
    void attach(QComboBox *box) { box_ = box; }
    QComboBox *box() const { return box_; }

    int recentCount() const { return recentCount_; }
    QString item(int index) const;
    QString newest() const { return recentCount_ > 0 ? item(0) : QString(); }

    // Loading from the settings: empty the list, append in key order, select the first.
    void clear();
    void append(const QString &name);
    void selectFirst();

    // Puts the name at the top; a name already listed moves up, the oldest falls off.
    void AddRecentFile(const QString &name);

private:
    QComboBox *box_ = nullptr;
    int recentCount_ = 0;
};

} // namespace vestan
