#pragma once

#include <QString>

#include <ostream>

// GoogleTest would print a QString as a dump of bytes; this shows the text.
// Defined in support/qt_main.cpp.
void PrintTo(const QString& text, std::ostream* out);
