#pragma once

#include "clock/ctldatetime.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace vestan {

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoLibrary = 3;

extern const char *const kCliUsage;

// What the software image upload does with a size other than the two known ones.
enum class FlashSizeChoice
{
    Ask, // refused: a script has nobody to ask
    Standard,
    Reported,
};

struct CliOptions
{
    QString command;
    QList<int> nets;
    int portIndex = 1;
    uint16_t portion = 1024;
    QString phone;
    QString output; // empty: the command's default name
    bool headerOnly = false;
    bool force = false;
    bool json = false;
    bool resume = false; // --continue

    // clock --set: now, or the given date and time
    bool setClock = false;
    bool setNow = false;
    JournalDateTime setTo;

    // find: the key, with its milliseconds
    JournalDateTime findStamp;

    FlashSizeChoice flashSize = FlashSizeChoice::Ask;

    // The -o name for one network number: {net} and {date} replaced.
    QString outputFor(int net, const QString &date) const;
};

bool parseNets(const QString &text, QList<int> &nets);

// Empty, or the one line that says what is wrong. `o` comes in with the
// window's settings as defaults.
QString parseArguments(const QStringList &args, CliOptions &o);

} // namespace vestan
