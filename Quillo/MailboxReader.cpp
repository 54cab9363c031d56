#include "MailboxReader.hpp"

#include <utility>

#include "MailMenu.hpp"
#include "QuilloCore/MenuResolver.hpp"

namespace quillo {

namespace {

std::vector<std::string> childTitles(const std::vector<AXMenuNode>& items) {
  std::vector<std::string> titles;
  for (const AXMenuNode& item : items) {
    const auto title = item.title();
    if (title && !title->empty()) titles.push_back(*title);
  }
  return titles;
}

/// The submenu that lists mailboxes when no path names it: the first or
/// the second of two neighbouring submenus with the same titles.
std::optional<std::pair<AXMenuNode, MenuPath>> twinMenu(const std::vector<AXMenuNode>& bar,
                                                        MailboxPicker::Purpose purpose) {
  for (const AXMenuNode& menu : bar) {
    std::optional<std::pair<AXMenuNode, std::vector<std::string>>> previous;
    for (const AXMenuNode& item : menu.children()) {
      const auto title = item.title();
      if (!title || title->empty()) continue;  // a separator keeps the pair
      const auto titles = childTitles(item.children());
      if (!titles.empty() && previous && previous->second == titles) {
        const AXMenuNode& chosen = purpose == MailboxPicker::Purpose::move ? previous->first : item;
        return std::pair{chosen,
                         MenuPath{menu.title().value_or("?"), chosen.title().value_or("?")}};
      }
      if (titles.empty()) {
        previous.reset();
      } else {
        previous.emplace(item, titles);
      }
    }
  }
  return std::nullopt;
}

void collect(const AXMenuNode& menu, std::vector<std::string>& path, int levelsLeft,
             MailboxReader::Listing& listing) {
  for (const AXMenuNode& item : menu.children()) {
    const auto title = item.title();
    if (!title || title->empty()) continue;  // a separator
    path.push_back(*title);
    const auto below = item.children();
    if (below.empty()) {
      listing.mailboxes.push_back(Mailbox{path});
      listing.items.push_back(item.element());
    } else if (levelsLeft > 0) {
      collect(item, path, levelsLeft - 1, listing);
    }
    path.pop_back();
  }
}

}  // namespace

MailboxReader::MailboxReader(platform::Accessibility& ax, platform::MainLoop& loop, Limits limits)
    : ax_(ax, [&loop] { return loop.now(); }), loop_(loop), limits_(limits) {}

void MailboxReader::read(pid_t pid, MailboxPicker::Purpose purpose, std::vector<MenuPath> paths,
                         Done done) {
  cancel();
  pid_ = pid;
  purpose_ = purpose;
  paths_ = std::move(paths);
  done_ = std::move(done);
  started_ = loop_.now();
  requests_ = 0;
  post();
}

void MailboxReader::cancel() {
  ++generation_;
  done_ = nullptr;
  ax_.forget();
}

void MailboxReader::post() {
  inLaterTurn(loop_, [weak = lifeline_.weak(), generation = generation_] {
    auto* self = Lifeline<MailboxReader>::lock(weak);
    if (self && self->generation_ == generation) self->turn();
  });
}

void MailboxReader::turn() {
  if (!done_) return;
  ax_.begin(mainLoopTurnBudget);
  ax_.setRemembering(true);
  auto listing = walk();
  ax_.setRemembering(false);
  requests_ += ax_.asked();
  ax_.end();
  const double elapsed = std::chrono::duration<double>(loop_.now() - started_).count();
  if (!listing && requests_ <= limits_.requests && elapsed <= limits_.seconds) {
    post();  // key events first; then on from where it stopped
    return;
  }
  if (!listing || requests_ > limits_.requests) listing = Listing{};  // unreadable
  listing->requests = requests_;
  ax_.forget();
  Done done = std::move(done_);
  done_ = nullptr;
  done(std::move(*listing));
}

std::optional<MailboxReader::Listing> MailboxReader::walk() {
  Listing listing;
  const std::vector<AXMenuNode> bar = menuBarItems(ax_, pid_);
  if (ax_.ranOut()) return std::nullopt;
  if (bar.empty()) return listing;  // unreadable
  std::optional<AXMenuNode> menu;
  for (const MenuPath& path : paths_) {
    menu = MenuResolver::resolve(path, bar, ActionExecutor::anywhereDepth);
    if (ax_.ranOut()) return std::nullopt;
    if (menu) {
      listing.menu = path;
      break;
    }
  }
  if (!menu) {
    auto twin = twinMenu(bar, purpose_);
    if (ax_.ranOut()) return std::nullopt;
    if (!twin) {
      listing.state = MailboxPicker::ListState::noMenu;
      return listing;
    }
    menu = std::move(twin->first);
    listing.menu = std::move(twin->second);
  }
  std::vector<std::string> path;
  collect(*menu, path, limits_.depth, listing);
  if (ax_.ranOut()) return std::nullopt;
  listing.state = MailboxPicker::ListState::read;
  return listing;
}

}  // namespace quillo
