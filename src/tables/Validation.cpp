#include "tables/Validation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/Cp1251.h"
#include "base/WireCodecs.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

// The finding texts, each split where a limit is written into it.
struct Texts {
  std::string tableSize =
      Win1251("Количество записей в таблице больше допустимого числа товаров (");
  std::string badPluNo = Win1251("Неправильный номер товара.");
  std::string pluNoLimit = Win1251("Номер товара больше максимально допустимого (");
  std::string duplicate = Win1251("Повторяющийся номер товара.");
  std::string nameLimit = Win1251("Длина строки наименования больше максимально допустимой (");
  std::string badPrice = Win1251("Неправильная цена товара.");
  std::string priceLimit = Win1251("Цена товара больше максимально допустимой (");
  std::string badShelfLife = Win1251("Неправильный срок хранения.");
  std::string shelfLifeLimit = Win1251("Срок хранения больше максимально допустимого (");
  std::string expired = Win1251("Товар просрочен.");
  std::string badTare = Win1251("Неправильный вес тары.");
  std::string tareLimit = Win1251("Вес тары больше максимально допустимого (");
  std::string tareMultiple = Win1251("Вес тары не кратен дискретности весов (");
  std::string badItemCode = Win1251("Неправильный код товара.");
  std::string itemCodeLimit = Win1251("Код товара больше максимально допустимого (");
  std::string badGroupCode = Win1251("Неправильный групповой код.");
  std::string groupCodeLimit = Win1251("Групповой код больше максимально допустимого (");
  std::string badMessageNo = Win1251("Неправильный номер сообщения.");
  std::string messageNoLimit = Win1251("Номер сообщения больше максимально допустимого (");
  std::string messageNoCount = Win1251("Номер сообщения больше количества сообщений (");
  std::string messageCount = Win1251("Количество сообщений больше максимально допустимого (");
  std::string lineLength = Win1251("Длина строки сообщения больше максимально допустимой (");
  std::string lineCount = Win1251("Число строк в сообщении больше максимально допустимого (");
};

const Texts& T() {
  static const Texts texts;
  return texts;
}

std::string WithLimit(const std::string& head, const std::string& limit) {
  std::string s;
  s.reserve(head.size() + limit.size() + 2);
  s += head;
  s += limit;
  s += ").";
  return s;
}

std::string WithLimit(const std::string& head, long long limit) {
  return WithLimit(head, std::to_string(limit));
}

Finding Error(std::string text, int column) {
  return {std::move(text), FindingKind::Error, column};
}

// A value in whole thousandths (three decimals, halves away from zero); nothing when it is too
// large to be held exactly.
std::optional<long long> Thousandths(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e12) return std::nullopt;
  return RoundHalfAway(value * 1000.0);
}

// Whether the message text has no character at all (no lines, or only empty ones).
bool IsEmptyMessage(const std::string& commaText) {
  for (const std::string& line : FromCommaText(commaText)) {
    if (!line.empty()) return false;
  }
  return true;
}

}  // namespace

// ---- PLU rows -------------------------------------------------------------------------------

PluRowChecker::PluRowChecker(const TScaleParams& limits, int messageCount, Date today)
    : limits_(limits),
      messageCount_(messageCount),
      today_(today),
      marked_(static_cast<std::size_t>(limits.MaxPluNo) + 1, false),
      maxPriceText_(FormatUnsignedOrZero(limits.MaxPrice, 2)),
      maxTareText_(FormatUnsignedOrZero(limits.MaxTare, 3)),
      tareDivisionText_(FormatUnsignedOrZero(limits.TareDivision, 3)) {
  if (limits.TareDivision != 0) {
    // A division that rounds to no whole thousandth cannot divide anything: no test then.
    auto d = Thousandths(limits.TareDivision);
    if (d && *d != 0) divisionThousandths_ = *d;
  }
}

void PluRowChecker::ArmSizeCheck(int dataRowCount) {
  pendingSize_ = dataRowCount;
}

std::optional<Finding> PluRowChecker::CheckPluRow(const Cells& row, int fromColumn) {
  if (pendingSize_) {
    const int rows = *pendingSize_;
    pendingSize_.reset();
    if (rows > limits_.MaxPluNo)
      return Error(WithLimit(T().tableSize, limits_.MaxPluNo), kSizeFinding);
  }
  for (int column = std::max(fromColumn, 0); column <= kMessageNo; ++column) {
    if (auto finding = CheckColumn(row, column)) return finding;
  }
  return std::nullopt;
}

std::optional<Finding> PluRowChecker::CheckColumn(const Cells& row, int column) {
  static const std::string kEmpty;
  const std::string& cell =
      column < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(column)] : kEmpty;
  const Texts& t = T();

  // An integer column: not an integer or below `low` -> `bad`; above `high` -> the limit text.
  auto integer = [&](const std::string& bad, std::int32_t low, const std::string& limitHead,
                     long long high) -> std::optional<Finding> {
    auto v = ParseInt(cell);
    if (!v || *v < low) return Error(bad, column);
    if (*v > high) return Error(WithLimit(limitHead, high), column);
    return std::nullopt;
  };

  switch (column) {
    case kPluNo: {
      if (auto f = integer(t.badPluNo, 1, t.pluNoLimit, limits_.MaxPluNo)) return f;
      const auto no = static_cast<std::size_t>(*ParseInt(cell));
      if (marked_[no]) return Error(t.duplicate, column);
      marked_[no] = true;
      return std::nullopt;
    }
    case kName1: {
      const std::string& logo = row.size() > kLogo ? row[kLogo] : kEmpty;
      const bool noLogo = logo.empty() || logo[0] == '0';
      const long long limit = noLogo ? limits_.NameLen : limits_.NameLenWithLogo;
      if (static_cast<long long>(cell.size()) > limit)
        return Error(WithLimit(t.nameLimit, limit), column);
      return std::nullopt;
    }
    case kName2:
      if (cell.size() > limits_.NameLen)
        return Error(WithLimit(t.nameLimit, limits_.NameLen), column);
      return std::nullopt;
    case kPrice: {
      auto v = ParseDecimal(cell);
      if (!v || *v < 0) return Error(t.badPrice, column);
      if (*v > limits_.MaxPrice) return Error(WithLimit(t.priceLimit, maxPriceText_), column);
      return std::nullopt;
    }
    case kShelfLife: {
      std::string text = cell;
      const std::int32_t days = NormalizeShelfLife(text);
      if (days == kShelfLifeInvalid || days < 0) return Error(t.badShelfLife, column);
      if (days == kShelfLifeIsDate) {
        auto date = ParseShortDate(text);
        if (!date) return Error(t.badShelfLife, column);
        if (*date < today_) return Error(t.expired, column);
        return std::nullopt;
      }
      if (days > limits_.MaxShelfLife)
        return Error(WithLimit(t.shelfLifeLimit, limits_.MaxShelfLife), column);
      return std::nullopt;
    }
    case kTare: {
      auto v = ParseDecimal(cell);
      if (!v || *v < 0) return Error(t.badTare, column);
      if (*v > limits_.MaxTare) return Error(WithLimit(t.tareLimit, maxTareText_), column);
      if (limits_.TareDivision != 0) {
        auto tare = Thousandths(*v);
        if (divisionThousandths_ && (!tare || *tare % *divisionThousandths_ != 0)) {
          return Error(WithLimit(t.tareMultiple, tareDivisionText_), column);
        }
      }
      return std::nullopt;
    }
    case kItemCode:
      return integer(t.badItemCode, 0, t.itemCodeLimit, limits_.MaxItemCode);
    case kGroupCode:
      return integer(t.badGroupCode, 0, t.groupCodeLimit, limits_.MaxGroupCode);
    case kMessageNo: {
      if (auto f = integer(t.badMessageNo, 0, t.messageNoLimit, limits_.MaxMessages)) return f;
      if (*ParseInt(cell) > messageCount_) {
        return Finding{WithLimit(t.messageNoCount, messageCount_), FindingKind::Warning, column};
      }
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

// ---- Messages -------------------------------------------------------------------------------

MessageChecker::MessageChecker(const TScaleParams& limits, const MessageTable& table)
    : limits_(limits), table_(table) {}

std::optional<MessageFinding> MessageChecker::CheckMessages(std::optional<int> only) {
  if (sizePending_) {
    sizePending_ = false;
    const int n = table_.Count();
    // Models without messages still hold the table's single empty message.
    const bool emptyTableOfModelWithout =
        limits_.MaxMessages == 0 && n == 1 && IsEmptyMessage(table_.TextOf(1));
    if (n > limits_.MaxMessages && !emptyTableOfModelWithout) {
      return MessageFinding{WithLimit(T().messageCount, limits_.MaxMessages), 0};
    }
  }
  if (only) {
    if (next_ > 1) return std::nullopt;
    next_ = 2;
    if (auto text = CheckOne(*only)) return MessageFinding{std::move(*text), *only};
    return std::nullopt;
  }
  while (next_ <= table_.Count()) {
    const int number = next_++;
    if (auto text = CheckOne(number)) return MessageFinding{std::move(*text), number};
  }
  return std::nullopt;
}

std::optional<std::string> MessageChecker::CheckOne(int number) const {
  const std::vector<std::string> lines = FromCommaText(table_.TextOf(number));
  std::size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  std::string text;
  if (longest > limits_.MsgLineLen) text = WithLimit(T().lineLength, limits_.MsgLineLen);
  if (lines.size() > limits_.MsgLines) {
    if (!text.empty()) text += "\r\n\r\n";
    text += WithLimit(T().lineCount, limits_.MsgLines);
  }
  if (text.empty()) return std::nullopt;
  return text;
}

// ---- The scan ------------------------------------------------------------------------------

FindingScan::FindingScan(const ValidationOptions& options, const TextGrid& pluGrid,
                         const MessageTable& messages, const TScaleParams& limits)
    : options_(options), plu_(pluGrid), messages_(messages), limits_(limits) {
  if (!options_.checkPlu) {
    pluDone_ = true;
    return;
  }
  pluChecker_.emplace(limits_, messages_.Count(), Today());
  first_ = options_.currentOnly ? plu_.CurrentRow() : 1;
  last_ = options_.currentOnly ? plu_.CurrentRow() : plu_.DataRowCount();
  if (!options_.currentOnly) pluChecker_->ArmSizeCheck(plu_.DataRowCount());
  row_ = first_;
}

std::optional<DataFinding> FindingScan::Next() {
  if (!pluDone_) {
    if (auto finding = NextPlu()) return finding;
    pluDone_ = true;
  }
  return NextMessage();
}

std::optional<DataFinding> FindingScan::NextPlu() {
  for (; row_ <= last_; ++row_, column_ = 0) {
    auto finding = pluChecker_->CheckPluRow(plu_.Row(row_), column_);
    if (!finding) continue;
    DataFinding found{FindingTable::Plu, row_, finding->column, finding->kind,
                      std::move(finding->text)};
    if (finding->column == kSizeFinding) {
      // The size belongs to no cell: the window points at the first row's number. The row's
      // own columns are examined next, from the first.
      found.row = first_;
    } else {
      column_ = finding->column + 1;
    }
    return found;
  }
  return std::nullopt;
}

std::optional<DataFinding> FindingScan::NextMessage() {
  if (!options_.checkMessages) return std::nullopt;
  if (!messageChecker_) {
    messageChecker_.emplace(limits_, messages_);
    if (options_.currentOnly) {
      onlyMessage_ = messages_.CurrentNumber();
    } else {
      messageChecker_->ArmSizeCheck();
    }
  }
  auto finding = messageChecker_->CheckMessages(onlyMessage_);
  if (!finding) return std::nullopt;
  return DataFinding{FindingTable::Messages, finding->number, kSizeFinding, FindingKind::Error,
                     std::move(finding->text)};
}

FindingList FindAll(const ValidationOptions& options, const TextGrid& pluGrid,
                    const MessageTable& messages, const TScaleParams& limits) {
  FindingList list;
  FindingScan scan(options, pluGrid, messages, limits);
  while (auto finding = scan.Next()) {
    ++(finding->kind == FindingKind::Warning ? list.warnings : list.errors);
    list.findings.push_back(std::move(*finding));
  }
  return list;
}

ValidationResult ValidateData(const ValidationOptions& options, const TextGrid& pluGrid,
                              const MessageTable& messages, const TScaleParams& limits) {
  ValidationResult result;
  FindingScan scan(options, pluGrid, messages, limits);
  while (auto finding = scan.Next()) {
    ++(finding->kind == FindingKind::Warning ? result.warnings : result.errors);
  }
  result.completed = true;
  return result;
}

}  // namespace qm
