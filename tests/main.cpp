// Test entry point: one offscreen application for the widget and canvas tests,
// the reader in Italian.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/lang/oxlangs.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The tests check the designed Italian texts, whatever the desktop's language.
  SetReaderLanguage("ita");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
