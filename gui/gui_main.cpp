// The desk with its windows; optionally the console on stdin beside it.
#include <QApplication>
#include <QSocketNotifier>
#include <iostream>
#include <unistd.h>

#include "app/console.h"
#include "app/demo_show.h"
#include "app/desk.h"
#include "app/options.h"
#include "gui/gui_host.h"
#include "gui/latency_probe.h"
#include "project/project_io.h"
#include "app/web_remote.h"

namespace lumora {

int RunGui(const ProgramOptions& opts, int argc, char** argv) {
  // The desk needs no GLib main loop (it integrates nothing built on one);
  // Qt's own event loop keeps about 150 KB of GLib unmapped. A user's own
  // setting stands.
  if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
  QApplication app(argc, argv);
  QApplication::setApplicationName("Lumora");
  QApplication::setOrganizationName("Lumora");
  // Ties the windows to lumora.desktop: its name and icon in task bars.
  QGuiApplication::setDesktopFileName("lumora");

  gui::QtDialogs qtDialogs;
  ConsoleDialogs consoleDialogs;
  consoleDialogs.fallback = &qtDialogs;
  // With the console, queued answers are used and reported; otherwise the
  // operator answers the Qt dialogs.
  Dialogs& dialogs = opts.console ? static_cast<Dialogs&>(consoleDialogs) : static_cast<Dialogs&>(qtDialogs);

  DeskOptions dopts;
  dopts.manualClock = opts.manualClock;
  dopts.sim = opts.sim;
  dopts.artnetAddress = opts.artnetAddress;
  UseUserFolders(dopts);
  dopts.headless = false;
  Desk desk(dopts, dialogs);
  gui::GuiHost host(desk);
  // Opt-in: the UI thread's event latency (LUMORA_UI_LATENCY_LOG).
  auto latencyProbe = gui::LatencyProbe::FromEnvironment();
  desk.scheduler().afterFire = nullptr;

  desk.Start();
  if (opts.demo) LoadDemoShow(desk);
  {
    std::string e = OpenStartupProject(desk, opts.project);
    if (!e.empty()) std::cerr << "lumora: " << opts.project << ": " << e << '\n';
  }
  if (opts.remotePort > 0) {
    const std::string e = webremote::StartFromCommandLine(desk, opts.remotePort, opts.remoteAddress);
    if (!e.empty()) {
      std::cerr << "lumora: web remote: " << e << '\n';
      desk.dialogs().Message(" Could not start the web remote: " + e, " Web Remote", MsgIcon::Exclamation);
    }
  }
  host.syncAll();

  std::unique_ptr<Console> console;
  std::unique_ptr<QSocketNotifier> notifier;
  std::string pending;
  if (opts.console) {
    console = std::make_unique<Console>(desk, consoleDialogs);
    consoleDialogs.eventSink = nullptr;
    notifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [&] {
      char buf[4096];
      ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
      if (n <= 0) {
        notifier->setEnabled(false);
        for (const auto& l : console->endOfInput()) std::cout << l << '\n';
        std::cout.flush();
        host.syncAll();
        QApplication::quit();
        return;
      }
      pending.append(buf, static_cast<std::size_t>(n));
      std::size_t nl;
      while ((nl = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        for (const auto& l : console->execute(line)) std::cout << l << '\n';
        std::cout.flush();
        host.requestSync();
      }
    });
  }
  if (desk.ended()) return 0;
  return QApplication::exec();
}

}  // namespace lumora
