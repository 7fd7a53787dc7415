// Shared by the window's tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QTableView>
#include <QTimer>

#include "tests/support/private_trash.h"
#include "ui/result_views/result_rows_model.h"

namespace tf::testing {

// The original paths under `folder` of what the (whole test program's) trash holds.
inline std::set<std::string> TrashedFrom(const std::string& folder) {
  std::set<std::string> out;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(PrivateTrashHome() + "/Trash/info", ec)) {
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("Path=" + folder + "/", 0) == 0) out.insert(line.substr(5));
  }
  return out;
}

inline std::vector<std::string> Column(const QAbstractItemModel* model, int col = 0) {
  std::vector<std::string> texts;
  for (int row = 0; row < model->rowCount(); ++row)
    texts.push_back(model->index(row, col).data().toString().toStdString());
  return texts;
}

inline std::set<std::string> SelectedPaths(const QTableView* list) {
  std::set<std::string> out;
  auto* model = static_cast<ResultRowsModel*>(list->model());
  for (const QModelIndex& index : list->selectionModel()->selectedRows())
    out.insert(tf::FullName(model->Node(index.row())));
  return out;
}

inline void OnModal(std::function<bool(QDialog*)> accepts, std::function<void(QDialog*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, accepts, act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || !accepts(dialog)) return;
    timer->stop();
    timer->deleteLater();
    act(dialog);
  });
  timer->start();
}

}  // namespace tf::testing
