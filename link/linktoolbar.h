#pragma once

#include "session/linksession.h"

#include <QString>
#include <QToolBar>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace vestan {

struct Session;

// The link tool bar band PnlCom: device selection, setup, open and close,
// statistics and stop, and the network number, portion size and telephone
// number fields. Its RefreshLinkStatus draws the link state on the tool bar
// alone; its handlers refresh through the session's display, which in the
// window draws the journal page's status line as well.
class LinkToolBar : public QToolBar, public LinkStatusDisplay
{
    Q_OBJECT

public:
    LinkToolBar(Session &state, QWidget *parent = nullptr);

    void RefreshLinkStatus() override;
    bool showsRunning() const override;

    // Handlers, bound to the controls in the constructor.
    void SBtnComSelectClick();
    void SBtnComOpenCloseClick();
    void SBtnComStateClick();
    void SBtnComSetupClick();
    void SBtnComStopClick();
    void EdIDNetEnter();
    void CBoxSizeChange();
    void EdPhoneEnter();
    void EdPhoneExit();
    void EdPhoneKeyPress(QChar key);

    // Shows the network number, portion size and telephone number the session holds.
    void showSessionValues();
    // Takes the telephone field into phoneNumber and shows the result.
    void NormalizePhone();
    // Takes the telephone field, hands phoneNumber to the library, then opens the port;
    // returns the port now open or a negative error code.
    int OpenLink(int32_t port);
    // Shows the library's text for a negative code; no context gives the caption "Vestan".
    void ReportLinkError(int code, const std::optional<QString> &context = std::nullopt);

    QLabel *StTIDNet() const { return idNetLabel_; }
    QLineEdit *EdIDNet() const { return idNet_; }
    QComboBox *CBoxSize() const { return size_; }
    QLineEdit *EdPhone() const { return phone_; }
    QLabel *StTComName() const { return comName_; }
    QToolButton *SBtnComSelect() const { return select_; }
    QToolButton *SBtnComOpenClose() const { return openClose_; }
    QToolButton *SBtnComState() const { return comState_; }
    QToolButton *SBtnComSetup() const { return setup_; }
    QToolButton *SBtnComStop() const { return stop_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void bindEvents();
    bool hasEntryPoints() const;
    QString portText() const;
    void setFieldText(QLineEdit *field, const QString &text);
    void refresh();

    Session &state_;
    bool settingText_ = false; // our own setText must not run the change handler again

    QLabel *idNetLabel_ = nullptr;
    QLineEdit *idNet_ = nullptr;
    QComboBox *size_ = nullptr;
    QLineEdit *phone_ = nullptr;
    QLabel *comName_ = nullptr;
    QToolButton *select_ = nullptr;
    QToolButton *openClose_ = nullptr;
    QToolButton *comState_ = nullptr;
    QToolButton *setup_ = nullptr;
    QToolButton *stop_ = nullptr;
};

} // namespace vestan
