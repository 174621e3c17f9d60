// Qt message boxes, the notification-area icon, and installing the backend.
#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QRegularExpression>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <future>

#include "platform/gbk_text.h"
#include "platform/process.h"
#include "platform/qt/first_window_probe.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"

namespace vorenn::platform {
namespace {

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

QMessageBox::Icon IconOf(uint32_t style) {
  switch (style & kBoxIconMask) {
    case kBoxIconError: return QMessageBox::Critical;
    case kBoxIconQuestion: return QMessageBox::Question;
    case kBoxIconWarning: return QMessageBox::Warning;
    case kBoxIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct ButtonSet {
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton first;
};

ButtonSet ButtonsOf(uint32_t style) {
  using B = QMessageBox;
  switch (style & kBoxButtonsMask) {
    case kBoxOkCancel: return {B::Ok | B::Cancel, B::Ok};
    case kBoxAbortRetryIgnore: return {B::Abort | B::Retry | B::Ignore, B::Abort};
    case kBoxYesNoCancel: return {B::Yes | B::No | B::Cancel, B::Yes};
    case kBoxYesNo: return {B::Yes | B::No, B::Yes};
    case kBoxRetryCancel: return {B::Retry | B::Cancel, B::Retry};
    default: return {B::Ok, B::Ok};
  }
}

int AnswerOf(int button, uint32_t style) {
  switch (button) {
    case QMessageBox::Ok: return kAnswerOk;
    case QMessageBox::Cancel: return kAnswerCancel;
    case QMessageBox::Abort: return kAnswerAbort;
    case QMessageBox::Retry: return kAnswerRetry;
    case QMessageBox::Ignore: return kAnswerIgnore;
    case QMessageBox::Yes: return kAnswerYes;
    case QMessageBox::No: return kAnswerNo;
    default: {
      // Closed without a button: Cancel where there is one, else the only button (OK).
      uint32_t b = style & kBoxButtonsMask;
      if (b == kBoxOkCancel || b == kBoxYesNoCancel || b == kBoxRetryCancel) return kAnswerCancel;
      return FirstButtonAnswer(style);
    }
  }
}

// How long a worker thread waits for the UI thread to show its box.
constexpr auto kWorkerBoxLimit = std::chrono::seconds(60);

// Qt's own Chinese texts for its dialogs and standard buttons (确定, 取消, ...), whatever the
// desktop's language: the program speaks Chinese. Without the translation files the texts stay
// English.
void InstallChineseTranslation() {
  auto* translator = new QTranslator(qApp);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

// The translated Yes and No read "是(&Y)" and "否(&N)"; a box's buttons read 是 and 否 as the
// program's own boxes always showed them, without the pictures some desktop styles add. The letter
// stays the button's key.
void PlainButtonTexts(QMessageBox& box) {
  static const QRegularExpression kMnemonicSuffix(QStringLiteral("\\s*\\(&(\\w)\\)$"));
  for (QAbstractButton* button : box.buttons()) {
    button->setIcon(QIcon());
    QRegularExpressionMatch m = kMnemonicSuffix.match(button->text());
    if (!m.hasMatch()) continue;
    button->setText(button->text().left(m.capturedStart()));
    button->setShortcut(QKeySequence(m.captured(1)));
  }
}

QtMessageHandler g_previousMessageHandler = nullptr;

// The offscreen platform notes every fixed-size dialog it shows (a message box is one) on standard
// error, though it has no window manager to pass sizes to; that note says nothing to the user.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message == QLatin1String("This plugin does not support propagateSizeHints()")) return;
  if (g_previousMessageHandler != nullptr) g_previousMessageHandler(type, context, message);
}

}  // namespace

const char* const kBoxStyleProperty = "vorennBoxStyle";

int QtBackend::MessageBox(WindowHandle owner, std::string_view gbkText, std::string_view gbkCaption,
                          uint32_t style) {
  if (!OnUiThread()) {
    // Widgets live on the UI thread only: the box is shown there.
    auto done = std::make_shared<std::promise<int>>();
    std::future<int> answer = done->get_future();
    std::string text(gbkText), caption(gbkCaption);
    QMetaObject::invokeMethod(this, [this, owner, text, caption, style, done] {
      done->set_value(MessageBox(owner, text, caption, style));
    }, Qt::QueuedConnection);
    if (answer.wait_for(kWorkerBoxLimit) != std::future_status::ready) return FirstButtonAnswer(style);
    return answer.get();
  }
  if (offscreen_ && !scriptAnswersBoxes_) {
    // Nobody can see or answer a box drawn offscreen: it is written to standard error and takes
    // its first button, as on the headless backend.
    std::string line = "[" + GbkToUtf8(gbkCaption) + "] " + GbkToUtf8(gbkText) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return FirstButtonAnswer(style);
  }
  Entry* o = Find(owner);
  ButtonSet set = ButtonsOf(style);
  QMessageBox box(IconOf(style), FromGbk(gbkCaption), FromGbk(gbkText), set.buttons,
                  o != nullptr ? o->widget.data() : nullptr);
  box.setDefaultButton(set.first);
  PlainButtonTexts(box);
  box.setProperty(kBoxStyleProperty, uint(style));
  return AnswerOf(box.exec(), style);
}

// Tray actions as the window unit numbers them: 1 left click, 2 left double click, 3 right click.
static int TrayActionOf(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger: return 1;
    case QSystemTrayIcon::DoubleClick: return 2;
    case QSystemTrayIcon::Context: return 3;
    default: return 0;
  }
}

void QtBackend::SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon, std::string_view gbkTip) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  // Remembered even without a notification area: the window then never hides beyond reach.
  e->wantsTray = true;
  e->trayTip = std::string(gbkTip);
  if (!TrayAvailable()) return;
  QSystemTrayIcon*& tray = trays_[w];
  if (tray == nullptr) {
    tray = new QSystemTrayIcon(this);
    QObject::connect(tray, &QSystemTrayIcon::activated, this, [this, w](QSystemTrayIcon::ActivationReason reason) {
      WindowEvent e;
      e.kind = EventKind::TrayIcon;
      e.window = w;
      e.trayAction = TrayActionOf(reason);
      if (e.trayAction != 0) Deliver(e);
    });
  }
  QPixmap pixmap;
  if (!icon.empty()) pixmap.loadFromData(icon.data(), uint(icon.size()));
  // An icon that cannot be drawn would leave a hidden window without anything to click: a
  // standard one stands in.
  tray->setIcon(pixmap.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : QIcon(pixmap));
  tray->setToolTip(FromGbk(gbkTip));
  tray->show();
}

void QtBackend::RemoveTrayIcon(WindowHandle w) {
  if (Entry* e = Find(w)) {
    e->wantsTray = false;
    e->trayTip.clear();
  }
  auto it = trays_.find(w);
  if (it == trays_.end()) return;
  it->second->hide();
  it->second->deleteLater();
  trays_.erase(it);
}

std::optional<std::string> QtBackend::TrayTipOf(WindowHandle w) const {
  auto e = Find(w);
  if (e == nullptr || !e->wantsTray) return std::nullopt;
  return e->trayTip;
}

void InstallQtBackend(int& argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
      std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The application object lives until the process ends.
  new QApplication(argc, argv);
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    g_previousMessageHandler = qInstallMessageHandler(QuietOffscreenNotes);
  InstallChineseTranslation();
  InstallFirstWindowProbe();
  QApplication::setQuitOnLastWindowClosed(false);
  // Dialogs and units without a font of their own use the units' default GUI font.
  QApplication::setFont(DefaultUnitFont());
  InstallBackend(std::make_unique<QtBackend>());
}

}  // namespace vorenn::platform
