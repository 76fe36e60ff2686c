// The desk's questions and choosers, behind an interface: Qt dialogs in the
// GUI, a queue of scripted answers on the console, a script in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumora {

enum class MsgButtons { Ok, OkCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgResult { Ok, Cancel };
enum class FileKind { Open, Save };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // defaultButton is what Enter (or an unattended console) answers.
  virtual MsgResult MsgBox(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon,
                           MsgResult defaultButton) = 0;
  // The colour chooser; nullopt when cancelled.
  virtual std::optional<int32_t> ChooseColour(const std::string& title, int32_t initial) = 0;
  // filter in the desk's "Description|*.ext" form; nullopt when cancelled.
  virtual std::optional<std::string> FileDialog(FileKind kind, const std::string& title, const std::string& filter,
                                                const std::string& initialPath) = 0;

  // Convenience forms used throughout the desk.
  void Message(const std::string& text, const std::string& title, MsgIcon icon = MsgIcon::None) {
    MsgBox(text, title, MsgButtons::Ok, icon, MsgResult::Ok);
  }
  // OK/Cancel with a question icon and Cancel as the default.
  bool Ask(const std::string& text, const std::string& title) {
    return MsgBox(text, title, MsgButtons::OkCancel, MsgIcon::Question, MsgResult::Cancel) == MsgResult::Ok;
  }
};

}  // namespace lumora
