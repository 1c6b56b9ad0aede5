// main() of the tests of windows: a QApplication for the whole run, on the
// offscreen platform unless another one is asked for.
#include <QApplication>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>

#include "support/qt_print.h"

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
