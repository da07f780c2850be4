#include "journal/journalpage.h"

#include "journal/filedialogs.h"
#include "journal/journalcheck.h"
#include "journal/journaldownload.h"
#include "journal/journalheaderwindow.h"
#include "journal/journalsizes.h"
#include "journal/recentfiles.h"
#include "platform/widgets.h"
#include "session/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

// Qt resources of a static library are registered by name, outside any namespace.
static void initJournalResources()
{
    Q_INIT_RESOURCE(journal);
}

namespace vestan {
namespace {

QIcon folderIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/journal/icons/jurload.svg"), QSize(20, 20), QIcon::Normal);
    icon.addFile(QStringLiteral(":/journal/icons/jurload-disabled.svg"), QSize(20, 20),
                 QIcon::Disabled);
    return icon;
}

} // namespace

JournalPage::JournalPage(Session &state, RecentFiles &recent, ProgressPanel &progress,
                         QWidget *parent)
    : QWidget(parent), state_(state), recent_(recent), progress_(progress)
{
    initJournalResources();
    setObjectName(QStringLiteral("TabSJur"));

    SBtnJurLoad =
        makePictureButton(this, "SBtnJurLoad", folderIcon(), QStringLiteral("Выбор журнала"));
    SBtnJurLoad->setIconSize(QSize(20, 20));
    CBoxJurFile = new QComboBox(this);
    CBoxJurFile->setObjectName(QStringLiteral("CBoxJurFile"));
    CBoxJurFile->setEditable(true);
    // Typing a name has no effect of its own: the list holds only what the
    // program puts there.
    CBoxJurFile->setInsertPolicy(QComboBox::NoInsert);
    CBoxJurFile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CBoxJurFile->setMinimumContentsLength(20);
    setHint(CBoxJurFile, QStringLiteral("Предыдущие журналы"));

    GrBoxJurLink = new QGroupBox(QStringLiteral("Получить журнал"), this);
    GrBoxJurLink->setObjectName(QStringLiteral("GrBoxJurLink"));
    SBtnJurLink = makePictureButton(GrBoxJurLink, "SBtnJurLink",
                                    QIcon(QStringLiteral(":/journal/icons/jurlink.svg")),
                                    QStringLiteral("Получить журал с контроллера"));
    ChcBoxJurHeadOnly = new QCheckBox(QStringLiteral("Только заголовок"), GrBoxJurLink);
    ChcBoxJurHeadOnly->setObjectName(QStringLiteral("ChcBoxJurHeadOnly"));
    ChcBoxJurHeadOnly->setChecked(false);
    StTLJurIFile = makeTextField(GrBoxJurLink, "StTLJurIFile", QString(), kSunken);
    StTLJurISize = makeTextField(GrBoxJurLink, "StTLJurISize", QString(), kSunken);

    auto *lines = new QVBoxLayout;
    lines->addWidget(StTLJurIFile);
    lines->addWidget(StTLJurISize);
    auto *linkRow = new QHBoxLayout(GrBoxJurLink);
    linkRow->addWidget(SBtnJurLink);
    linkRow->addWidget(ChcBoxJurHeadOnly);
    linkRow->addLayout(lines, 1);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(SBtnJurLoad);
    fileRow->addWidget(CBoxJurFile, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(GrBoxJurLink);
    layout->addStretch(1);

    recent_.attach(CBoxJurFile);

    connect(SBtnJurLoad, &QToolButton::clicked, this,
            guardedSlot(state_.host, [this] { SBtnJurLoadClick(); }));
    connect(SBtnJurLink, &QToolButton::clicked, this,
            guardedSlot(state_.host, [this] { SBtnJurLinkClick(); }));
}

void JournalPage::showLinkStatus()
{
    const LinkSession &session = state_.session;
    StTLJurIFile->setText(session.lastJournalFile);
    const JournalSizes last{session.lastHeaderSize, session.lastDataSize,
                            session.lastDataSize == 0};
    StTLJurISize->setText(last.header == 0 && last.data == 0 ? QStringLiteral(" ")
                                                             : journalSizesText(last));
    const bool idle = state_.channel.running == 0;
    for (QWidget *w :
         std::initializer_list<QWidget *>{SBtnJurLink, ChcBoxJurHeadOnly, SBtnJurLoad, CBoxJurFile})
        w->setEnabled(idle);
}

void JournalPage::SBtnJurLoadClick()
{
    QString name;
    if (!AskOpenFileName(state_.host, recent_, QStringLiteral("Открыть журнал"), name,
                         kFileNameCapacity))
        return;
    // The header window has nothing to show for a file yet: the call passes no record.
    if (AcceptJournalFile(state_.host, recent_, name) == 0 && headerWindow_)
        headerWindow_->ShowJournalHeaderInfo(nullptr, 0, QString());
}

void JournalPage::SBtnJurLinkClick()
{
    downloadJournal(state_, recent_, progress_, ChcBoxJurHeadOnly->isChecked());
}

} // namespace vestan
