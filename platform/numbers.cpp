#include "platform/numbers.h"

#include <limits>

namespace vestan {

int32_t parseLenientInt(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    int64_t value = 0;
    const int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    while (i < n && text.at(i) >= u'0' && text.at(i) <= u'9') {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > limit)
            value = limit;
        ++i;
    }
    if (negative)
        return int32_t(-value);
    return int32_t(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

} // namespace vestan
