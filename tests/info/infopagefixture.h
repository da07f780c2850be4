#pragma once

#include "info/infopage.h"
#include "info/lamplist.h"
#include "printing.h"
#include "session/session.h"
#include "tests/support/fakelink.h"
#include "tests/support/scriptedhost.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vestan::test {

// The information page on a scripted host and a test link table, with every
// lamp change recorded.
class InfoPageFixture : public ::testing::Test
{
protected:
    ScriptedHost host;
    FakeLink link;
    Session state{host};
    std::unique_ptr<InfoPage> page;
    std::vector<int> lampChanges;

    void SetUp() override
    {
        state.api = link.api();
        page = std::make_unique<InfoPage>(state);
        QObject::connect(lamp(), &LampImage::imageShown,
                         [this](int index) { lampChanges.push_back(index); });
    }

    template <typename T = QLabel> T *control(const char *name) const
    {
        T *widget = page->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    LampImage *lamp() const { return control<LampImage>("ImgLamp"); }
    QPushButton *button(const char *name) const { return control<QPushButton>(name); }
    QPlainTextEdit *memo() const { return control<QPlainTextEdit>("MemoInfo"); }
    QString text(const char *name) const { return control(name)->text(); }
};

} // namespace vestan::test
