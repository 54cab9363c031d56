// Forward: how a part of the panel hands on the request one of its controls
// makes. The panel widget supplies it; a part never carries a request out.
#pragma once

#include <QAbstractButton>
#include <functional>

#include "PanelRequest.hpp"

namespace quillo::gui {

using Forward = std::function<void(const PanelRequest&)>;

/// A click on `button` asks for `request`.
inline void forwardClicks(QAbstractButton* button, const Forward& forward,
                          const PanelRequest& request) {
  QObject::connect(button, &QAbstractButton::clicked, button,
                   [forward, request] { forward(request); });
}

}  // namespace quillo::gui
