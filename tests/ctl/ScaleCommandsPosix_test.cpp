// The scale commands against the virtual scale on a pseudo-terminal: the files they write, the
// records they send, and every way they end (refusal, silence, a scale that is not ready,
// findings, a port that does not exist).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string_view>

#include "CtlRun.h"
#include "ctl/Commands.h"
#include "ctl/LinkSession.h"
#include "sim/VirtualScale.h"
#include "support/ScaleBytes.h"
#include "support/ScaleRig.h"
#include "support/PtyPair.h"

namespace qmtest {
namespace {

// PLU 4 as the scale holds it, byte by byte: item code 123 (digits least significant first),
// name "ABC", price 12.50 (1250 kopecks), shelf life 0 days, tare 125 g, group 7, no message,
// no sales.
Bytes Plu4() {
  return Cat({HexBytes("04 00 00 00"), HexBytes("03 02 01 00 00 00"), Ascii("ABC", 28),
              Ascii("", 28), HexBytes("E2 04 00 00"), HexBytes("00 00 00"), HexBytes("7D 00"),
              HexBytes("07 00 00 00 00 00"), HexBytes("00 00"), Bytes(17, 0)});
}

class ScaleCommands : public CtlTest, protected ScaleForProgram {
 protected:
  ScaleCommands() { scale.SetWeightMoving(false); }

  CtlResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", scale.SlavePath()});
    return RunCtl(args, &ticks);
  }
  std::string Prices() {
    return WriteText("prices.csv", std::string(kPluHeader) +
                                       "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n"
                                       "2,Хлеб,,12.50,3,0.125,2,1,0,0,,0,0,0\n");
  }
  void Fault(const std::function<void(qmsim::Faults&)>& set) {
    qmsim::Faults f;
    set(f);
    scale.SetFaults(f);
  }
};

TEST_F(ScaleCommands, ReadPluWritesTheWindowsFileLayouts) {
  scale.SetPlu(4, Plu4());
  const CtlResult one = Run({"read-plu", "--only", "4", "-o", Path("one.plw")});
  EXPECT_EQ(one.code, 0) << one.err;
  EXPECT_EQ(one.out, "1 PLU\n");
  EXPECT_EQ(ReadText("one.plw"), "4\nABC\n\n1250\n0\n125\n123\n7\n0\n");

  // A table read skips the numbers the scale refuses; the rows follow one another.
  scale.SetPlu(2, Cat({HexBytes("02 00 00 00"), Bytes(96, 0)}));
  const CtlResult table = Run({"read-plu", "--last", "5", "-o", Path("table.csv")});
  EXPECT_EQ(table.code, 0) << table.err;
  EXPECT_EQ(table.out, "Таблица товаров считана.\n2 PLU\n");
  EXPECT_EQ(ReadText("table.csv"),
            std::string(kPluHeader) +
                "2,,,0,0,0,0,0,0,0,\"00.00.00, 00:00:00\",0,0,0\n"
                "4,ABC,,12.50,0,0.125,123,7,0,0,\"00.00.00, 00:00:00\",0,0,0\n");
  EXPECT_EQ(scale.CommandCount(qmsim::kCmdReadPlu), 6u);
}

TEST_F(ScaleCommands, VerifyAfterWriteFindsNothingAndThenExactlyTheChangedPrice) {
  const std::string prices = Prices();
  const CtlResult write = Run({"write-plu", "-i", prices});
  ASSERT_EQ(write.code, 0) << write.err;
  EXPECT_EQ(write.out, "Таблица товаров записана.\n");
  // The record the window would send: PLU 2, price 12.50 = E2 04 00 00, tare 0.125 = 7D 00.
  const Bytes sent = *scale.Plu(2);
  EXPECT_EQ(Bytes(sent.begin() + 66, sent.begin() + 70), HexBytes("E2 04 00 00"));
  EXPECT_EQ(Bytes(sent.begin() + 73, sent.begin() + 75), HexBytes("7D 00"));

  const CtlResult same = Run({"verify", "-i", prices});
  EXPECT_EQ(same.code, 0) << same.err;
  EXPECT_EQ(same.out, "2 PLU match\n");

  Bytes changed = sent;
  changed[66] = 0xE8;  // 1000 kopecks
  changed[67] = 0x03;
  scale.SetPlu(2, changed);
  const CtlResult differ = Run({"verify", "-i", prices});
  EXPECT_EQ(differ.code, qm::ctl::kExitFindings);
  EXPECT_EQ(differ.out, "PLU 2, Цена: \"12.50\" in the file, \"10.00\" in the scale\n");
  // Reading the whole range back finds the same, and a PLU missing from the scale too.
  scale.ErasePlu(1);
  const CtlResult range = Run({"verify", "-i", prices, "--last", "3"});
  EXPECT_EQ(range.code, qm::ctl::kExitFindings);
  EXPECT_EQ(range.out,
            "PLU 1: Данные PLU номер 1 не запрограммированы.\n"
            "PLU 2, Цена: \"12.50\" in the file, \"10.00\" in the scale\n");
}

// How each command ended is handed back whole, for the fleet's report: the exit code, the
// records the scale stored or acknowledged, and the line that said how it ended.
TEST_F(ScaleCommands, EveryWayACommandEndsIsItsOutcome) {
  struct Case {
    std::function<void()> setUp;
    std::vector<std::string> args;  // after the line options
    qm::ctl::CommandOutcome want;
    bool said = true;  // the summary was the last line on stdout (done) or stderr
  };
  const std::string prices = Prices();
  const std::string bad =
      WriteText("bad.csv", std::string(kPluHeader) + "1,Хлеб,,12a,3,0,2,1,0,0,,0,0,0\n");
  const auto none = [] {};
  const std::vector<Case> cases = {
      {none, {"write-plu", "-i", prices}, {0, 2, "Таблица товаров записана."}},
      // PLU 3 is refused on the way and said so; the read is done all the same.
      {none, {"read-plu", "--last", "3", "-o", Path("out.csv")}, {0, 2, "2 PLU"}},
      {[this] {
         Bytes changed = *scale.Plu(2);
         changed[66] = 0xE8;
         scale.SetPlu(2, changed);
       },
       {"verify", "-i", prices}, {1, 2, "1 difference"}, false},
      {none,
       {"write-plu", "-i", bad},
       {1, 0, "nothing was written; --force writes despite the findings"}},
      {[this] { Fault([](qmsim::Faults& f) { f.refusedPlus = {2}; }); },
       {"read-plu", "--only", "2", "-o", Path("two.csv")},
       {1, 0, "Данные PLU номер 2 не запрограммированы."}},
      {[this] { Fault([](qmsim::Faults& f) { f.refusedPlus = {2}; }); },
       {"write-plu", "-i", prices}, {1, 1, "Ошибка записи PLU номер 2"}},
      // With --trace the frames follow on stderr; the outcome still names the failure.
      {[this] { Fault([](qmsim::Faults& f) { f.silent = true; }); },
       {"--trace", "read-totals", "-o", Path("t.txt")}, {3, 0, "Ошибка связи с весами."}, false},
      {[this] { Fault([](qmsim::Faults&) {}); }, {"read-totals", "-o", Path("missing/t.txt")},
       {2, 0, "cannot write " + Path("missing/t.txt") + ": No such file or directory"}},
      {none, {"convert", "-i", prices, "-o", Path("p.plw")}, {0, 0, "2 PLU"}},
  };
  for (const Case& c : cases) {
    c.setUp();
    std::vector<std::string> args = {"--port", scale.SlavePath()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    qm::ctl::CtlIo io{out, err, false, &ticks};
    const qm::ctl::CommandOutcome got =
        qm::ctl::RunParsedCommand(qm::ctl::ParseCommandLine(args), io);
    const std::string name = c.args[0];
    EXPECT_EQ(got.code, c.want.code) << name << err.str();
    EXPECT_EQ(got.records, c.want.records) << name;
    EXPECT_EQ(got.summary, c.want.summary) << name;
    if (!c.said) continue;
    const std::string said = got.code == 0 ? got.summary : "qmctl: " + got.summary;
    const std::string text = got.code == 0 ? out.str() : err.str();
    EXPECT_TRUE(text.ends_with(said + "\n")) << name << ": " << text;
  }
}

TEST_F(ScaleCommands, WriteRefusesOnFindingsUnlessForced) {
  const std::string bad = WriteText("bad.csv", std::string(kPluHeader) +
                                                   "1,Молоко,,45.50,5,0,1,1,0,0,,0,0,0\n"
                                                   "2,Хлеб,,12a,3,0,2,1,0,0,,0,0,0\n");
  const CtlResult refused = Run({"write-plu", "-i", bad});
  EXPECT_EQ(refused.code, qm::ctl::kExitFindings);
  EXPECT_NE(refused.err.find(bad + ": row 2 (Цена): Ошибка: Неправильная цена товара."),
            std::string::npos);
  EXPECT_NE(refused.err.find("Ошибок: 1,   Предупреждений: 0,   Продолжить?"), std::string::npos);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(scale.ExchangeCount(), 0u);  // the port was not even opened

  const CtlResult forced = Run({"write-plu", "-i", bad, "--force"});
  EXPECT_EQ(forced.code, 0) << forced.err;
  EXPECT_EQ(scale.CommandCount(qmsim::kCmdWritePlu), 2u);

  // One row only, chosen by its PLU number.
  scale.ClearLog();
  EXPECT_EQ(Run({"write-plu", "-i", bad, "--only", "1"}).code, 0);
  EXPECT_EQ(scale.CommandCount(qmsim::kCmdWritePlu), 1u);
  EXPECT_EQ(Run({"write-plu", "-i", bad, "--only", "9"}).code, qm::ctl::kExitUsage);
}

TEST_F(ScaleCommands, RefusalsByTheScaleEndWithExitOne) {
  Fault([](qmsim::Faults& f) { f.refusedPlus = {2}; });
  const CtlResult write = Run({"write-plu", "-i", Prices()});
  EXPECT_EQ(write.code, qm::ctl::kExitFindings);
  EXPECT_NE(write.err.find("Ошибка записи PLU номер 2"), std::string::npos);
  EXPECT_EQ(write.out, "");

  const CtlResult read = Run({"read-plu", "--only", "2", "-o", Path("two.csv")});
  EXPECT_EQ(read.code, qm::ctl::kExitFindings);
  EXPECT_NE(read.err.find("Данные PLU номер 2 не запрограммированы."), std::string::npos);
  EXPECT_FALSE(Exists("two.csv"));

  Fault([](qmsim::Faults& f) { f.refusedCommands = {qmsim::kCmdClearTotals}; });
  const CtlResult clear = Run({"clear-totals", "--yes"});
  EXPECT_EQ(clear.code, qm::ctl::kExitFindings);
  EXPECT_NE(clear.err.find("Ошибка стирания общего итога продаж."), std::string::npos);
}

TEST_F(ScaleCommands, ASilentScaleOrAMissingPortIsALinkFailure) {
  Fault([](qmsim::Faults& f) { f.silent = true; });
  WriteText("old.csv", "keep\n");
  const CtlResult read = Run({"read-plu", "--last", "3", "-o", Path("old.csv")});
  EXPECT_EQ(read.code, qm::ctl::kExitLink);
  EXPECT_NE(read.err.find("Ошибка связи с весами."), std::string::npos);
  EXPECT_EQ(ReadText("old.csv"), "keep\n");  // the previous file is untouched
  EXPECT_EQ(Run({"weigh"}).code, qm::ctl::kExitLink);
  EXPECT_EQ(Run({"write-plu", "-i", Prices()}).code, qm::ctl::kExitLink);

  const CtlResult missing =
      RunCtl({"--port", Path("no-such-tty"), "read-totals", "-o", Path("t.txt")});
  EXPECT_EQ(missing.code, qm::ctl::kExitLink);
  EXPECT_EQ(LineCount(missing.err), 1);
  EXPECT_NE(missing.err.find("Не могу открыть порт " + Path("no-such-tty") + "."),
            std::string::npos);
  EXPECT_FALSE(Exists("t.txt"));
}

// A read is long (minutes for a whole table); a file it could not write is told before the
// scale hears a byte.
TEST_F(ScaleCommands, AnOutputThatCannotBeWrittenIsRefusedBeforeTheScaleIsAsked) {
  std::filesystem::create_directories(Path("folder.csv"));
  const std::vector<std::vector<std::string>> commands = {
      {"read-plu", "--last", "3", "-o", Path("missing/x.csv")},
      {"read-msg", "--last", "3", "-o", Path("missing/m.msw")},
      {"read-totals", "-o", Path("missing/t.txt")},
      {"read-plu", "--only", "1", "-o", Path("folder.csv")},
  };
  for (const std::vector<std::string>& args : commands) {
    const CtlResult r = Run(args);
    EXPECT_EQ(r.code, qm::ctl::kExitUsage) << args.back();
    EXPECT_EQ(r.err.rfind("qmctl: cannot write " + args.back() + ": ", 0), 0u) << r.err;
  }
  EXPECT_EQ(scale.ExchangeCount(), 0u);
}

TEST_F(ScaleCommands, ALineThatHangsUpMidTableLeavesNoFile) {
  scale.SetPlu(1, Plu4());
  scale.SetPlu(2, Plu4());
  scale.SetPlu(3, Plu4());
  Fault([](qmsim::Faults& f) {
    f.skipExchanges = 2;
    f.hangUpAfter = 10;
  });
  const CtlResult r = Run({"read-plu", "--last", "3", "-o", Path("x.csv")});
  EXPECT_EQ(r.code, qm::ctl::kExitLink);
  EXPECT_NE(r.err.find("Ошибка связи с весами."), std::string::npos);
  EXPECT_FALSE(Exists("x.csv"));
}

TEST_F(ScaleCommands, AScaleThatIsNotReadyIsALinkFailureToo) {
  Fault([](qmsim::Faults& f) { f.busyNumber = 10000; });
  const CtlResult read = Run({"read-plu", "--last", "2", "-o", Path("x.csv")});
  EXPECT_EQ(read.code, qm::ctl::kExitLink);
  EXPECT_NE(read.err.find("not ready"), std::string::npos);
  EXPECT_FALSE(Exists("x.csv"));
  EXPECT_EQ(Run({"write-plu", "-i", Prices()}).code, qm::ctl::kExitLink);
  EXPECT_EQ(Run({"weigh"}).code, qm::ctl::kExitLink);
  // Scanning still reports it: it answers, just not ready.
  const CtlResult scan = Run({"scan", "--from", "1", "--to", "1"});
  EXPECT_EQ(scan.out, "01 not ready (10000)\n");
}

TEST_F(ScaleCommands, AScaleThatStaysBusyIsGivenUpOn) {
  // The window would ask again until the operator disconnects; a script has nobody to do that.
  Fault([](qmsim::Faults& f) { f.endlessBusy = true; });
  const CtlResult read = Run({"read-plu", "--last", "2", "-o", Path("x.csv")});
  EXPECT_EQ(read.code, qm::ctl::kExitLink);
  EXPECT_NE(read.err.find("stayed busy"), std::string::npos);
  EXPECT_FALSE(Exists("x.csv"));
  EXPECT_GE(scale.ExchangeCount(),
            static_cast<std::size_t>(qm::ctl::LinkSession::kBusyRoundsLimit));
}

TEST_F(ScaleCommands, ScanFindsTheScaleAtItsAddressOnly) {
  scale.SetAddress(3);
  const CtlResult r = Run({"scan", "--from", "1", "--to", "5"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "03 ready\n");

  Fault([](qmsim::Faults& f) { f.silent = true; });
  const CtlResult none = Run({"scan", "--from", "1", "--to", "2"});
  EXPECT_EQ(none.code, qm::ctl::kExitLink);
  EXPECT_EQ(none.out, "");
}

TEST_F(ScaleCommands, WeighPrintsTheDisplayAndTraceShowsTheFrames) {
  ShowWeighing();
  const CtlResult r = Run({"--trace", "weigh"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Вес: ts    1.234  Цена: 123.45  Стоимость: 15.23  Номер PLU: 7\n");
  // Address, echo, status, command, acknowledgement, the 15 display bytes.
  EXPECT_NE(r.err.find("] > 01\n"), std::string::npos);
  EXPECT_NE(r.err.find("] < 01\n"), std::string::npos);
  EXPECT_NE(r.err.find("] < 80\n"), std::string::npos);
  EXPECT_NE(r.err.find("] > 89\n"), std::string::npos);
  EXPECT_NE(r.err.find("] < 44 D2 04 39 30 00 00 F3 05 00 00 07 00 00 00\n"), std::string::npos);
  EXPECT_EQ(Run({"weigh"}).err, "");  // no trace unless asked
}

TEST_F(ScaleCommands, WeighWatchRunsUntilStopped) {
  // Stopped once the third reading is under way, so at least two were shown.
  std::jthread stopper([this] {
    WaitUntil([&] { return scale.CommandCount(qmsim::kCmdDisplay) >= 3; });
    qm::ctl::StopRequested() = true;
  });
  const CtlResult r = Run({"weigh", "--watch"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_GE(LineCount(r.out), 2);
}

TEST_F(ScaleCommands, MessagesGoBothWays) {
  const std::string msgs = WriteText(
      "m.csv", "Сообщения,\n№,Название,\"Строка 1\",\"Строка 2\"\n1,Первое,Abc,de\n2,Второе,X\n");
  const CtlResult write = Run({"write-msg", "-i", msgs});
  EXPECT_EQ(write.code, 0) << write.err;
  EXPECT_EQ(write.out, "Сообщения записаны.\n");
  const Bytes one = *scale.Message(1);
  EXPECT_EQ(Bytes(one.begin(), one.begin() + 3), HexBytes("41 62 63"));
  EXPECT_EQ(one[3], 0);
  EXPECT_EQ(Bytes(one.begin() + 50, one.begin() + 53), HexBytes("64 65 00"));

  const CtlResult read = Run({"read-msg", "--last", "2", "-o", Path("back.msw")});
  EXPECT_EQ(read.code, 0) << read.err;
  EXPECT_EQ(read.out, "Таблица сообщений считана.\n2 MSG\n");
  EXPECT_EQ(ReadText("back.msw"),
            "Abc,de,,,,,,\nX,,,,,,,\n№,1,2\nНазвание,\"Список 1\",\"Список 2\"\n");
}

TEST_F(ScaleCommands, TotalsAreReportedAndErased) {
  scale.SetTotals(
      Cat({Bytes(8, 0), HexBytes("39 30 00 00"), Bytes(3, 0), HexBytes("E8 03 00 00"), Bytes(11, 0),
           HexBytes("00 30 08"), HexBytes("01 12 25"), HexBytes("05 00 02 00")}));
  const CtlResult read = Run({"read-totals", "-o", Path("t.txt")});
  EXPECT_EQ(read.code, 0) << read.err;
  EXPECT_EQ(read.out, "Общий итог продаж с 01.12.25, 08:30:00\n");
  const std::string report = ReadText("t.txt");
  EXPECT_EQ(report.rfind("Общий итог продаж с 01.12.25, 08:30:00 по ", 0), 0u);
  EXPECT_NE(report.find("\nОбщая сумма: 123.45 руб.\nОбщий вес: 1.000 кг.\n"
                        "Количество продаж: 0\n"),
            std::string::npos);
  EXPECT_NE(report.find("\nСвободных PLU: 5\nСвободных сообщений: 2\n"), std::string::npos);

  const CtlResult clear = Run({"clear-totals", "--yes"});
  EXPECT_EQ(clear.code, 0) << clear.err;
  EXPECT_EQ(scale.CommandCount(qmsim::kCmdClearTotals), 1u);
}

TEST_F(ScaleCommands, AReadSaysWhatTheScaleDidNotSendAndGettingNothingKeepsTheOldFile) {
  for (std::int32_t k = 1; k <= 5; ++k) {
    scale.SetPlu(k, Cat({HexBytes("00 00 00 00"), Bytes(96, 0)}));
  }
  scale.SetMessage(1, Bytes(400, 0x41));
  scale.SetMessage(2, Bytes(400, 0x42));
  struct Case {
    std::function<void(qmsim::Faults&)> fault;
    std::vector<std::string> args;
    int code;
    std::string err;  // a line the errors hold
    std::string out;  // the results; empty: the file was not written
  };
  const Case cases[] = {
      {[](qmsim::Faults& f) { f.ackByte = 0x55; },
       {"read-plu", "--last", "5"},
       1,
       "qmctl: the scale answered 55 instead of the record for PLU 1..5; skipped\n",
       ""},
      {[](qmsim::Faults& f) { f.ackByte = 0x55; },
       {"read-msg", "--only", "2"},
       1,
       "qmctl: no message was read; ",
       ""},
      {[](qmsim::Faults& f) {
         f.ackByte = 0x55;
         f.skipExchanges = 3;
       },
       {"read-plu", "--last", "5"},
       1,
       "qmctl: the scale answered 55 instead of the record for PLU 4, 5; skipped\n",
       "Таблица товаров считана.\n3 PLU\n"},
      {[](qmsim::Faults& f) {
         f.refusedMessages = {1, 2};
       },
       {"read-msg", "--last", "5"},
       1,
       "qmctl: 5 refused by the scale (no such message): 1..5\n",
       ""},
      {[](qmsim::Faults& f) { f.refusedPlus = {2}; },
       {"read-plu", "--last", "7"},
       0,
       "qmctl: 3 refused by the scale (no such PLU): 2, 6, 7\n",
       "Таблица товаров считана.\n4 PLU\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[2]);
    Fault(c.fault);
    const std::string file = c.args[0] == "read-plu" ? "keep.csv" : "keep.msw";
    WriteText(file, "keep\n");
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", Path(file)});
    const CtlResult r = Run(args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(r.out, c.out);
    if (c.out.empty()) {
      EXPECT_EQ(ReadText(file), "keep\n");
    }
  }
}

TEST_F(ScaleCommands, APortThatIsNoSerialDeviceIsNamedSo) {
  WriteText("plain", "");
  for (const std::string& port : {std::string("/dev/null"), Path("plain")}) {
    const CtlResult r = RunCtl({"--port", port, "weigh"});
    EXPECT_EQ(r.code, qm::ctl::kExitLink);
    EXPECT_EQ(r.err, "qmctl: Не могу открыть порт " + port + ". Устройство " + port +
                         " не является последовательным портом: укажите порт весов в настройке "
                         "портов.\n");
  }
}

// qmctl shows no line events: on a serial device its port asks for none and opening it starts
// no thread; the loop waits on the device, and the exchanges go as before.
// qmctl asks for no line events, so its port runs no event thread, and its loop hears arriving
// bytes on the line's own bell: with ticks half a minute apart, the exchange ends before any
// tick ran. (Threads are counted on the terminal only: a network line keeps its reader, and its
// name's resolution may still be ending on a thread of its own.)
TEST(QmctlsPort, OpensWithoutAnEventThreadAndWakesForRepliesWithoutTicks) {
  auto threads = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                         std::filesystem::directory_iterator());
  };
  for (NetLine kind : {NetLine::Pty, NetLine::RawTcp, NetLine::Rfc2217}) {
    SCOPED_TRACE(NetLineName(kind));
    if (kind != NetLine::Pty && !Ser2net::MissingReason().empty()) continue;
    ScaleEnd end(kind, {});
    qm::ctl::LineOptions line;
    line.port = end.device;
    line.comPort.reset();
    std::ostringstream err;
    qm::ctl::LinkSession session(line, err, std::chrono::seconds(30));
    EXPECT_TRUE(session.port.Events().Empty());
    const auto before = threads();
    session.link.OpenLink(false);
    ASSERT_TRUE(session.port.Connected());
    if (kind == NetLine::Pty) EXPECT_EQ(threads(), before);
    EXPECT_TRUE(session.link.SelectScale().Ready());
    EXPECT_EQ(session.link.SendCommand(0x89, std::string(), 15).kind, qm::Answer::Kind::Done);
    EXPECT_EQ(session.loop.Count().ticks, 0u);
  }
}

}  // namespace
}  // namespace qmtest
