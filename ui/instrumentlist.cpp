#include "ui/instrumentlist.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QTableView>
#include <QVBoxLayout>

#include "app/tracker.h"

namespace {

enum : int { kColumnNumber = 0, kColumnEngine = 1, kColumnHolds = 2, kColumns = 3 };
const char* const kHeaders[kColumns] = {"No.", "Engine", "Sound"};

}  // namespace

// The rows of cInstrumentList as Qt's views read them.
class TInstrumentModel : public QAbstractTableModel {
 public:
  explicit TInstrumentModel(QObject* parent) : QAbstractTableModel(parent) {}

  void Show(const cInstrumentList* rows) {
    if (list == nullptr || list->Rows().size() != shownRows) {
      beginResetModel();
      list = rows;
      shownRows = rows->Rows().size();
      endResetModel();
      return;
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : int(shownRows);
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kColumns;
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= kColumns) return {};
    return QString(kHeaders[section]);
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    const cInstrumentRow* row = Row(index);
    if (row == nullptr || !row->selectable) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const cInstrumentRow* row = Row(index);
    if (row == nullptr) return {};
    switch (role) {
      case Qt::DisplayRole:
        if (index.column() == kColumnNumber) return row->number;
        return QString::fromStdString(index.column() == kColumnEngine ? row->engineName
                                                                      : row->holds);
      case Qt::FontRole: {
        if (!row->used) return {};
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      case Qt::TextAlignmentRole:
        return index.column() == kColumnNumber ? int(Qt::AlignRight | Qt::AlignVCenter)
                                               : int(Qt::AlignLeft | Qt::AlignVCenter);
      case Qt::AccessibleTextRole:
        return QString::fromStdString(InstrumentRowText(*row));
      case Qt::ToolTipRole:
        if (!row->selectable)
          return QString("Patterns can play instrument 128; it cannot be edited");
        return QString::fromStdString(InstrumentRowText(*row)) +
               "\nClick: current instrument. Double click: its page.";
      default:
        return {};
    }
  }

 private:
  const cInstrumentRow* Row(const QModelIndex& index) const {
    if (list == nullptr || !index.isValid() || size_t(index.row()) >= list->Rows().size())
      return nullptr;
    return &list->Rows()[size_t(index.row())];
  }

  const cInstrumentList* list = nullptr;
  size_t shownRows = 0;
};

TInstrumentList::TInstrumentList(QWidget* slot) {
  setObjectName("InstrumentList");
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  auto* caption = new QLabel("Instruments (bold: used in the patterns)", this);
  caption->setWordWrap(true);
  column->addWidget(caption);

  model = new TInstrumentModel(this);
  view = new QTableView(this);
  view->setObjectName("InstrumentTable");
  view->setAccessibleName("Instrument list");
  view->setAccessibleDescription(
      "The song's instruments: number, engine and sound; those used in the patterns in bold");
  view->setModel(model);
  // The keys stay with the pattern editor; the mouse chooses.
  view->setFocusPolicy(Qt::NoFocus);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setShowGrid(false);
  view->setWordWrap(false);
  view->setTextElideMode(Qt::ElideRight);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* header = view->horizontalHeader();
  header->setHighlightSections(false);
  header->setSectionResizeMode(kColumnNumber, QHeaderView::Fixed);
  header->setSectionResizeMode(kColumnEngine, QHeaderView::Fixed);
  header->setStretchLastSection(true);
  // Wide enough for the bold rows of the instruments in use.
  QFont bold = view->font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  header->resizeSection(kColumnNumber, metrics.horizontalAdvance("0000") + 8);
  header->resizeSection(kColumnEngine, metrics.horizontalAdvance("Synthesizer") + 14);
  column->addWidget(view, 1);
  setMinimumWidth(190);

  connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& now) {
            if (!following && now.isValid() && onSelect) onSelect(now.row() + 1);
          });
  connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid() && (model->flags(index) & Qt::ItemIsSelectable) && onOpen)
      onOpen(index.row() + 1);
  });
  presets.SetListener([this] { SongEdited(); });
  slot->layout()->addWidget(this);
}

// The engine outlives the parts: it must not call into a list that is gone.
TInstrumentList::~TInstrumentList() {
  presets.SetListener({});
  if (tracker != nullptr) tracker->SetInstrumentFollower({});
}

void TInstrumentList::Attach(cTracker& t) {
  tracker = &t;
  list = std::make_unique<cInstrumentList>(t, presets);
  t.SetInstrumentFollower([this](int32_t instrument) { Follow(instrument); });
  Refresh();
}

void TInstrumentList::SongChanged(eSongChange) { Refresh(); }

void TInstrumentList::SongEdited() {
  if (refreshPending || !list) return;
  refreshPending = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshPending = false;
        Refresh();
      },
      Qt::QueuedConnection);
}

void TInstrumentList::Refresh() {
  if (!list) return;
  if (list->Read()) model->Show(list.get());
  Follow(list->Current());
}

void TInstrumentList::Follow(int32_t instrument) {
  if (!list || instrument < 1 || instrument > model->rowCount()) return;
  const QModelIndex index = model->index(instrument - 1, kColumnNumber);
  if (view->selectionModel()->currentIndex().row() == index.row()) return;
  following = true;
  view->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  following = false;
  view->scrollTo(index);
}
