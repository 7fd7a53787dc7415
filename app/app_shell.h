// AppShell: everything the window program owns that is not a widget, in the order it is
// built at start-up and released at shutdown: the options, the search descriptor, the
// search control, the backup store, the mask collections and their files, the zip
// plug-in and the history of link targets.
//
//   AppShell shell(questions, panes, places);
//   shell.LoadSettings();      // defaults, descriptor, the settings file
//   ...create the panes...
//   shell.OpenStores();        // backup store, mask collections, the "&Load masks" files
//   ...show the window...
//   shell.ProbeZip();
//   ...
//   shell.Shutdown();          // after the panes are gone: plug-in, save, delete
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/remembered_search.h"
#include "app/search_control.h"
#include "app/search_panes.h"
#include "base/questions.h"
#include "datatree/data_node.h"
#include "scan/collection_files.h"

namespace tf {

class BackupStore;
class IgnoreStore;
class ActionJournal;
class JournalControl;
class LinksHistory;
class MaskCollection;
class SearchDescriptor;
class SettingsStore;
class ZipPlugin;

// Where the program's files are; the window program fills it from the platform.
struct ShellPlaces {
  std::string settingsFile;                    // read at start-up, written at shutdown
  std::string defaultBackupFolder;             // made at start-up while it is the one in use
  std::vector<std::string> collectionFolders;  // searched for ".mcf" files, in order
  std::vector<std::string> zipCandidates;      // plug-in modules tried in order
  // The ignore list that hides groups from searches; empty: none (every group shows).
  std::string ignoredFile;
  std::string journalFile;  // the action journal; empty: the default
  int tickMs = 1000;        // the search run's longest step interval
  // Called from the search's threads for a Tick soon on the window's thread (see
  // SearchControl::Options::wake); empty: the ticks of the window's timer only.
  std::function<void()> wakeTick;
  std::function<int64_t()> clock;  // empty: the steady clock
};

// What became of the settings file at start-up: missing (defaults, saved at shutdown),
// loaded, damaged (a regular file that could not be read: defaults, and at shutdown it
// is set aside as "<name>.damaged" or "<name>.damaged.N" before the new one is saved),
// or not a file (a folder, a device, a FIFO, a dangling link: defaults, and nothing is
// saved there or set aside).
enum class SettingsSource { kDefaults, kLoaded, kDamaged, kNotAFile };

class AppShell {
 public:
  // `questions` answers the backup store's questions; `panes` is the window. Neither is
  // owned.
  AppShell(Questions& questions, SearchPanes& panes, ShellPlaces places);
  ~AppShell();
  AppShell(const AppShell&) = delete;
  AppShell& operator=(const AppShell&) = delete;

  // The options' defaults, the search descriptor, then the settings file (missing or
  // unreadable: the defaults stay). False only when the options or the descriptor
  // cannot be built.
  bool LoadSettings();
  // The backup store on "common:backup" (the default folder is made when missing), the
  // program's mask collections as "common:filter" says, and the list of ".mcf" files.
  // False when the backup store cannot be built.
  bool OpenStores();
  // Loads the zip plug-in when one is there; true when it is.
  bool ProbeZip();
  // Releases the plug-in, saves the options (see SettingsSource for a settings file
  // that could not be read) and deletes the descriptor, the backup store, the search
  // run and the link history, in that order. A second call does nothing.
  void Shutdown();
  bool IsShutDown() const { return m_shutDown; }

  // "&Load built-in masks".
  void LoadBuiltInMasks();
  // A command of the "&Load masks" menu; false for an unknown id or a file that could
  // not be loaded (the collection then stays as it was).
  bool LoadMasksCommand(int commandId);
  // Lists the ".mcf" files again, for the menu.
  void RefreshCollectionFiles();
  const std::vector<CollectionFile>& CollectionFiles() const { return m_collectionFiles; }

  // The window place of the remembered search read by LoadSettings (not valid when none).
  const WindowPlace& KeptWindowPlace() const { return m_keptPlace; }
  // Keeps the search descriptor and `place` with the options while the remembered search
  // is on (see KeepSearch); called before Shutdown saves them.
  void RememberSearch(const WindowPlace& place);

  // The options node "recent_section:"+name / "tools_section"[:sub], created when
  // missing; null before LoadSettings.
  DataNode* RecentSection(const std::string& name);
  DataNode* ToolsSection(const std::string& subName = std::string());

  int AddLinkHistory(const std::string& path);
  DataNode* InLinkHistory(const std::string& path) const;
  int LinkHistoryPathOf(const std::string& path, std::string* out) const;

  SettingsStore& Settings() { return *m_settings; }
  SettingsSource settingsSource() const { return m_settingsSource; }
  // Null before LoadSettings and after Shutdown.
  SearchDescriptor* Descriptor() { return m_descriptor.get(); }
  SearchControl& Search() { return *m_search; }
  BackupStore* Backup() { return m_backup.get(); }
  // The ignore list's file; null when the places name none.
  IgnoreStore* Ignored() { return m_ignored.get(); }
  MaskCollection& Masks() { return *m_masks; }
  ZipPlugin& Zip() { return *m_zip; }
  LinksHistory& Links() { return *m_links; }
  // The action journal every action of the window writes to, and its undo.
  JournalControl& Journal() { return *m_journalControl; }
  const ShellPlaces& places() const { return m_places; }

 private:
  // Sets a damaged settings file aside; false when it is still in the way.
  bool keepDamagedSettings();

  Questions& m_questions;
  SearchPanes& m_panes;
  ShellPlaces m_places;
  bool m_shutDown = false;
  SettingsSource m_settingsSource = SettingsSource::kDefaults;
  WindowPlace m_keptPlace;
  std::unique_ptr<SettingsStore> m_settings;
  std::unique_ptr<ZipPlugin> m_zip;
  std::unique_ptr<SearchDescriptor> m_descriptor;
  std::unique_ptr<SearchControl> m_search;
  std::unique_ptr<BackupStore> m_backup;
  std::unique_ptr<IgnoreStore> m_ignored;
  std::unique_ptr<MaskCollection> m_masks;
  std::unique_ptr<LinksHistory> m_links;
  std::unique_ptr<ActionJournal> m_journal;
  std::unique_ptr<JournalControl> m_journalControl;
  std::vector<CollectionFile> m_collectionFiles;
};

}  // namespace tf
