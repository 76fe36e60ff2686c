// The automation console: drives the whole desk as text, one command a line,
// one final reply line (`ok`, `ok VALUE`, `err MESSAGE`) after any event lines.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/dialogs.h"

namespace lumora {

class Desk;

// Answers the desk's dialogs from queued answers, printing an event line for
// each. With nothing queued a question gets its default button and a chooser
// or file dialog is cancelled. A fallback (the GUI's real dialogs) may be
// given for when nothing is queued.
class ConsoleDialogs : public Dialogs {
 public:
  MsgResult MsgBox(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon,
                   MsgResult defaultButton) override;
  std::optional<int32_t> ChooseColour(const std::string& title, int32_t initial) override;
  std::optional<std::string> FileDialog(FileKind kind, const std::string& title, const std::string& filter,
                                        const std::string& initialPath) override;

  void queueAnswer(MsgResult r) { answers_.push_back(r); }
  void queueColour(std::optional<int32_t> c) { colours_.push_back(c); }
  void queueFile(std::optional<std::string> f) { files_.push_back(std::move(f)); }

  // Event lines since the last take.
  std::vector<std::string> takeEvents();
  // Where event lines go at once instead of being held (e.g. stdout while a
  // real-time timer raises a box between commands).
  std::function<void(const std::string&)> eventSink;

  // Real dialogs to use when nothing is queued (GUI beside the console).
  Dialogs* fallback = nullptr;

 private:
  void report(std::string line);
  std::deque<MsgResult> answers_;
  std::deque<std::optional<int32_t>> colours_;
  std::deque<std::optional<std::string>> files_;
  std::vector<std::string> events_;
};

class Console {
 public:
  Console(Desk& desk, ConsoleDialogs& dialogs);
  // Runs one command line; returns its output lines, the reply last.
  std::vector<std::string> execute(const std::string& line);
  // The exit operation completed (by `quit`): the program should end.
  bool finished() const { return finished_; }
  // End of input: the exit operation with default answers; the program ends
  // even if a question kept the desk running.
  std::vector<std::string> endOfInput();

 private:
  std::string run(const std::string& line);
  Desk& desk_;
  ConsoleDialogs& dialogs_;
  bool finished_ = false;
};

}  // namespace lumora
