#pragma once

#include "platform/host.h"

#include <QString>
#include <exception>
#include <stdexcept>
#include <utility>

namespace vestan {

// An error with a user-facing text, raised where a handler cannot go on
// (for example a settings key that cannot be written).
class VestanError : public std::runtime_error
{
public:
    explicit VestanError(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

// Wraps an event handler so that an exception escaping it is shown by the
// application's standard error display and the program goes on.
template <typename F> auto guarded(Host &host, F handler)
{
    return [&host, handler = std::move(handler)](auto &&...args) {
        try {
            handler(std::forward<decltype(args)>(args)...);
        } catch (const std::exception &e) {
            host.showError(QString::fromUtf8(e.what()));
        } catch (...) {
            host.showError(QStringLiteral("Неизвестная ошибка"));
        }
    };
}

} // namespace vestan
