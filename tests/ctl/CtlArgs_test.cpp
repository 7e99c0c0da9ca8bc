// The command line: every mistake ends with one line on stderr and exit code 2, before any port
// is opened or file written; help is on stdout with exit code 0.
#include <gtest/gtest.h>

#include "CtlRun.h"
#include "ctl/CommandTable.h"
#include "ctl/CtlArgs.h"
#include "ctl/FleetConfig.h"

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

// A number out of range is a usage error in English that names the range of the chosen model
// and memory version.
TEST(CtlArgs, NumbersOutOfRangeNameTheModelsRange) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"read-plu", "--only", "4001", "-o", "a.csv"}, "--only takes 0 to 4000 for this model"},
      {{"read-plu", "--last", "0", "-o", "a.csv"}, "--last takes 1 to 4000 for this model"},
      {{"--version", "600", "verify", "-i", "a.csv", "--last", "601"},
       "--last takes 1 to 600 for this model"},
      {{"--address", "100", "weigh"}, "--address takes 1 to 99 for this model"},
      {{"--version", "200", "--address", "2", "weigh"}, "--address takes only 1 for this model"},
      {{"read-msg", "--last", "1001", "-o", "a.csv"}, "--last takes 1 to 1000 for this model"},
      {{"--model", "15", "--version", "1000", "read-msg", "--only", "0", "-o", "a.csv"},
       "--only takes 1 to "},
  };
  for (const auto& [args, text] : cases) {
    const CtlResult r = RunCtl(args);
    EXPECT_EQ(r.code, qm::ctl::kExitUsage) << text;
    EXPECT_EQ(r.err.rfind("qmctl: " + text, 0), 0u) << r.err;
  }
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

// Every row of the command table is listed by the program's help in table order, has its own
// help page, and parses. help2man turns the help into the man pages and bash completion reads
// the options from it: the command list shows whole sentences, and every option in a command's
// usage line has a line of its own that starts with it.
TEST(CtlArgs, EveryRowOfTheCommandTableIsListedHelpedAndParsed) {
  const CtlResult all = RunCtl({"--help"});
  EXPECT_EQ(all.code, 0);
  EXPECT_EQ(all.out.rfind("Usage: qmctl ", 0), 0u);
  std::size_t previous = 0;
  for (const qm::ctl::CommandRow& row : qm::ctl::CommandTable()) {
    const std::string name = row.name;
    const std::size_t at = all.out.find("\n  " + name + " ");
    ASSERT_NE(at, std::string::npos) << name;
    EXPECT_GT(at, previous) << name;  // in the order of the table
    previous = at;
    const std::string entry = all.out.substr(at + 1, all.out.find('\n', at + 1) - at - 1);
    EXPECT_EQ(entry.substr(16), row.summary) << entry;
    EXPECT_EQ(entry.back(), '.') << entry;
    EXPECT_LE(entry.size(), 80u) << entry;

    // Help needs none of the command's required options.
    const CtlResult one = RunCtl({name, "--help"});
    EXPECT_EQ(one.code, 0) << name;
    EXPECT_EQ(one.out, row.help) << name;
    EXPECT_EQ(one.out.rfind("qmctl ", 0), 0u) << name;
    EXPECT_NE(one.out.find(name), std::string::npos) << name;
    const std::string usage = one.out.substr(0, one.out.find('\n'));
    std::string token;
    bool afterCommand = false;  // options before the command are line options
    for (const char ch : usage + " ") {
      if (std::string(" []()|").find(ch) == std::string::npos) {
        token += ch;
        continue;
      }
      if (token == name) afterCommand = true;
      if (afterCommand && token.size() > 1 && token[0] == '-') {
        // "  -o FILE ..." or "  -o, --output FILE ...".
        EXPECT_TRUE(one.out.find("\n  " + token + " ") != std::string::npos ||
                    one.out.find("\n  " + token + ", ") != std::string::npos)
            << name << " " << token;
      }
      token.clear();
    }
  }
  // The fleet runs rows of the table, in its own order, and names them so when it refuses one.
  EXPECT_EQ(qm::ctl::FleetCommandNames(),
            (std::vector<std::string>{"read-plu", "write-plu", "read-msg", "write-msg",
                                      "read-totals", "verify", "weigh"}));
  EXPECT_NE(RunCtl({"fleet", "-c", "x", "scan"})
                .err.find("fleet runs read-plu, write-plu, read-msg, write-msg, read-totals, "
                          "verify or weigh, not 'scan'"),
            std::string::npos);
}

// qmctl and the fleet's list of scales take exactly the models and versions of the model table,
// and name them all when they refuse another.
TEST(CtlArgs, EveryModelAndVersionOfTheTableIsTakenAndNoOther) {
  struct Case {
    int model, version;
    bool known;
  };
  std::vector<Case> cases = {{0, 4000, false}, {16, 4000, false}, {15, 0, false},
                             {15, 500, false}, {15, 4001, false}};
  for (const qm::ScaleModelRow& m : qm::kScaleModels) {
    for (const qm::ScaleVersionRow& v : qm::kScaleVersions) cases.push_back({m.kg, v.plus, true});
  }
  for (const Case& c : cases) {
    const std::string model = std::to_string(c.model), version = std::to_string(c.version);
    const CtlResult r = RunCtl({"--model", model, "--version", version, "check", "--help"});
    EXPECT_EQ(r.code, c.known ? 0 : qm::ctl::kExitUsage) << model << " " << version;
    const qm::ctl::FleetConfig config =
        qm::ctl::ParseFleetConfig("a COM1 1 " + model + " " + version + "\n");
    EXPECT_EQ(config.errors.empty(), c.known) << model << " " << version;
    if (c.known) {
      EXPECT_EQ(ParseCommandLine({"--model", model, "--version", version, "check", "a.csv"})
                    .line.model,
                c.model);
      continue;
    }
    const bool badModel = !qm::FindScaleModel(c.model);
    EXPECT_NE(r.err.find(badModel ? "takes 6, 15 or 30" : "takes 200, 600, 1000 or 4000"),
              std::string::npos)
        << r.err;
    ASSERT_EQ(config.errors.size(), 1u);
    EXPECT_EQ(config.errors[0].text,
              badModel ? "the model '" + model + "' is not 6, 15 or 30"
                       : "the version '" + version + "' is not 200, 600, 1000 or 4000");
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
