#include "MailboxPickerController.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

#include "PanelPlacement.hpp"
#include "Platform/KeyCodes.hpp"

namespace quillo {

namespace {

MailboxPicker::Purpose purposeOf(ActionID action) {
  return action == ActionID::copyToMailbox ? MailboxPicker::Purpose::copy
                                           : MailboxPicker::Purpose::move;
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

}  // namespace

MailboxPickerController::MailboxPickerController(AppController& app, platform::StatusItem& item,
                                                 platform::PanelWindow& window,
                                                 platform::EventMonitors& monitors,
                                                 PickerView& view, pid_t ownProcess)
    : app_(app),
      item_(item),
      window_(window),
      monitors_(monitors),
      view_(view),
      ownProcess_(ownProcess),
      reader_(app.environment().accessibility, app.environment().loop, MailboxReader::Limits{}) {
  view_.setOnRequest([weak = lifeline_.weak()](const PickerRequest& request) {
    if (auto* self = Lifeline<MailboxPickerController>::lock(weak)) self->perform(request);
  });
}

MailboxPickerController::~MailboxPickerController() {
  view_.setOnRequest(nullptr);
  monitorTokens_.clear();
  observers_.clear();
  if (window_.isVisible()) window_.orderOut();
}

MailboxPickerController::Cached* MailboxPickerController::cached(pid_t pid,
                                                                 MailboxPicker::Purpose purpose) {
  for (Cached& entry : cache_) {
    if (entry.pid == pid && entry.purpose == purpose) return &entry;
  }
  return nullptr;
}

std::string MailboxPickerController::open(ActionID action) {
  const auto mail = app_.mailProcess();
  if (!mail) return "Mail isn't running";
  if (isOpen()) close("it was opened again");
  // Lists of a Mail process that has gone name items that are gone too.
  std::erase_if(cache_, [&](const Cached& entry) { return entry.pid != *mail; });
  action_ = action;
  mail_ = *mail;
  const auto purpose = purposeOf(action);
  picker_.emplace(purpose, app_.prefs().recentMailboxes(MailboxPicker::recentLimit));
  std::string what = "opened the picker";
  if (const Cached* entry = cached(mail_, purpose)) {
    picker_->setMailboxes(entry->listing.mailboxes);
    const double age =
        std::chrono::duration<double>(app_.environment().loop.now() - entry->readAt).count();
    if (age > freshFor) {
      startReading(mail_, purpose);
      what += "; reading Mail's mailboxes again";
    }
  } else {
    startReading(mail_, purpose);
    what += "; reading Mail's mailboxes";
  }
  redraw();
  place();
  item_.setHighlighted(true);
  window_.orderFrontAsKey();

  const auto weak = lifeline_.weak();
  const auto closeIt = [weak](const char* why) {
    if (auto* self = Lifeline<MailboxPickerController>::lock(weak)) self->close(why);
  };
  auto& workspace = app_.environment().workspace;
  observers_.push_back(workspace.observeActivation(
      [closeIt, own = ownProcess_](const std::optional<platform::RunningApplication>& activated) {
        if (!activated || activated->processIdentifier != own)
          closeIt("another application became active");
      }));
  observers_.push_back(workspace.observeTermination(
      [closeIt, mail = mail_](const std::optional<platform::RunningApplication>& ended) {
        if (!ended || ended->processIdentifier == mail) closeIt("Mail quit");
      }));
  observers_.push_back(window_.observeResignKey([closeIt] { closeIt("it lost the keyboard"); }));
  monitorTokens_.push_back(monitors_.addGlobalMouseDownMonitor(
      [closeIt](const platform::MonitoredEvent&) { closeIt("a click in another application"); }));
  monitorTokens_.push_back(monitors_.addLocalMonitor([weak](const platform::MonitoredEvent& event) {
    auto* self = Lifeline<MailboxPickerController>::lock(weak);
    return self ? self->handleLocalEvent(event) : true;
  }));
  return what;
}

void MailboxPickerController::close(std::string_view why) {
  if (window_.isVisible()) lastCloseReason_ = std::string(why);
  monitorTokens_.clear();
  observers_.clear();
  window_.orderOut();
  item_.setHighlighted(false);
  picker_.reset();
  shown_.reset();
}

void MailboxPickerController::startReading(pid_t pid, MailboxPicker::Purpose purpose) {
  std::vector<MenuPath> paths;
  // A value: the action's menu paths live in it.
  const Keymap keymap = app_.activeKeymap();
  if (const ActionSpec* spec = keymap.spec(action_)) paths = spec->menu;
  reader_.read(pid, purpose, std::move(paths),
               [weak = lifeline_.weak(), pid, purpose](MailboxReader::Listing listing) {
                 if (auto* self = Lifeline<MailboxPickerController>::lock(weak))
                   self->read(pid, purpose, std::move(listing));
               });
}

void MailboxPickerController::read(pid_t pid, MailboxPicker::Purpose purpose,
                                   MailboxReader::Listing listing) {
  const bool usable = listing.state == MailboxPicker::ListState::read;
  const bool showing = picker_ && mail_ == pid && picker_->purpose() == purpose;
  if (usable) {
    Cached* entry = cached(pid, purpose);
    if (!entry) entry = &cache_.emplace_back(Cached{pid, purpose, {}, {}});
    entry->listing = listing;
    entry->readAt = app_.environment().loop.now();
  }
  if (!showing) return;
  // A list already shown stays when reading it again failed.
  if (usable) {
    picker_->setMailboxes(std::move(listing.mailboxes));
  } else if (!cached(pid, purpose)) {
    picker_->setListState(listing.state);
  }
  redraw();
}

void MailboxPickerController::perform(const PickerRequest& request) {
  if (!picker_) return;
  std::visit(Overloaded{
                 [this](const PickerRequests::Choose& choice) { choose(choice.mailbox); },
                 [this](const PickerRequests::Scroll& scroll) {
                   picker_->scroll(scroll.rows);
                   redraw();
                 },
             },
             request);
}

bool MailboxPickerController::handleLocalEvent(const platform::MonitoredEvent& event) {
  if (!picker_) return true;
  if (event.type != platform::MonitoredEvent::Type::keyDown) return true;  // clicks: the view's
  // Every key is the picker's: none goes on to be typed anywhere else.
  switch (picker_->handle(MailboxPicker::keyOf(event))) {
    case MailboxPicker::KeyOutcome::changed:
      redraw();
      break;
    case MailboxPicker::KeyOutcome::unchanged:
      break;
    case MailboxPicker::KeyOutcome::choose:
      if (const auto mailbox = picker_->selection()) choose(*mailbox);
      break;
    case MailboxPicker::KeyOutcome::close:
      close("Esc");
      break;
  }
  return false;
}

void MailboxPickerController::choose(const Mailbox& mailbox) {
  const auto purpose = picker_->purpose();
  const Cached* entry = cached(mail_, purpose);
  if (!entry) return;
  const auto& listed = entry->listing.mailboxes;
  const auto found = std::find(listed.begin(), listed.end(), mailbox);
  if (found == listed.end()) return;
  const auto item = entry->listing.items[static_cast<std::size_t>(found - listed.begin())];
  MenuPath path = entry->listing.menu;
  path.insert(path.end(), mailbox.path.begin(), mailbox.path.end());
  app_.rememberMailbox(mailbox);
  const pid_t mail = mail_;
  app_.fileMessages(action_, item, std::move(path), mail,
                    [weak = lifeline_.weak(), mail, purpose](const ActionOutcome& outcome) {
                      auto* self = Lifeline<MailboxPickerController>::lock(weak);
                      if (!self) return;
                      // Mail took the item away: its list is out of date.
                      if (std::holds_alternative<ActionOutcome::Failed>(outcome.value))
                        std::erase_if(self->cache_, [&](const Cached& cachedList) {
                          return cachedList.pid == mail && cachedList.purpose == purpose;
                        });
                    });
  close("a mailbox was chosen");
}

void MailboxPickerController::redraw() {
  if (!picker_) return;
  PickerContent content = picker_->content();
  if (content == shown_) return;
  shown_ = std::move(content);
  view_.display(*shown_);
}

void MailboxPickerController::place() {
  const platform::Size size = view_.fittingSize().value_or(fallbackSize);
  window_.setFrame(
      PanelPlacement::frame(size, item_.buttonFrameOnScreen(), item_.visibleFrameOfButtonScreen()));
}

}  // namespace quillo
