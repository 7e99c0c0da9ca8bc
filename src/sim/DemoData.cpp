#include "sim/DemoData.h"

#include <algorithm>

#include "sim/VirtualScale.h"

namespace qmsim {
namespace {

void PutLe(Bytes& b, std::size_t at, std::int64_t v, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Six digit values, least significant digit first.
void PutDigitCode(Bytes& b, std::size_t at, long v) {
  for (std::size_t i = 0; i < 6; ++i, v /= 10) b[at + i] = static_cast<std::uint8_t>(v % 10);
}

void PutText(Bytes& b, std::size_t at, std::string_view utf8, std::size_t width) {
  Bytes t = Cp866(utf8);
  std::copy_n(t.begin(), std::min(width, t.size()), b.begin() + static_cast<std::ptrdiff_t>(at));
}

struct DemoPlu {
  std::int32_t number;
  long itemCode;
  std::string_view name1, name2;
  std::int32_t price;     // kopecks
  std::uint8_t shelf[3];  // as on the wire
  std::int32_t tare;      // grams
  long groupCode;
  std::int32_t messageNo;
  std::uint8_t start[6];  // seconds, minutes, hours, day, month, year (packed BCD)
  std::int32_t amount;    // kopecks
  std::int32_t weight;    // grams
  std::int32_t count;
};

Bytes PluRecord(const DemoPlu& p) {
  Bytes r(kPluRecordSize, 0);
  PutLe(r, 0, p.number, 4);
  PutDigitCode(r, 4, p.itemCode);
  PutText(r, 10, p.name1, 28);
  PutText(r, 38, p.name2, 28);
  PutLe(r, 66, p.price, 4);
  std::copy_n(p.shelf, 3, r.begin() + 70);
  PutLe(r, 73, p.tare, 2);
  PutDigitCode(r, 75, p.groupCode);
  PutLe(r, 81, p.messageNo, 2);
  std::copy_n(p.start, 6, r.begin() + 83);
  PutLe(r, 89, p.amount, 4);
  PutLe(r, 93, p.weight, 4);
  PutLe(r, 97, p.count, 3);
  return r;
}

Bytes MessageBlock(std::initializer_list<std::string_view> lines) {
  Bytes b(kMessageSize, 0);
  std::size_t at = 0;
  for (auto line : lines) {
    PutText(b, at, line, 50);
    at += 50;
  }
  return b;
}

}  // namespace

Bytes Cp866(std::string_view s) {
  Bytes out;
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int len;
    if (c < 0x80) {
      cp = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else {
      cp = c & 0x07;
      len = 4;
    }
    for (int k = 1; k < len && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    if (cp < 0x80)
      out.push_back(static_cast<std::uint8_t>(cp));
    else if (cp >= 0x410 && cp <= 0x43F)
      out.push_back(static_cast<std::uint8_t>(cp - 0x410 + 0x80));
    else if (cp >= 0x440 && cp <= 0x44F)
      out.push_back(static_cast<std::uint8_t>(cp - 0x440 + 0xE0));
    else if (cp == 0x401)
      out.push_back(0xF0);
    else if (cp == 0x451)
      out.push_back(0xF1);
    else
      out.push_back('*');
  }
  return out;
}

void LoadDemoData(VirtualScale& scale) {
  const DemoPlu plus[] = {
      {1,
       1001,
       "Колбаса докторская",
       "вареная, в/с",
       45990,
       {0x00, 0x00, 0x05},
       0,
       10,
       1,
       {0x00, 0x30, 0x08, 0x01, 0x12, 0x25},
       123450,
       2685,
       12},
      {2,
       2002,
       "Сыр Российский",
       "",
       69900,
       {0x00, 0x00, 0x30},
       125,
       20,
       2,
       {0x15, 0x45, 0x09, 0x01, 0x12, 0x25},
       41940,
       600,
       3},
      {3,
       3003,
       "Яблоки Антоновка",
       "урожай этого года",
       12990,
       {0x00, 0x00, 0x14},
       0,
       30,
       0,
       {0, 0, 0, 0, 0, 0},
       0,
       0,
       0},
      {7,
       7007,
       "Хлеб Бородинский",
       "",
       5500,
       {0x00, 0x00, 0x03},
       0,
       40,
       0,
       {0x00, 0x00, 0x10, 0x02, 0x12, 0x25},
       11000,
       1600,
       2},
  };
  for (const auto& p : plus) scale.SetPlu(p.number, PluRecord(p));

  // PLU 5 carries a logo: each name line keeps 24 bytes of name, then 0x00, the logo number
  // and two characters of the certification-body code "АЯ46".
  DemoPlu beef{5,
               5005,
               "Говядина охлажденная",
               "вырезка",
               89900,
               {0x31, 0x12, 0x25},
               250,
               50,
               1,
               {0x30, 0x10, 0x11, 0x02, 0x12, 0x25},
               179800,
               2000,
               2};
  Bytes r = PluRecord(beef);
  r[10 + 24] = 0x00;
  r[10 + 25] = 1;
  PutText(r, 10 + 26, "Я", 1);
  PutText(r, 10 + 27, "6", 1);
  r[38 + 24] = 0x00;
  r[38 + 25] = 1;
  PutText(r, 38 + 26, "А", 1);
  PutText(r, 38 + 27, "4", 1);
  scale.SetPlu(5, r);

  scale.SetMessage(1, MessageBlock({"Хранить при температуре", "от +2 до +6 C",
                                    "Срок годности указан на упаковке"}));
  scale.SetMessage(2, MessageBlock({"Изготовитель: ООО \"Мясной двор\"", "г. Москва", "",
                                    "Тел. 8-800-000-00-00"}));

  Bytes t(kTotalsSize, 0);
  PutLe(t, 0, 152340, 4);   // printer run, mm
  PutLe(t, 4, 4210, 4);     // labels
  PutLe(t, 8, 356190, 4);   // amount, kopecks
  PutLe(t, 12, 19, 3);      // sales
  PutLe(t, 15, 6885, 4);    // weight, grams
  PutLe(t, 19, 356190, 4);  // amount over all PLUs
  PutLe(t, 23, 19, 3);
  PutLe(t, 26, 6885, 4);
  const std::uint8_t since[6] = {0x00, 0x30, 0x08, 0x01, 0x12, 0x25};  // 08:30:00, 01.12.25
  std::copy_n(since, 6, t.begin() + 30);
  PutLe(t, 36, 3995, 2);  // free PLU places
  PutLe(t, 38, 98, 2);    // free message places
  scale.SetTotals(t);

  Display d;
  d.flags = 0x04;
  d.unitPrice = 45990;
  d.pluNo = 1;
  scale.SetDisplay(d);
}

}  // namespace qmsim
