// FilterSubPage: what the four sub-pages of the filters page share: the "Enable filter"
// check box with the line under it, the filter node they edit, and the room below for
// their own controls.
#pragma once

#include <QWidget>

#include "datatree/data_node.h"

class QCheckBox;
class QVBoxLayout;

namespace tf {

class MCMain;
class SearchDescriptor;
class SearchHost;

class FilterSubPage : public QWidget {
  Q_OBJECT

 public:
  FilterSubPage(SearchHost& host, MCMain* main, QWidget* parent);

  // Shows the stored values (the check box and the sub-page's own controls).
  void Update();
  // The node this sub-page edits in the current descriptor, or null. Looked up on
  // every use, so a page never writes into a descriptor that was replaced.
  virtual DataNode* Node() const = 0;

  QCheckBox* enableBox() const { return m_enable; }

 signals:
  // The filter was enabled or disabled from the check box.
  void enabledChanged();

 protected:
  virtual void updateValues() = 0;
  SearchDescriptor& descriptor() const;
  // The layout below the check box and its line, for the sub-page's controls.
  QVBoxLayout* body() const { return m_body; }
  // Gives `control` its tooltip, through the program's tooltips when there are some.
  void decorate(QWidget* control, const char* tip) const;

  SearchHost& m_host;
  MCMain* m_main;

 private:
  QCheckBox* m_enable = nullptr;
  QVBoxLayout* m_body = nullptr;
};

}  // namespace tf
