// qm-scale-sim: a virtual QM scale on a pseudo-terminal. Prints the path of the terminal end
// (one line on stdout) and answers the scale side of the serial exchange until SIGINT or
// SIGTERM, its normal way to stop (exit code 0).
#include <getopt.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "sim/DemoData.h"
#include "sim/VirtualScale.h"

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "Usage: qm-scale-sim [options]\n"
    "A virtual QM label scale on a pseudo-terminal. Prints the terminal's path and answers\n"
    "until interrupted (SIGINT or SIGTERM).\n"
    "\n"
    "  -a, --address N        scale address byte, 0..255 (default 1)\n"
    "  -b, --baud N           pace the line as N baud would (10 bits per byte): 110, 300,\n"
    "                         600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600\n"
    "                         or 115200; 0 = no pacing (the default)\n"
    "  -l, --link PATH        keep a symbolic link to the terminal at PATH\n"
    "  -d, --demo             load the demo data (PLUs 1, 2, 3, 5, 7, messages 1 and 2, totals)\n"
    "      --still            keep the displayed weight still (it moves by default)\n"
    "      --trace FILE       write every frame received (<) and sent (>) to FILE as hex with\n"
    "                         the time, as qmctl --trace prints the program's side\n"
    "Faults:\n"
    "      --silent           never answer\n"
    "      --wrong-echo BYTE  echo BYTE instead of the address\n"
    "      --busy             echo the address but never send a status\n"
    "      --status-dd N      answer status 0xDD and the number N instead of 0x80\n"
    "      --refuse-plu LIST  refuse (0xEE) these PLU numbers, e.g. 2,5\n"
    "      --refuse-msg LIST  refuse these message numbers\n"
    "      --refuse-cmd LIST  refuse these commands, e.g. 0x85,0x86\n"
    "      --ack BYTE         acknowledge with BYTE instead of 0xAA\n"
    "      --reply-after-ack  still send the reply after such an acknowledgement\n"
    "      --cut N            send only the first N bytes of every reply\n"
    "      --hang-up N        close the line after N bytes of a reply\n"
    "      --garbage HEX      append these bytes (hex, e.g. 55AA00) after every answer\n"
    "      --skip N           answer the first N exchanges normally before the faults start\n"
    "  -h, --help             show this help\n"
    "      --version          show the program's version\n";

const char kVersion[] = "qm-scale-sim (QM Interchange) " QM_VERSION "\n";

[[noreturn]] void Usage(const char* problem) {
  std::fprintf(stderr, "qm-scale-sim: %s\n%s", problem, kUsage);
  std::exit(2);
}

long Number(const char* text, long lo, long hi, const char* what) {
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi)
    Usage((std::string("bad ") + what + ": " + text).c_str());
  return v;
}

template <class Set>
void NumberList(const char* text, long lo, long hi, const char* what, Set& out) {
  std::string s(text);
  std::size_t at = 0;
  while (at <= s.size()) {
    std::size_t comma = s.find(',', at);
    if (comma == std::string::npos) comma = s.size();
    out.insert(static_cast<typename Set::value_type>(
        Number(s.substr(at, comma - at).c_str(), lo, hi, what)));
    at = comma + 1;
  }
}

qmsim::Bytes Hex(const char* text) {
  std::string s(text);
  if (s.size() % 2 != 0) Usage("garbage needs an even number of hex digits");
  qmsim::Bytes out;
  for (std::size_t i = 0; i < s.size(); i += 2)
    out.push_back(
        static_cast<std::uint8_t>(Number(("0x" + s.substr(i, 2)).c_str(), 0, 255, "garbage")));
  return out;
}

// The rates a scale's port runs at; any other would pace a line no scale has.
const long kBaudRates[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                           14400, 19200, 38400, 56000, 57600, 115200};

unsigned Baud(const char* text) {
  const long baud = Number(text, 0, 4000000, "baud");
  if (baud == 0) return 0;
  for (long rate : kBaudRates) {
    if (rate == baud) return static_cast<unsigned>(baud);
  }
  std::string rates;
  for (long rate : kBaudRates) rates += (rates.empty() ? "" : ", ") + std::to_string(rate);
  Usage((std::string("bad baud: ") + text + " (give 0 or one of " + rates + ")").c_str());
}

}  // namespace

int main(int argc, char** argv) {
  // Block the stop signals first thing: before the scale's thread starts, so that only sigwait
  // sees them, and before anything else, so that a stop asked for while the scale is still
  // starting waits for sigwait and ends the program as normally as any later one, with 0,
  // rather than killing it (exit status 143). A shell starts background jobs with SIGINT
  // ignored, and an ignored signal never reaches sigwait: restore the default first.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  enum {
    kStill = 1000,
    kSilent,
    kWrongEcho,
    kBusy,
    kStatusDd,
    kRefusePlu,
    kRefuseMsg,
    kRefuseCmd,
    kAckByte,
    kReplyAfterAck,
    kCut,
    kHangUp,
    kGarbage,
    kSkip,
    kTrace,
    kVersionOption
  };
  const option longOptions[] = {{"address", required_argument, nullptr, 'a'},
                                {"baud", required_argument, nullptr, 'b'},
                                {"link", required_argument, nullptr, 'l'},
                                {"demo", no_argument, nullptr, 'd'},
                                {"help", no_argument, nullptr, 'h'},
                                {"still", no_argument, nullptr, kStill},
                                {"silent", no_argument, nullptr, kSilent},
                                {"wrong-echo", required_argument, nullptr, kWrongEcho},
                                {"busy", no_argument, nullptr, kBusy},
                                {"status-dd", required_argument, nullptr, kStatusDd},
                                {"refuse-plu", required_argument, nullptr, kRefusePlu},
                                {"refuse-msg", required_argument, nullptr, kRefuseMsg},
                                {"refuse-cmd", required_argument, nullptr, kRefuseCmd},
                                {"ack", required_argument, nullptr, kAckByte},
                                {"reply-after-ack", no_argument, nullptr, kReplyAfterAck},
                                {"cut", required_argument, nullptr, kCut},
                                {"hang-up", required_argument, nullptr, kHangUp},
                                {"garbage", required_argument, nullptr, kGarbage},
                                {"skip", required_argument, nullptr, kSkip},
                                {"trace", required_argument, nullptr, kTrace},
                                {"version", no_argument, nullptr, kVersionOption},
                                {nullptr, 0, nullptr, 0}};

  qmsim::VirtualScale::Options opt;
  qmsim::Faults faults;
  bool demo = false, still = false;
  std::string tracePath;
  int c;
  while ((c = getopt_long(argc, argv, "a:b:l:dh", longOptions, nullptr)) != -1) {
    switch (c) {
      case 'a':
        opt.address = static_cast<std::uint8_t>(Number(optarg, 0, 255, "address"));
        break;
      case 'b':
        opt.baud = Baud(optarg);
        break;
      case 'l':
        opt.linkPath = optarg;
        break;
      case 'd':
        demo = true;
        break;
      case 'h':
        std::fputs(kUsage, stdout);
        return 0;
      case kVersionOption:
        std::fputs(kVersion, stdout);
        return 0;
      case kStill:
        still = true;
        break;
      case kSilent:
        faults.silent = true;
        break;
      case kWrongEcho:
        faults.wrongEcho = static_cast<std::uint8_t>(Number(optarg, 0, 255, "echo byte"));
        break;
      case kBusy:
        faults.endlessBusy = true;
        break;
      case kStatusDd:
        faults.busyNumber =
            static_cast<std::int32_t>(Number(optarg, INT32_MIN, INT32_MAX, "status number"));
        break;
      case kRefusePlu:
        NumberList(optarg, INT32_MIN, INT32_MAX, "PLU number", faults.refusedPlus);
        break;
      case kRefuseMsg:
        NumberList(optarg, 0, 65535, "message number", faults.refusedMessages);
        break;
      case kRefuseCmd:
        NumberList(optarg, 0, 255, "command", faults.refusedCommands);
        break;
      case kAckByte:
        faults.ackByte = static_cast<std::uint8_t>(Number(optarg, 0, 255, "acknowledgement"));
        break;
      case kReplyAfterAck:
        faults.replyAfterOddAck = true;
        break;
      case kCut:
        faults.replyCut = static_cast<std::size_t>(Number(optarg, 0, 100000, "cut"));
        break;
      case kHangUp:
        faults.hangUpAfter = static_cast<std::size_t>(Number(optarg, 0, 100000, "hang-up"));
        break;
      case kGarbage:
        faults.trailingGarbage = Hex(optarg);
        break;
      case kSkip:
        faults.skipExchanges = static_cast<std::size_t>(Number(optarg, 0, 1L << 30, "skip"));
        break;
      case kTrace:
        if (*optarg == '\0') Usage("the trace needs a file");
        tracePath = optarg;
        break;
      default:
        Usage("unknown option");
    }
  }
  if (optind < argc) Usage((std::string("unexpected argument: ") + argv[optind]).c_str());

  try {
    qmsim::VirtualScale scale(opt);
    if (!tracePath.empty()) scale.TraceTo(tracePath);
    if (demo) qmsim::LoadDemoData(scale);
    scale.SetWeightMoving(!still);
    scale.SetFaults(faults);
    std::printf("%s\n", scale.SlavePath().c_str());
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stopSignals, &sig);
    scale.Stop();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qm-scale-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
