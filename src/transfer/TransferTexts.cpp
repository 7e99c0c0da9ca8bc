#include "transfer/TransferTexts.h"

#include <cstdio>

#include "base/Cp1251.h"

namespace qm {

const std::string kCheckResultCaption = Win1251("Результат проверки");

const std::string kReadPluTableTitle = Win1251("Чтение таблицы товаров...");
const std::string kWritePluTableTitle = Win1251("Запись таблицы товаров...");
const std::string kReadMsgTableTitle = Win1251("Чтение таблицы сообщений...");
const std::string kWriteMsgTableTitle = Win1251("Запись таблицы сообщений...");
const std::string kReadCountLabel = Win1251("Считано:");
const std::string kWrittenCountLabel = Win1251("Записано:");

const std::string kPluTableReadText = Win1251("Таблица товаров считана.");
const std::string kAskWritePluRow = Win1251("Записать текущую строку?");
const std::string kAskWritePluTable = Win1251("Записать таблицу товаров?");
const std::string kPluRowWrittenText = Win1251("Строка записана.");
const std::string kPluTableWrittenText = Win1251("Таблица товаров записана.");

const std::string kMsgTableReadText = Win1251("Таблица сообщений считана.");
const std::string kAskWriteMessage = Win1251("Записать текущее сообщение?");
const std::string kAskWriteMessages = Win1251("Записать все сообщения?");
const std::string kMessageWrittenText = Win1251("Сообщение записано.");
const std::string kMessagesWrittenText = Win1251("Сообщения записаны.");

const std::string kTotalsTitle = Win1251("Общий итог продаж");
const std::string kTotalsSincePrefix = Win1251("Общий итог продаж с ");
const std::string kTotalsReadErrorText = Win1251("Ошибка чтения общего итога продаж.");
const std::string kAskClearTotals = Win1251("Стереть общий итог продаж?");
const std::string kTotalsClearErrorText = Win1251("Ошибка стирания общего итога продаж.");

namespace {

std::string HexByte(int byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte & 0xFF);
  return text;
}

}  // namespace

std::string PluNotProgrammedText(int pluNo) {
  return Win1251("Данные PLU номер ") + std::to_string(pluNo) + Win1251(" не запрограммированы.");
}

std::string PluWriteRefusedText(const std::string& pluNoCell) {
  return Win1251("Ошибка записи PLU номер ") + pluNoCell;
}

std::string MessageAbsentText(int number) {
  return Win1251("Сообщение номер ") + std::to_string(number) + Win1251(" отсутствует.");
}

std::string MessageWriteRefusedText(int number) {
  return Win1251("Ошибка записи сообщения номер ") + std::to_string(number);
}

std::string MessageWithoutTextText(int number) {
  return Win1251("Нет текста сообщения номер ") + std::to_string(number) +
         Win1251(": сообщение не записано.");
}

std::string PluWriteOddAnswerText(const std::string& pluNoCell, int byte) {
  return PluWriteRefusedText(pluNoCell) + Win1251(": весы ответили ") + HexByte(byte) + ".";
}

std::string MessageWriteOddAnswerText(int number, int byte) {
  return MessageWriteRefusedText(number) + Win1251(": весы ответили ") + HexByte(byte) + ".";
}

std::string CheckResultQuestion(int errors, int warnings) {
  return Win1251("Ошибок: ") + std::to_string(errors) + ",   " + Win1251("Предупреждений: ") +
         std::to_string(warnings) + Win1251(",   Продолжить?");
}

}  // namespace qm
