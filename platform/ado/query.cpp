#include "platform/ado/query.h"

#include <cctype>
#include <string_view>

namespace ado {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

void SkipSpace(std::string_view& s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
}

// A keyword followed by white space.
bool Keyword(std::string_view& s, std::string_view word) {
  SkipSpace(s);
  if (!StartsWithNoCase(s, word) || s.size() == word.size() ||
      !std::isspace(static_cast<unsigned char>(s[word.size()]))) {
    return false;
  }
  s.remove_prefix(word.size());
  return true;
}

}  // namespace

std::optional<std::string> DataSourceOf(const std::string& cs) {
  constexpr std::string_view kHead = "Data Source=\"";
  constexpr std::string_view kTail = "\"; Extended Properties=";
  std::size_t head = std::string::npos;
  for (std::size_t i = 0; i + kHead.size() <= cs.size(); ++i) {
    if (StartsWithNoCase(std::string_view(cs).substr(i), kHead)) {
      head = i + kHead.size();
      break;
    }
  }
  if (head == std::string::npos) return std::nullopt;
  const std::size_t tail = cs.rfind(kTail);
  if (tail != std::string::npos && tail >= head) return cs.substr(head, tail - head);
  // Without extended properties the source runs to the last quote.
  const std::size_t quote = cs.rfind('"');
  if (quote == std::string::npos || quote < head) return std::nullopt;
  return cs.substr(head, quote - head);
}

std::optional<SelectQuery> ParseSelect(const std::string& sql) {
  std::string_view s = sql;
  SelectQuery query;
  if (!Keyword(s, "select")) return std::nullopt;
  if (Keyword(s, "top")) {
    SkipSpace(s);
    std::int64_t n = 0;
    std::size_t digits = 0;
    while (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits])) &&
           digits < 12) {
      n = n * 10 + (s[digits] - '0');
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    s.remove_prefix(digits);
    query.limit = n;
  }
  SkipSpace(s);
  if (s.empty() || s.front() != '*') return std::nullopt;
  s.remove_prefix(1);
  if (!Keyword(s, "from")) return std::nullopt;
  SkipSpace(s);
  if (s.empty() || s.front() != '[') return std::nullopt;
  s.remove_prefix(1);
  const std::size_t close = s.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  query.table = std::string(s.substr(0, close));
  s.remove_prefix(close + 1);
  SkipSpace(s);
  if (!s.empty()) return std::nullopt;  // "]" inside the name, or more text
  return query;
}

}  // namespace ado
