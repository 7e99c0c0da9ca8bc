// The data a session works on: the PLU table, the message table, the sales totals, the three
// unsaved-changes flags and the files the tables were last loaded from or saved to. The window
// shows these very objects (its grids observe the tables); qmctl fills them from files or from
// the scale. One instance per session, used on the session's thread only.
#pragma once

#include <string>

#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/TextGrid.h"
#include "tables/TotalsPage.h"
#include "transfer/GrandTotals.h"

namespace qm {

class StatusView;

// The file each table was last loaded from or saved to (empty at start and after a New
// command), and whether that file is a CSV data file or a native one. File names are in the file
// system's own encoding.
struct FileState {
  std::string pluFileName;
  std::string messageFileName;
  bool pluFileIsCsv = false;
  bool messageFileIsCsv = false;
};

struct SessionTables {
  // Fresh tables: one PLU row (PluNo "1", MessageNo "0"), one message ("1", "Список 1", empty
  // text), the cleared totals page, nothing modified. `view` receives the Save button state; it may
  // be null and must outlive the tables.
  explicit SessionTables(StatusView* view = nullptr)
      : plu(kPluColumnCount), flags(view), totals(ClearedTotalsPage()) {
    ResetPluTable(plu);
  }
  SessionTables(const SessionTables&) = delete;
  SessionTables& operator=(const SessionTables&) = delete;

  TextGrid plu;
  MessageTable messages;
  ModifiedFlags flags;
  TotalsPage totals;
  FileState files;
};

}  // namespace qm
