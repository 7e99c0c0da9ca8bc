// What qmctl tells a user who typed something wrong or asked for help, and the forms of its
// output for scripts that need no scale: standard input and output for files, -q, and the JSON
// text.
#include <gtest/gtest.h>

#include <sstream>

#include "CtlRun.h"
#include "ctl/CommandTable.h"
#include "ctl/JsonText.h"
#include "ctl/Suggest.h"

namespace qmtest {
namespace {

// `args` with `in` as standard input.
CtlResult RunWithInput(std::vector<std::string> args, const std::string& in) {
  std::istringstream input(in);
  std::ostringstream out, err;
  CtlResult r;
  r.code = qm::ctl::RunQmctl(args, {out, err, false, nullptr, {}, &input});
  r.out = out.str();
  r.err = err.str();
  return r;
}

// The first line of a usage error names what was meant, or where it goes.
TEST(CtlUsage, MistakesSayWhatWasMeant) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"red-plu"}, "unknown command 'red-plu'; did you mean read-plu?"},
      {{"read"}, "unknown command 'read'; did you mean read-plu, read-msg or read-totals?"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"help", "wiegh"}, "unknown command 'wiegh'; did you mean weigh?"},
      {{"--prot", "COM1", "weigh"}, "unknown option --prot; did you mean --port?"},
      {{"read-plu", "--lst", "3", "-o", "a.csv"},
       "unknown option --lst for read-plu; did you mean --last?"},
      {{"weigh", "--jsn"}, "unknown option --jsn for weigh; did you mean --json?"},
      {{"scan", "--bogus"}, "unknown option --bogus for scan"},
      {{"read-plu", "--port", "COM3", "--last", "3", "-o", "a.csv"},
       "line options go before the command: qmctl --port COM3 read-plu ..."},
      {{"weigh", "--model=6"}, "line options go before the command: qmctl --model=6 weigh ..."},
      {{"--last", "3", "read-plu", "-o", "a.csv"},
       "--last is an option of read-plu: it goes after the command"},
      {{"--baud", "9601", "weigh"},
       "unsupported baud rate 9601; --baud takes 110, 300, 600, 1200, 2400, 4800, 9600, 14400, "
       "19200, 38400, 56000, 57600 or 115200"},
      {{"read-totals", "-o", "totals.csv"},
       "read-totals writes the totals as a text report: name the file .txt, not totals.csv"},
      {{"read-totals", "-o", "/dev"},
       "read-totals writes the totals as a text report: name the file .txt, not /dev"},
      {{"convert", "-i", "-", "-o", "b.csv"},
       "convert needs --format csv, plw or msw with - (standard input)"},
      {{"convert", "-i", "-", "-o", "-", "--format", "csv"},
       "convert takes - for -i or for -o, not both: name a file for one"},
      {{"convert", "-i", "a.csv", "-o", "b.plw", "--format", "csv"},
       "--format is for - (standard input or output); a file's name ends in its layout"},
      {{"read-plu", "--last", "3", "-o", "-", "--format", "xls"},
       "option --format takes csv, plw or msw, not 'xls'"},
      {{"help", "weigh", "scan"}, "help takes one command at most"},
  };
  for (const auto& [args, text] : cases) {
    const CtlResult r = RunCtl(args);
    EXPECT_EQ(r.code, qm::ctl::kExitUsage) << text;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "qmctl: " + text);
  }
}

// Close names: a shortened name, a letter missing, extra, wrong or two swapped; nothing for a
// word too far from every name or too short to tell.
TEST(CtlUsage, SuggestionsAreTheNearestNames) {
  const std::vector<std::string> names = {"--last", "--only", "--output", "-o", "--to"};
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"--lsat", {"--last"}},   {"--lat", {"--last"}},        {"--olny", {"--only"}},
      {"--outptu", {"--output"}}, {"--o", {"--only", "--output"}}, {"--xyz", {}},
      {"--ts", {}},             {"-", {}},                    {"--lastt", {"--last"}},
  };
  for (const auto& [typed, expected] : cases) {
    EXPECT_EQ(qm::ctl::Suggestions(typed, names), expected) << typed;
  }
  EXPECT_EQ(qm::ctl::EditDistance("prot", "port"), 1);
  EXPECT_EQ(qm::ctl::EditDistance("", "abc"), 3);
  EXPECT_EQ(qm::ctl::EditDistance("weigh", "wiegh"), 1);
}

// "qmctl help" is "qmctl --help" and "qmctl help COMMAND" is "qmctl COMMAND --help", for every
// command of the table.
TEST(CtlUsage, HelpAsACommandIsTheHelpOption) {
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"help"}, {"--help"}}, {{"help", "help"}, {"--help"}}};
  for (const qm::ctl::CommandRow& row : qm::ctl::CommandTable()) {
    cases.push_back({{"help", row.name}, {row.name, "--help"}});
  }
  for (const auto& [asked, option] : cases) {
    const CtlResult a = RunCtl(asked), b = RunCtl(option);
    EXPECT_EQ(a.code, 0) << asked.back();
    EXPECT_EQ(b.code, 0) << asked.back();
    EXPECT_EQ(a.out, b.out) << asked.back();
    EXPECT_FALSE(a.out.empty());
  }
}

TEST(CtlUsage, JsonStringsAreEscapedAndAlwaysValid) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain", "\"plain\""},
      {"say \"hi\" \\ now", "\"say \\\"hi\\\" \\\\ now\""},
      {"a\nb\tc\x01", "\"a\\u000ab\\u0009c\\u0001\""},
      {"Молоко №1 €", "\"Молоко №1 €\""},
      {"\xFF ok", "\"\\ufffd ok\""},                      // no UTF-8 at all
      {"cut \xD0", "\"cut \\ufffd\""},                    // a sequence cut short
      {"\xC0\xAF", "\"\\ufffd\\ufffd\""},                 // an overlong '/'
      {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},      // a surrogate
      {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},       // four bytes pass
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(qm::ctl::JsonString(text), json) << json;
}

class CtlStreams : public CtlTest {};

// "-" reads a file from standard input and writes one to standard output in the layout
// --format names; the lines that say how it went move to stderr so that stdout is the file
// alone, and a file's place in a message is "stdin" or "stdout", not a temporary name.
TEST_F(CtlStreams, DashIsStandardInputAndOutput) {
  const std::string csv =
      "Товары,\n\"Товар №\",\"Наименование 1\",\"Наименование 2\",Цена,\"Срок хранения\","
      "\"Вес тары\",Код,\"Код группы\",\"Сообщение №\",Логотип,\"Начало продаж\",Количество,"
      "Сумма,Вес\n1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n";
  const std::string file = WriteText("in.csv", csv);
  std::string bytes;
  ASSERT_TRUE(qm::ReadWholeFile(file, bytes).ok);

  // In and out again, by way of the native layout.
  const CtlResult toPlw =
      RunWithInput({"convert", "-i", "-", "--format", "csv", "-o", Path("a.plw")}, bytes);
  ASSERT_EQ(toPlw.code, 0) << toPlw.err;
  EXPECT_EQ(toPlw.out, "1 PLU\n");
  const CtlResult back =
      RunCtl({"convert", "--input", Path("a.plw"), "--output", "-", "--format", "csv"});
  ASSERT_EQ(back.code, 0) << back.err;
  EXPECT_EQ(back.err, "1 PLU\n");
  ASSERT_EQ(RunCtl({"convert", "-i", Path("a.plw"), "-o", Path("back.csv")}).code, 0);
  std::string viaFile;
  ASSERT_TRUE(qm::ReadWholeFile(Path("back.csv"), viaFile).ok);
  EXPECT_EQ(back.out, viaFile);
  EXPECT_NE(back.out.find("1,\xCC\xEE\xEB\xEE\xEA\xEE,,45.50,5"), std::string::npos);
  std::string plw;
  ASSERT_TRUE(qm::ReadWholeFile(Path("a.plw"), plw).ok);
  const CtlResult plwOut = RunCtl({"convert", "-i", file, "-o", "-", "--format", "plw"});
  EXPECT_EQ(plwOut.out, plw);

  // What the command says of the file names it as the stream.
  const CtlResult findings = RunWithInput(
      {"match", "-i", "-", "--format", "csv", "-o", Path("m.csv")}, "not a data file\r\n");
  EXPECT_EQ(findings.code, qm::ctl::kExitUsage);
  EXPECT_EQ(findings.err, "qmctl: stdin: Неверный формат файла данных.\n");
  const CtlResult layout = RunCtl({"convert", "-i", file, "-o", "-", "--format", "msw"});
  EXPECT_EQ(layout.err, "qmctl: stdout: a PLU table is written to a .csv or .plw file\n");
  EXPECT_EQ(layout.out, "");
}

// -q leaves out the lines that only say how it went, before or after the command; findings and
// errors stay.
TEST_F(CtlStreams, QuietKeepsErrorsAndFindings) {
  const std::string file = WriteText(
      "in.csv",
      "Товары,\n\"Товар №\",\"Наименование 1\",\"Наименование 2\",Цена,\"Срок хранения\","
      "\"Вес тары\",Код,\"Код группы\",\"Сообщение №\",Логотип,\"Начало продаж\",Количество,"
      "Сумма,Вес\n1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n5000,Хлеб,,1.00,5,0,1,1,0,0,,0,0,0\n");
  struct Case {
    std::vector<std::string> args;
    std::string out, err;
  };
  const std::vector<Case> cases = {
      {{"convert", "-i", file, "-o", Path("a.plw")}, "2 PLU\n", ""},
      {{"-q", "convert", "-i", file, "-o", Path("b.plw")}, "", ""},
      {{"convert", "--quiet", "-i", file, "-o", Path("c.plw")}, "", ""},
      {{"-q", "match", "-i", file, "-o", Path("m.csv")}, "", ""},
      {{"-q", "convert", "-i", Path("missing.csv"), "-o", Path("d.plw")}, "",
       "qmctl: cannot read " + Path("missing.csv") + ": No such file or directory\n"},
  };
  for (const Case& c : cases) {
    const CtlResult r = RunCtl(c.args);
    EXPECT_EQ(r.out, c.out) << c.args[1];
    EXPECT_EQ(r.err, c.err) << c.args[1];
  }
  // The findings of check are its result: they stay.
  const CtlResult check = RunCtl({"-q", "check", file});
  EXPECT_EQ(check.code, qm::ctl::kExitFindings);
  EXPECT_NE(check.out.find("Ошибка"), std::string::npos);
}

}  // namespace
}  // namespace qmtest
