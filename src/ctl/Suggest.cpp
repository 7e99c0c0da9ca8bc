#include "ctl/Suggest.h"

#include <algorithm>

namespace qm::ctl {
namespace {

std::string WithoutDashes(const std::string& text) {
  return text.substr(std::min(text.find_first_not_of('-'), text.size()));
}

}  // namespace

int EditDistance(const std::string& a, const std::string& b) {
  const std::size_t n = a.size(), m = b.size();
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i);
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[n][m];
}

std::vector<std::string> Suggestions(const std::string& typed,
                                     const std::vector<std::string>& names) {
  const std::string word = WithoutDashes(typed);
  std::vector<std::string> found;
  if (word.empty()) return found;
  for (const std::string& name : names) {
    const std::string plain = WithoutDashes(name);
    if (plain.size() > word.size() && plain.compare(0, word.size(), word) == 0) {
      found.push_back(name);
    }
  }
  if (!found.empty()) return found;
  int best = 3;
  for (const std::string& name : names) {
    const int distance = EditDistance(word, WithoutDashes(name));
    if (distance > 2 || 2 * distance >= static_cast<int>(word.size())) continue;
    if (distance < best) found.clear();
    if (distance <= best) {
      best = distance;
      found.push_back(name);
    }
  }
  return found;
}

std::string DidYouMean(const std::vector<std::string>& names) {
  if (names.empty()) return {};
  std::string text = "; did you mean ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text + "?";
}

}  // namespace qm::ctl
