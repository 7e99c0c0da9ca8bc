// What a fleet run hands back for each scale, and the two forms of its report: the table on the
// terminal and the CSV file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qm::ctl {

struct ScaleOutcome {
  std::string name;
  std::string port;  // as scales.conf gives it
  int address = 0;
  int line = 0;  // of scales.conf
  int code = 0;  // the command's exit code on this scale (the last run's)
  // Stored or acknowledged by the last run, as its transfers reported; a run that the port's
  // failure ended in the middle of an exchange reports none.
  int records = 0;
  int attempts = 0;     // runs, 1 + the retries taken
  double seconds = 0;   // every run together
  std::string message;  // the summary of the last run's outcome (CommandOutcome)
};

// "done", "findings", "file error", "link failed" for exit codes 0..3, "interrupted" for the
// codes of an interrupt (128 + the signal).
std::string ResultWord(int code);

// The table, one scale a row in the order given, then "D of N scales done in S s":
//   scale   result       exit  records  seconds  message
//   deli    done            0        2     0.05  Таблица товаров записана.
void PrintFleetSummary(std::ostream& out, const std::vector<ScaleOutcome>& all, double seconds);

// One JSON object a scale, a line each, in the order given; `port` and `address` by the name:
//   {"name": "deli", "port": "COM1", "address": 1, "result": "done", "exit_code": 0,
//    "records": 2, "seconds": 0.05, "message": "Таблица товаров записана."}
std::string FleetJsonLines(const std::vector<ScaleOutcome>& all);

// The same as CSV, UTF-8, comma-separated, fields with commas or quotes quoted:
//   scale,result,exit code,records,seconds,message
std::string FleetCsvReport(const std::vector<ScaleOutcome>& all);

}  // namespace qm::ctl
