// Texts the scale transfers show: questions, boxes, progress window titles and the status
// words. Russian texts are Windows-1251; the status words are ASCII.
#pragma once

#include <string>

namespace qm {

// Status panel 0.
inline constexpr char kReadingPluStatus[] = "Reading PLU...";
inline constexpr char kWritingPluStatus[] = "Writing PLU...";
inline constexpr char kReadingMsgStatus[] = "Reading MSG...";
inline constexpr char kWritingMsgStatus[] = "Writing MSG...";
inline constexpr char kReadingGtdStatus[] = "Reading GTD...";
inline constexpr char kClearingGtdStatus[] = "Clearing GTD...";
inline constexpr char kTestingStatus[] = "Testing...";
inline constexpr char kDoneStatus[] = "Done.";

// Captions.
extern const std::string kCheckResultCaption;      // "Результат проверки"

// Progress window: titles and counter labels.
extern const std::string kReadPluTableTitle;   // "Чтение таблицы товаров..."
extern const std::string kWritePluTableTitle;  // "Запись таблицы товаров..."
extern const std::string kReadMsgTableTitle;  // "Чтение таблицы сообщений..."
extern const std::string kWriteMsgTableTitle;  // "Запись таблицы сообщений..."
extern const std::string kReadCountLabel;      // "Считано:"
extern const std::string kWrittenCountLabel;   // "Записано:"

// PLU transfers.
extern const std::string kPluTableReadText;     // "Таблица товаров считана."
extern const std::string kAskWritePluRow;       // "Записать текущую строку?"
extern const std::string kAskWritePluTable;     // "Записать таблицу товаров?"
extern const std::string kPluRowWrittenText;    // "Строка записана."
extern const std::string kPluTableWrittenText;  // "Таблица товаров записана."
// "Данные PLU номер " + n + " не запрограммированы."
std::string PluNotProgrammedText(int pluNo);
// "Ошибка записи PLU номер " + the row's PluNo cell as it stands.
std::string PluWriteRefusedText(const std::string& pluNoCell);

// Message transfers.
extern const std::string kMsgTableReadText;  // "Таблица сообщений считана."
extern const std::string kAskWriteMessage;  // "Записать текущее сообщение?"
extern const std::string kAskWriteMessages;     // "Записать все сообщения?"
extern const std::string kMessageWrittenText;   // "Сообщение записано."
extern const std::string kMessagesWrittenText;  // "Сообщения записаны."
// "Сообщение номер " + n + " отсутствует."
std::string MessageAbsentText(int number);
// "Ошибка записи сообщения номер " + n
std::string MessageWriteRefusedText(int number);
// The message list names no text for this number: nothing can be sent for it.
std::string MessageWithoutTextText(int number);

// A write answered by a byte that is neither the acknowledgement nor the refusal: the record
// is not known to be stored, so the write stops there. `byte` 0..255.
std::string PluWriteOddAnswerText(const std::string& pluNoCell, int byte);
std::string MessageWriteOddAnswerText(int number, int byte);

// The validation question before a write: "Ошибок: " + e + ",   Предупреждений: " + w +
// ",   Продолжить?"
std::string CheckResultQuestion(int errors, int warnings);

// Sales totals.
extern const std::string kTotalsTitle;        // "Общий итог продаж"
extern const std::string kTotalsSincePrefix;  // "Общий итог продаж с "
extern const std::string kTotalsReadErrorText;  // "Ошибка чтения общего итога продаж."
extern const std::string kAskClearTotals;  // "Стереть общий итог продаж?"
extern const std::string kTotalsClearErrorText;  // "Ошибка стирания общего итога продаж."

}  // namespace qm
