#pragma once

#include <QPixmap>
#include <QString>
#include <functional>

class QDialog;

namespace vestan::shots {

// Pictures a modal dialog that an action opens and closes it again: the link
// library runs its dialogs in their own event loop, so the picture is taken
// from inside that loop once the dialog with the given object name is up.
class ModalGrabber
{
public:
    explicit ModalGrabber(QString dialogName, int timeoutMs = 10000);

    // Runs `open` (which blocks in the dialog) and returns the dialog's
    // picture, taken after `prepare` has filled it in; a null picture when no
    // such dialog came up in time.
    QPixmap grabWhile(const std::function<void()> &open,
                      const std::function<void(QDialog &)> &prepare = {});

private:
    QString dialogName_;
    int timeoutMs_;
};

} // namespace vestan::shots
