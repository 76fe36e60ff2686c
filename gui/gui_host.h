// Runs the desk with its Qt windows: the scheduler on a precise Qt timer,
// views made on first show and repainted after every event and timer.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>

#include "core/dialogs.h"

namespace lumora {
class Desk;
class Form;
class Console;
class ConsoleDialogs;
}  // namespace lumora

namespace lumora::gui {

class FormView;

// The desk's dialogs as Qt dialogs. Timers go on firing while one is open
// (Qt runs a nested event loop); a timer never re-enters its own handler.
class QtDialogs : public Dialogs {
 public:
  MsgResult MsgBox(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon,
                   MsgResult defaultButton) override;
  std::optional<int32_t> ChooseColour(const std::string& title, int32_t initial) override;
  std::optional<std::string> FileDialog(FileKind kind, const std::string& title, const std::string& filter,
                                        const std::string& initialPath) override;
};

class GuiHost : public QObject {
  Q_OBJECT
 public:
  explicit GuiHost(Desk& desk);
  ~GuiHost() override;
  Desk& desk() { return desk_; }

  // Repaints every view whose model changed; makes, shows and hides views
  // as their forms' visibility says; quits when the desk has ended.
  void syncAll();
  // The same at the next frame: models change at any rate (ticks, chases,
  // the surface, the console); the windows follow kFrameMs apart, and not
  // at all while nothing changed. A frame waits up to kFrameRideMs longer
  // for a model timer's wake-up rather than wake the host itself.
  void requestSync();
  static constexpr int kFrameMs = 33;
  static constexpr int kFrameRideMs = 12;
  // Refreshes so far, and how many of them woke the host on their own.
  long frames() const { return frames_; }
  long framesWokenAlone() const { return framesAlone_; }
  FormView* view(Form& f);

 protected:
  // Every key pressed in a window goes to its form first (as a window that
  // previews its keys), then on to the focused widget.
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  void arm();
  void onWake();
  // Whether a frame goes with the wake-up for a model timer due then.
  bool rides(std::optional<int64_t> due) const;
  void waitForFrame();
  // One notifier per descriptor the desk watches.
  void followWatches();

  Desk& desk_;
  QTimer wake_;
  QTimer frame_;
  // On the desk's clock, so a manual clock holds the frame still.
  int64_t lastSync_ = 0;
  bool synced_ = false;
  // A frame waits for the next wake-up of the model's timers.
  bool framePending_ = false;
  long frames_ = 0, framesAlone_ = 0;
  std::map<Form*, FormView*> views_;
  std::map<int, std::unique_ptr<QSocketNotifier>> notifiers_;
  bool syncing_ = false;
  const void* lastKey_ = nullptr;
  quint64 lastKeyTime_ = 0;
};

}  // namespace lumora::gui
