#include "ui/formcommands.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/commands.h"
#include "ui/named.h"

TFormCommands::TFormCommands(QWidget* owner) : QWidget(owner, Qt::Window) {
  setWindowTitle("Effect Commands");
  setAccessibleName("Effect Commands");
  const auto commands = CommandTable();
  table = Named(new QTableWidget(int(commands.size()), 4, this), "CommandTable", "Effect commands");
  table->setHorizontalHeaderLabels({"Command", "Name", "Parameter", "Acts on"});
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setWordWrap(true);
  for (int row = 0; row < int(commands.size()); ++row) {
    const cCommandInfo& info = commands[size_t(row)];
    const QString cells[4] = {QString::fromStdString(CommandBytes(info)), info.name,
                              QString::fromStdString(CommandParameter(info)),
                              QString::fromStdString(CommandActors(info))};
    for (int column = 0; column < 4; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
      table->setItem(row, column, item);
    }
  }
  table->setCurrentItem(nullptr);
  QHeaderView* header = table->horizontalHeader();
  header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(2, QHeaderView::Stretch);
  header->setSectionResizeMode(3, QHeaderView::Interactive);
  table->setColumnWidth(3, 240);
  table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(table);
  resize(960, 540);
}

TFormCommands* TFormCommands::ShowFor(QWidget* owner) {
  auto* form = owner->findChild<TFormCommands*>(QString(), Qt::FindDirectChildrenOnly);
  if (form == nullptr) form = new TFormCommands(owner);
  form->show();
  form->raise();
  form->activateWindow();
  return form;
}
