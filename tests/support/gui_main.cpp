#include "child_process.h"

#include <QApplication>
#include <QFont>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Window tests never need a screen; test discovery runs without the ctest environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The windows are laid out for the app's font, set as at start-up.
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    if (const std::optional<int> exitCode = runChildRoutine(QCoreApplication::arguments()))
        return *exitCode;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
