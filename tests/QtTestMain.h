// main() for test programs that need a QApplication: offscreen unless a platform is chosen.
#pragma once

#include "Look.h"

#include <QApplication>

#include <gtest/gtest.h>

#define ZELM_QT_TEST_MAIN                                                                          \
    int main(int argc, char** argv) {                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);                                                              \
        zelm::InstallFontSubstitutes();                                                            \
        ::testing::InitGoogleTest(&argc, argv);                                                    \
        return RUN_ALL_TESTS();                                                                    \
    }
