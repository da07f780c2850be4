#include "info/infopage.h"

#include "app/programstate.h"

namespace vestan {

InfoPage::InfoPage(ProgramState &state, QWidget *parent) : QWidget(parent), state_(state)
{
    setObjectName(QStringLiteral("PgInfo"));
}

} // namespace vestan
