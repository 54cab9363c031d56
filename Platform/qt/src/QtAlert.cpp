#include "Platform/qt/QtAlert.hpp"

#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace quillo::platform {

int runQtAlert(const Alert& alert) {
  QMessageBox box;
  box.setIcon(QMessageBox::Warning);
  box.setWindowTitle(QStringLiteral("Quillo"));
  box.setText(QString::fromStdString(alert.messageText));
  box.setInformativeText(QString::fromStdString(alert.informativeText));
  // An alert without buttons has an OK button, as NSAlert gives it.
  const std::vector<std::string> titles =
      alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
  std::vector<QPushButton*> buttons;
  for (const auto& title : titles)
    buttons.push_back(box.addButton(QString::fromStdString(title), QMessageBox::ActionRole));
  box.setDefaultButton(buttons.front());
  box.setEscapeButton(buttons.back());
  box.exec();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return alertFirstButtonReturn + static_cast<int>(i);
  }
  // Closed some other way: the cautious last button.
  return alertFirstButtonReturn + static_cast<int>(buttons.size()) - 1;
}

}  // namespace quillo::platform
