#include <QApplication>
#include <gmock/gmock.h>

int main(int argc, char **argv)
{
    // Before the application exists, so that widgets never need a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
