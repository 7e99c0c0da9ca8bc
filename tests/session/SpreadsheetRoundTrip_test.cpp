// The way shops prepare prices: the program's CSV files opened in LibreOffice Calc, saved again
// as CSV and loaded back. Calc runs headless, as installed by scripts/deps.sh; the tables must
// come back cell for cell (numbers may be reformatted, "45.50" as "45.5") and make the same
// native file bytes as the originals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "files/FileIo.h"
#include "files/ListSeparator.h"
#include "session/FileOperations.h"
#include "tables/CommaText.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string W(std::string_view utf8) {
  return Win1251(utf8);
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path candidate = fs::path(dir) / program;
    if (!dir.empty() && fs::exists(candidate)) return candidate.string();
  }
  return {};
}

// How the file is saved from Calc: the separator (the program wrote with it too), Calc's number
// for the character set, and whether every text cell is quoted (which quotes the marker).
struct Flavour {
  const char* name;
  char separator;
  int charset;  // 34 Windows-1251, 76 UTF-8
  bool quoteAllText;
};
const Flavour kFlavours[] = {
    {"windows-1251", ',', 34, false},
    {"utf-8", ',', 76, false},
    {"semicolon, utf-8, quoted text", ';', 76, true},
};

TextGrid OriginalPlu() {
  const std::vector<std::vector<const char*>> rows = {
      {"1", "Хлеб \"Бородинский\"", "в/с, 1 кг", "45.50", "05.01.26", "0.125", "12", "3", "1",
       "1 АБ12", "01.01.26, 10:00:00", "4", "182.00", "1.000"},
      {"2", "Молоко 3,2%", "", "0.01", "5", "0.010", "2002", "20", "0"},
      {"3", "  Сыр; твёрдый", "Ёж \"ёлка\" №7", "1234.99", "31.12.25", "0", "7", "1", "2", "0", "",
       "0", "0.00", "0.000"},
      {"58", "Чай 'Утро'", "100 г", "99", "365", "0.5", "58", "4", "0"},
  };
  std::vector<Cells> cells;
  for (const auto& utf8 : rows) {
    Cells row;
    for (const char* c : utf8) row.push_back(W(c));
    row.resize(kPluColumnCount);
    NormalizePluRow(row, /*fromMinorUnits=*/false, /*salesNumeric=*/false);
    cells.push_back(std::move(row));
  }
  TextGrid grid(kPluColumnCount);
  grid.SetTitles(PluColumnTitles());
  grid.ReplaceDataRows(std::move(cells));
  return grid;
}

MessageTable OriginalMessages() {
  MessageTable t;
  t.Grid().ReplaceDataRows(
      {{"1", W("Яблоки")}, {"2", W("Акция \"А\"")}, {"3", W("Бонус")}, {"4", ""}});
  t.Texts() = {ToCommaText({W("Состав: яблоки, сахар"), W("Хранить при +4 °C")}),
               ToCommaText({W("Скидка 10%")}), ToCommaText({}),
               ToCommaText({"", W("после пустой строки")})};
  return t;
}

// Equal as text, or as numbers when both read as numbers.
bool SameCell(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const std::optional<double> x = ParseDecimal(a), y = ParseDecimal(b);
  return x && y && *x == *y;
}

struct SpreadsheetRoundTrip : ::testing::Test {
  SpreadsheetRoundTrip() {
    dir = fs::temp_directory_path() / ("qm-calc-" + std::to_string(std::random_device()()));
    fs::create_directories(dir / "out");
  }
  ~SpreadsheetRoundTrip() override {
    SetListSeparatorForTesting(std::nullopt);
    fs::remove_all(dir);
  }

  // Opens both files in Calc and saves them as CSV into dir/out under the same names.
  void ThroughCalc(const std::string& soffice, const Flavour& f, const std::vector<fs::path>& in) {
    const int sep = static_cast<unsigned char>(f.separator);
    // Import: the separator, '"' as text delimiter, Windows-1251, from line 1, US English.
    const std::string infilter = "CSV:" + std::to_string(sep) + ",34,34,1,,1033";
    const std::string outfilter = "csv:Text - txt - csv (StarCalc):" + std::to_string(sep) +
                                  ",34," + std::to_string(f.charset) + ",1,,0," +
                                  (f.quoteAllText ? "true" : "false");
    std::string command = "timeout 180 '" + soffice + "' -env:UserInstallation=file://" +
                          (dir / "profile").string() + " --headless --norestore" +
                          " '--infilter=" + infilter + "' --convert-to '" + outfilter +
                          "' --outdir '" + (dir / "out").string() + "'";
    for (const fs::path& p : in) command += " '" + p.string() + "'";
    command += " > '" + (dir / "soffice.log").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  fs::path dir;
};

TEST_F(SpreadsheetRoundTrip, CalcSavedFilesLoadBackToTheSameTables) {
  const std::string soffice = FindOnPath("soffice");
  if (soffice.empty()) {
    GTEST_SKIP() << "LibreOffice Calc is not installed: no soffice on PATH "
                    "(scripts/deps.sh installs libreoffice-calc-nogui)";
  }
  const TextGrid plu = OriginalPlu();
  const MessageTable messages = OriginalMessages();
  for (const Flavour& f : kFlavours) {
    SCOPED_TRACE(f.name);
    SetListSeparatorForTesting(f.separator);
    const fs::path pluFile = dir / "prices.csv", messageFile = dir / "messages.csv";
    ASSERT_TRUE(SavePluFile(plu, pluFile.string(), FileFormat::Csv, nullptr).saved);
    ASSERT_TRUE(SaveMessageFile(messages, messageFile.string(), FileFormat::Csv).saved);
    ASSERT_NO_FATAL_FAILURE(ThroughCalc(soffice, f, {pluFile, messageFile}));

    SessionTables loaded;
    const LoadReport p = LoadDataFile(loaded, (dir / "out/prices.csv").string());
    ASSERT_TRUE(p.ok()) << Utf8(p.message);
    EXPECT_EQ(p.kind, DataFileKind::PluTable);
    EXPECT_TRUE(p.unmapped.empty());
    ASSERT_EQ(loaded.plu.DataRowCount(), plu.DataRowCount());
    for (int r = 1; r <= plu.DataRowCount(); ++r) {
      for (int c = 0; c < kPluColumnCount; ++c) {
        EXPECT_PRED2(SameCell, Utf8(loaded.plu.Cell(c, r)), Utf8(plu.Cell(c, r)))
            << "row " << r << " column " << c;
      }
    }
    EXPECT_EQ(WritePluNative(loaded.plu, nullptr), WritePluNative(plu, nullptr));

    const LoadReport m = LoadDataFile(loaded, (dir / "out/messages.csv").string());
    ASSERT_TRUE(m.ok()) << Utf8(m.message);
    EXPECT_EQ(m.kind, DataFileKind::MessageTable);
    EXPECT_TRUE(m.unmapped.empty());
    ASSERT_EQ(loaded.messages.Count(), messages.Count());
    for (int r = 0; r <= messages.Count(); ++r) {
      EXPECT_EQ(loaded.messages.Grid().Row(r), messages.Grid().Row(r)) << "row " << r;
    }
    EXPECT_EQ(loaded.messages.Texts(), messages.Texts());
    EXPECT_EQ(WriteMessageNative(loaded.messages), WriteMessageNative(messages));
  }
}

}  // namespace
}  // namespace qm
