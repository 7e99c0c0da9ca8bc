// Running qmctl in the test process: the command line goes in, the exit code and both output
// streams (UTF-8) come out. Files live in a fresh temporary folder per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "base/TickSource.h"
#include "ctl/Qmctl.h"
#include "files/FileIo.h"
#include "files/ListSeparator.h"
#include "support/TestFolder.h"

namespace qmtest {

struct CtlResult {
  int code = -1;
  std::string out;
  std::string err;
};

// The head of a PLU file in the window's comma layout (title line and column names), for the
// price files the tests write.
inline const char kPluHeader[] =
    "Товары,\n\"Товар №\",\"Наименование 1\",\"Наименование 2\",Цена,\"Срок хранения\","
    "\"Вес тары\",Код,\"Код группы\",\"Сообщение №\",Логотип,\"Начало продаж\",Количество,Сумма,"
    "Вес\n";

// `ticks`: the link's timer on virtual time (nullptr: real time).
inline CtlResult RunCtl(std::vector<std::string> args, qm::TickSource* ticks = nullptr) {
  std::ostringstream out, err;
  CtlResult r;
  r.code = qm::ctl::RunQmctl(args, {out, err, false, ticks});
  r.out = out.str();
  r.err = err.str();
  return r;
}

// Counts the lines of a text.
inline int LineCount(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

class CtlTest : public ::testing::Test {
 protected:
  CtlTest() {
    dir_ = FreshTestFolder("qmctl_test");
    qm::SetListSeparatorForTesting(',');
    qm::SetTodayForTesting(qm::Date{2025, 6, 15});
  }
  ~CtlTest() override {
    qm::SetListSeparatorForTesting(std::nullopt);
    qm::SetTodayForTesting(std::nullopt);
    std::filesystem::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  // Writes a file; `utf8` is converted to Windows-1251 and "\n" to CR LF.
  std::string WriteText(const std::string& name, const std::string& utf8) {
    std::string crlf;
    for (char c : qm::Win1251(utf8)) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    EXPECT_TRUE(qm::WriteWholeFile(Path(name), crlf).ok);
    return Path(name);
  }
  // A file's bytes as UTF-8 with CR LF shown as "\n".
  std::string ReadText(const std::string& name) {
    std::string bytes;
    qm::ReadWholeFile(Path(name), bytes);
    std::string text = qm::Utf8(bytes), plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      plain += text[i];
    }
    return plain;
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

 private:
  std::filesystem::path dir_;
};

}  // namespace qmtest
