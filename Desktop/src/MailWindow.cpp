#include "MailWindow.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo::desktop {
namespace {

using Place = sim::MailApp::Place;

/// Parts that show but never take the keyboard from the window.
template <class Widget>
Widget* keyless(Widget* widget, const char* name) {
  widget->setFocusPolicy(Qt::NoFocus);
  widget->setObjectName(name);
  return widget;
}

}  // namespace

MailWindow::MailWindow(QWidget* parent)
    : QWidget(parent),
      header_(keyless(new QLabel, "header")),
      mailboxes_(keyless(new QListWidget, "mailboxes")),
      messages_(keyless(new QListWidget, "messages")),
      windows_(keyless(new QPlainTextEdit, "windows")),
      status_(keyless(new QLabel, "status")) {
  setWindowTitle(QString::fromUtf8(title));
  setObjectName("MailWindow");
  setFocusPolicy(Qt::StrongFocus);
  windows_->setReadOnly(true);
  status_->setTextInteractionFlags(Qt::NoTextInteraction);
  status_->setFrameShape(QFrame::StyledPanel);
  mailboxes_->setMaximumWidth(140);

  auto* places = new QHBoxLayout;
  places->addWidget(new QLabel("Click into:"));
  const std::pair<const char*, Place> kPlaces[] = {
      {"message list", Place::messageList},
      {"search field", Place::searchField},
      {"to field", Place::toField},
      {"subject field", Place::subjectField},
      {"body", Place::body},
  };
  for (const auto& [name, place] : kPlaces) {
    auto* button = keyless(new QPushButton(name), name);
    // A copy: clang before 16 cannot capture a structured binding.
    connect(button, &QPushButton::clicked, this, [this, chosen = place] {
      if (onPlace) onPlace(chosen);
    });
    places->addWidget(button);
  }
  places->addStretch();

  auto* panes = new QHBoxLayout;
  panes->addWidget(mailboxes_);
  panes->addWidget(messages_, 2);
  panes->addWidget(windows_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(header_);
  layout->addLayout(places);
  layout->addLayout(panes, 1);
  layout->addWidget(status_);

  connect(messages_, &QListWidget::itemPressed, this, [this](QListWidgetItem* item) {
    if (onSelectMessage) onSelectMessage(messages_->row(item));
  });
  connect(mailboxes_, &QListWidget::itemPressed, this, [this](QListWidgetItem* item) {
    if (onShowMailbox) onShowMailbox(item->text().toStdString());
  });
  resize(900, 480);
}

void MailWindow::display(const MailScreen& screen) {
  if (drawn_ && screen == shown_) return;
  drawn_ = true;
  shown_ = screen;
  if (!screen.running) {
    header_->setText(
        QString::fromStdString("Mail is not running \u2014 in front: " + screen.front));
  } else {
    header_->setText(
        QString::fromStdString("In front: " + screen.front + "   \u2014   focus: " + screen.focus));
  }
  mailboxes_->clear();
  for (const auto& name : screen.mailboxes) {
    auto* item = new QListWidgetItem(QString::fromStdString(name), mailboxes_);
    if (name == screen.currentMailbox) mailboxes_->setCurrentItem(item);
  }
  messages_->clear();
  for (const auto& row : screen.rows) {
    auto* item = new QListWidgetItem(QString::fromStdString(MailScreen::rowText(row)), messages_);
    if (row.selected) messages_->setCurrentItem(item);
  }
  QString text;
  for (const auto& window : screen.windows)
    text += QString::fromStdString(window) + "\n";
  if (!screen.fields.empty()) text += "\n";
  for (const auto& [name, value] : screen.fields)
    text += QString::fromStdString(name + ": " + value) + "\n";
  windows_->setPlainText(text);
}

void MailWindow::setStatusStrip(const QString& text) {
  status_->setText(text);
}

QString MailWindow::statusStrip() const {
  return status_->text();
}

void MailWindow::keyPressEvent(QKeyEvent* event) {
  const auto stroke = platform::keystrokeFromQt(event->key(), event->modifiers());
  if (!stroke) {
    QWidget::keyPressEvent(event);
    return;
  }
  if (onKey) onKey(*stroke);
  event->accept();
}

void MailWindow::mousePressEvent(QMouseEvent* event) {
  if (onMouseDown) onMouseDown();
  QWidget::mousePressEvent(event);
}

}  // namespace quillo::desktop
