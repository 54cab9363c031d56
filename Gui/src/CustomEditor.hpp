// CustomEditor: the custom set's editor above the shortcut list — the
// "Start from" chooser, the message line (a refusal in orange) and "Reset
// changes". The chooser is the view's own state: its button and entries
// call `Chooser`, which the panel widget turns into the view state and a
// redraw (or, for a chosen entry, a request). Object names: "baseline" (the
// chooser's button), "baselineChoice" (each entry), "editorMessage".
// Main thread; owned by its parent.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "Forward.hpp"
#include "Gui/Palette.hpp"
#include "PanelContent.hpp"

namespace quillo::gui {

struct Chooser {
  std::function<void()> toggle;
  std::function<void(CustomKeymap::Baseline)> choose;
  /// The entry under the pointer, none when it left them.
  std::function<void(std::optional<CustomKeymap::Baseline>)> hover;
};

class CustomEditor final : public QWidget {
  Q_OBJECT

 public:
  CustomEditor(const PanelContent::Editor& editor, const Palette& palette, const Forward& forward,
               const Chooser& chooser, QWidget* parent = nullptr);
};

}  // namespace quillo::gui
