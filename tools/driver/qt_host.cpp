#include "tools/driver/qt_host.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>

#include <deque>

#include "platform/backend.h"
#include "platform/gbk_text.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/thread_handles.h"
#include "tools/driver/late_boxes.h"

namespace vorenn::driver {
namespace {

using platform::WindowHandle;

constexpr int kStepIntervalMs = 10;

uint32_t StyleOf(const QMessageBox& box) {
  uint32_t style = platform::kBoxOk;
  QMessageBox::StandardButtons b = box.standardButtons();
  if (b & QMessageBox::Abort) style = platform::kBoxAbortRetryIgnore;
  else if ((b & QMessageBox::Yes) && (b & QMessageBox::Cancel)) style = platform::kBoxYesNoCancel;
  else if (b & QMessageBox::Yes) style = platform::kBoxYesNo;
  else if (b & QMessageBox::Retry) style = platform::kBoxRetryCancel;
  else if (b & QMessageBox::Cancel) style = platform::kBoxOkCancel;
  switch (box.icon()) {
    case QMessageBox::Critical: return style | platform::kBoxIconError;
    case QMessageBox::Question: return style | platform::kBoxIconQuestion;
    case QMessageBox::Warning: return style | platform::kBoxIconWarning;
    case QMessageBox::Information: return style | platform::kBoxIconInformation;
    default: return style;
  }
}

QMessageBox::StandardButton ButtonOf(int answer) {
  switch (answer) {
    case platform::kAnswerOk: return QMessageBox::Ok;
    case platform::kAnswerCancel: return QMessageBox::Cancel;
    case platform::kAnswerAbort: return QMessageBox::Abort;
    case platform::kAnswerRetry: return QMessageBox::Retry;
    case platform::kAnswerIgnore: return QMessageBox::Ignore;
    case platform::kAnswerYes: return QMessageBox::Yes;
    case platform::kAnswerNo: return QMessageBox::No;
    default: return QMessageBox::NoButton;
  }
}

std::string ToGbk(const QString& text) { return platform::Utf8ToGbk(text.toStdString()); }

class QtHost final : public QObject, public DriverHost {
 public:
  explicit QtHost(platform::QtBackend& backend) : backend_(backend) {
    qApp->installEventFilter(this);
    QObject::connect(&stepTimer_, &QTimer::timeout, this, [this] { StepIfIdle(); });
    backend_.SetScriptAnswersBoxes(true);
  }
  ~QtHost() override {
    backend_.SetScriptAnswersBoxes(false);
    qApp->removeEventFilter(this);
  }
  const char* Name() const override { return "qt"; }

  void TrayClick(WindowHandle w, int action) override {
    platform::WindowEvent e;
    e.kind = platform::EventKind::TrayIcon;
    e.window = w;
    e.trayAction = action;
    platform::Native().PostEvent(e);
  }

  void Click(WindowHandle w) override {
    QPointer<QWidget> widget = WidgetOf(w);
    if (!widget) return;
    QPointF at = QRectF(widget->rect()).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent e(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      if (!widget) return;  // a handler may have destroyed it
      QApplication::sendEvent(widget, &e);
    }
  }

  void Key(WindowHandle w, const KeyStroke& key) override {
    platform::Native().SetFocus(w);
    QPointer<QWidget> widget = WidgetOf(w);
    if (!widget) return;
    int qtKey = QtKeyOf(key.keyCode);
    QString text;
    if (key.character >= 0x100) {
      char bytes[2] = {char(key.character >> 8), char(key.character & 0xFF)};
      text = QString::fromStdString(platform::GbkToUtf8(std::string_view(bytes, 2)));
    } else if (key.character != 0) {
      text = QChar(key.character);
    }
    if (qtKey == 0 && !text.isEmpty()) qtKey = text.at(0).unicode();
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent e(type, qtKey, Qt::NoModifier, text);
      if (!widget) return;
      QApplication::sendEvent(widget, &e);
    }
  }

  void Wheel(WindowHandle w, int notches) override {
    QWidget* widget = WidgetOf(w);
    if (widget == nullptr) return;
    QPointF at = QRectF(widget->rect()).center();
    QWheelEvent e(at, widget->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &e);
  }

  void Pump() override { platform::Native().DispatchPending(); }
  void QueueAnswer(int answer) override { answers_.push_back(answer); }

  bool ClockIsReal() const override { return true; }
  void Advance(uint32_t ms) override {
    const platform::Deadline deadline = platform::DeadlineAfterMs(ms);
    while (!QuitPending() && platform::SteadyNowMs() < deadline) platform::Native().WaitForInputOrWake(deadline, true);
  }

  bool Settle(uint32_t limitMs) override {
    const platform::Deadline deadline = platform::DeadlineAfterMs(limitMs);
    for (;;) {
      if (QuitPending()) return true;
      if (!platform::Native().MessageWaiting() && platform::OpenThreadHandleCount() == 0) return true;
      if (platform::SteadyNowMs() >= deadline) return false;
      platform::Native().WaitForInputOrWake(std::min(deadline, platform::DeadlineAfterMs(10)), true);
    }
  }

  bool QuitPending() override {
    // Dispatching takes everything but a quit message, so what still waits afterwards is one.
    Pump();
    return platform::Native().MessageWaiting();
  }

  void DriveFromLoop(std::function<bool()> step) override {
    step_ = std::move(step);
    if (!step_) {
      stepTimer_.stop();
      return;
    }
    stepTimer_.start(kStepIntervalMs);
  }

  void SetBoxSink(std::function<void(const ShownBox&)> sink) override { boxes_.SetSink(std::move(sink)); }
  void FlushBoxes() override { boxes_.Flush(); }
  void RuntimeErrorBoxComing(const std::string& gbkText) override { boxes_.RuntimeErrorComing(gbkText); }

  // The tip the window asked for, whether or not the desktop has a notification area to show it.
  std::optional<std::string> TrayTip(WindowHandle w) override { return backend_.TrayTipOf(w); }

  ShotResult Shot(WindowHandle w, const std::string& path, std::string* note) override {
    if (platform::Native().SaveWindowPicture(w, path)) return ShotResult::kSaved;
    *note = "cannot write a picture of the window to " + path;
    return ShotResult::kFailed;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        QPointer<QMessageBox> shown(box);
        // Answered once it runs its own loop, as a user answers a box that has appeared.
        QTimer::singleShot(0, this, [this, shown] {
          if (shown) Answer(*shown);
        });
      }
    }
    return false;
  }

 private:
  QWidget* WidgetOf(WindowHandle w) const {
    for (QWidget* widget : QApplication::allWidgets()) {
      if (backend_.HandleOf(widget) == w) return widget;
    }
    return nullptr;
  }

  static int QtKeyOf(int keyCode) {
    switch (keyCode) {
      case 9: return Qt::Key_Tab;
      case 13: return Qt::Key_Return;
      case 27: return Qt::Key_Escape;
      case 8: return Qt::Key_Backspace;
      case 32: return Qt::Key_Space;
      default: return keyCode;  // letters and digits share their codes
    }
  }

  void Answer(QMessageBox& box) {
    QVariant asked = box.property(platform::kBoxStyleProperty);
    uint32_t style = asked.isValid() ? uint32_t(asked.toUInt()) : StyleOf(box);
    boxes_.Appeared(ShownBox{style, ToGbk(box.windowTitle()), ToGbk(box.text())});
    QAbstractButton* button = nullptr;
    if (!answers_.empty()) {
      button = box.button(ButtonOf(answers_.front()));
      answers_.pop_front();
    }
    if (button == nullptr) button = box.defaultButton();
    if (button == nullptr && !box.buttons().isEmpty()) button = box.buttons().front();
    if (button != nullptr) button->click();
  }

  // A step runs only at the top of the loop: not inside a line still running, not while a box
  // is up, not while a web request waits for its answer (its wait dispatches too).
  void StepIfIdle() {
    if (!step_ || stepping_ || QApplication::activeModalWidget() != nullptr ||
        platform::OpenThreadHandleCount() != 0)
      return;
    stepping_ = true;
    bool more = step_();
    stepping_ = false;
    if (!more) stepTimer_.stop();
  }

  platform::QtBackend& backend_;
  std::deque<int> answers_;
  LateBoxes boxes_;
  std::function<bool()> step_;
  QTimer stepTimer_;
  bool stepping_ = false;
};

}  // namespace

std::unique_ptr<DriverHost> MakeQtHost() {
  if (!platform::HasBackend()) return nullptr;
  auto* backend = dynamic_cast<platform::QtBackend*>(&platform::Native());
  if (backend == nullptr) return nullptr;
  return std::make_unique<QtHost>(*backend);
}

}  // namespace vorenn::driver
