#include "tools/shots/modalgrabber.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

namespace vestan::shots {

ModalGrabber::ModalGrabber(QString dialogName, int timeoutMs)
    : dialogName_(std::move(dialogName)), timeoutMs_(timeoutMs)
{}

QPixmap ModalGrabber::grabWhile(const std::function<void()> &open,
                                const std::function<void(QDialog &)> &prepare)
{
    QPixmap picture;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != dialogName_) {
            // Some other modal window: close it rather than wait for a person.
            if (waited.elapsed() > timeoutMs_)
                if (QWidget *other = QApplication::activeModalWidget())
                    other->close();
            return;
        }
        if (prepare)
            prepare(*dialog);
        // Let the dialog lay itself out and paint once before the picture,
        // without a text cursor blinking in its first field.
        if (QWidget *focused = dialog->focusWidget())
            focused->clearFocus();
        QApplication::processEvents();
        picture = dialog->grab();
        dialog->reject();
    });
    poll.start();
    open();
    poll.stop();
    return picture;
}

} // namespace vestan::shots
