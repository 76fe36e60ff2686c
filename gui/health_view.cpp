// The Output Health window: the state of the output with its reasons, the
// tick's figures, a table of the outputs, the last error, and the Art-Net
// nodes with their conflicts and the Poll button. The model refreshes its
// controls once a second and changes only what moved; the tables rewrite
// only the cells whose text differs.
#include <QFont>
#include <algorithm>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/view.h"
#include "gui/widgets.h"
#include "app/health_window.h"

namespace lumora::gui {

namespace {

// A list box whose entries are tab-separated rows, shown as a table.
class RowsTable : public QTableWidget, public ShowsControl {
 public:
  RowsTable(Control& c, const QStringList& headers, QWidget* parent) : QTableWidget(0, static_cast<int>(headers.size()), parent), c_(c) {
    setHorizontalHeaderLabels(headers);
    verticalHeader()->setVisible(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setAlternatingRowColors(true);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  }

  bool refreshShown() override {
    const auto& items = c_.ListItems();
    if (rowCount() != static_cast<int>(items.size())) setRowCount(static_cast<int>(items.size()));
    for (int r = 0; r < static_cast<int>(items.size()); ++r) {
      const QStringList cells = QString::fromStdString(items[static_cast<std::size_t>(r)]).split('\t');
      for (int col = 0; col < columnCount(); ++col) {
        const QString text = col < cells.size() ? cells[col] : QString();
        QTableWidgetItem* it = item(r, col);
        if (!it) {
          it = new QTableWidgetItem(text);
          if (col > 0 && numeric_.contains(col)) it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
          setItem(r, col, it);
        } else if (it->text() != text) {
          it->setText(text);  // repaints that cell only
        }
      }
    }
    return false;
  }
  void setNumericColumns(QList<int> cols) { numeric_ = std::move(cols); }
  // Fixed widths (from the header texts and a sample cell): a column sized
  // to its contents would re-layout, and repaint its header, whenever a
  // figure gets a digit longer.
  void fixColumns(int stretch, const QStringList& samples) {
    QHeaderView* h = horizontalHeader();
    for (int col = 0; col < columnCount(); ++col) {
      if (col == stretch) {
        h->setSectionResizeMode(col, QHeaderView::Stretch);
        continue;
      }
      const QString head = model()->headerData(col, Qt::Horizontal).toString();
      const QString sample = col < samples.size() ? samples[col] : QString();
      const int w = std::max(fontMetrics().horizontalAdvance(head), fontMetrics().horizontalAdvance(sample)) + 24;
      h->setSectionResizeMode(col, QHeaderView::Fixed);
      h->resizeSection(col, w);
    }
  }

 private:
  Control& c_;
  QList<int> numeric_;
};

QLabel* boundLabel(Binder& b, Control& c, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  b.bind(l, c);
  return l;
}

class HealthView : public FormView {
 public:
  HealthView(Form& f, GuiHost& h) : FormView(f, h), m_(static_cast<Health&>(f)) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(12, 12, 12, 10);
    root->setSpacing(10);

    auto* head = new QHBoxLayout;
    auto* light = new ColourPatch(m_.Status_Light, this);
    light->setFixedSize(22, 22);
    binder().bindCustom(light, m_.Status_Light);
    head->addWidget(light, 0, Qt::AlignTop);
    auto* status = boundLabel(binder(), m_.Status_Text, this);
    status->setWordWrap(true);
    QFont bold = status->font();
    bold.setBold(true);
    status->setFont(bold);
    head->addWidget(status, 1);
    root->addLayout(head);

    auto* tick = new QGroupBox("Output tick", this);
    auto* tg = new QVBoxLayout(tick);
    for (Control* c : {&m_.Tick_Set, &m_.Tick_Recent, &m_.Tick_Total, &m_.Late_Text}) tg->addWidget(boundLabel(binder(), *c, tick));
    root->addWidget(tick);

    auto* outs = new QGroupBox("Outputs", this);
    auto* og = new QVBoxLayout(outs);
    auto* table = new RowsTable(m_.Output_List, {"Output", "Frames/s (10 s)", "Frames/s (since start)", "Frames sent", "Rate (10 s)"}, outs);
    table->setNumericColumns({1, 2, 3, 4});
    table->fixColumns(0, {"", "00000.0", "00000.0", "0000000000", "000.0 KB/s"});
    table->setMinimumHeight(130);
    binder().bindCustom(table, m_.Output_List);
    og->addWidget(table);
    og->addWidget(boundLabel(binder(), m_.Bytes_Text, outs));
    auto* err = boundLabel(binder(), m_.Error_Text, outs);
    err->setWordWrap(true);
    og->addWidget(err);
    root->addWidget(outs, 1);

    auto* nodes = new QGroupBox("Art-Net Nodes", this);
    auto* ng = new QVBoxLayout(nodes);
    auto* nodeTable = new RowsTable(m_.Nodes_List, {"Address", "Short name", "Long name", "Universes wanted", "Sending", "Last seen"}, nodes);
    nodeTable->fixColumns(2, {"255.255.255.255", "Short name of 18 c", "", "0, 1, 2, 3", "0, 1, 2, 3", "59 min ago"});
    nodeTable->setMinimumHeight(120);
    binder().bindCustom(nodeTable, m_.Nodes_List);
    ng->addWidget(nodeTable, 1);
    ng->addWidget(new QLabel("Conflicts:", nodes));
    auto* conflicts = new QListWidget(nodes);
    conflicts->setFocusPolicy(Qt::NoFocus);
    conflicts->setSelectionMode(QAbstractItemView::NoSelection);
    conflicts->setMaximumHeight(80);
    binder().bind(conflicts, m_.Conflict_List);
    ng->addWidget(conflicts);
    auto* pollRow = new QHBoxLayout;
    auto* pollText = boundLabel(binder(), m_.Poll_Text, nodes);
    pollText->setWordWrap(true);
    pollRow->addWidget(pollText, 1);
    auto* poll = new QPushButton(nodes);
    poll->setMinimumWidth(90);
    binder().bind(poll, m_.Poll);
    pollRow->addWidget(poll);
    ng->addLayout(pollRow);
    root->addWidget(nodes, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* close = new QPushButton(this);
    close->setMinimumWidth(90);
    binder().bind(close, m_.Close);
    bottom->addWidget(close);
    root->addLayout(bottom);
    resize(860, 720);
  }

 private:
  Health& m_;
};

ViewRegistrar reg("Health", [](Form& f, GuiHost& h) { return new HealthView(f, h); });

}  // namespace
}  // namespace lumora::gui
