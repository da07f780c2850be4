#include "info/inforeadout.h"

#include "info/controllerinfo.h"
#include "info/lamplist.h"
#include "session/runningflag.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>

namespace vestan {
namespace {

// The readout's results on the page; the lamp blinks green and yellow by portion.
class PageSink : public ControllerInfoSink
{
public:
    explicit PageSink(const InfoReadoutControls &controls) : c_(controls) {}

    void clear() override { c_.memo->clear(); }
    void handlerVersion(const QString &text) override { c_.verLink->setText(text); }
    void portion() override
    {
        c_.lamp->showImage(yellowNext_ ? LampList::Yellow : LampList::Green);
        yellowNext_ = !yellowNext_;
    }
    void header(const QString &version, const QStringList &lines) override
    {
        c_.version->setText(version);
        for (const QString &line : lines)
            c_.memo->appendPlainText(line);
    }

private:
    const InfoReadoutControls &c_;
    bool yellowNext_ = false;
};

} // namespace

InfoReadout::InfoReadout(Session &state, const InfoReadoutControls &controls)
    : state_(state), controls_(controls)
{}

void InfoReadout::BtnI1Click()
{
    const RunningFlag running(state_);
    if (!running.acquired())
        return;
    controls_.readButton->setEnabled(false);
    // The button comes back on every way out.
    const auto done = qScopeGuard([&] { controls_.readButton->setEnabled(true); });
    controls_.lamp->showImage(LampList::Grey);
    PageSink sink(controls_);
    const int result = ControllerInfo(state_, sink).read();
    controls_.lamp->showImage(result != 0 ? LampList::Red : LampList::Green);
}

} // namespace vestan
