// The simulated Mail's menu bar: every menu's titles, structure and key
// equivalents, which of the app's state enables each item, and the command
// each runs. A Mail in another language, or of another version, differs here.
#include <algorithm>
#include <map>

#include "MailWindow.hpp"
#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

namespace {

namespace Flags = platform::EventFlags;

constexpr std::uint64_t kCommand = Flags::command;
constexpr std::uint64_t kShiftCommand = Flags::shift | Flags::command;
constexpr std::uint64_t kOptionCommand = Flags::alternate | Flags::command;
constexpr std::uint64_t kControlCommand = Flags::control | Flags::command;

/// The menu that lists the open windows below its fixed items.
constexpr const char* kWindowMenu = "Window";

bool pathListed(const std::vector<std::vector<std::string>>& paths,
                const std::vector<std::string>& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

/// Drops the items this Mail lacks, disables the ones it never enables and
/// marks the ones whose press blocks.
void applyVariant(std::vector<MenuItem>& items, std::vector<std::string>& path,
                  const MailVariant& variant) {
  for (auto it = items.begin(); it != items.end();) {
    if (it->title.empty()) {
      ++it;
      continue;
    }
    path.push_back(it->title);
    if (pathListed(variant.missingItems, path)) {
      path.pop_back();
      it = items.erase(it);
      continue;
    }
    if (pathListed(variant.disabledItems, path)) it->enabled = [] { return false; };
    if (pathListed(variant.unreadableEnabledItems, path)) it->enabledUnreadable = true;
    if (pathListed(variant.blockingItems, path)) it->blocksPress = true;
    applyVariant(it->submenu, path, variant);
    path.pop_back();
    ++it;
  }
}

/// A menu title in Mail's language. Most titles translate alike wherever
/// they stand; a few depend on their menu ("Archive" is a command in the
/// Message menu and a mailbox elsewhere), keyed "Menu/Title".
std::string localized(const std::string& language, const std::string& menu,
                      const std::string& title) {
  using Table = std::map<std::string, std::string>;
  static const Table german{
      {"About Mail", "Über Mail"},
      {"Settings…", "Einstellungen …"},
      {"Hide Mail", "Mail ausblenden"},
      {"Quit Mail", "Mail beenden"},
      {"File", "Ablage"},
      {"New Message", "Neue E-Mail"},
      {"New Viewer Window", "Neues Viewer-Fenster"},
      {"Open Message", "E-Mail öffnen"},
      {"Close Window", "Fenster schließen"},
      {"Save", "Sichern"},
      {"Print…", "Drucken …"},
      {"Edit", "Bearbeiten"},
      {"Undo", "Widerrufen"},
      {"Redo", "Wiederholen"},
      {"Cut", "Ausschneiden"},
      {"Copy", "Kopieren"},
      {"Paste", "Einsetzen"},
      {"Delete", "Löschen"},
      {"Select All", "Alles auswählen"},
      {"Find", "Suchen"},
      {"Find…", "Suchen …"},
      {"Mailbox Search", "Postfachsuche"},
      {"Find Next", "Weitersuchen"},
      {"Spelling and Grammar", "Rechtschreibung und Grammatik"},
      {"Show Spelling and Grammar", "Rechtschreibung und Grammatik einblenden"},
      {"Check Document Now", "Dokument jetzt prüfen"},
      {"View", "Darstellung"},
      {"Show Favorites Bar", "Favoritenleiste einblenden"},
      {"Sort By", "Sortieren nach"},
      {"Date", "Datum"},
      {"From", "Von"},
      {"Subject", "Betreff"},
      {"Show Mailbox List", "Postfachliste einblenden"},
      {"Mailbox", "Postfach"},
      {"Get All New Mail", "Alle neuen E-Mails empfangen"},
      {"Go to Favorite Mailbox", "Zu bevorzugtem Postfach wechseln"},
      {"Inbox", "Eingang"},
      {"Archive", "Archiv"},
      {"Sent", "Gesendet"},
      {"Junk", "Werbung"},
      {"Trash", "Papierkorb"},
      // Apple's German guide names the Message menu „E-Mail“
      // (support.apple.com/de-at/guide/mail/mlhlp1017: „E-Mail“ > „Regeln
      // anwenden“). No other title in these tables is confirmed by a source.
      {"Message", "E-Mail"},
      {"Send", "Senden"},
      {"Reply", "Antworten"},
      {"Reply All", "Allen antworten"},
      {"Forward", "Weiterleiten"},
      {"Mark as Read", "Als gelesen markieren"},
      {"Mark as Unread", "Als ungelesen markieren"},
      {"Flag", "Markierung"},
      {"Toggle Flag", "Markierung umschalten"},
      {"Red", "Rot"},
      {"Move to Junk", "In „Werbung“ bewegen"},
      {"Move to Spam", "In „Spam“ bewegen"},
      {"Message/Archive", "Archivieren"},
      // Not confirmed: no public source was found for the German titles of
      // Move To and Copy To. Quillo does not rely on them (it finds the two
      // menus by their shape); only the transcripts show them.
      {"Move To", "Bewegen nach"},
      {"Copy To", "Kopieren nach"},
      {"Apply Rules", "Regeln anwenden"},
      {"Show Fonts", "Schriften einblenden"},
      {"Show Colors", "Farben einblenden"},
      {"Window", "Fenster"},
      {"Minimize", "Im Dock ablegen"},
      {"Zoom", "Zoomen"},
      {"Message Viewer", "E-Mail-Viewer"},
      {"Help", "Hilfe"},
      {"Help/Search", "Suchen"},
      {"Mail Help", "Mail-Hilfe"},
  };
  static const Table french{
      {"About Mail", "À propos de Mail"},
      {"Settings…", "Réglages…"},
      {"Hide Mail", "Masquer Mail"},
      {"Quit Mail", "Quitter Mail"},
      {"File", "Fichier"},
      {"New Message", "Nouveau message"},
      {"New Viewer Window", "Nouvelle fenêtre de visualisation"},
      {"Open Message", "Ouvrir le message"},
      {"Close Window", "Fermer la fenêtre"},
      {"Save", "Enregistrer"},
      {"Print…", "Imprimer…"},
      {"Edit", "Édition"},
      {"Undo", "Annuler"},
      {"Redo", "Rétablir"},
      {"Cut", "Couper"},
      {"Copy", "Copier"},
      {"Paste", "Coller"},
      {"Delete", "Supprimer"},
      {"Select All", "Tout sélectionner"},
      {"Find", "Rechercher"},
      {"Find…", "Rechercher…"},
      {"Mailbox Search", "Recherche dans la boîte aux lettres"},
      {"Find Next", "Rechercher le suivant"},
      {"Spelling and Grammar", "Orthographe et grammaire"},
      {"Show Spelling and Grammar", "Afficher l’orthographe et la grammaire"},
      {"Check Document Now", "Vérifier le document maintenant"},
      {"View", "Présentation"},
      {"Show Favorites Bar", "Afficher la barre des favoris"},
      {"Sort By", "Trier par"},
      {"From", "De"},
      {"Subject", "Objet"},
      {"Show Mailbox List", "Afficher la liste des boîtes"},
      {"Mailbox", "Boîte aux lettres"},
      {"Get All New Mail", "Relever tous les nouveaux messages"},
      {"Go to Favorite Mailbox", "Aller à la boîte favorite"},
      {"Inbox", "Réception"},
      {"Archive", "Archives"},
      {"Sent", "Envoyés"},
      {"Junk", "Indésirables"},
      {"Trash", "Corbeille"},
      {"Send", "Envoyer"},
      {"Reply", "Répondre"},
      {"Reply All", "Répondre à tous"},
      {"Forward", "Transférer"},
      {"Mark as Read", "Marquer comme lu"},
      {"Mark as Unread", "Marquer comme non lu"},
      {"Flag", "Drapeau"},
      {"Toggle Flag", "Activer/désactiver le drapeau"},
      {"Red", "Rouge"},
      {"Move to Junk", "Placer dans Indésirables"},
      {"Move to Spam", "Placer dans Spam"},
      {"Message/Archive", "Archiver"},
      {"Move To", "Déplacer vers"},
      {"Copy To", "Copier vers"},
      {"Apply Rules", "Appliquer les règles"},
      {"Show Fonts", "Afficher les polices"},
      {"Show Colors", "Afficher les couleurs"},
      {"Window", "Fenêtre"},
      {"Minimize", "Placer dans le Dock"},
      {"Zoom", "Réduire/agrandir"},
      {"Message Viewer", "Visualiseur de messages"},
      {"Help", "Aide"},
      {"Help/Search", "Rechercher"},
      {"Mail Help", "Aide Mail"},
  };
  const Table* table = language == "de" ? &german : language == "fr" ? &french : nullptr;
  if (!table) return title;
  if (const auto found = table->find(menu + "/" + title); found != table->end())
    return found->second;
  const auto found = table->find(title);
  return found == table->end() ? title : found->second;  // "Mail", "Format", "Orange"
}

/// Puts the titles of `items` (in the menu `menu`, by its English title) into
/// Mail's language. A title that follows the app's state keeps its first
/// word translated ("Undo Move" reads "Widerrufen Move").
void localize(std::vector<MenuItem>& items, const std::string& menu, const std::string& language) {
  for (MenuItem& item : items) {
    localize(item.submenu, item.title, language);
    if (item.liveTitle) {
      item.liveTitle = [live = std::move(item.liveTitle), language] {
        std::string title = live();
        const std::size_t blank = title.find(' ');
        const std::string first = title.substr(0, blank);
        return localized(language, "", first) +
               (blank == std::string::npos ? "" : title.substr(blank));
      };
    }
    if (!item.title.empty()) item.title = localized(language, menu, item.title);
  }
}

/// Gives the item at `path` (below `items`) the user's key equivalent.
bool applyAppShortcut(std::vector<MenuItem>& items, const std::vector<std::string>& path,
                      std::size_t depth, const KeyEquivalent& key) {
  for (MenuItem& item : items) {
    if (item.title != path[depth]) continue;
    if (depth + 1 == path.size()) {
      item.key = key;
      return true;
    }
    return applyAppShortcut(item.submenu, path, depth + 1, key);
  }
  return false;
}

}  // namespace

bool isMenuLanguage(const std::string& language) {
  return language == "en" || language == "de" || language == "fr";
}

void MailApp::buildMenus() {
  const auto hasTarget = [this] { return targetMessage().has_value(); };
  const auto targetRead = [this](bool read) {
    return [this, read] {
      const auto m = targetMessage();
      return m && m->read == read;
    };
  };
  const auto composing = [this] {
    const auto window = keyWindow();
    return window && window->kind == WindowKind::compose;
  };
  const auto hasWindow = [this] { return !windows_.empty(); };
  const auto editableFocus = [this] {
    const auto focused = focusedElement();
    return focused && focused->editable;
  };
  // Message › Move To and Copy To list the same mailboxes: Mail's own, then
  // the user's, then a second account ("Work") whose mailboxes sit in a
  // submenu of its own, a mailbox holding others in a further one. A
  // mailbox is stored under its path ("Work › Clients › Acme").
  const auto mailboxMenu = [this, hasTarget](bool copy) {
    const auto mailbox = [this, hasTarget, copy](std::string title, std::string stored) {
      return MenuItem{
          .title = std::move(title), .enabled = hasTarget, .action = [this, copy, stored] {
            if (copy) {
              copyTargetTo(stored);
            } else {
              moveTargetTo(stored);
            }
          }};
    };
    return std::vector<MenuItem>{
        mailbox("Inbox", "Inbox"),
        mailbox("Archive", "Archive"),
        mailbox("Trash", "Trash"),
        MenuItem::separator(),
        mailbox("Receipts", "Receipts"),
        mailbox("Travel", "Travel"),
        {.title = "Work",
         .submenu = {mailbox("Inbox", "Work \u203a Inbox"),
                     {.title = "Clients",
                      .submenu = {mailbox("Acme", "Work \u203a Clients \u203a Acme"),
                                  mailbox("Globex", "Work \u203a Clients \u203a Globex")}},
                     mailbox("Projects", "Work \u203a Projects")}},
    };
  };
  std::vector<Menu> menus = {
      {"Mail",
       {{.title = "About Mail"},
        MenuItem::separator(),
        {.title = "Settings…", .key = {u',', kCommand}},
        MenuItem::separator(),
        {.title = "Hide Mail", .key = {u'h', kCommand}},
        {.title = "Quit Mail",
         .key = {u'q', kCommand},
         .action =
             [this] {
               // Quitting ends this process: leave the key handler first.
               mac_.loop().post([&mac = mac_, pid = pid()] { mac.quit(pid); });
             }}}},
      {"File",
       {{.title = "New Message", .key = {u'n', kCommand}, .action = [this] { newMessage(); }},
        {.title = "New Viewer Window", .key = {u'n', kOptionCommand}},
        {.title = "Open Message",
         .key = {u'o', kCommand},
         .enabled =
             [this] {
               const auto window = keyWindow();
               return window && window->kind == WindowKind::viewer && selectedMessage();
             },
         .action = [this] { openSelectedMessage(); }},
        MenuItem::separator(),
        {.title = "Close Window",
         .key = {u'w', kCommand},
         .enabled = hasWindow,
         .action = [this] { closeKeyWindow(); }},
        {.title = "Save", .key = {u's', kCommand}, .enabled = composing},
        MenuItem::separator(),
        {.title = "Print…", .key = {u'p', kCommand}, .enabled = hasTarget}}},
      {"Edit",
       {{.title = "Undo",
         .key = {u'z', kCommand},
         .enabled = [this] { return !undoStack_.empty(); },
         .action = [this] { undo(); },
         .liveTitle =
             [this] {
               return undoStack_.empty() ? std::string("Undo") : "Undo " + undoStack_.back().name;
             }},
        {.title = "Redo", .key = {u'z', kShiftCommand}, .enabled = [] { return false; }},
        MenuItem::separator(),
        {.title = "Cut",
         .key = {u'x', kCommand},
         .enabled = editableFocus,
         .action = [this] { copy(true); }},
        {.title = "Copy",
         .key = {u'c', kCommand},
         .enabled = [this,
                     editableFocus] { return editableFocus() || targetMessage().has_value(); },
         .action = [this] { copy(false); }},
        {.title = "Paste",
         .key = {u'v', kCommand},
         .enabled = [this, editableFocus] { return editableFocus() && !mac_.pasteboard.empty(); },
         .action = [this] { paste(); }},
        {.title = "Delete",
         .enabled = hasTarget,
         .action = [this] { deleteTarget(); },
         .namedKeyEquivalent = platform::KeyCode::deleteKey},
        {.title = "Select All", .key = {u'a', kCommand}},
        MenuItem::separator(),
        {.title = "Find",
         .submenu =
             {{.title = "Find…", .key = {u'f', kCommand}},
              {.title = "Mailbox Search",
               .key = {u'f', kOptionCommand},
               .enabled = [this] { return viewer() != nullptr; },
               .action = [this] { searchMailbox(); }},
              {.title = "Find Next", .key = {u'g', kCommand}, .enabled = [] { return false; }}}},
        {.title = "Spelling and Grammar",
         .submenu = {{.title = "Show Spelling and Grammar", .key = {u':', kCommand}},
                     {.title = "Check Document Now", .key = {u';', kCommand}}}}}},
      {"View",
       {{.title = "Show Favorites Bar"},
        {.title = "Sort By",
         .submenu = {{.title = "Date"}, {.title = "From"}, {.title = "Subject"}}},
        MenuItem::separator(),
        {.title = "Show Mailbox List", .key = {u'm', kShiftCommand}}}},
      {"Mailbox",
       {{.title = "Get All New Mail", .key = {u'n', kShiftCommand}},
        MenuItem::separator(),
        {.title = "Go to Favorite Mailbox",
         .submenu =
             {{.title = "Inbox",
               .key = {u'1', kCommand},
               .action = [this] { showMailbox("Inbox"); }},
              {.title = "Archive",
               .key = {u'2', kCommand},
               .action = [this] { showMailbox("Archive"); }},
              {.title = "Sent", .key = {u'3', kCommand}, .action = [this] { showMailbox("Sent"); }},
              {.title = "Junk", .key = {u'4', kCommand}, .action = [this] { showMailbox("Junk"); }},
              {.title = "Trash",
               .key = {u'5', kCommand},
               .action = [this] { showMailbox("Trash"); }}}}}},
      {"Message",
       {{.title = "Send",
         .key = {u'd', kShiftCommand},
         .enabled = composing,
         .action = [this] { send(); }},
        MenuItem::separator(),
        {.title = "Reply",
         .key = {u'r', kCommand},
         .enabled = hasTarget,
         .action = [this] { reply(false, false); }},
        {.title = "Reply All",
         .key = {u'r', kShiftCommand},
         .enabled = hasTarget,
         .action = [this] { reply(true, false); }},
        {.title = "Forward",
         .key = {u'f', kShiftCommand},
         .enabled = hasTarget,
         .action = [this] { reply(false, true); }},
        MenuItem::separator(),
        {.title = "Mark as Read",
         .key = {u'u', kShiftCommand},
         .enabled = targetRead(false),
         .action = [this] { markTarget(true); }},
        {.title = "Mark as Unread",
         .key = {u'u', kShiftCommand},
         .enabled = targetRead(true),
         .action = [this] { markTarget(false); }},
        {.title = "Flag",
         .submenu = {{.title = "Toggle Flag",
                      .key = {u'l', kShiftCommand},
                      .enabled = hasTarget,
                      .action = [this] { toggleFlag(); }},
                     MenuItem::separator(),
                     {.title = "Red", .enabled = hasTarget},
                     {.title = "Orange", .enabled = hasTarget}}},
        {.title = variant_.junkTitle,
         .key = {u'j', kShiftCommand},
         .enabled = hasTarget,
         .action = [this] { junkTarget(); }},
        {.title = "Archive",
         .key = {u'a', kControlCommand},
         .enabled = hasTarget,
         .action = [this] { archiveTarget(); }},
        MenuItem::separator(),
        {.title = "Move To", .submenu = mailboxMenu(false)},
        {.title = "Copy To", .submenu = mailboxMenu(true)},
        {.title = "Apply Rules", .key = {u'l', kOptionCommand}, .enabled = hasTarget}}},
      {"Format",
       {{.title = "Show Fonts", .key = {u't', kCommand}, .enabled = composing},
        {.title = "Show Colors", .key = {u'c', kShiftCommand}, .enabled = composing}}},
      {kWindowMenu,
       {{.title = "Minimize", .key = {u'm', kCommand}, .enabled = hasWindow},
        {.title = "Zoom", .enabled = hasWindow},
        MenuItem::separator(),
        {.title = "Message Viewer",
         .key = {u'0', kCommand},
         .action = [this] { bringToFront(viewer()); }},
        MenuItem::separator()}},
      {"Help", {{.title = "Search"}, {.title = "Mail Help"}}},
  };
  std::vector<std::string> path;
  for (auto& menu : menus) {
    path = {menu.title};
    applyVariant(menu.items, path, variant_);
    localize(menu.items, menu.title, variant_.language);
    menu.title = localized(variant_.language, "", menu.title);
  }
  for (const auto& shortcut : variant_.appShortcuts) {
    for (auto& menu : menus) {
      if (shortcut.path.size() >= 2 && menu.title == shortcut.path.front())
        applyAppShortcut(menu.items, shortcut.path, 1, shortcut.key);
    }
  }
  buildMenuBar(std::move(menus));
  if (const auto window = menuItem({localized(variant_.language, "", kWindowMenu)})) {
    windowMenu_ = window->children.front();
    windowMenuFixedItems_ = windowMenu_->children.size();
  }
}

/// The Window menu ends with one item a window, front to back, each
/// bringing its window to the front.
void MailApp::refreshWindowMenu() {
  if (!windowMenu_) return;
  windowMenu_->children.resize(windowMenuFixedItems_);
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    auto item = makeNode("AXMenuItem");
    const auto window = windows_[i];
    item->title = [window]() -> std::optional<std::string> { return window->root->currentTitle(); };
    item->enabled = [] { return true; };
    item->press = [this, weak = std::weak_ptr<Window>(window)] {
      const auto window = weak.lock();
      if (!window) return;
      menuPresses.push_back({localized(variant_.language, "", kWindowMenu) + " \u203a " +
                                 window->root->currentTitle().value_or(""),
                             false, true});
      bringToFront(window);
    };
    AXNode::adopt(windowMenu_, item);
  }
}

}  // namespace quillo::sim
