// TextPanelView: the status panel drawn as text, for consoles and scripts.
//
// One line per row of the panel's content:
//   a switch row         "Shortcuts enabled [on] — Active in Mail"
//   a set row            "(•) Gmail — description" or "( ) …"
//   a warning            "⚠ title [button]"
//   a shortcut row       "Archive [E] ⟨⌘⌫⟩ ●●○" — filled keycaps in brackets,
//                        outlined ones in angle brackets, then the three
//                        places (message list, open message, writing) as ●
//                        where the key works and ○ where it does not; while
//                        editing "[record]" and "[clear]" follow, and a row
//                        being recorded reads "Archive ⟦Press keys…⟧"
//   buttons              "[Edit Shortcuts…]", an icon by its accessibility
//                        label: "[Explain the icons]"
//   the legend's keycaps "[Quillo] ⟨macOS⟩", the filled one "[Quillo, greyed]"
//                        while shortcuts are off
// It decides nothing: a click finds the control by its title and hands its
// request to the controller. The size it asks for is the content's lines,
// at a fixed size per character and line, never smaller than the panel's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "PanelContent.hpp"
#include "PanelView.hpp"

namespace quillo::simulated {

class TextPanelView final : public PanelView {
 public:
  void display(const PanelContent& content) override;
  std::optional<platform::Size> fittingSize() const override;

  /// The lines of the last drawing.
  const std::vector<std::string>& lines() const { return lines_; }
  /// The shortcut rows' accessibility labels, one per row, in order.
  std::vector<std::string> rowLabels() const;
  /// Clicks the control (a button, a switch or a set row) with this title;
  /// the error's text when there is none.
  std::optional<std::string> click(const std::string& title);
  /// Clicks the keys of the shortcut row with this title, which starts
  /// recording a new key while the editor is open.
  std::optional<std::string> clickKeys(const std::string& rowTitle);

 private:
  std::optional<PanelContent> content_;
  std::vector<std::string> lines_;
};

}  // namespace quillo::simulated
