// Tool button images of the scale transfers, drawn at run time so the program ships no image
// files. Each image combines what is moved (a price tag for PLUs, a text sheet for messages, a
// sigma for the sales totals), how much (one, or a stack for the whole table) and the direction
// (a green arrow down for reading from the scale, a red arrow up for writing to it, a red cross
// for erasing), so every button looks different.
#pragma once

#include <QIcon>

namespace qm {

enum class TransferSubject { Plu, Message, Totals };
enum class TransferMotion { Read, Write, Clear };

// `wholeTable` draws the subject as a stack.
QIcon TransferIcon(TransferSubject subject, TransferMotion motion, bool wholeTable);

}  // namespace qm
