// The one conversion between the core's Windows-1251 text and the window layer's QString. It uses
// the program's own code-point table, so every byte of a cell survives a trip through a widget;
// a character that Windows-1251 cannot hold becomes '?'.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qm {

QString ToQString(std::string_view cp1251);
std::string FromQString(const QString& text);

}  // namespace qm
