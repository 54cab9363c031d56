// Keycap: one key of a shortcut drawn as a key cap — rounded semibold text
// on a rounded rectangle of corner radius 5; filled with the accent colour
// for Quillo's keys, outlined for the Mac's own, grey at half strength for
// the legend's Quillo key while shortcuts are off, and a prompt ("Press
// keys…") while a key is being recorded. Main thread; owned by its parent.
#pragma once

#include <QWidget>
#include <cstdint>

#include "Gui/Palette.hpp"
#include "PanelContent.hpp"

namespace quillo::gui {

enum class KeycapLook : std::uint8_t { filled, outlined, dimmed, prompt };

/// How the content's key is drawn; `dimmed` greys a filled key.
KeycapLook keycapLook(const PanelContent::Keycap& key, bool dimmed);

class Keycap final : public QWidget {
  Q_OBJECT

 public:
  static constexpr double cornerRadius = 5;

  Keycap(const QString& text, KeycapLook look, bool large, const Palette& palette,
         QWidget* parent = nullptr);

  KeycapLook look() const { return look_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  KeycapLook look_;
  bool large_;
  Palette palette_;
};

}  // namespace quillo::gui
