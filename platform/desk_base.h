// The window-independent half of a running desk: its options, the platform,
// the objects the subsystems own, the list of windows and the links to the
// windows above a subsystem. Subsystems and windows use only this; the
// composition root (app/desk.h) derives the whole desk from it and makes the
// windows.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "core/desk_core.h"
#include "core/desk_links.h"
#include "core/form.h"
#include "platform/platform.h"

namespace lumora {

class OutputAdapter;

struct DeskOptions {
  bool manualClock = false;  // timers fire only through advance/tick/fire
  bool sim = false;          // simulated devices instead of real hardware
  bool headless = true;      // no window system
  std::string artnetAddress;  // Art-Net local IPv4 address; "" = automatic
  // The user's folders for autosaves and settings; "" keeps both off (tests
  // that do not ask for them never touch a user's files).
  std::string stateFolder;
  std::string configFolder;
};

class DeskBase : public DeskCore {
 public:
  DeskBase(const DeskOptions& opts, Dialogs& dialogs);
  DeskBase(const DeskBase&) = delete;
  DeskBase& operator=(const DeskBase&) = delete;

  const DeskOptions& options() const { return opts_; }
  Platform& platform() { return platform_; }

  // Set once the exit operation has unloaded every window.
  bool ended() const { return ended_; }
  void setEnded() { ended_ = true; }
  // Unloads every window, the main desk last (used by exit).
  void UnloadAll();
  // True while UnloadAll runs: windows go without asking.
  bool unloading() const { return unloading_; }

  void setAdapter(int type, OutputAdapter* a) {
    if (type > 0 && type < static_cast<int>(adapters_.size())) adapters_[static_cast<std::size_t>(type)] = a;
  }
  // Objects the desk owns for the subsystems (adapters, engines, devices).
  // They go before the windows when the desk ends, so they may own timers
  // and controls of windows; a window must not touch them in its destructor.
  template <typename T, typename... A>
  T& own(A&&... args) {
    auto p = std::make_unique<Holder<T>>(std::forward<A>(args)...);
    T& ref = p->value;
    owned_.push_back(std::move(p));
    return ref;
  }
  // The owned object of type T, or null.
  template <typename T>
  T* owned() {
    for (auto& p : owned_)
      if (auto* h = dynamic_cast<Holder<T>*>(p.get())) return &h->value;
    return nullptr;
  }
  // A window a subsystem makes (owned by it): listed with the others, so the
  // console and the GUI find it by name.
  void addForm(Form* f) { forms_.push_back(f); }
  const std::vector<Form*>& forms() const { return forms_; }
  Form* form(std::string_view name) const;

  // The window of class T. A window reaches only windows of its own folder
  // or a lower one this way (it must include T's header); the windows above
  // it come through links(). Every window exists for the desk's whole life.
  template <typename T>
  T& window() const {
    // The exact class first: a cheap compare where the output tick looks.
    for (Form* f : forms_)
      if (typeid(*f) == typeid(T)) return static_cast<T&>(*f);
    for (Form* f : forms_)
      if (auto* w = dynamic_cast<T*>(f)) return *w;
    return missingWindow<T>();
  }

  DeskLinks& links() { return links_; }
  MainDesk& mainDesk() { return *links_.main; }
  Control& playStatus() { return *links_.playStatus; }

 protected:
  ~DeskBase();
  // The subsystems' objects go first when the desk ends (see own()).
  void releaseOwned();
  std::vector<Form*> forms_;

 private:
  struct HolderBase {
    virtual ~HolderBase() = default;
  };
  template <typename T>
  struct Holder : HolderBase {
    template <typename... A>
    explicit Holder(A&&... args) : value(std::forward<A>(args)...) {}
    T value;
  };
  [[noreturn]] static void noWindow(const char* type);
  template <typename T>
  [[noreturn]] static T& missingWindow() {
    noWindow(typeid(T).name());
  }

  DeskOptions opts_;
  Platform platform_;
  bool ended_ = false;
  bool unloading_ = false;
  std::array<OutputAdapter*, 6> adapters_{};
  std::vector<std::unique_ptr<HolderBase>> owned_;
  DeskLinks links_;
};

// Every window is made on a desk, so its core is the whole desk's base.
inline DeskBase& Form::desk() const { return static_cast<DeskBase&>(core()); }

}  // namespace lumora
