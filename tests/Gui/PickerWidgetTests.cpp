// The mailbox picker's widget, offscreen with fixed fonts: the requests a
// click or the wheel makes, its one size for every content, what screen
// readers are told, and sampled pixels of what it shows.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QResizeEvent>
#include <QWheelEvent>
#include <functional>

#include "Gui/PickerWidget.hpp"
#include "PanelFixture.hpp"

namespace quillo::gui::testing {
namespace {

using Choose = PickerRequests::Choose;
using Scroll = PickerRequests::Scroll;

PickerContent::Row row(std::vector<std::string> path, bool recent = false, bool selected = false) {
  PickerContent::Row r;
  r.name = path.back();
  for (std::size_t i = 0; i + 1 < path.size(); ++i)
    r.place += (i == 0 ? "" : " \u203a ") + path[i];
  r.recent = recent;
  r.selected = selected;
  r.choose = Choose{Mailbox{path}};
  r.accessibilityLabel =
      r.name + (r.place.empty() ? "" : ", in " + r.place) + (recent ? ", chosen recently" : "");
  return r;
}

PickerContent content(std::vector<PickerContent::Row> rows, std::string query = {}) {
  PickerContent c;
  c.title = "Move to\u2026";
  c.query = std::move(query);
  c.placeholder = "Type part of a mailbox's name";
  c.rows = std::move(rows);
  c.footer = std::to_string(c.rows.size()) + " of 120 \u00b7 \u21a9 moves \u00b7 esc closes";
  return c;
}

/// Nine rows: a recent one first (selected), nested ones, top-level ones.
PickerContent nineRows() {
  return content({
      row({"Work", "Clients", "Acme"}, true, true),
      row({"Receipts"}),
      row({"Work", "Inbox"}),
      row({"Work", "Clients", "Globex"}),
      row({"Travel"}),
      row({"Family", "School"}),
      row({"Newsletters"}),
      row({"Work", "Projects", "Quillo"}),
      row({"Archive"}),
  });
}

PickerContent withNote(std::string note) {
  PickerContent c = content({}, "xyz");
  c.note = std::move(note);
  c.footer = "esc closes";
  return c;
}

/// Counts the paint events of a widget and its children.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget& root) {
    root.installEventFilter(this);
    for (QWidget* child : root.findChildren<QWidget*>())
      child->installEventFilter(this);
  }
  int paints = 0;
  int resizes = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    // A part shown for the first time is told its size then, from no size
    // before (the size it was given while hidden): not a change.
    if (event->type() == QEvent::Resize) {
      const auto* resize = static_cast<QResizeEvent*>(event);
      resizes += resize->oldSize().isValid() && resize->oldSize() != resize->size() ? 1 : 0;
    }
    return false;
  }
};

class PickerTest : public ::testing::Test {
 protected:
  PickerTest() {
    QApplication::setWheelScrollLines(3);
    widget.setAppearance(Appearance::light);
    widget.setOnRequest([this](const PickerRequest& r) { requests.push_back(r); });
  }

  /// Shows the content in a picker of the size it asks for, as the
  /// picker's window does.
  void show(const PickerContent& shown) {
    widget.display(shown);
    const auto size = widget.fittingSize();
    ASSERT_TRUE(size);
    widget.resize(static_cast<int>(size->width), static_cast<int>(size->height));
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  }

  std::vector<QAbstractButton*> rows() {
    return visibleNamed<QAbstractButton>(widget, QStringLiteral("pickerRow"), true);
  }

  void click(QWidget* target, std::optional<QPoint> at = std::nullopt) {
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton, {}, at.value_or(target->rect().center()));
  }

  /// Turns the wheel by `delta` eighths of a degree over `target`'s middle.
  /// Qt hands a wheel event from the part under the pointer on to the
  /// picker only when the event came from the system; one made here goes
  /// to the picker straight away.
  static void wheel(PickerWidget& picker, QWidget* target, int delta) {
    ASSERT_NE(target, nullptr);
    const QPointF at = target->mapTo(&picker, QRectF(target->rect()).center());
    QWheelEvent event(at, picker.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&picker, &event);
  }
  void wheel(QWidget* target, int delta) { wheel(widget, target, delta); }

  QImage picture() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QRect placeOf(const QWidget* child) const {
    return QRect(child->mapTo(&widget, QPoint(0, 0)), child->size());
  }

  PickerWidget widget;
  std::vector<PickerRequest> requests;
  Palette light = Palette::of(Appearance::light);
};

TEST_F(PickerTest, EachRowsClickChoosesExactlyItsMailbox) {
  const struct {
    const char* label;
    std::vector<std::string> mailbox;
  } cases[] = {
      {"Acme, in Work \u203a Clients, chosen recently", {"Work", "Clients", "Acme"}},
      {"Receipts", {"Receipts"}},
      {"Inbox, in Work", {"Work", "Inbox"}},
      {"Globex, in Work \u203a Clients", {"Work", "Clients", "Globex"}},
      {"Travel", {"Travel"}},
      {"School, in Family", {"Family", "School"}},
      {"Newsletters", {"Newsletters"}},
      {"Quillo, in Work \u203a Projects", {"Work", "Projects", "Quillo"}},
      {"Archive", {"Archive"}},
  };
  show(nineRows());
  ASSERT_EQ(rows().size(), std::size(cases));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    requests.clear();
    click(theOne<QAbstractButton>(widget, QString::fromUtf8(c.label)));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.front(), PickerRequest(Choose{Mailbox{c.mailbox}}));
  }
}

TEST_F(PickerTest, AClickOnAnythingButARowAsksForNothing) {
  const struct {
    const char* name;  // object name
    PickerContent shown;
  } cases[] = {
      {"pickerTitle", nineRows()},
      {"pickerField", nineRows()},
      {"pickerFooter", nineRows()},
      {"pickerNote", withNote("No mailbox matches \u201cxyz\u201d.")},
      {"pickerTitle", withNote("Reading Mail's mailboxes\u2026")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    show(c.shown);
    requests.clear();
    click(theOne(widget, QString::fromLatin1(c.name), true));
    EXPECT_TRUE(requests.empty());
  }
  // Below the last of two rows, where a third would be.
  show(content({row({"Receipts"}), row({"Travel"})}));
  const QRect second = placeOf(rows().at(1));
  requests.clear();
  click(&widget, QPoint(second.center().x(), second.bottom() + second.height()));
  EXPECT_TRUE(requests.empty());
}

TEST_F(PickerTest, AClickPressedOnOneMailboxAndReleasedOnAnotherAsksForNothing) {
  show(nineRows());
  QAbstractButton* first = rows().front();
  QTest::mousePress(first, Qt::LeftButton, {}, first->rect().center());
  // A key typed meanwhile put another mailbox under the pointer.
  widget.display(content({row({"Receipts"}, false, true)}, "r"));
  QTest::mouseRelease(first, Qt::LeftButton, {}, first->rect().center());
  EXPECT_TRUE(requests.empty());
  click(first);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests.front(), PickerRequest(Choose{Mailbox{{"Receipts"}}}));
}

TEST_F(PickerTest, TheWheelOverTheListMovesItByWholeRowsOneRequestPerStep) {
  const struct {
    const char* what;
    std::vector<int> turns;  // eighths of a degree, one event each
    std::vector<PickerRequest> expected;
  } cases[] = {
      {"a step towards the user", {-120}, {Scroll{3}}},
      {"a step away from the user", {120}, {Scroll{-3}}},
      {"two steps in one event", {240}, {Scroll{-3}, Scroll{-3}}},
      {"half steps (a trackpad) add up", {-60, -30, -30}, {Scroll{3}}},
      {"less than a step", {-90}, {}},
      {"a turn back starts afresh", {-90, 60, 60}, {Scroll{-3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PickerWidget fresh;
    std::vector<PickerRequest> made;
    fresh.setOnRequest([&](const PickerRequest& r) { made.push_back(r); });
    fresh.display(nineRows());
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    auto* target = visibleNamed<QAbstractButton>(fresh, QStringLiteral("pickerRow"), true).at(4);
    for (const int turn : c.turns)
      wheel(fresh, target, turn);
    EXPECT_EQ(made, c.expected);
  }
}

TEST_F(PickerTest, TheWheelAsksNothingOutsideTheListNorOverANote) {
  show(nineRows());
  for (const char* name : {"pickerTitle", "pickerField", "pickerFooter"}) {
    SCOPED_TRACE(name);
    wheel(theOne(widget, QString::fromLatin1(name), true), -240);
  }
  show(withNote("No mailbox matches \u201cxyz\u201d."));
  wheel(theOne(widget, QStringLiteral("pickerNote"), true), -240);
  EXPECT_TRUE(requests.empty());
}

TEST_F(PickerTest, ItsFirstSizeIsItsSizeForEveryContent) {
  EXPECT_FALSE(widget.fittingSize());  // nothing drawn yet
  widget.display(nineRows());
  const auto asked = widget.fittingSize();
  ASSERT_TRUE(asked);
  const QSize size(static_cast<int>(asked->width), static_cast<int>(asked->height));
  // Made at that size: shown, it is not resized, nor is any of its parts
  // afterwards.
  EXPECT_EQ(widget.size(), size);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  EXPECT_EQ(widget.size(), size);
  PaintCounter counter(widget);
  const struct {
    const char* what;
    PickerContent shown;
  } cases[] = {
      {"no rows", content({}, "zz")},
      {"one row", content({row({"Receipts"}, false, true)}, "rec")},
      {"nine rows", nineRows()},
      {"a note", withNote("Reading Mail's mailboxes\u2026")},
      {"a long note", withNote(std::string(300, 'x'))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    widget.display(c.shown);
    QApplication::processEvents();
    const auto now = widget.fittingSize();
    ASSERT_TRUE(now);
    EXPECT_EQ(*now, *asked);
    EXPECT_EQ(widget.sizeHint(), size);
    EXPECT_EQ(widget.size(), size);
  }
  EXPECT_EQ(counter.resizes, 0);
  // Room for every row the picker lists, inside the picker.
  widget.display(nineRows());
  const auto shownRows = rows();
  ASSERT_EQ(shownRows.size(), MailboxPicker::visibleRows);
  const QRect footer = placeOf(theOne(widget, QStringLiteral("pickerFooter"), true));
  EXPECT_LT(placeOf(shownRows.back()).bottom(), footer.top());
  EXPECT_LE(footer.bottom(), size.height());
}

TEST_F(PickerTest, ScreenReadersHearEachRowAsAButtonNamedWithItsLabel) {
  show(nineRows());
  const PickerContent shown = nineRows();
  const auto buttons = rows();
  ASSERT_EQ(buttons.size(), shown.rows.size());
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    SCOPED_TRACE(i);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(buttons[i]);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), shown.rows[i].accessibilityLabel);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
  }
  // Fewer rows: the others are gone, not left with old names.
  show(content({row({"Travel"}, false, true)}, "tr"));
  ASSERT_EQ(rows().size(), 1u);
  EXPECT_EQ(rows().front()->accessibleName(), QStringLiteral("Travel"));
}

TEST_F(PickerTest, TheFieldShowsThePlaceholderDimmedOrWhatWasTyped) {
  // Ink at a fraction of black, as it comes out over the field's white.
  const auto over = [](const QColor& ink, const QColor& ground) {
    const double a = ink.alphaF();
    return QColor::fromRgbF(ink.redF() * a + ground.redF() * (1 - a),
                            ink.greenF() * a + ground.greenF() * (1 - a),
                            ink.blueF() * a + ground.blueF() * (1 - a));
  };
  const QColor primary = over(light.primary, light.card),
               tertiary = over(light.tertiary, light.card);
  show(nineRows());
  QWidget* field = theOne(widget, QStringLiteral("pickerField"), true);
  ASSERT_NE(field, nullptr);
  const QRect inside = placeOf(field).adjusted(4, 4, -4, -4);
  QImage image = picture();
  EXPECT_GT(pixelsNear(image, inside, tertiary, 12), 20) << "the placeholder, dimmed";
  EXPECT_EQ(pixelsNear(image, inside, primary, 30), 0) << "no text in full ink";
  show(content({row({"Receipts"}, false, true)}, "receipts"));
  image = picture();
  EXPECT_GT(pixelsNear(image, inside, primary, 30), 20) << "what was typed";
}

TEST_F(PickerTest, TheSelectedRowIsOnTheAccentColourAndARecentOneHasItsClock) {
  show(nineRows());
  const auto buttons = rows();
  ASSERT_EQ(buttons.size(), 9u);
  const QImage image = picture();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    SCOPED_TRACE(i);
    const QRect place = placeOf(buttons[i]);
    const int accent = pixelsNear(image, place, light.accent, 20);
    if (i == 0) {
      EXPECT_GT(accent, place.width() * place.height() / 2) << "selected";
    } else {
      EXPECT_EQ(accent, 0);
    }
    // The clock's column, left of the name.
    const QRect clock(place.left() + 6, place.top() + 4, 12, place.height() - 8);
    if (i == 0) {
      // Drawn in the row's secondary text colour: white at 80 % strength.
      const QColor mark =
          QColor::fromRgbF(0.8F + 0.2F * light.accent.redF(), 0.8F + 0.2F * light.accent.greenF(),
                           0.8F + 0.2F * light.accent.blueF());
      EXPECT_GT(pixelsNear(image, clock, mark, 30), 10) << "the recent row's clock";
    } else {
      EXPECT_EQ(pixelsNear(image, clock, light.background, 4), clock.width() * clock.height())
          << "no clock";
    }
  }
}

TEST_F(PickerTest, TheSameContentAgainDrawsNothingAnew) {
  show(nineRows());
  QApplication::processEvents();
  PaintCounter counter(widget);
  widget.display(nineRows());  // equal, not the same object
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 0);
  PickerContent moved = nineRows();
  moved.rows[0].selected = false;
  moved.rows[1].selected = true;
  widget.display(moved);
  QApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
}

TEST_F(PickerTest, DarkIsDrawnOnTheDarkBackground) {
  const Palette dark = Palette::of(Appearance::dark);
  widget.setAppearance(Appearance::dark);
  show(nineRows());
  const QImage image = picture();
  const QRect footer = placeOf(theOne(widget, QStringLiteral("pickerFooter"), true));
  // Between the field and the footer's text, the background shows.
  EXPECT_TRUE(near(image.pixelColor(4, footer.center().y()), dark.background, 4));
  EXPECT_GT(pixelsNear(image, placeOf(rows().front()), dark.accent, 20), 100);
}

}  // namespace
}  // namespace quillo::gui::testing
