// check, match and convert on files written by hand.
#include <gtest/gtest.h>

#include "CtlRun.h"

namespace qmtest {
namespace {

using FileCommands = CtlTest;

TEST_F(FileCommands, CheckPrintsEveryFindingWithItsPlaceAndTheSummary) {
  const std::string plu = WriteText(
      "prices.csv", std::string(kPluHeader) +
                        "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n"
                        "2,Хлеб,,12,3,0,2,1,3,0,,0,0,0\n"           // message 3 of 1: warning
                        "2,Сыр,,abc,01.01.25,0,3,1,0,0,,0,0,0\n");  // duplicate, price, expired
  const CtlResult r = RunCtl({"check", plu});
  EXPECT_EQ(r.code, qm::ctl::kExitFindings);
  EXPECT_EQ(r.out, plu +
                       ": row 2 (Сообщение №): Предупреждение: Номер сообщения больше количества "
                       "сообщений (1).\n" +
                       plu + ": row 3 (Товар №): Ошибка: Повторяющийся номер товара.\n" + plu +
                       ": row 3 (Цена): Ошибка: Неправильная цена товара.\n" + plu +
                       ": row 3 (Срок хранения): Ошибка: Товар просрочен.\n"
                       "Ошибок: 3,   Предупреждений: 1.\n");
}

// The characters the scale prints as "*" are listed only when asked for, as warnings at their
// cell, after the file's own findings.
TEST_F(FileCommands, CheckStrictListsCellsWithCharactersTheScaleCannotPrint) {
  const std::string plu = WriteText("p.csv", std::string(kPluHeader) +
                                                 "1,Сыр «Ёлка» №1,,12,3,0,2,1,0,1 А€46,,0,0,0\n"
                                                 "2,Хлеб,,12,3,0,2,1,5,0,,0,0,0\n");
  const std::string msg =
      WriteText("m.csv", "Сообщения,\n№,Название,\"Строка 1\"\n1,\"Список 1\",a,t° 5\n");
  const CtlResult plain = RunCtl({"check", plu, msg});
  EXPECT_EQ(plain.out.find("кодовой"), std::string::npos);

  const CtlResult strict = RunCtl({"check", "--strict", plu, msg});
  EXPECT_EQ(strict.code, qm::ctl::kExitFindings);
  EXPECT_EQ(strict.out,
            plu +
                ": row 2 (Сообщение №): Предупреждение: Номер сообщения больше количества "
                "сообщений (1).\n" +
                plu +
                ": row 1 (Наименование 1): Предупреждение: Символов \"«»№\" нет в кодовой "
                "странице весов, на этикетке будет \"*\".\n" +
                plu +
                ": row 1 (Логотип): Предупреждение: Символа \"€\" нет в кодовой странице "
                "весов, на этикетке будет \"*\".\n" +
                msg +
                ": message 1, line 2: Предупреждение: Символа \"°\" нет в кодовой странице "
                "весов, на этикетке будет \"*\".\n"
                "Ошибок: 0,   Предупреждений: 4.\n");
}

TEST_F(FileCommands, CheckCountsMessagesOfAMessageFileOnTheSameLine) {
  const std::string plu =
      WriteText("p.csv", std::string(kPluHeader) + "1,Хлеб,,12,3,0,2,1,2,0,,0,0,0\n");
  const std::string msg = WriteText(
      "m.csv", "Сообщения,\n№,Название,\"Строка 1\"\n1,\"Список 1\",a\n2,\"Список 2\",b\n");
  const CtlResult together = RunCtl({"check", plu, msg});
  EXPECT_EQ(together.code, 0);
  EXPECT_EQ(together.out, "Ошибок: 0,   Предупреждений: 0.\n");
  EXPECT_EQ(RunCtl({"check", plu}).code, qm::ctl::kExitFindings);  // a fresh table has 1

  // The model decides the limits: 1000-PLU scales keep no messages at all.
  const CtlResult small = RunCtl({"--version", "1000", "check", plu});
  EXPECT_NE(small.out.find("Номер сообщения больше максимально допустимого (0)."),
            std::string::npos);
}

TEST_F(FileCommands, MessageFindingsStandAtTheirNumberAndTheTableSizeAtTheFile) {
  const std::string msg = WriteText("m.csv",
                                    "Сообщения,\n№,Название,\"Строка 1\"\n1,a,x\n"
                                    "2,b,1,2,3,4,5,6,7,8,9\n");
  const CtlResult r = RunCtl({"--version", "1000", "check", msg});
  EXPECT_EQ(r.code, qm::ctl::kExitFindings);
  EXPECT_EQ(r.out, msg + ": Ошибка: Количество сообщений больше максимально допустимого (0).\n" +
                       msg +
                       ": message 1: Ошибка: Число строк в сообщении больше максимально "
                       "допустимого (0).\n" +
                       msg +
                       ": message 2: Ошибка: Число строк в сообщении больше максимально "
                       "допустимого (0).\n"
                       "Ошибок: 3,   Предупреждений: 0.\n");
}

TEST_F(FileCommands, CheckListsCharactersAUtf8FileCouldNotKeep) {
  // Saved by a spreadsheet in UTF-8 with a byte-order mark; "Ω" has no place in Windows-1251.
  std::string plu =
      std::string("\xEF\xBB\xBF") + kPluHeader + "1,Ωмега,,45.50,5,0,1,1,0,0,,0,0,0\n";
  const std::string path = Path("u.csv");
  ASSERT_TRUE(qm::WriteWholeFile(path, plu).ok);
  const CtlResult r = RunCtl({"check", path});
  EXPECT_EQ(r.code, qm::ctl::kExitFindings);
  EXPECT_EQ(r.out, path +
                       ": row 1 (Наименование 1): Предупреждение: Символа \"Ω\" (U+03A9) нет в "
                       "кодировке Windows-1251, он заменён знаком \"?\".\n"
                       "Ошибок: 0,   Предупреждений: 1.\n");
}

TEST_F(FileCommands, UnreadableInputsEndWithExitTwo) {
  const CtlResult missing = RunCtl({"check", Path("nothing.csv")});
  EXPECT_EQ(missing.code, qm::ctl::kExitUsage);
  EXPECT_EQ(LineCount(missing.err), 1);
  EXPECT_NE(missing.err.find("nothing.csv"), std::string::npos);

  const std::string notData = WriteText("notes.csv", "hello,world\n");
  const CtlResult format = RunCtl({"check", notData});
  EXPECT_EQ(format.code, qm::ctl::kExitUsage);
  EXPECT_NE(format.err.find("Неверный формат файла данных."), std::string::npos);

  const std::string wrongExt = WriteText("prices.xls", std::string(kPluHeader));
  EXPECT_EQ(RunCtl({"check", wrongExt}).code, qm::ctl::kExitUsage);
}

TEST_F(FileCommands, ConvertBetweenCsvAndNativeFiles) {
  const std::string csv = WriteText("in.csv", std::string(kPluHeader) +
                                                  "7,\"Сыр Российский\",в/с,699,30,0.125,2002,20,2,"
                                                  "\"1 АЯ46\",,3,419.40,0.600\n");
  ASSERT_EQ(RunCtl({"convert", "-i", csv, "-o", Path("out.plw")}).code, 0);
  // Prices in kopecks, tares in grams; logo and sales are not kept.
  EXPECT_EQ(ReadText("out.plw"), "7\nСыр Российский\nв/с\n69900\n30\n125\n2002\n20\n2\n");

  const CtlResult back = RunCtl({"convert", "-i", Path("out.plw"), "-o", Path("back.csv")});
  EXPECT_EQ(back.code, 0);
  EXPECT_EQ(ReadText("back.csv"),
            std::string(kPluHeader) + "7,\"Сыр Российский\",в/с,699.00,30,0.125,2002,20,2,,,,,\n");

  const std::string msw =
      WriteText("m.msw", "\"Строка один\",два\n\"\"\n№,1,2\nНазвание,Первое,Второе\n");
  ASSERT_EQ(RunCtl({"convert", "-i", msw, "-o", Path("m.csv")}).code, 0);
  EXPECT_EQ(ReadText("m.csv"),
            "Сообщения,\n№,Название,\"Строка 1\",\"Строка 2\"\n1,Первое,\"Строка один\",два\n"
            "2,Второе,\n");
}

TEST_F(FileCommands, AFailedConversionLeavesTheTargetAsItWas) {
  const std::string csv =
      WriteText("in.csv", std::string(kPluHeader) + "1,a,,1,1,0,1,1,0,0,,0,0,0\n");
  const std::string old = WriteText("out.msw", "old\n");
  // A PLU table has no place in a message file.
  const CtlResult r = RunCtl({"convert", "-i", csv, "-o", old});
  EXPECT_EQ(r.code, qm::ctl::kExitUsage);
  EXPECT_EQ(ReadText("out.msw"), "old\n");
  // A folder that does not exist: nothing is created, no temporary file is left.
  EXPECT_EQ(RunCtl({"convert", "-i", csv, "-o", Path("no/such/dir/x.plw")}).code,
            qm::ctl::kExitUsage);
  EXPECT_FALSE(Exists("no"));
}

TEST_F(FileCommands, MatchPutsRowsAtTheirNumbers) {
  const std::string in = WriteText("in.csv", std::string(kPluHeader) +
                                                 "3,Три,,3,1,0,3,1,0,0,,0,0,0\n"
                                                 "1,Один,,1,1,0,1,1,0,0,,0,0,0\n"
                                                 "250,Много,,1,1,0,1,1,0,0,,0,0,0\n"
                                                 "5,Пять,,5,1,0,5,1,0,0,,0,0,0\n");
  const CtlResult r = RunCtl({"--version", "200", "match", "-i", in, "-o", Path("out.plw")});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "Номера товаров и PLU приведены в соответствие.\n5 PLU\n");
  EXPECT_EQ(ReadText("out.plw"),
            "1\nОдин\n\n100\n1\n0\n1\n1\n0\n"
            "2\n\n\n0\n0\n0\n0\n0\n0\n"
            "3\nТри\n\n300\n1\n0\n3\n1\n0\n"
            "4\n\n\n0\n0\n0\n0\n0\n0\n"
            "5\nПять\n\n500\n1\n0\n5\n1\n0\n");
}

TEST_F(FileCommands, AMessageNumberNoScaleHoldsIsAFileError) {
  // 32 bytes that once asked for a 319 MB file: refused before anything is sized by the number.
  for (const char* number : {"30000000", "2000000000", "1001"}) {
    SCOPED_TRACE(number);
    const std::string m =
        WriteText("m.csv", std::string("Сообщения,\n№,Название\n") + number + ",x\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"convert", "-i", m, "-o", Path("out.msw")},
          std::vector<std::string>{"check", m}}) {
      const CtlResult r = RunCtl(args);
      EXPECT_EQ(r.code, qm::ctl::kExitUsage);
      EXPECT_EQ(r.err, "qmctl: " + m + ": Номер сообщения " + number +
                           " в строке 1 больше максимально допустимого (1000).\n");
      EXPECT_FALSE(Exists("out.msw"));
    }
  }
}

TEST_F(FileCommands, ConvertWritesBytesALayoutCannotCarryAsBlanksAndSaysWhere) {
  // 0x1A ends a .plw file: a quoted name holding it once made 3 rows come back as 1.
  const std::string csv = Path("sub.csv");
  ASSERT_TRUE(qm::WriteWholeFile(csv, qm::Win1251(std::string(kPluHeader)) +
                                          "1,\"A\x1A\",,1.00\r\n2,B,,2.00\r\n3,C,,3.00\r\n")
                  .ok);
  const CtlResult r = RunCtl({"convert", "-i", csv, "-o", Path("out.plw")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, Path("out.plw") +
                       ": row 1 (Наименование 1): Предупреждение: Символ 0x1A нельзя записать в "
                       "этот файл, он заменён пробелом.\n");
  const CtlResult back = RunCtl({"convert", "-i", Path("out.plw"), "-o", Path("back.csv")});
  EXPECT_EQ(back.out, "3 PLU\n");
}

}  // namespace
}  // namespace qmtest

namespace qmtest {
namespace {

// A UTF-8 file with letters Windows-1251 cannot hold: every command that loads it names them on
// stderr; convert, write-plu and write-msg then stop with exit 1 unless --force, with nothing
// written. The port does not exist, so a write that went on ends with exit 3 (link failure).
TEST_F(FileCommands, LettersWindows1251CannotHoldAreNamedAndStopConvertAndWrites) {
  const std::string plu = Path("pl.csv");
  ASSERT_TRUE(qm::WriteWholeFile(
                  plu, std::string(kPluHeader) + "1,Kiełbasa łódzka,,45.50,5,0,1,1,0,0,,0,0,0\n")
                  .ok);
  const std::string msg = Path("pl-msg.csv");
  ASSERT_TRUE(qm::WriteWholeFile(msg, "Сообщения,\n№,Название\n1,Promocja,Świeże\n").ok);
  const std::string port = Path("no-such-port");
  const std::string l = plu +
                        ": row 1 (Наименование 1): Предупреждение: Символа \"ł\" (U+0142) "
                        "нет в кодировке Windows-1251, он заменён знаком \"?\".\n";
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string warnings;  // the start of stderr
  };
  const Case cases[] = {
      {{"convert", "-i", plu, "-o", Path("out.plw")}, qm::ctl::kExitFindings, l},
      {{"convert", "-i", plu, "-o", Path("out.plw"), "--force"}, 0, l},
      {{"match", "-i", plu, "-o", Path("m.csv")}, 0, l},
      {{"--port", port, "write-plu", "-i", plu}, qm::ctl::kExitFindings, l},
      {{"--port", port, "write-plu", "-i", plu, "--force"}, qm::ctl::kExitLink, l},
      {{"--port", port, "write-msg", "-i", msg},
       qm::ctl::kExitFindings,
       msg + ": row 1 (Строка 1): Предупреждение: Символа \"Ś\" (U+015A) нет в кодировке "
             "Windows-1251, он заменён знаком \"?\".\n"},
      {{"--port", port, "verify", "-i", plu}, qm::ctl::kExitLink, l},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[2]);
    std::filesystem::remove(Path("out.plw"));
    const CtlResult r = RunCtl(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(r.err.substr(0, c.warnings.size()), c.warnings);
    if (c.args[0] == "convert") {
      EXPECT_EQ(Exists("out.plw"), c.code == 0);
    }
  }
}

// A UTF-8 data file that is not well-formed is named by its line under the usual first line.
TEST_F(FileCommands, AFileRefusedForOneLineNamesIt) {
  const std::string csv = Path("broken.csv");
  const std::pair<std::string, std::string> cases[] = {
      {"1,Сыр,,1\n2,Сыр \xD1,,2\n", "line 4: not valid UTF-8"},
      {"1,\"Сыр\n\"\"Ламбер\"\"\",,1\n", "line 3: a line break inside a quoted cell"},
  };
  for (const auto& [rows, why] : cases) {
    ASSERT_TRUE(qm::WriteWholeFile(csv, std::string(kPluHeader) + rows).ok);
    const CtlResult r = RunCtl({"convert", "-i", csv, "-o", Path("out.plw")});
    EXPECT_EQ(r.code, qm::ctl::kExitUsage);
    EXPECT_EQ(r.err, "qmctl: " + csv + ": Неверный формат файла данных.\n" + csv + ": " + why + "\n");
  }
}

// A file with its two header lines and no records converts to a file of no records, and says so.
TEST_F(FileCommands, ConvertCountsNoRecordsOfAHeadersOnlyFile) {
  struct Case {
    std::string file, output, counted;
  };
  const Case cases[] = {
      {kPluHeader, "out.plw", "0 PLU\n"},
      {"Сообщения,\n№,Название\n", "out.msw", "0 MSG\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    const CtlResult r =
        RunCtl({"convert", "-i", WriteText("in.csv", c.file), "-o", Path(c.output)});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, c.counted);
  }
}

}  // namespace
}  // namespace qmtest
