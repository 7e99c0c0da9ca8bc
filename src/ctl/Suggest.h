// "Did you mean ...?" for a mistyped command or option: the names close to what was typed.
#pragma once

#include <string>
#include <vector>

namespace qm::ctl {

// The edit distance of two words: insertions, deletions, substitutions and the swap of two
// neighbouring characters count one each ("prot" is one from "port").
int EditDistance(const std::string& a, const std::string& b);

// The names `typed` most likely meant, in the order of `names`: those that `typed` begins (a
// shortened name), otherwise those nearest to it when at most two edits away and nearer than
// half its length. Leading dashes count on neither side. Empty when nothing is close.
std::vector<std::string> Suggestions(const std::string& typed, const std::vector<std::string>& names);

// "; did you mean read-plu?", "; did you mean read-plu or read-msg?"; empty for no names.
std::string DidYouMean(const std::vector<std::string>& names);

}  // namespace qm::ctl
