// The file operations' reports: what a load stores and remembers, that a failed load or save
// changes nothing, and the texts the operator is shown.
#include "session/FileOperations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "base/Cp1251.h"
#include "files/ListSeparator.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct FileOperationsTest : ::testing::Test {
  FileOperationsTest() {
    dir = fs::temp_directory_path() / ("qm-fileops-" + std::to_string(std::random_device()()));
    fs::create_directories(dir);
    SetListSeparatorForTesting(';');
  }
  ~FileOperationsTest() override {
    SetListSeparatorForTesting(std::nullopt);
    fs::remove_all(dir);
  }
  std::string Put(const std::string& name, const std::string& utf8) const {
    return PutBytes(name, Win1251(utf8));
  }
  std::string PutBytes(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).string();
  }
  // A 50 MB file that costs no disk (sparse).
  std::string Huge(const std::string& name) const {
    const std::string path = Put(name, "Товары;\r\n");
    fs::resize_file(path, 50u << 20);
    return path;
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir;
  SessionTables tables;
};

TEST_F(FileOperationsTest, ALoadStoresTheTableAndRemembersItsFile) {
  const std::string csv = Put("m.csv", "Сообщения;\r\nN;M\r\n1;Один;a\r\n2;Два;b\r\n");
  const LoadReport r = LoadDataFile(tables, csv);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.kind, DataFileKind::MessageTable);
  EXPECT_EQ(r.rows, 2);
  EXPECT_EQ(tables.messages.TextOf(2), "b");
  EXPECT_EQ(tables.files.messageFileName, csv);
  EXPECT_TRUE(tables.files.messageFileIsCsv);
  EXPECT_EQ(tables.files.pluFileName, "");
  EXPECT_FALSE(tables.flags.Any());  // the flags are the caller's
}

TEST_F(FileOperationsTest, AFailedLoadReportsWhyAndChangesNothing) {
  const std::string missing = (dir / "missing.csv").string();
  const std::string bad = "Неверный формат файла данных.";
  using Load = LoadReport (*)(SessionTables&, const std::string&);
  const Load data = [](SessionTables& t, const std::string& p) { return LoadDataFile(t, p); };
  const Load plu = [](SessionTables& t, const std::string& p) {
    return LoadPluFile(t, p, nullptr);
  };
  const Load msg = [](SessionTables& t, const std::string& p) { return LoadMessageFile(t, p); };
  struct Case {
    std::string path;
    Load load;
    LoadStatus status;
    std::string message;
  };
  const Case cases[] = {
      {Put("notes.csv", "hello;world\r\n"), data, LoadStatus::BadFormat, bad},
      {Put("cut.msw", "a\r\n"), msg, LoadStatus::BadFormat, bad},
      {Put("zero-byte.plw", std::string("1\r\nA\0B\r\n", 8)), plu, LoadStatus::BadFormat, bad},
      {Put("q.csv", "\"Товары\"\r\nT\r\n1\r\n"), data, LoadStatus::BadFormat, bad},
      {PutBytes("u8.csv", "Товары;\nT\n1;\xFF\n"), data, LoadStatus::BadFormat,
       bad + "\nСтрока 3: текст не в кодировке UTF-8."},
      {Put("nl.csv", "Товары;\r\nT\r\n1;\"Сыр\r\nтвёрдый\"\r\n"), data, LoadStatus::BadFormat,
       bad + "\nСтрока 3: перенос строки внутри ячейки в кавычках."},
      {PutBytes("u16.csv", std::string("\xFF\xFE\x22\x04;\0\n\0", 8)), data, LoadStatus::BadFormat,
       bad},
      {missing, data, LoadStatus::CannotRead,
       "Не удалось прочитать файл \"" + missing + "\":\n" +
           std::make_error_code(std::errc::no_such_file_or_directory).message()},
      // Numbers no scale holds: refused rather than sized into a table.
      {Put("big.csv", "Сообщения;\r\nN;M\r\n1;a\r\n2000000000;x\r\n"), data, LoadStatus::BadNumber,
       "Номер сообщения 2000000000 в строке 2 больше максимально допустимого (1000)."},
      {Put("big.msw", "a\r\nb\r\nN,1001,1\r\nM,x,y\r\n"), msg, LoadStatus::BadNumber,
       "Номер сообщения 1001 в строке 1 больше максимально допустимого (1000)."},
      {Huge("huge.csv"), data, LoadStatus::CannotRead,
       "Не удалось прочитать файл \"" + (dir / "huge.csv").string() + "\":\n" +
           std::make_error_code(std::errc::file_too_large).message()},
      {dir.string(), plu, LoadStatus::CannotRead,
       "Не удалось прочитать файл \"" + dir.string() + "\":\n" +
           std::make_error_code(std::errc::is_a_directory).message()},
  };
  tables.plu.SetCell(kName1, 1, "kept");
  tables.files.pluFileName = "before.csv";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const LoadReport r = c.load(tables, c.path);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(Utf8(r.message), c.message);
    EXPECT_EQ(tables.plu.Cell(kName1, 1), "kept");
    EXPECT_EQ(tables.messages.Count(), 1);
    EXPECT_EQ(tables.files.pluFileName, "before.csv");
    EXPECT_EQ(tables.files.messageFileName, "");
  }
}

TEST_F(FileOperationsTest, AUtf8LoadReportsWhatBecameQuestionMarks) {
  std::string rows;
  for (int i = 1; i <= 12; ++i) rows += std::to_string(i) + ";Ω\n";
  const LoadReport r = LoadDataFile(tables, PutBytes("u.csv", "\xEF\xBB\xBFТовары;\nT\n" + rows));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.rows, 12);
  ASSERT_EQ(r.unmapped.size(), 12u);
  EXPECT_EQ(tables.plu.Cell(kName1, 12), "?");
  // The operator's warning lists ten places and counts the rest; a load without any says nothing.
  std::string expected =
      "В файле есть символы, которых нет в кодировке Windows-1251. Они заменены знаком \"?\":";
  for (int i = 1; i <= 10; ++i) {
    expected += "\nстрока " + std::to_string(i) + ", Наименование 1: U+03A9";
  }
  EXPECT_EQ(Utf8(UnmappedText(r.kind, r.unmapped)), expected + "\nи ещё 2.");
  EXPECT_EQ(UnmappedText(r.kind, {}), "");
  EXPECT_EQ(CodePointText(0x1F600), "U+1F600");
}

TEST_F(FileOperationsTest, AFailedSaveKeepsThePreviousFile) {
  const std::string target = Put("t.csv", "old");
  const std::string folder = (dir / "folder.csv").string();
  fs::create_directories(folder);
  SaveReport r = SavePluFile(tables.plu, folder, FileFormat::Csv, nullptr);
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(Utf8(r.message), "Не удалось записать файл \"" + folder + "\":\n" + r.systemMessage);
  EXPECT_FALSE(r.systemMessage.empty());
  EXPECT_TRUE(fs::is_empty(folder));
  // No temporary file of the save is left beside the target, whatever its name.
  for (const auto& entry : fs::directory_iterator(fs::path(folder).parent_path())) {
    EXPECT_EQ(entry.path().filename().string().find(fs::path(folder).filename().string() + ".saving"),
              std::string::npos)
        << entry.path();
  }

  r = SaveMessageFile(tables.messages, (dir / "no/x.msw").string(), FileFormat::Native);
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(Slurp(target), "old");

  ASSERT_TRUE(SavePluFile(tables.plu, target, FileFormat::Csv, nullptr).saved);
  EXPECT_EQ(Slurp(target), WritePluCsv(tables.plu, ';'));
}

TEST_F(FileOperationsTest, BytesALayoutCannotCarryAreReportedWithTheSave) {
  tables.plu.SetCell(kName1, 1, "A\nB");
  tables.plu.SetCell(kName2, 1, "C\x1A");
  const std::string plw = (dir / "t.plw").string();
  const SaveReport native = SavePluFile(tables.plu, plw, FileFormat::Native, nullptr);
  ASSERT_TRUE(native.saved);
  EXPECT_EQ(Slurp(plw).substr(0, 12), "1\r\nA B\r\nC \r\n");
  EXPECT_EQ(Utf8(ReplacedText(DataFileKind::PluTable, native.replaced)),
            "Некоторые символы нельзя записать в файл этого типа (перевод строки, конец файла и "
            "другие управляющие). Они заменены пробелом:\n"
            "строка 1, Наименование 1: 0x0A\nстрока 1, Наименование 2: 0x1A");
  // The CSV file carries 0x1A; a message is named by its number.
  EXPECT_EQ(SavePluFile(tables.plu, plw, FileFormat::Csv, nullptr).replaced.size(), 1u);
  tables.messages.Texts() = {"\"a\rb\""};
  const SaveReport msw = SaveMessageFile(tables.messages, plw, FileFormat::Native);
  EXPECT_EQ(Utf8(ReplacedText(DataFileKind::MessageTable, msw.replaced, 0)),
            "Некоторые символы нельзя записать в файл этого типа (перевод строки, конец файла и "
            "другие управляющие). Они заменены пробелом:\nи ещё 1.");
  EXPECT_EQ(msw.replaced, (std::vector<ReplacedByte>{{1, 2, '\r'}}));
}

}  // namespace
}  // namespace qm
