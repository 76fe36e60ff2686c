// The outside world as the desk sees it: the platform interfaces, each with a
// real backend and a simulated twin (--sim). Owned by the desk; later
// subsystems add their interfaces here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/json.h"

namespace lumora {

class Registry;
class FtdiApi;
class ParallelPort;
class Tribus31Api;
class CorvexApi;

struct Platform {
  bool simulated = false;

  // Output devices (real backends or simulated twins, made by SetupOutput).
  std::shared_ptr<FtdiApi> ftdi;
  std::shared_ptr<ParallelPort> parport;
  std::shared_ptr<Tribus31Api> tribus31;
  std::shared_ptr<CorvexApi> corvex;

  // Console `sim ...` commands: each simulated device offers a handler that
  // returns nullopt when the command is not its own, else "" or an error.
  using SimHandler = std::function<std::optional<std::string>(const std::vector<std::string>& args)>;
  std::vector<SimHandler> simHandlers;

  // Runs a `sim` command; an error text or "".
  std::string simCommand(const std::vector<std::string>& args) const {
    for (const auto& h : simHandlers) {
      auto r = h(args);
      if (r) return *r;
    }
    return args.empty() ? "sim needs a device" : "unknown sim command " + args[0];
  }
};

}  // namespace lumora
