#include "ctl/CommandTable.h"

#include <algorithm>

#include "ctl/Commands.h"

namespace qm::ctl {
namespace {

// The system's own texts for numbers the window would refuse (UTF-8 here: they go to the
// terminal).
constexpr const char* kBadPluNumber = "Неправильный номер PLU.";
constexpr const char* kBadMessageNumber = "Неправильный номер сообщения.";

void Require(bool condition, const CommandLine& cl, const std::string& what) {
  if (!condition) throw UsageError(cl.command + " needs " + what);
}

void CheckRange(std::optional<int> value, int low, int high, const char* text) {
  if (value && (*value < low || *value > high)) throw UsageError(text);
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
  CheckRange(cl.options.sample, 0, 100000, "--sample K takes a number from 0 to 100000");
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
       "  -o FILE   the file to write\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Number("--last", o.last);
       w.Number("--only", o.only);
       w.Text("-o", o.output);
     },
     [](CommandLine& cl, const TScaleParams& limits) {
       const CommandOptions& o = cl.options;
       Require(o.last.has_value() != o.only.has_value(), cl, "either --last N or --only N");
       Require(!o.output.empty(), cl, "-o FILE");
       CheckRange(o.last, 1, limits.MaxPluNo, kBadPluNumber);
       CheckRange(o.only, 0, limits.MaxPluNo, kBadPluNumber);
     },
     RunReadPlu, {1}},
    {"write-plu", "Programs the PLU rows of a file into the scale.",
       "qmctl [line options] write-plu -i FILE [--only N] [--messages FILE] [--force]\n"
       "                               [--changed [--sample K]]\n"
       "  Programs the PLU rows of FILE (.csv or .plw) into the scale, top to bottom.\n"
       "  The rows are validated first against the model's limits; with findings nothing is\n"
       "  sent (exit 1) unless --force is given.\n"
       "  -i FILE           the file to read\n"
       "  --only N          only the row whose PLU number is N\n"
       "  --messages FILE   the message table (.csv or .msw) the message numbers are checked\n"
       "                    against; without it the table holds one message, as in a fresh\n"
       "                    window\n"
       "  --force           write despite findings\n"
       kChangedHelp,
     [](OptionWiring& w, CommandOptions& o) {
       w.Text("-i", o.input);
       w.Number("--only", o.only);
       w.Text("--messages", o.messages);
       w.Flag("--force", o.force);
       ChangedOptions(w, o);
     },
     [](CommandLine& cl, const TScaleParams& limits) {
       Require(!cl.options.input.empty(), cl, "-i FILE");
       CheckRange(cl.options.only, 0, limits.MaxPluNo, kBadPluNumber);
       CheckChanged(cl);
     },
     RunWritePlu, {2}},
    {"read-msg", "Reads messages from the scale into a file.",
       "qmctl [line options] read-msg (--last N | --only N) -o FILE\n"
       "  Reads messages from the scale and writes them to FILE (.csv or .msw).\n"
       "  --last N  every message number from 1 up to N; absent ones are skipped\n"
       "  --only N  the one message number N\n"
       "  -o FILE   the file to write\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Number("--last", o.last);
       w.Number("--only", o.only);
       w.Text("-o", o.output);
     },
     [](CommandLine& cl, const TScaleParams& limits) {
       const CommandOptions& o = cl.options;
       Require(o.last.has_value() != o.only.has_value(), cl, "either --last N or --only N");
       Require(!o.output.empty(), cl, "-o FILE");
       CheckRange(o.last, 1, limits.MaxMessages, kBadMessageNumber);
       CheckRange(o.only, 1, limits.MaxMessages, kBadMessageNumber);
     },
     RunReadMsg, {3}},
    {"write-msg", "Programs the messages of a file into the scale.",
       "qmctl [line options] write-msg -i FILE [--force] [--changed [--sample K]]\n"
       "  Programs every message of FILE (.csv or .msw) into the scale after validation;\n"
       "  with findings nothing is sent (exit 1) unless --force is given.\n"
       "  -i FILE   the file to read\n"
       "  --force   write despite findings\n"
       kChangedHelp,
     [](OptionWiring& w, CommandOptions& o) {
       w.Text("-i", o.input);
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
       "  -o FILE   the file to write\n",
     [](OptionWiring& w, CommandOptions& o) { w.Text("-o", o.output); },
     [](CommandLine& cl, const TScaleParams&) {
       Require(!cl.options.output.empty(), cl, "-o FILE");
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
       "qmctl [line options] weigh [--watch]\n"
       "  Prints the scale's display (weight with its indicator letters, unit price, total\n"
       "  price, PLU number) as one line.\n"
       "  --watch   a line about every second until interrupted\n",
     [](OptionWiring& w, CommandOptions& o) { w.Flag("--watch", o.watch); },
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
       "  -i FILE   the file to read\n"
       "  -o FILE   the file to write\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Text("-i", o.input);
       w.Text("-o", o.output);
     },
     RequireInputAndOutput, RunMatch, {}},
    {"convert", "Converts between .csv and .plw, or .csv and .msw.",
       "qmctl convert -i FILE -o FILE [--force]\n"
       "  Converts between .csv and .plw (PLU table) or .csv and .msw (messages).\n"
       "  A .plw file keeps neither the logo nor the sales totals. Characters of a UTF-8\n"
       "  FILE that Windows-1251 cannot hold are named; nothing is written then (exit 1)\n"
       "  unless --force is given.\n"
       "  -i FILE   the file to read\n"
       "  -o FILE   the file to write\n"
       "  --force   write although characters were replaced by \"?\"\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Text("-i", o.input);
       w.Text("-o", o.output);
       w.Flag("--force", o.force);
     },
     RequireInputAndOutput, RunConvert, {}},
    {"scan", "Lists the scale addresses that answer on the line.",
       "qmctl [line options] scan [--from N --to M]\n"
       "  Lists the scale addresses that answer on the line. A silent address is given up\n"
       "  after about 0.2 s (the window waits 0.5 s). Exit 3 when no address answers.\n"
       "  --from N  the first address (default 1)\n"
       "  --to M    the last address (default: the model's highest address)\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Number("--from", o.from);
       w.Number("--to", o.to);
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
       "qmctl [line options] verify -i FILE [--last N]\n"
       "  Reads the PLU numbers of FILE back from the scale (or every number up to N) and\n"
       "  lists every cell that differs from the file, one a line. Exit 1 on differences.\n"
       "  -i FILE   the file to compare with\n"
       "  --last N  every PLU number from 1 up to N instead of the file's numbers\n",
     [](OptionWiring& w, CommandOptions& o) {
       w.Text("-i", o.input);
       w.Number("--last", o.last);
     },
     [](CommandLine& cl, const TScaleParams& limits) {
       Require(!cl.options.input.empty(), cl, "-i FILE");
       CheckRange(cl.options.last, 1, limits.MaxPluNo, kBadPluNumber);
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
       "qmctl [line options] fleet -c FILE [--jobs N] [--retry N] [--report FILE] COMMAND ...\n"
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
       "  --report FILE  also writes the table as CSV (UTF-8) to FILE\n",
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
