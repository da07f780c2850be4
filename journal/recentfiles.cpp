#include "journal/recentfiles.h"

#include <QComboBox>

namespace vestan {

QString RecentFiles::item(int index) const
{
    if (!box_ || index < 0 || index >= box_->count())
        return QString();
    return box_->itemText(index);
}

void RecentFiles::clear()
{
    if (box_)
        box_->clear();
    recentCount_ = 0;
}

void RecentFiles::append(const QString &name)
{
    if (!box_ || name.isEmpty() || recentCount_ >= kRecentMax)
        return;
    box_->addItem(name);
    ++recentCount_;
}

void RecentFiles::selectFirst()
{
    if (box_ && box_->count() > 0)
        box_->setCurrentIndex(0);
}

void RecentFiles::AddRecentFile(const QString &name)
{
    if (!box_ || name.isEmpty())
        return;
    selectFirst();
    if (recentCount_ == 0) {
        box_->insertItem(0, name);
        box_->setCurrentIndex(0);
        recentCount_ = 1;
        return;
    }
    int match = -1;
    for (int i = 0; i < recentCount_; ++i) {
        const QString entry = item(i);
        if (entry.isEmpty())
            break;
        if (entry == name) { // letter case counts; no path normalisation
            match = i;
            break;
        }
    }
    if (match == 0)
        return;
    if (match > 0) {
        box_->removeItem(match);
        --recentCount_;
    }
    box_->insertItem(0, name);
    ++recentCount_;
    if (recentCount_ > kRecentMax) {
        box_->removeItem(kRecentMax);
        recentCount_ = kRecentMax;
    }
    box_->setCurrentIndex(0);
}

} // namespace vestan
