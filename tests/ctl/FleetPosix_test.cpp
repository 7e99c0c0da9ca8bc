// qmctl fleet against four virtual scales: "deli" and "bakery" on lines of their own, "fish"
// and "meat" sharing a third line at addresses 1 and 2, where nobody answers at address 2. Meat
// names the line through a link, as a /dev/serial/by-id name would: it is still fish's line, so
// the two must not open it at the same time.
#include "ctl/Fleet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <mutex>
#include <sstream>

#include "CtlRun.h"
#include "base/TickSource.h"
#include "ctl/CtlArgs.h"
#include "sim/VirtualScale.h"

namespace qmtest {
namespace {

using qm::ctl::FleetScale;

// One line of a text split at commas (the report holds no quoted commas here).
std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
  return fields;
}

class Fleet : public CtlTest {
 protected:
  Fleet() {
    for (qmsim::VirtualScale* s : {&deli, &bakery, &fish}) s->SetWeightMoving(false);
    std::filesystem::create_symlink(fish.SlavePath(), Path("fish-line"));
    conf = WriteText("scales.conf",
                     "# name  port  address [model [version]]\n"
                     "deli   " +
                         deli.SlavePath() +
                         "  1\n"
                         "\n"
                         "bakery " +
                         bakery.SlavePath() +
                         "  1  15 4000\n"
                         "fish   " +
                         fish.SlavePath() +
                         "  1   # shares its line\n"
                         "meat   " +
                         Path("fish-line") + "  2\n");
  }

  // Each scale's link on virtual time, quiet when the virtual scale on its line is; the pauses
  // between runs are only noted. `onStart` is called as each run of a scale starts.
  CtlResult Run(std::vector<std::string> args,
                std::function<void(const FleetScale&)> onStart = {}) {
    std::map<std::string, qmsim::VirtualScale*> byPort;
    for (qmsim::VirtualScale* s : {&deli, &bakery, &fish}) byPort[s->SlavePath()] = s;
    byPort[Path("fish-line")] = &fish;
    qm::ctl::FleetTicks ticks = [byPort, onStart](
                                    const FleetScale& s) -> std::unique_ptr<qm::TickSource> {
      if (onStart) onStart(s);
      qmsim::VirtualScale* scale = byPort.at(s.port);
      return std::make_unique<qm::VirtualTicks>([scale] { return scale->Quiet(); });
    };
    qm::ctl::FleetPause pause = [this](std::chrono::milliseconds p) {
      std::lock_guard<std::mutex> lock(pausesMutex);
      pauses.push_back(p);
    };
    std::ostringstream out, err;
    CtlResult r;
    qm::ctl::CtlIo io{out, err};
    r.code = qm::ctl::RunFleet(args, io, ticks, pause);
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  // The lines of a text headed "[name] ".
  static std::vector<std::string> LinesOf(const std::string& text, const std::string& name) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("[" + name + "] ", 0) == 0) lines.push_back(line.substr(name.size() + 3));
    }
    return lines;
  }
  // Whether every scale's lines stand together.
  static bool Whole(const std::string& text) {
    std::vector<std::string> order;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] != '[') continue;
      const std::string name = line.substr(1, line.find(']') - 1);
      if (order.empty() || order.back() != name) order.push_back(name);
    }
    std::vector<std::string> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    return std::unique(sorted.begin(), sorted.end()) == sorted.end();
  }

  // The report's rows, seconds left out.
  std::vector<std::vector<std::string>> ReportRows(const std::string& name) {
    std::string csv;  // UTF-8 as it stands
    EXPECT_TRUE(qm::ReadWholeFile(Path(name), csv).ok);
    std::istringstream report(csv);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(report, line);) {
      std::vector<std::string> f = Split(line);
      EXPECT_EQ(f.size(), 6u) << line;
      if (f.size() > 4) f[4] = "s";
      rows.push_back(f);
    }
    return rows;
  }

  qmsim::VirtualScale deli, bakery, fish;
  std::string conf;
  std::mutex pausesMutex;
  std::vector<std::chrono::milliseconds> pauses;
};

using Rows = std::vector<std::vector<std::string>>;

TEST_F(Fleet, AWriteReachesEveryAnsweringScaleAndTheReportNamesTheSilentOne) {
  const std::string prices = WriteText("prices.csv", std::string(kPluHeader) +
                                                         "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n"
                                                         "2,Хлеб,,12.50,3,0,2,1,0,0,,0,0,0\n");
  const CtlResult r = Run(
      {"fleet", "-c", conf, "--jobs", "3", "--report", Path("r.csv"), "write-plu", "-i", prices});
  EXPECT_EQ(r.code, qm::ctl::kExitNotAllScales) << r.err;
  for (qmsim::VirtualScale* s : {&deli, &bakery, &fish}) {
    EXPECT_TRUE(s->Plu(1) && s->Plu(2));
  }
  EXPECT_EQ(LinesOf(r.out, "deli"), std::vector<std::string>{"Таблица товаров записана."});
  EXPECT_TRUE(LinesOf(r.out, "meat").empty());
  EXPECT_EQ(LinesOf(r.err, "meat"), std::vector<std::string>{"qmctl: Ошибка связи с весами."});
  EXPECT_TRUE(Whole(r.out) && Whole(r.err));
  EXPECT_NE(r.out.find("3 of 4 scales done in "), std::string::npos);

  // The report: one row per scale in file order; seconds are the only figure that varies.
  EXPECT_EQ(ReportRows("r.csv"), (Rows{
                      {"scale", "result", "exit code", "records", "s", "message"},
                      {"deli", "done", "0", "2", "s", "Таблица товаров записана."},
                      {"bakery", "done", "0", "2", "s", "Таблица товаров записана."},
                      {"fish", "done", "0", "2", "s", "Таблица товаров записана."},
                      {"meat", "link failed", "3", "0", "s", "Ошибка связи с весами."},
                  }));
}

// A lost link is tried again, a refusal never: the scale said no, and asking again would only
// write the same records once more.
TEST_F(Fleet, RetryGoesOnlyToLinkFailuresAndReadsGoToAFileEachByName) {
  for (qmsim::VirtualScale* s : {&deli, &fish}) s->SetPlu(3, qmsim::Bytes(100, 0));
  qmsim::Faults refuse;
  refuse.refusedCommands = {qmsim::kCmdReadPlu};
  bakery.SetFaults(refuse);

  const CtlResult r = Run({"fleet", "-c", conf, "--retry", "2", "read-plu", "--only", "3", "-o",
                           Path("plu-{name}.csv")});
  EXPECT_EQ(r.code, qm::ctl::kExitNotAllScales);
  EXPECT_TRUE(Exists("plu-deli.csv") && Exists("plu-fish.csv"));
  EXPECT_FALSE(Exists("plu-bakery.csv") || Exists("plu-meat.csv"));
  EXPECT_EQ(bakery.CommandCount(qmsim::kCmdReadPlu), 1u);
  const std::vector<std::string> meat = LinesOf(r.err, "meat");
  ASSERT_EQ(meat.size(), 5u);
  EXPECT_EQ(meat[1], "qmctl: the link failed; attempt 2 of 3");
  EXPECT_EQ(meat[3], "qmctl: the link failed; attempt 3 of 3");
  EXPECT_EQ(LinesOf(r.err, "bakery").size(), 1u);  // the refusal, once
  // Each run again after a longer pause: the line may need the time to come back.
  EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{std::chrono::seconds(1),
                                                             std::chrono::seconds(2)}));
}

// An interrupt stops the scale at work and starts no other; what finished is reported, no file
// of an unfinished read is written, and the exit code is the signal's.
TEST_F(Fleet, AnInterruptReportsWhatFinishedAndMarksTheRestInterrupted) {
  for (qmsim::VirtualScale* s : {&deli, &bakery, &fish}) {
    s->SetPlu(1, qmsim::Bytes(100, 0));
    s->SetPlu(2, qmsim::Bytes(100, 0));
  }
  WriteText("plu-fish.csv", "old\n");
  const CtlResult r = Run({"fleet", "-c", conf, "--jobs", "1", "--report", Path("r.csv"),
                           "read-plu", "--last", "2", "-o", Path("plu-{name}.csv")},
                          [](const FleetScale& s) {
                            if (s.name == "fish") qm::ctl::RequestStop(SIGTERM);
                          });
  EXPECT_EQ(r.code, 128 + SIGTERM) << r.err;
  EXPECT_EQ(ReadText("plu-fish.csv"), "old\n");
  EXPECT_TRUE(Exists("plu-deli.csv") && Exists("plu-bakery.csv") && !Exists("plu-meat.csv"));
  EXPECT_NE(r.out.find("2 of 4 scales done"), std::string::npos) << r.out;
  EXPECT_EQ(ReportRows("r.csv"),
            (Rows{{"scale", "result", "exit code", "records", "s", "message"},
                  {"deli", "done", "0", "2", "s", "2 PLU"},
                  {"bakery", "done", "0", "2", "s", "2 PLU"},
                  {"fish", "interrupted", "143", "1", "s", "interrupted"},
                  {"meat", "interrupted", "143", "0", "s", "interrupted before it started"}}));
}

// The report may replace no file of the run, and must be a file that can be written; either is
// told before anything starts.
TEST_F(Fleet, AReportOverAFileOfTheRunOrNowhereIsRefusedBeforeAnythingStarts) {
  const std::string prices = WriteText("prices.csv", std::string(kPluHeader) +
                                                         "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n");
  std::filesystem::create_symlink(Path("plu-deli.csv"), Path("report-link.csv"));
  std::filesystem::create_directories(Path("folder"));
  const std::vector<std::string> write = {"write-plu", "-i", prices};
  const std::vector<std::string> read = {"read-plu", "--last", "2", "-o", Path("plu-{name}.csv")};
  struct Case {
    std::string report;
    std::vector<std::string> command;
    std::string error;
  };
  const std::vector<Case> cases = {
      {Path("./prices.csv"), write, "is an input of scale deli"},
      {Path("folder/../scales.conf"), write, "is the list of scales"},
      {Path("report-link.csv"), read, "is the output of scale deli"},
      {Path("missing/r.csv"), write, "r.csv: No such file or directory"},
      {Path("folder"), write, "folder: Is a directory"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"fleet", "-c", conf, "--report", c.report};
    args.insert(args.end(), c.command.begin(), c.command.end());
    const CtlResult r = Run(args);
    EXPECT_EQ(r.code, qm::ctl::kExitUsage) << c.report;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
  }
  EXPECT_EQ(deli.ExchangeCount() + bakery.ExchangeCount() + fish.ExchangeCount(), 0u);
  EXPECT_NE(ReadText("prices.csv").find("Молоко"), std::string::npos);
  EXPECT_NE(ReadText("scales.conf").find("deli"), std::string::npos);
}

// scales.conf as editors save it: a byte-order mark in front; a name in another encoding is
// refused at its line, since it would go raw into the UTF-8 report and file names.
TEST(FleetConfig, AByteOrderMarkIsSkippedAndNamesMustBeUtf8) {
  struct Case {
    std::string text;
    std::vector<std::string> names;
    std::string error;  // "LINE: text" of the first error
  };
  const std::vector<Case> cases = {
      {"\xEF\xBB\xBF" "deli COM1 1\n", {"deli"}, ""},
      {"\xEF\xBB\xBF# scales\n\xD0\xB2\xD0\xB5\xD1\x81\xD1\x8B COM1 1\n", {"весы"}, ""},
      {"deli COM1 1\n\xE2\xE5\xF1\xFB COM2 1\n", {"deli"}, "2: the name is not valid UTF-8 text"},
  };
  for (const Case& c : cases) {
    const qm::ctl::FleetConfig config = qm::ctl::ParseFleetConfig(c.text);
    std::vector<std::string> names;
    for (const FleetScale& s : config.scales) names.push_back(s.name);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(config.errors.empty() ? std::string()
                                    : std::to_string(config.errors[0].line) + ": " +
                                          config.errors[0].text,
              c.error);
  }
}

// One line at a time, and the scale that hangs up in the middle of the write is the only one
// that misses records.
TEST_F(Fleet, AWriteInterruptedOnOneScaleStopsNoOther) {
  const std::string prices = WriteText("prices.csv", std::string(kPluHeader) +
                                                         "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n"
                                                         "2,Хлеб,,12.50,3,0,2,1,0,0,,0,0,0\n");
  qmsim::Faults hangUp;
  hangUp.hangUpAfter = 0;  // right after acknowledging the first record
  hangUp.hangUpDelay = std::chrono::milliseconds(0);
  deli.SetFaults(hangUp);
  const CtlResult r = Run({"fleet", "-c", conf, "--jobs", "1", "write-plu", "-i", prices});
  EXPECT_EQ(r.code, qm::ctl::kExitNotAllScales);
  EXPECT_TRUE(deli.Plu(1) && !deli.Plu(2));
  EXPECT_TRUE(bakery.Plu(2) && fish.Plu(2));
  EXPECT_NE(r.out.find("\ndeli    link failed     3 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n2 of 4 scales done"), std::string::npos) << r.out;
}

// Nothing starts until the whole file and every scale's command line are right; each bad line
// is named by its number.
TEST_F(Fleet, BadLinesAreNamedAndNothingStarts) {
  struct Case {
    std::string conf;
    std::vector<std::string> args;
    std::string error;
  };
  const std::string ok = "ok " + deli.SlavePath() + " 1\n";
  std::filesystem::create_symlink(deli.SlavePath(), Path("deli-line"));
  std::filesystem::create_symlink(Path("t-ok.txt"), Path("t-b.txt"));  // not made yet
  const std::vector<std::string> totals = {"read-totals", "-o", Path("t-{name}.txt")};
  const std::vector<Case> cases = {
      {ok + "only-two COM1\n", {"weigh"}, ":2: expected NAME PORT ADDRESS [MODEL [VERSION]]"},
      {ok + "a COM1 1 15 4000 x\n", {"weigh"}, ":2: expected NAME PORT ADDRESS"},
      {ok + "ok COM1 1\n", {"weigh"}, ":2: the name 'ok' is already used on line 1"},
      {ok + "b/c COM1 1\n", {"weigh"}, ":2: the name 'b/c' may hold only"},
      {ok + "b " + deli.SlavePath() + " 1\n",
       {"weigh"},
       ":2: port " + deli.SlavePath() + ", address 1 is already the scale"},
      {ok + "b COM1 x1\n", {"weigh"}, ":2: the address 'x1' is not a number from 0 to 255"},
      {ok + "b COM1 1 16\n", {"weigh"}, ":2: the model '16' is not 6, 15 or 30"},
      {ok + "b COM1 1 15 500\n", {"weigh"}, ":2: the version '500' is not 200"},
      {ok + "b COM9 1\n", {"weigh"}, ":2: unknown port 'COM9'"},
      {ok + "b COM1 5 15 200\n", {"weigh"}, ":2: --address takes only 1 for this model"},
      {ok + "b COM1 1\n", {"read-totals", "-o", Path("t.txt")}, ":2: scales ok and b would both"},
      // One line however it is written, one file however it is named.
      {ok + "b " + Path("deli-line") + " 1\n", {"weigh"}, ":2: port " + Path("deli-line") + ", address 1 is already the scale on line 1"},
      {ok + "a tcp://127.0.0.1:4999 1\nb TCP://localhost:4999/ 1\n",
       {"weigh"},
       ":3: port TCP://localhost:4999/, address 1 is already the scale on line 2"},
      {ok + "b COM1 1\n", totals, ":2: scales ok and b would both write " + Path("t-b.txt")},
      {ok, {"read-plu", "--last", "1", "-o", Path("bad.conf")}, ":1: scale ok would write " + Path("bad.conf") + ", which is the list of scales"},
      {ok, {"read-totals", "-o", Path("missing/t-{name}.txt")}, ":1: cannot write " + Path("missing/t-ok.txt") + ": No such file or directory"},
      {"# nothing\n\n", {"weigh"}, ": lists no scale"},
  };
  for (const Case& c : cases) {
    WriteText("bad.conf", c.conf);
    std::vector<std::string> args = {"fleet", "-c", Path("bad.conf")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CtlResult r = Run(args);
    EXPECT_EQ(r.code, qm::ctl::kExitUsage) << c.conf;
    EXPECT_NE(r.err.find(Path("bad.conf") + c.error), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.conf;
  }
  EXPECT_EQ(deli.ExchangeCount(), 0u);
}

TEST_F(Fleet, TheCommandLineOfAFleet) {
  using qm::ctl::IsFleetLine;
  EXPECT_TRUE(IsFleetLine({"fleet", "-c", "x", "weigh"}));
  EXPECT_TRUE(IsFleetLine({"--baud", "19200", "--version", "200", "--trace", "fleet"}));
  EXPECT_TRUE(IsFleetLine({"--model=6", "--version", "fleet"}));
  EXPECT_FALSE(IsFleetLine({"--port", "fleet", "weigh"}));  // a device named "fleet"
  EXPECT_FALSE(IsFleetLine({"weigh", "fleet"}));
  EXPECT_FALSE(IsFleetLine({"--help"}));

  const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
      {{"fleet", "weigh"}, "fleet needs -c FILE"},
      {{"fleet", "-c", conf}, "fleet needs a command"},
      {{"fleet", "-c", conf, "clear-totals", "--yes"}, "not 'clear-totals'"},
      {{"fleet", "-c", conf, "--jobs", "0", "weigh"}, "--jobs of fleet needs a whole number"},
      {{"fleet", "-c", conf, "--fast", "weigh"}, "unknown option --fast for fleet"},
      {{"--port", "COM1", "fleet", "-c", conf, "weigh"}, "--port is not taken"},
      {{"fleet", "-c", conf, "weigh", "--watch"}, "no --watch"},
      {{"fleet", "-c", conf, "read-plu", "--last", "3"}, "read-plu needs -o FILE"},
      {{"fleet", "-c", Path("none.conf"), "weigh"}, "none.conf: cannot be read"},
      {{"fleet", "-c", conf, "read-plu", "--last", "3", "-o", "-", "--format", "csv"},
       "a fleet reads and writes files of its own for each scale, not -"},
  };
  for (const auto& [args, error] : mistakes) {
    const CtlResult r = Run(args);
    EXPECT_EQ(r.code, qm::ctl::kExitUsage) << error;
    EXPECT_NE(r.err.find(error), std::string::npos) << r.err;
  }
  EXPECT_EQ(deli.ExchangeCount(), 0u);
  // Through the program's own entry, help included.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"fleet", "--help"}, {"fleet", "-c", conf, "weigh", "--help"}}) {
    const CtlResult help = RunCtl(args);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, qm::ctl::CommandHelp("fleet"));
  }
}

// --json: standard output holds one object a scale, in the order of scales.conf, with the
// scales' own lines on stderr; the same word goes after the command too.
TEST_F(Fleet, JsonGivesOneObjectAScaleAndNothingElseOnStdout) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"fleet", "--json", "-c", conf, "weigh"},
        std::vector<std::string>{"fleet", "-c", conf, "weigh", "--json"}}) {
    const CtlResult r = Run(args);
    EXPECT_EQ(r.code, qm::ctl::kExitNotAllScales) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> objects;
    for (std::string line; std::getline(lines, line);) {
      // Seconds vary: everything else is pinned.
      const std::size_t at = line.find("\"seconds\": ");
      ASSERT_NE(at, std::string::npos) << line;
      line.replace(at, line.find(',', at) - at, "\"seconds\": S");
      objects.push_back(line);
    }
    const std::string weighed =
        "\"result\": \"done\", \"exit_code\": 0, \"records\": 1, \"seconds\": S, "
        "\"message\": \"Вес:";
    ASSERT_EQ(objects.size(), 4u) << r.out;
    EXPECT_EQ(objects[0].rfind("{\"name\": \"deli\", \"port\": \"" + deli.SlavePath() +
                                   "\", \"address\": 1, " + weighed,
                               0),
              0u)
        << objects[0];
    EXPECT_EQ(objects[3], "{\"name\": \"meat\", \"port\": \"" + Path("fish-line") +
                              "\", \"address\": 2, \"result\": \"link failed\", \"exit_code\": 3, "
                              "\"records\": 0, \"seconds\": S, \"message\": \"Ошибка связи с "
                              "весами.\"}");
    EXPECT_EQ(LinesOf(r.err, "meat"), std::vector<std::string>{"qmctl: Ошибка связи с весами."});
    EXPECT_FALSE(LinesOf(r.err, "deli").empty());
  }
}

}  // namespace
}  // namespace qmtest
