// AppEnvironment: the platform services the application runs on, chosen in
// one place (the program's entry) and handed to the app controller. Every
// reference must outlive the controller.
#pragma once

#include <string>
#include <vector>

#include "Platform/Accessibility.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/EventServices.hpp"
#include "Platform/FileSystem.hpp"
#include "Platform/KeyboardLayout.hpp"
#include "Platform/LoginItems.hpp"
#include "Platform/MainLoop.hpp"
#include "Platform/Paths.hpp"
#include "Platform/SystemLog.hpp"
#include "Platform/UserDefaults.hpp"
#include "Platform/Workspace.hpp"
#include "Platform/WorkspaceOpener.hpp"

namespace quillo {

struct AppEnvironment {
  platform::MainLoop& loop;
  platform::UserDefaults& defaults;
  const platform::Paths& paths;
  platform::FileSystem& files;
  const platform::Bundle& bundle;
  platform::SystemLog& systemLog;
  platform::EventServices& events;
  platform::KeyboardLayouts& keyboardLayouts;
  platform::Accessibility& accessibility;
  platform::Workspace& workspace;
  platform::WorkspaceOpener& opener;
  platform::LoginItems& loginItems;
  /// The command line, without the program's name.
  std::vector<std::string> arguments;
};

}  // namespace quillo
