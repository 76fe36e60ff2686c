// Shows the Scroller in both directions with the value each reports.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

#include "scroller.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget w;
  w.setWindowTitle("Veltrack Scroller");
  auto* grid = new QGridLayout(&w);

  auto* h = new veltrack::Scroller(&w);
  h->setObjectName("horizontal");
  h->resize(260, h->height());
  h->setMinimumWidth(260);
  h->setMax(1000);
  h->setValue(250);
  h->setBackColor(QColor(214, 222, 232));
  auto* hv = new QLabel(QString(" Value %1").arg(h->Value()), &w);
  QObject::connect(h, &veltrack::Scroller::Scroll, hv, [hv](int v) { hv->setText(QString(" Value %1").arg(v)); });

  auto* v = new veltrack::Scroller(&w);
  v->setObjectName("vertical");
  v->setDirection(true);
  v->resize(v->width(), 200);
  v->setMinimumHeight(200);
  v->setMin(10);
  v->setMax(20);
  v->setValue(15);
  v->setBackColor(QColor(214, 222, 232));
  v->setCenterLineColor(QColor(200, 40, 40));
  auto* vv = new QLabel(QString(" Value %1").arg(v->Value()), &w);
  QObject::connect(v, &veltrack::Scroller::Scroll, vv, [vv](int x) { vv->setText(QString(" Value %1").arg(x)); });

  grid->addWidget(new QLabel("Direction False (0 .. 1000)", &w), 0, 0);
  grid->addWidget(h, 1, 0, Qt::AlignTop);
  grid->addWidget(hv, 2, 0, Qt::AlignTop);
  grid->addWidget(new QLabel("Direction True (10 .. 20)", &w), 0, 1);
  grid->addWidget(v, 1, 1, 2, 1, Qt::AlignHCenter);
  grid->addWidget(vv, 3, 1, Qt::AlignHCenter);
  grid->setRowStretch(4, 1);
  w.resize(460, 300);
  w.show();
  return app.exec();
}
