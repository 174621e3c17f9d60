// A single-line edit box draws its look through a proxy style instead of a style sheet. Every pixel
// must stay as the style sheet drew it: the reference is a Qt line edit given the style sheet the
// boxes had, beside a box given the same appearance, with the same text, font, state and size.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QWidget>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/unit_widgets.h"
#include "tests/platform/qt_test_support.h"

namespace vorenn::platform {
namespace {

// The style sheet single-line boxes were drawn with.
QString ReferenceCss(const Appearance& a) {
  static const char* const kBorders[] = {
      "border: none;",
      "border: 2px solid; border-color: #808080 #ffffff #ffffff #808080;",
      "border: 2px solid; border-color: #ffffff #808080 #808080 #ffffff;",
      "border: 1px solid; border-color: #808080 #ffffff #ffffff #808080;",
      "border: 3px solid; border-color: #404040 #ffffff #ffffff #404040;",
      "border: 1px solid #000000;",
  };
  QString css = QStringLiteral("QLineEdit { padding: 0px 1px; ") +
                QLatin1String(kBorders[a.border >= 0 && a.border <= 4 ? a.border : 5]);
  QColor text = ColourOf(a.textColour);
  QColor background = ColourOf(a.backgroundColour);
  if (text.isValid()) css += QStringLiteral(" color: %1;").arg(text.name());
  css += QStringLiteral(" background: %1;").arg(background.isValid() ? background.name() : QStringLiteral("#ffffff"));
  unsigned char mask = uint8_t(a.passwordChar);
  css += QStringLiteral(" lineedit-password-character: %1; }").arg(mask >= 0x21 && mask < 0x7F ? int(mask) : int('*'));
  return css;
}

QImage Drawn(QWidget& widget, const QRegion& region) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor(30, 120, 90));
  widget.render(&image, QPoint(), region.isEmpty() ? QRegion(widget.rect()) : region);
  return image;
}

struct Case {
  std::string name;
  Appearance look;
  QString text;
  QSize size{120, 22};
  bool password = false;
  bool readOnly = false;
  bool disabled = false;
  int selectFrom = -1, selectLength = 0;
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Both boxes set up alike, after their look as the units do.
void Prepare(QLineEdit& box, const Case& c) {
  box.setText(c.text);
  box.setCursorPosition(0);
  if (c.password) box.setEchoMode(QLineEdit::Password);
  box.setReadOnly(c.readOnly);
  box.setEnabled(!c.disabled);
  box.setAlignment(c.alignment);
  box.setFont(FontOfRecord(c.look.font));
  box.setGeometry(QRect(QPoint(3, 4), c.size));
  if (c.selectFrom >= 0) box.setSelection(c.selectFrom, c.selectLength);
}

TEST(QtEditBoxPixels, TheLookWithoutAStyleSheetDrawsWhatTheStyleSheetDrew) {
  testing_support::TheQtBackend();
  std::vector<Case> cases;
  for (int border = 0; border <= 5; ++border) {
    Case c;
    c.name = "border " + std::to_string(border);
    c.look.border = border;
    c.text = QString::fromUtf8("\xE8\xB4\xA6\xE5\x8F\xB7 player_01");
    cases.push_back(c);
  }
  Case coloured = cases[1];
  coloured.name = "own colours";
  coloured.look.textColour = 0x0000C0;
  coloured.look.backgroundColour = 0xC0E0E0;
  cases.push_back(coloured);
  Case password = cases[3];
  password.name = "password, own mask";
  password.password = true;
  password.look.passwordChar = '#';
  password.text = QStringLiteral("secret");
  cases.push_back(password);
  Case maskless = password;
  maskless.name = "password, a lead byte as mask";
  maskless.look.passwordChar = char(0xB0);
  cases.push_back(maskless);
  Case selected = coloured;
  selected.name = "selection";
  selected.selectFrom = 1;
  selected.selectLength = 6;
  cases.push_back(selected);
  Case disabled = coloured;
  disabled.name = "disabled, read-only";
  disabled.disabled = disabled.readOnly = true;
  cases.push_back(disabled);
  Case tall = cases[4];
  tall.name = "tall, large font, right-aligned, overflowing";
  tall.size = QSize(90, 40);
  tall.look.font = std::string(60, '\0');
  int32_t height = -20;
  std::memcpy(tall.look.font.data(), &height, 4);
  tall.alignment = Qt::AlignRight | Qt::AlignVCenter;
  tall.text = QStringLiteral("12,345,678,901,234,567");
  cases.push_back(tall);
  Case tiny = cases[2];
  tiny.name = "smaller than its border";
  tiny.size = QSize(5, 3);
  cases.push_back(tiny);

  for (const Case& c : cases) {
    QWidget top;
    top.resize(200, 80);
    auto* reference = new QLineEdit(&top);
    reference->setStyleSheet(ReferenceCss(c.look));
    Prepare(*reference, c);
    auto* ours = new LineEditWidget(QString(), &top);
    ours->SetLook(c.look);
    Prepare(*ours, c);
    QImage expected = Drawn(*reference, {});
    EXPECT_EQ(Drawn(*ours, {}), expected) << c.name;
    // The panel alone where a repaint misses the text area: the border's strips.
    const QRect r = ours->rect();
    for (const QRegion& strip : {QRegion(0, 0, r.width(), 2), QRegion(0, r.height() - 1, r.width(), 1),
                                 QRegion(r.width() - 1, 0, 1, r.height())}) {
      EXPECT_EQ(Drawn(*ours, strip), Drawn(*reference, strip)) << c.name << " strip";
    }
  }
}

// A box's look given again, with another border, colours and mask, draws as a box given that look
// first.
TEST(QtEditBoxPixels, ALookGivenAgainReplacesTheOldOne) {
  testing_support::TheQtBackend();
  Case first;
  first.look.border = 4;
  first.look.textColour = 0x0000FF;
  first.look.passwordChar = '*';
  first.password = true;
  first.text = QStringLiteral("secret");
  Case second = first;
  second.look.border = 2;
  second.look.textColour = kDefaultColour;
  second.look.backgroundColour = 0x808000;
  second.look.passwordChar = '%';

  QWidget top;
  top.resize(200, 80);
  auto* reference = new QLineEdit(&top);
  reference->setStyleSheet(ReferenceCss(second.look));
  Prepare(*reference, second);
  auto* ours = new LineEditWidget(QString(), &top);
  ours->SetLook(first.look);
  Prepare(*ours, first);
  ours->SetLook(second.look);
  EXPECT_EQ(Drawn(*ours, {}), Drawn(*reference, {}));
}

// A multi-line box hidden on purpose takes its style sheet when it is shown: shown, it draws as a
// box visible from the start, also when its look changed while it was hidden again.
TEST(QtEditBoxPixels, AHiddenMultiLineBoxShownLaterDrawsAsOneShownFromTheStart) {
  QtBackend& qt = testing_support::TheQtBackend();
  Appearance first;
  first.border = 1;
  first.textColour = 0x000080;
  first.backgroundColour = 0xE0F0F0;
  Appearance last = first;
  last.border = 4;
  last.backgroundColour = 0xF0E0E0;

  // Made visible or hidden with `look`; with `then`, shown, hidden, given `then` and shown again.
  auto drawn = [&](bool visible, const Appearance& look, const Appearance* then) {
    WindowSpec top;
    top.role = WindowRole::TopLevel;
    top.geometry = {0, 0, 300, 200};
    top.visible = true;
    WindowHandle topHandle = Native().CreateNativeWindow(top);
    WindowSpec params;
    params.role = WindowRole::EditBox;
    params.parent = topHandle;
    params.style = kStyleMultiLine;
    params.visible = visible;
    params.geometry = {5, 5, 160, 70};
    params.text = "line one\r\nline two";
    WindowHandle box = Native().CreateNativeWindow(params);
    Native().SetAppearance(box, look);
    testing_support::PumpQt();
    if (!visible) {
      EXPECT_FALSE(qt.WidgetOf(box)->isVisible());
      Native().Show(box, true);
      testing_support::PumpQt();
    }
    if (then != nullptr) {
      Native().Show(box, false);
      Native().SetAppearance(box, *then);
      testing_support::PumpQt();
      Native().Show(box, true);
      testing_support::PumpQt();
    }
    QImage image = qt.WidgetOf(box)->grab().toImage();
    Native().DestroyNativeWindow(topHandle);
    return image;
  };
  const QImage expected = drawn(true, last, nullptr);
  EXPECT_NE(drawn(true, first, nullptr), expected) << "the two looks draw alike";
  EXPECT_EQ(drawn(false, last, nullptr), expected);
  EXPECT_EQ(drawn(true, first, &last), expected);
  EXPECT_EQ(drawn(false, first, &last), expected);
}

}  // namespace
}  // namespace vorenn::platform
