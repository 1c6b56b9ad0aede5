// The floor the editor's start is measured against: a program of Qt Widgets
// alone showing one dialog of the main window's size with a button, and
// nothing else. Its size comes from the command line (WIDTH HEIGHT), as the
// measuring program read it off the editor's window.
#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include <cstdlib>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const int width = argc > 2 ? std::atoi(argv[1]) : 647;
  const int height = argc > 2 ? std::atoi(argv[2]) : 609;
  QDialog dialog;
  dialog.setFixedSize(width, height);
  auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
  button->setGeometry(width - 140, height - 40, 130, 32);
  dialog.show();
  return application.exec();
}
