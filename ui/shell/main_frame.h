// CMainFrame: the program's top-level window: the menus "&Find", "&Settings" and "&Help"
// with their keys, the view that holds every pane, and the size rule of the frame. Each
// menu action carries its command number; commands and their states are the
// controller's.
#pragma once

#include <functional>
#include <vector>

#include <QMainWindow>

#include "app/main_commands.h"
#include "scan/collection_files.h"

class QAction;
class QMenu;

namespace tf {

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Where the menu commands go (command number); empty: nowhere.
  void SetCommandHandler(std::function<void(int)> handler) { m_onCommand = std::move(handler); }
  // Runs when the frame closes, before it goes (the controller's shutdown).
  void SetCloseHandler(std::function<void()> handler) { m_onClose = std::move(handler); }

  // The window that holds every pane.
  QWidget* view() const { return m_view; }
  // The action of a command number, or null (also looks into "&Load masks").
  QAction* action(int commandId) const;
  // "&Find", "&Settings" and "&Help" by their place in the command table; "Select",
  // which the menu bar shows after "&Find", is selectMenu().
  QMenu* menu(int index) const;
  QMenu* selectMenu() const { return m_selectMenu; }
  // Replaces the "&Load masks" pop-up of "&Settings" by one listing `files` (command
  // kFirstLoadMasksCommand + n for the n-th); no files, no pop-up.
  void RebuildLoadMasksMenu(const std::vector<CollectionFile>& files);
  QMenu* loadMasksMenu() const { return m_loadMasks; }

  // Sizes the frame by the caption height of the style and centres it on its screen's
  // work area.
  void PlaceOnScreen();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  QAction* addCommand(QMenu* menu, int id, const char* text, const char* keys, const char* hint);
  QMenu* addMenu(const MenuDefinition& definition);

  QWidget* m_view;
  std::vector<QMenu*> m_menus;
  QMenu* m_selectMenu = nullptr;
  QMenu* m_loadMasks = nullptr;
  std::function<void(int)> m_onCommand;
  std::function<void()> m_onClose;
};

}  // namespace tf
