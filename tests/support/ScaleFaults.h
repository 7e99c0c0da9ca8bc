// The faults the virtual scale can play, as the fault matrices of the session and of qmctl run
// them, in the order of their columns. Both matrices share the list so that their columns mean the
// same.
#pragma once

#include <cctype>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "sim/VirtualScale.h"

namespace qmtest {

struct Fault {
  const char* name;
  std::function<void(qmsim::Faults&)> set;
};

inline const Fault kFaults[] = {
    {"none", [](qmsim::Faults&) {}},
    {"silent", [](qmsim::Faults& f) { f.silent = true; }},
    {"wrong echo", [](qmsim::Faults& f) { f.wrongEcho = 0x07; }},
    {"busy", [](qmsim::Faults& f) { f.endlessBusy = true; }},
    {"status DD", [](qmsim::Faults& f) { f.busyNumber = 10000; }},
    {"refusal",
     [](qmsim::Faults& f) {
       f.refusedPlus = {2};
       f.refusedMessages = {2};
       f.refusedCommands = {qmsim::kCmdReadTotals, qmsim::kCmdClearTotals};
     }},
    {"ack 55", [](qmsim::Faults& f) { f.ackByte = 0x55; }},
    {"ack 55 + reply",
     [](qmsim::Faults& f) {
       f.ackByte = 0x55;
       f.replyAfterOddAck = true;
     }},
    {"cut reply", [](qmsim::Faults& f) { f.replyCut = 20; }},
    {"hang-up",
     [](qmsim::Faults& f) {
       f.hangUpAfter = 10;
       f.hangUpDelay = std::chrono::milliseconds(5);
     }},
    {"garbage",
     [](qmsim::Faults& f) {
       f.trailingGarbage = {0x55, 0xAA, 0x00};
     }},
    {"silent after 1",
     [](qmsim::Faults& f) {
       f.silent = true;
       f.skipExchanges = 1;
     }},
    {"ack 55 after 1",
     [](qmsim::Faults& f) {
       f.ackByte = 0x55;
       f.skipExchanges = 1;
     }},
};
inline constexpr int kFaultCount = sizeof kFaults / sizeof kFaults[0];

// The test name of one cell of a matrix: its row's name and its fault's, with every character but
// letters and digits made '_', since test names may hold nothing else.
inline std::string CellTestName(std::string_view row, int fault) {
  std::string name = std::string(row) + "_" + kFaults[fault].name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

}  // namespace qmtest
