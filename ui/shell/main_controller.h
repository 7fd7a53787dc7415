// MainController: the window program's owner. It builds, from start-up to shutdown, the
// application shell (options, descriptor, search, backup store, mask collections,
// plug-in), the panes of the main window and one adapter per host interface the panes and
// the shell talk to; it routes the menu commands, answers their states and drives the
// search from the window library's ticks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QString>

#include "app/app_shell.h"
#include "ui/result_views/results_pane.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/search_bar.h"
#include "ui/shell/window_panes.h"
#include "ui/shell/window_results_host.h"
#include "ui/shell/window_search_host.h"
#include "ui/shell/window_search_panes.h"
#include "ui/window/mc_main.h"
#include "ui/window/split_window.h"

namespace tf {

class CMainFrame;
class SingleInstance;
class HelpViewer;

struct ControllerSetup {
  ShellPlaces places;
  // The single-instance server's name; empty: no check.
  QString instanceName;
  // Who answers the questions (null: the program's message box over the frame).
  Questions* questions = nullptr;
  // Help index files, the installed one first.
  std::vector<std::string> helpFiles;
  bool probeZip = true;
  // False keeps the frame hidden (tests that need no window on screen).
  bool showWindow = true;
};

// Where the program keeps its files on this system; `settingsFile` overrides the
// settings file when not empty.
ControllerSetup DefaultSetup(const std::string& settingsFile);

class MainController : public MCMain {
  Q_OBJECT

 public:
  MainController();
  ~MainController() override;

  // Builds everything in start-up order over `frame`; false ends the program (another
  // instance was chosen, or a part could not be built). Nothing is saved then.
  bool Init(CMainFrame* frame, ControllerSetup setup);
  // Runs a command of the menus, the keys or the search bar; always 1.
  int OnCommand(int commandId);
  int CommandState(int commandId) override;
  // Saves the recent folders, deletes the panes, then shuts the shell down (plug-in,
  // options saved, descriptor, backup store, search). A second call does nothing.
  void Shutdown();

  AppShell* shell() const { return m_shell.get(); }
  CMainFrame* frame() const { return m_frame; }
  SearchBar* searchBar() const { return m_bar; }
  ResultsPane* resultsPane() const { return m_results; }
  SearchWindow* searchWindow() const { return m_searchWindow; }
  SplitWindow* split() const { return m_split; }
  SingleInstance* instance() const { return m_instance.get(); }
  int raiseCount() const { return m_raised; }
  // The search window's host; null before Init.
  WindowSearchHost* searchHost() const { return m_searchHost.get(); }
  // Pushes the command states into the menus and the search bar (each tick does).
  void UpdateCommandStates();
  // What the command line names: a regular file is opened as a results file, anything else
  // joins the search list as the folder page adds a folder (a path that is no folder is
  // named on standard error); with `search` and folders given, the search starts.
  void OpenFromCommandLine(const std::vector<std::string>& operands, bool search);
  // Reads a results file off the window's thread (a progress dialog with "Cancel" when it
  // takes long), drops the files that changed since (named in one message) and shows the
  // rest as a search's result. False when it was refused (the user has been told) or
  // cancelled.
  bool OpenResultsFile(const std::string& path);
  // Takes the journal's action `id` (empty: the newest one not yet undone) back: asks first
  // when more than one file comes back, shows progress with "Cancel" when it takes long,
  // names the files that stay, and puts the files that came back into their groups.
  void UndoJournalAction(const std::string& id);

 protected:
  void OnBusyTick() override { onTick(); }
  void OnInactiveTick() override { onTick(); }
  void OnActivate(bool active) override;

 private:
  bool askAboutOtherInstance();
  void createPanes();
  void setSearchColumn(bool wide);
  void rebuildMasksMenu();
  void showHelp();
  void showAbout();
  // Asks for a file and writes the result there in the format its type or name chooses.
  void exportResults();
  void saveResults();
  void openResults();
  void showActionHistory();
  void bringToFront();
  // Puts the frame where the remembered search left it, when that is on a screen.
  void placeAsKept();
  void onTick();

  CMainFrame* m_frame = nullptr;
  ControllerSetup m_setup;
  std::unique_ptr<Questions> m_ownQuestions;
  std::unique_ptr<Questions> m_guiQuestions;
  Questions* m_questions = nullptr;
  std::unique_ptr<SingleInstance> m_instance;
  // What the hosts reach of the window; filled as the panes are built.
  WindowPanes m_panes;
  // Declared before the shell and destroyed after it, which keeps a reference to the panes.
  std::unique_ptr<WindowSearchPanes> m_searchPanes;
  std::unique_ptr<AppShell> m_shell;
  // Built over the shell, and destroyed before it.
  std::unique_ptr<WindowResultsHost> m_resultsHost;
  std::unique_ptr<WindowSearchHost> m_searchHost;
  QPointer<SplitWindow> m_split;
  QPointer<SearchWindow> m_searchWindow;
  QPointer<QWidget> m_rightColumn;
  QPointer<SearchBar> m_bar;
  QPointer<ResultsPane> m_results;
  QPointer<HelpViewer> m_helpViewer;  // open once the desktop could not show the manual
  int m_raised = 0;
  bool m_shutDown = false;
};

}  // namespace tf
