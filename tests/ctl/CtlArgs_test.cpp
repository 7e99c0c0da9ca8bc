// The command line: every mistake ends with one line on stderr and exit code 2, before any port
// is opened or file written; help is on stdout with exit code 0.
#include <gtest/gtest.h>

#include "CtlRun.h"
#include "ctl/CtlArgs.h"

namespace qmtest {
namespace {

using qm::ctl::ParseCommandLine;

TEST(CtlArgs, MistakesAreUsageErrorsWithOneClearLine) {
  const std::vector<std::vector<std::string>> bad = {
      {},                                                         // no command
      {"frobnicate"},                                             // unknown command
      {"--bogus", "check", "a.csv"},                              // unknown line option
      {"read-plu", "--last", "3", "-o"},                          // missing value
      {"read-plu", "--last", "x3", "-o", "a.csv"},                // not a number
      {"read-plu", "--last", "3"},                                // missing -o
      {"read-plu", "--last", "3", "--only", "2", "-o", "a.csv"},  // both modes
      {"read-plu", "--last", "4001", "-o", "a.csv"},              // above MaxPluNo
      {"--version", "200", "read-plu", "--last", "201", "-o", "a.csv"},
      {"--address", "100", "weigh"},                    // above MaxScaleAddress (99)
      {"--version", "600", "--address", "2", "weigh"},  // small models: address 1 only
      {"--address", "0", "weigh"},
      {"--baud", "12345", "weigh"},
      {"--parity", "sideways", "weigh"},
      {"--stop", "3", "weigh"},
      {"--model", "20", "check", "a.csv"},
      {"--port", "COM9", "weigh"},
      {"--trace=yes", "weigh"},
      {"clear-totals"},      // --yes required
      {"weigh", "--force"},  // option of another command
      {"check"},             // no file
      {"scan", "--from", "9", "--to", "3"},
      {"--model", "15", "--version", "1000", "read-msg", "--last", "1", "-o", "m.csv"},
      {"--version", "check", "a.csv"},                  // the memory version needs its number
      {"read-plu", "--last", "0x10", "-o", "a.csv"},    // numbers are decimal only
      {"check", "a.csv", "-x"},                         // unknown option among the files
      {"read-plu", "--only", "1", "-o", "a.csv", "b"},  // stray argument
  };
  for (const auto& args : bad) {
    const CtlResult r = RunCtl(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.code, qm::ctl::kExitUsage) << joined;
    EXPECT_EQ(r.out, "") << joined;
    ASSERT_FALSE(r.err.empty()) << joined;
    EXPECT_EQ(r.err.rfind("qmctl: ", 0), 0u) << joined;
  }
}

TEST(CtlArgs, NumbersOutOfRangeUseTheWindowsTexts) {
  EXPECT_NE(
      RunCtl({"read-plu", "--only", "4001", "-o", "a.csv"}).err.find("Неправильный номер PLU."),
      std::string::npos);
  EXPECT_NE(RunCtl({"--address", "100", "weigh"}).err.find("Неправильный адрес весов."),
            std::string::npos);
  EXPECT_NE(RunCtl({"read-msg", "--last", "1001", "-o", "a.csv"})
                .err.find("Неправильный номер сообщения."),
            std::string::npos);
}

TEST(CtlArgs, LineOptionsAndModelLimits) {
  const auto cl = ParseCommandLine({"--port", "com3", "--baud=19200", "--parity", "mark", "--stop",
                                    "1.5", "--model", "6", "--version", "4000", "--address", "99",
                                    "--trace", "read-plu", "--only", "0", "-o", "x.plw"});
  EXPECT_EQ(cl.line.port, "COM3");
  ASSERT_TRUE(cl.line.comPort.has_value());
  EXPECT_EQ(*cl.line.comPort, qm::TPortType::COM3);
  EXPECT_EQ(cl.line.baud, qm::TBaudRate::br19200);
  EXPECT_EQ(cl.line.parity, qm::TParityBits::prMark);
  EXPECT_EQ(cl.line.stop, qm::TStopBits::sbOne5StopBits);
  EXPECT_EQ(cl.line.address, 99);
  EXPECT_TRUE(cl.line.trace);
  EXPECT_EQ(cl.options.only, 0);  // PLU 0 is a number a single read accepts
  // A leading zero is not octal; a repeated option keeps its last value.
  EXPECT_EQ(ParseCommandLine({"verify", "-i", "a.csv", "--last", "010"}).options.last, 10);
  EXPECT_EQ(ParseCommandLine({"--address", "3", "--address", "2", "weigh"}).line.address, 2);

  const auto path = ParseCommandLine({"--port", "/dev/pts/7", "weigh", "--watch"});
  EXPECT_FALSE(path.line.comPort.has_value());
  EXPECT_EQ(path.line.port, "/dev/pts/7");
  EXPECT_TRUE(path.options.watch);
  // Windows reaches COM10 and up only through the device namespace.
  EXPECT_EQ(ParseCommandLine({"--port", "\\\\.\\COM12", "weigh"}).line.port, "\\\\.\\COM12");

  // Scan covers the model's whole address range unless told otherwise.
  EXPECT_EQ(ParseCommandLine({"scan"}).options.to, 99);
  EXPECT_EQ(ParseCommandLine({"--version", "200", "scan"}).options.to, 1);
}

TEST(CtlArgs, HelpForTheProgramAndEveryCommand) {
  const CtlResult all = RunCtl({"--help"});
  EXPECT_EQ(all.code, 0);
  for (const std::string& name : qm::ctl::CommandNames()) {
    EXPECT_NE(all.out.find("  " + name + " "), std::string::npos) << name;
    const CtlResult one = RunCtl({name, "--help"});
    EXPECT_EQ(one.code, 0) << name;
    EXPECT_EQ(one.out.rfind("qmctl ", 0), 0u) << name;
    EXPECT_NE(one.out.find(name), std::string::npos) << name;
  }
  // Help needs none of the command's required options.
  EXPECT_EQ(RunCtl({"read-plu", "--help"}).code, 0);
}

// help2man turns the help into the man pages and bash completion reads the options from it:
// the command list shows whole sentences, and every option in a command's usage line has a
// line of its own that starts with it.
TEST(CtlArgs, HelpHasTheShapeManPagesAndCompletionRead) {
  const std::string all = RunCtl({"--help"}).out;
  EXPECT_EQ(all.rfind("Usage: qmctl ", 0), 0u);
  for (const std::string& name : qm::ctl::CommandNames()) {
    const std::size_t at = all.find("\n  " + name + " ");
    ASSERT_NE(at, std::string::npos) << name;
    const std::string entry = all.substr(at + 1, all.find('\n', at + 1) - at - 1);
    EXPECT_EQ(entry.back(), '.') << entry;
    EXPECT_LE(entry.size(), 80u) << entry;

    const std::string help = qm::ctl::CommandHelp(name);
    const std::string usage = help.substr(0, help.find('\n'));
    std::string token;
    bool afterCommand = false;  // options before the command are line options
    for (const char ch : usage + " ") {
      if (std::string(" []()|").find(ch) == std::string::npos) {
        token += ch;
        continue;
      }
      if (token == name) afterCommand = true;
      if (afterCommand && token.size() > 1 && token[0] == '-') {
        EXPECT_NE(help.find("\n  " + token + " "), std::string::npos) << name << " " << token;
      }
      token.clear();
    }
  }
}

TEST(CtlArgs, VersionAloneIsTheProgramsVersion) {
  const CtlResult r = RunCtl({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("qmctl (QM Interchange) ", 0), 0u);
  EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
  // With a number it still chooses the scale's memory.
  EXPECT_EQ(ParseCommandLine({"--version", "200", "weigh"}).line.version, 200);
}

}  // namespace
}  // namespace qmtest
