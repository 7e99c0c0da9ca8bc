#include "ctl/FleetReport.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "ctl/JsonText.h"
#include "ctl/Qmctl.h"

namespace qm::ctl {
namespace {

// Characters as a terminal shows them (UTF-8 continuation bytes take no column).
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Pad(const std::string& text, std::size_t width) {
  const std::size_t w = Width(text);
  return text + std::string(w < width ? width - w : 0, ' ');
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", seconds);
  return text;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string ResultWord(int code) {
  switch (code) {
    case kExitDone:
      return "done";
    case kExitFindings:
      return "findings";
    case kExitUsage:
      return "file error";
    case kExitLink:
      return "link failed";
  }
  return code > 128 ? "interrupted" : "failed";
}

void PrintFleetSummary(std::ostream& out, const std::vector<ScaleOutcome>& all, double seconds) {
  std::size_t nameWidth = 5;
  for (const ScaleOutcome& o : all) nameWidth = std::max(nameWidth, Width(o.name));
  out << Pad("scale", nameWidth) << "  result       exit  records  seconds  message\n";
  int done = 0;
  for (const ScaleOutcome& o : all) {
    done += o.code == kExitDone;
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%4d  %7d  %7s", o.code, o.records,
                  Seconds(o.seconds).c_str());
    out << Pad(o.name, nameWidth) << "  " << Pad(ResultWord(o.code), 11) << "  " << numbers << "  "
        << o.message << '\n';
  }
  out << done << " of " << all.size() << " scales done in " << Seconds(seconds) << " s\n";
}

std::string FleetJsonLines(const std::vector<ScaleOutcome>& all) {
  std::string lines;
  for (const ScaleOutcome& o : all) {
    lines += JsonObject()
                 .Text("name", o.name)
                 .Text("port", o.port)
                 .Number("address", o.address)
                 .Text("result", ResultWord(o.code))
                 .Number("exit_code", o.code)
                 .Number("records", o.records)
                 .Decimal("seconds", o.seconds)
                 .Text("message", o.message)
                 .Str() +
             "\n";
  }
  return lines;
}

std::string FleetCsvReport(const std::vector<ScaleOutcome>& all) {
  std::string csv = "scale,result,exit code,records,seconds,message\n";
  for (const ScaleOutcome& o : all) {
    csv += CsvField(o.name) + "," + ResultWord(o.code) + "," + std::to_string(o.code) + "," +
           std::to_string(o.records) + "," + Seconds(o.seconds) + "," + CsvField(o.message) + "\n";
  }
  return csv;
}

}  // namespace qm::ctl
