#include "tables/PluColumns.h"

#include "base/Cp1251.h"

namespace qm {

const std::vector<std::string>& PluColumnTitles() {
  static const std::vector<std::string> kTitles = {
      Win1251("Товар №"),
      Win1251("Наименование 1"),
      Win1251("Наименование 2"),
      Win1251("Цена"),
      Win1251("Срок хранения"),
      Win1251("Вес тары"),
      Win1251("Код"),
      Win1251("Код группы"),
      Win1251("Сообщение №"),
      Win1251("Логотип"),
      Win1251("Начало продаж"),
      Win1251("Количество"),
      Win1251("Сумма"),
      Win1251("Вес"),
  };
  return kTitles;
}

}  // namespace qm
