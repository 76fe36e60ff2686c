// What repainting one main-desk fader (30 x 736, its handle moved) costs,
// with the desk's style (a tall fader painted in strips) and with the plain
// style, whose taller image blends Qt's raster engine hands to its thread
// pool: process CPU time, so the pool's threads count too. Offscreen; the
// style's cached images exist after the first paint, as on a running desk.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <memory>

#include "gui/binder.h"

namespace {

void StartQt() {
  static int argc = 1;
  static char arg0[] = "lumora_gui_bench";
  static char* argv[] = {arg0, nullptr};
  if (QApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(argc, argv);
  lumora::gui::InstallDeskStyle();
}

void FaderRepaint(benchmark::State& state, bool deskStyle) {
  StartQt();
  std::unique_ptr<QStyle> plain(QStyleFactory::create("Fusion"));
  QSlider fader(Qt::Vertical);
  fader.setRange(0, 255);
  fader.resize(30, 736);
  if (!deskStyle) fader.setStyle(plain.get());
  QImage img(fader.size(), QImage::Format_RGB32);
  int v = 0;
  for (auto _ : state) {
    v = (v + 7) % 256;
    fader.setValue(v);
    fader.render(&img);
  }
}
BENCHMARK_CAPTURE(FaderRepaint, desk_style, true)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FaderRepaint, plain_style, false)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
