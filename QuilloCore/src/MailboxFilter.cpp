#include "QuilloCore/MailboxFilter.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "Unicode.hpp"

namespace quillo {

namespace {

constexpr std::string_view kSeparator = " \u203A ";  // " › "

enum Rank : int { namePrefix, nameWordStart, nameContains, nameLetters, pathLetters };

bool isWordStart(const std::u32string& text, std::size_t at) {
  return at == 0 || !unicode::isLetterOrDigit(text[at - 1]);
}

/// Whether the letters of `query` occur in `text` in order.
bool holdsInOrder(const std::u32string& text, const std::u32string& query) {
  std::size_t next = 0;
  for (const char32_t c : text) {
    if (next < query.size() && c == query[next]) ++next;
  }
  return next == query.size();
}

std::optional<Rank> rank(const std::u32string& name, const std::u32string& path,
                         const std::u32string& query, const std::u32string& letters) {
  if (name.starts_with(query)) return namePrefix;
  bool contains = false;
  for (std::size_t at = name.find(query); at != std::u32string::npos;
       at = name.find(query, at + 1)) {
    if (isWordStart(name, at)) return nameWordStart;
    contains = true;
  }
  if (contains) return nameContains;
  if (holdsInOrder(name, letters)) return nameLetters;
  if (holdsInOrder(path, letters)) return pathLetters;
  return std::nullopt;
}

std::u32string withoutBlanks(const std::u32string& text) {
  std::u32string out;
  for (const char32_t c : text) {
    if (c != U' ' && c != U'\t') out.push_back(c);
  }
  return out;
}

}  // namespace

std::string displayPath(const Mailbox& mailbox) {
  std::string out;
  for (const std::string& title : mailbox.path) {
    if (!out.empty()) out += kSeparator;
    out += title;
  }
  return out;
}

MailboxIndex::MailboxIndex(std::vector<Mailbox> mailboxes) : mailboxes_(std::move(mailboxes)) {
  prepared_.reserve(mailboxes_.size());
  for (const Mailbox& mailbox : mailboxes_) {
    Prepared prepared;
    if (!mailbox.path.empty()) prepared.name = unicode::searchFolded(mailbox.path.back());
    for (const std::string& title : mailbox.path)
      prepared.path += withoutBlanks(unicode::searchFolded(title));
    prepared_.push_back(std::move(prepared));
  }
}

std::vector<std::size_t> MailboxIndex::filter(std::string_view query,
                                              std::span<const Mailbox> recent) const {
  const std::u32string folded = unicode::searchFolded(query);
  const std::u32string letters = withoutBlanks(folded);
  struct Candidate {
    int rank;
    std::size_t recency;
    std::size_t index;
    auto operator<=>(const Candidate&) const = default;
  };
  const auto recencyOf = [&](std::size_t index) {
    const auto found = std::find(recent.begin(), recent.end(), mailboxes_[index]);
    return found == recent.end() ? std::numeric_limits<std::size_t>::max()
                                 : static_cast<std::size_t>(found - recent.begin());
  };
  std::vector<Candidate> found;
  for (std::size_t i = 0; i < prepared_.size(); ++i) {
    if (letters.empty()) {
      found.push_back({namePrefix, recencyOf(i), i});
    } else if (const auto matched = rank(prepared_[i].name, prepared_[i].path, folded, letters)) {
      found.push_back({*matched, recent.empty() ? 0 : recencyOf(i), i});
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<std::size_t> order;
  order.reserve(found.size());
  for (const Candidate& candidate : found)
    order.push_back(candidate.index);
  return order;
}

}  // namespace quillo
