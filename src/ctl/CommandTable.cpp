#include "ctl/CommandTable.h"

#include <algorithm>
#include <cctype>

#include "ctl/Commands.h"
#include "ctl/TableFiles.h"

namespace qm::ctl {
namespace {

void Require(bool condition, const CommandLine& cl, const std::string& what) {
  if (!condition) throw UsageError(cl.command + " needs " + what);
}

// A number outside the model's range, named with the range.
void CheckRange(std::optional<int> value, int low, int high, const char* option) {
  if (value && (*value < low || *value > high)) throw UsageError(RangeText(option, low, high));
}

// -i and -o with their long forms, and the layout of "-".
void Input(OptionWiring& w, CommandOptions& o) {
  w.Text("-i,--input", o.input);
  w.Text("--format", o.format);
}
void Output(OptionWiring& w, CommandOptions& o) {
  w.Text("-o,--output", o.output);
  w.Text("--format", o.format);
}

// Where the text report may go: a file named .txt, so that a name like totals.csv never holds a
// text a spreadsheet would misread, or a device or pipe that is there already (/dev/null, a FIFO
// a script reads), which has no layout to mistake.
bool ReportPlace(const std::string& path) {
  if (path == "/dev/null" || path == "NUL") return true;  // by name: a container may fake it
  if (IsDeviceOrPipe(path)) return true;
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".txt";
}

// The options of a write of changed records, which write-plu and write-msg share.
#define kChangedHelp                                                                        \
  "  --changed         send only the records the scale lacks: those that differ from the\n" \
  "                    ledger of what it holds, or that the ledger lacks; a sample of the\n" \
  "                    others is read back first, and if one differs everything is sent\n"  \
  "  --sample K        records read back before trusting the ledger (default 8)\n"

void ChangedOptions(OptionWiring& w, CommandOptions& o) {
  w.Flag("--changed", o.changed);
  w.Number("--sample", o.sample);
}

void CheckChanged(CommandLine& cl) {
  if (cl.options.sample && !cl.options.changed) {
    throw UsageError(cl.command + " takes --sample K only with --changed");
  }
  if (cl.options.sample && (*cl.options.sample < 0 || *cl.options.sample > 100000)) {
    throw UsageError("--sample takes 0 to 100000");
  }
}

// read-plu and read-msg: the numbers to read and the file they go to.
void ReadOptions(OptionWiring& w, CommandOptions& o) {
  w.Number("--last", o.last);
  w.Number("--only", o.only);
  Output(w, o);
}

// Either --last N (1..highest) or --only N (lowestOnly..highest), and -o FILE.
void CheckRead(CommandLine& cl, int lowestOnly, int highest) {
  const CommandOptions& o = cl.options;
  Require(o.last.has_value() != o.only.has_value(), cl, "either --last N or --only N");
  Require(!o.output.empty(), cl, "-o FILE");
  CheckRange(o.last, 1, highest, "--last");
  CheckRange(o.only, lowestOnly, highest, "--only");
}

void RequireInputAndOutput(CommandLine& cl, const TScaleParams&) {
  Require(!cl.options.input.empty() && !cl.options.output.empty(), cl, "-i FILE and -o FILE");
}

// name, summary, help; options; checks; run; fleet use.
const CommandRow kCommands[] = {
    {"read-plu", "Reads PLU records from the scale into a file.",
       "qmctl [line options] read-plu (--last N | --only N) -o FILE\n"
       "  Reads PLU records from the scale and writes them to FILE (.csv or .plw).\n"
       "  --last N  every PLU number from 1 up to N (1..the model's highest PLU number);\n"
       "            numbers the scale does not hold are skipped\n"
       "  --only N  the one PLU number N (0..the model's highest PLU number)\n"
       "  -o, --output FILE  the file to write; - writes to standard output\n"
       "  --format F         csv or plw: the layout of -\n",
     ReadOptions,
     [](CommandLine& cl, const TScaleParams& limits) {
       CheckRead(cl, 0, limits.MaxPluNo);  // PLU 0 is a number a single read accepts
     },
     RunReadPlu, {1}},
    {"write-plu", "Programs the PLU rows of a file into the scale.",
       "qmctl [line options] write-plu -i FILE [--only N] [--messages FILE] [--force]\n"
       "                               [--changed [--sample K]]\n"
       "  Programs the PLU rows of FILE (.csv or .plw) into the scale, top to bottom.\n"
       "  The rows are validated first against the model's limits; with findings nothing is\n"
       "  sent (exit 1) unless --force is given.\n"
       "  -i, --input FILE  the file to read; - reads standard input\n"
       "  --format F        csv or plw: the layout of -\n"
       "  --only N          only the row whose PLU number is N\n"
       "  --messages FILE   the message table (.csv or .msw) the message numbers are checked\n"
       "                    against; without it the table holds one message, as in a fresh\n"
       "                    window\n"
       "  --force           write despite findings\n"
       kChangedHelp,
     [](OptionWiring& w, CommandOptions& o) {
       Input(w, o);
       w.Number("--only", o.only);
       w.Text("--messages", o.messages);
       w.Flag("--force", o.force);
       ChangedOptions(w, o);
     },
     [](CommandLine& cl, const TScaleParams& limits) {
       Require(!cl.options.input.empty(), cl, "-i FILE");
       CheckRange(cl.options.only, 0, limits.MaxPluNo, "--only");
       CheckChanged(cl);
     },
     RunWritePlu, {2}},
    {"read-msg", "Reads messages from the scale into a file.",
       "qmctl [line options] read-msg (--last N | --only N) -o FILE\n"
       "  Reads messages from the scale and writes them to FILE (.csv or .msw).\n"
       "  --last N  every message number from 1 up to N; absent ones are skipped\n"
       "  --only N  the one message number N\n"
       "  -o, --output FILE  the file to write; - writes to standard output\n"
       "  --format F         csv or msw: the layout of -\n",
     ReadOptions,
     [](CommandLine& cl, const TScaleParams& limits) {
       CheckRead(cl, 1, limits.MaxMessages);
     },
     RunReadMsg, {3}},
    {"write-msg", "Programs the messages of a file into the scale.",
       "qmctl [line options] write-msg -i FILE [--force] [--changed [--sample K]]\n"
       "  Programs every message of FILE (.csv or .msw) into the scale after validation;\n"
       "  with findings nothing is sent (exit 1) unless --force is given.\n"
       "  -i, --input FILE  the file to read; - reads standard input\n"
       "  --format F        csv or msw: the layout of -\n"
       "  --force   write despite findings\n"
       kChangedHelp,
     [](OptionWiring& w, CommandOptions& o) {
       Input(w, o);
       w.Flag("--force", o.force);
       ChangedOptions(w, o);
     },
     [](CommandLine& cl, const TScaleParams&) {
       Require(!cl.options.input.empty(), cl, "-i FILE");
       CheckChanged(cl);
     },
     RunWriteMsg, {4}},
    {"read-totals", "Reads the scale's sales totals into a report file.",
       "qmctl [line options] read-totals -o FILE\n"
       "  Reads the scale's sales totals and writes the totals report to FILE.\n"
       "  -o, --output FILE  the file to write, a text report: its name ends in .txt;\n"
       "                     - writes the report to standard output\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Text("-o,--output", o.output);
       w.Text("--format", o.format);  // refused with a word of why (CheckCommand)
     },
     [](CommandLine& cl, const TScaleParams&) {
       const std::string& output = cl.options.output;
       Require(!output.empty(), cl, "-o FILE");
       if (output != "-" && !ReportPlace(output)) {
         throw UsageError("read-totals writes the totals as a text report: name the file .txt, "
                          "not " + output);
       }
     },
     RunReadTotals, {5}},
    {"clear-totals", "Erases the sales totals in the scale.",
       "qmctl [line options] clear-totals --yes\n"
       "  Erases the sales totals in the scale.\n"
       "  --yes     required: confirms the erasure\n",
     [](OptionWiring& w, CommandOptions& o) { w.Flag("--yes", o.yes); },
     [](CommandLine& cl, const TScaleParams&) {
       Require(cl.options.yes, cl, "--yes to erase the totals in the scale");
     },
     // Not for a fleet: erasing many scales' totals at once is not a thing to do by accident.
     RunClearTotals, {}},
    {"weigh", "Prints the scale's display: weight, prices and PLU number.",
       "qmctl [line options] weigh [--watch] [--json]\n"
       "  Prints the scale's display (weight with its indicator letters, unit price, total\n"
       "  price, PLU number) as one line.\n"
       "  --watch   a line about every second until interrupted\n"
       "  --json    each reading as a JSON object on a line of its own, the display's texts\n"
       "            as strings: {\"weight\", \"unit_price\", \"total\", \"plu\", \"stable\",\n"
       "            \"tare\", \"zero\"} (the last three true when the indicator is lit)\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Flag("--watch", o.watch);
       w.Flag("--json", o.json);
     },
     [](CommandLine&, const TScaleParams&) {},
     RunWeigh,
     {7, [](const CommandOptions& o) {
        return o.watch ? "a fleet reads each scale's display once: no --watch" : nullptr;
      }}},
    {"check", "Validates .csv, .plw and .msw files against the model's limits.",
       "qmctl [--model M --version V] check [--strict] FILE...\n"
       "  Validates the files (.csv, .plw, .msw) against the model's limits and prints every\n"
       "  finding on its own line, then the summary. A PLU file is checked against the\n"
       "  number of messages of a message file given on the same line. Exit 1 on findings.\n"
       "  --strict  also warns of every name, logo code and message line holding characters\n"
       "            the scale cannot print (\"№\", \"«\", \"»\", \"€\", letters outside Russian\n"
       "            and ASCII: the label shows \"*\" for them), naming the characters\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Rest("FILE", o.files);
       w.Flag("--strict", o.strict);
     },
     [](CommandLine& cl, const TScaleParams&) {
       Require(!cl.options.files.empty(), cl, "at least one FILE");
     },
     RunCheck, {}},
    {"match", "Puts every PLU row of a file at the position of its PLU number.",
       "qmctl [--model M --version V] match -i FILE -o FILE\n"
       "  Puts every PLU row at the position of its PLU number (gaps filled with empty rows,\n"
       "  rows above the model's highest PLU number, without a number or duplicated dropped).\n"
       "  -i, --input FILE   the file to read; - reads standard input\n"
       "  -o, --output FILE  the file to write; - writes to standard output\n"
       "  --format F         csv or plw: the layout of -\n",
     [](OptionWiring& w, CommandOptions& o) {
       Input(w, o);
       w.Text("-o,--output", o.output);
     },
     RequireInputAndOutput, RunMatch, {}},
    {"convert", "Converts between .csv and .plw, or .csv and .msw.",
       "qmctl convert -i FILE -o FILE [--force]\n"
       "  Converts between .csv and .plw (PLU table) or .csv and .msw (messages).\n"
       "  A .plw file keeps neither the logo nor the sales totals. Characters of a UTF-8\n"
       "  FILE that Windows-1251 cannot hold are named; nothing is written then (exit 1)\n"
       "  unless --force is given.\n"
       "  -i, --input FILE   the file to read; - reads standard input\n"
       "  -o, --output FILE  the file to write; - writes to standard output\n"
       "  --format F         csv, plw or msw: the layout of - (one of -i and -o)\n"
       "  --force   write although characters were replaced by \"?\"\n",
     [](OptionWiring& w, CommandOptions& o) {
       Input(w, o);
       w.Text("-o,--output", o.output);
       w.Flag("--force", o.force);
     },
     RequireInputAndOutput, RunConvert, {}},
    {"scan", "Lists the scale addresses that answer on the line.",
       "qmctl [line options] scan [--from N --to M] [--json]\n"
       "  Lists the scale addresses that answer on the line. A silent address is given up\n"
       "  after about 0.2 s (the window waits 0.5 s). Exit 3 when no address answers.\n"
       "  --from N  the first address (default 1)\n"
       "  --to M    the last address (default: the model's highest address)\n"
       "  --json    each answering address as a JSON object on a line of its own:\n"
       "            {\"address\": 1, \"status\": \"ready\"}\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Number("--from", o.from);
       w.Number("--to", o.to);
       w.Flag("--json", o.json);
     },
     [](CommandLine& cl, const TScaleParams& limits) {
       CommandOptions& o = cl.options;
       const int from = o.from.value_or(1);
       const int to = o.to.value_or(limits.MaxScaleAddress);
       if (from < 0 || from > 255 || to < 0 || to > 255) {
         throw UsageError("scan addresses run from 0 to 255");
       }
       if (from > to) throw UsageError("scan needs --from N no greater than --to M");
       o.from = from;
       o.to = to;
     },
     // Not for a fleet: scan looks for scales rather than working on known ones.
     RunScan, {}},
    {"verify", "Compares the scale's PLU records with a file.",
       "qmctl [line options] verify -i FILE [--last N] [--json]\n"
       "  Reads the PLU numbers of FILE back from the scale (or every number up to N) and\n"
       "  lists every cell that differs from the file, one a line. Exit 1 on differences;\n"
       "  \"N PLU match\" when there are none.\n"
       "  -i, --input FILE  the file to compare with; - reads standard input\n"
       "  --format F        csv or plw: the layout of -\n"
       "  --last N  every PLU number from 1 up to N instead of the file's numbers\n"
       "  --json    the result as one JSON object: {\"plu_checked\": N, \"match\": true or\n"
       "            false, \"differences\": [{\"plu\": N, \"missing\": true} or {\"plu\": N,\n"
       "            \"fields\": [{\"field\": \"price\", \"file\": \"...\", \"scale\": \"...\"}]}]}\n",
     [](OptionWiring& w, CommandOptions& o) {
       Input(w, o);
       w.Number("--last", o.last);
       w.Flag("--json", o.json);
     },
     [](CommandLine& cl, const TScaleParams& limits) {
       Require(!cl.options.input.empty(), cl, "-i FILE");
       CheckRange(cl.options.last, 1, limits.MaxPluNo, "--last");
     },
     RunVerify, {6}},
    {"ledger", "Lists or forgets what the ledger holds of each scale.",
       "qmctl ledger (list | forget NAME | rename OLD NEW)\n"
       "  The ledger keeps, for every scale, the records it last acknowledged or sent, so\n"
       "  that write-plu --changed sends only what a scale lacks. A scale of a fleet is kept\n"
       "  under its name in scales.conf, any other under its line and address\n"
       "  (\"/dev/ttyUSB0#1\", \"tcp://192.168.1.20:4001#3\").\n"
       "  list              every scale: its name, PLU and message records held, and the\n"
       "                    time of its last exchange\n"
       "  forget NAME       drops what the ledger holds of NAME: its next --changed write\n"
       "                    sends everything\n"
       "  rename OLD NEW    keeps the history of a scale that moved to another port\n",
     [](OptionWiring& w, CommandOptions& o) { w.Rest("ACTION", o.words); },
     [](CommandLine& cl, const TScaleParams&) {
       const std::vector<std::string>& w = cl.options.words;
       const bool list = w.size() == 1 && w[0] == "list";
       const bool forget = w.size() == 2 && w[0] == "forget";
       const bool rename = w.size() == 3 && w[0] == "rename";
       Require(list || forget || rename, cl, "list, forget NAME or rename OLD NEW");
     },
     // Not for a fleet: the ledger is one file for all scales.
     RunLedger, {}},
    {"fleet", "Runs one transfer on many scales listed in a file.",
       "qmctl [line options] fleet -c FILE [--jobs N] [--retry N] [--report FILE] [--json]\n"
       "      COMMAND ...\n"
       "  Runs COMMAND (read-plu, write-plu, read-msg, write-msg, read-totals, verify, or\n"
       "  weigh without --watch) with its own options on every scale listed in FILE, one\n"
       "  scale a line:   NAME PORT ADDRESS [MODEL [VERSION]]\n"
       "  Fields are separated by blanks; '#' begins a comment, blank lines are skipped.\n"
       "  Names are unique (letters, digits, '_', '-', '.'); MODEL and VERSION replace\n"
       "  --model and --version for that scale; the other line options apply to all.\n"
       "  \"{name}\" in the command's options stands for the scale's name, so that every\n"
       "  scale reads into a file of its own (-o plu-{name}.csv). Bad lines are named by\n"
       "  their number and nothing is started.\n"
       "  Scales on different lines run at the same time; scales sharing a line (the same\n"
       "  port) run one after the other. Each scale's output is written whole when it is\n"
       "  done, every line headed \"[NAME] \"; then a table: scale, result, exit code,\n"
       "  records, seconds, message. Exit 0 when every scale is done, 4 when one or more\n"
       "  is not, 2 on a usage error or a bad FILE.\n"
       "  -c FILE        the list of scales\n"
       "  --jobs N       at most N lines at once (default 8)\n"
       "  --retry N      runs a scale whose link failed (exit 3) up to N more times\n"
       "                 (default 0); findings, refusals and file errors are not retried\n"
       "  --report FILE  also writes the table as CSV (UTF-8) to FILE\n"
       "  --json         instead of the table, one JSON object a scale on stdout, a line\n"
       "                 each: {\"name\", \"port\", \"address\", \"result\", \"exit_code\",\n"
       "                 \"records\", \"seconds\", \"message\"}; the scales' own lines go to\n"
       "                 stderr (--json after COMMAND means the same)\n",
     [](OptionWiring&, CommandOptions&) {},
     [](CommandLine&, const TScaleParams&) {},
     // A fleet line is taken apart before this parser sees it (IsFleetLine); here "fleet" stood
     // after an option that took it for its value, or the like.
     [](const CommandLine&, CtlIo&) -> CommandOutcome {
       throw UsageError("fleet needs its options after it: fleet -c FILE ... COMMAND");
     },
     {}},
};

}  // namespace

std::span<const CommandRow> CommandTable() {
  return kCommands;
}

const CommandRow* FindCommand(const std::string& name) {
  for (const CommandRow& row : kCommands) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

std::vector<std::string> FleetCommandNames() {
  std::vector<const CommandRow*> rows;
  for (const CommandRow& row : kCommands) {
    if (row.fleet.place > 0) rows.push_back(&row);
  }
  std::sort(rows.begin(), rows.end(), [](const CommandRow* a, const CommandRow* b) {
    return a->fleet.place < b->fleet.place;
  });
  std::vector<std::string> names;
  for (const CommandRow* row : rows) names.emplace_back(row->name);
  return names;
}

}  // namespace qm::ctl
