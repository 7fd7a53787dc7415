#include "app/app_shell.h"

#include "app/journal_control.h"
#include "app/recent_section.h"
#include "app/tools_section.h"
#include "platform/path_utils.h"
#include "platform/standard_paths.h"
#include "platform/stored_file.h"
#include "platform/zip_plugin.h"
#include "results/action_journal.h"
#include "results/backup_store.h"
#include "results/ignore_store.h"
#include "results/links_history.h"
#include "scan/mask_collection.h"
#include "search/local_filter_clock.h"
#include "search/search_descriptor.h"
#include "settings/settings_store.h"

namespace tf {

AppShell::AppShell(Questions& questions, SearchPanes& panes, ShellPlaces places)
    : m_questions(questions),
      m_panes(panes),
      m_places(std::move(places)),
      m_settings(std::make_unique<SettingsStore>()),
      m_zip(std::make_unique<ZipPlugin>(m_places.zipCandidates)),
      m_descriptor(std::make_unique<SearchDescriptor>()),
      m_masks(std::make_unique<MaskCollection>()),
      m_links(std::make_unique<LinksHistory>()) {
  if (!m_places.ignoredFile.empty())
    m_ignored = std::make_unique<IgnoreStore>(m_places.ignoredFile);
  SearchControl::Options options;
  options.hiddenGroups = [this]() -> std::function<bool(const DataNode*)> {
    // Read afresh for each search, so that twinfold-cli's changes count too; a list that
    // cannot be read hides nothing. The search gets its own copy, as it reads it on the
    // thread that forms the groups.
    auto list = std::make_shared<IgnoreList>();
    if (!m_ignored || m_ignored->Read(list.get()) != IgnoreStore::State::kRead || list->Empty())
      return {};
    return [list](const DataNode* group) { return list->HidesGroup(group); };
  };
  options.tickMs = m_places.tickMs;
  options.clock = m_places.clock;
  options.wake = m_places.wakeTick;
  m_search = std::make_unique<SearchControl>(m_descriptor.get(), &m_panes, std::move(options));
  m_journal = std::make_unique<ActionJournal>(m_places.journalFile.empty() ? DefaultJournalFile()
                                                                           : m_places.journalFile);
  m_journalControl = std::make_unique<JournalControl>(*m_journal);
  InstallActionJournal(m_journal.get());
}

AppShell::~AppShell() {
  Shutdown();
  if (InstalledActionJournal() == m_journal.get()) InstallActionJournal(nullptr);
}

bool AppShell::LoadSettings() {
  if (!m_settings->SetDefaults({m_places.settingsFile, m_places.defaultBackupFolder})) return false;
  if (!m_descriptor->Root() && !m_descriptor->Create(LocalFilterClock())) return false;
  if (m_settings->Load(m_places.settingsFile)) {
    m_settingsSource = SettingsSource::kLoaded;
  } else {
    switch (NameKind(m_places.settingsFile)) {
      case NAME_FREE:
        m_settingsSource = SettingsSource::kDefaults;
        break;
      case NAME_FILE:
        m_settingsSource = SettingsSource::kDamaged;
        break;
      default:  // a folder, a device, a FIFO, a dangling link: not ours to replace
        m_settingsSource = SettingsSource::kNotAFile;
        break;
    }
  }
  m_search->SetPriority(m_settings->GetPriority());
  m_search->SetOneThreadPerDisk(m_settings->GetOneThreadPerDisk() != 0);
  RestoreSearch(m_settings.get(), m_descriptor->Root(), &m_keptPlace);
  return true;
}

bool AppShell::OpenStores() {
  if (!m_backup) m_backup = std::make_unique<BackupStore>(m_questions, m_zip.get());
  const std::string folder = m_settings->GetBackupFolder();
  // Only the program's own default is made; a folder the user chose is never created.
  if (!folder.empty() && folder == m_places.defaultBackupFolder && NameKind(folder) == NAME_FREE)
    MakeFolders(folder);
  m_backup->SetFolder(folder);
  m_backup->LoadEntries();

  bool loaded = false;
  if (m_settings->GetFilterFlag() == 0) {
    const std::string file = m_settings->GetFilterText();
    loaded = !file.empty() && m_masks->LoadFromFile(file);
  }
  if (!loaded) m_masks->AddBuiltInGroups();
  RefreshCollectionFiles();
  return true;
}

bool AppShell::ProbeZip() {
  return m_zip->Probe();
}

bool AppShell::keepDamagedSettings() {
  // The file may have been mended or removed while the program ran; only what is still
  // a regular file needs keeping.
  if (NameKind(m_settings->fileName()) != NAME_FILE) return true;
  return SetAsideDamagedFile(m_settings->fileName()) == 1;
}

void AppShell::Shutdown() {
  if (m_shutDown) return;
  m_shutDown = true;
  m_zip->Unload();
  if (m_settings->root()) {
    // A damaged file that cannot be set aside is not saved over: it may be all that is
    // left of the user's settings. A name held by something other than a file is left
    // alone.
    bool save = m_settingsSource != SettingsSource::kNotAFile;
    if (m_settingsSource == SettingsSource::kDamaged) save = keepDamagedSettings();
    if (save) m_settings->Save();
  }
  // The run works on its own copy of the descriptor, so stopping it first changes nothing
  // but keeps the control from ever seeing a deleted descriptor.
  m_search->Detach();
  m_descriptor.reset();
  m_backup.reset();
  m_links = std::make_unique<LinksHistory>();
}

void AppShell::RememberSearch(const WindowPlace& place) {
  if (!m_shutDown && m_descriptor) KeepSearch(m_settings.get(), m_descriptor->Root(), place);
}

void AppShell::LoadBuiltInMasks() {
  m_masks->AddBuiltInGroups();
}

bool AppShell::LoadMasksCommand(int commandId) {
  const int index = commandId - kFirstLoadMasksCommand;
  if (index < 0 || index >= static_cast<int>(m_collectionFiles.size())) return false;
  return m_masks->LoadFromFile(m_collectionFiles[index].path);
}

void AppShell::RefreshCollectionFiles() {
  m_collectionFiles = ListCollectionFiles(m_places.collectionFolders);
}

DataNode* AppShell::RecentSection(const std::string& name) {
  return tf::RecentSection(m_settings.get(), name);
}

DataNode* AppShell::ToolsSection(const std::string& subName) {
  return tf::ToolsSection(m_settings.get(), subName);
}

int AppShell::AddLinkHistory(const std::string& path) {
  return m_links->AddLinkHistory(path);
}

DataNode* AppShell::InLinkHistory(const std::string& path) const {
  return m_links->InLinkHistory(path);
}

int AppShell::LinkHistoryPathOf(const std::string& path, std::string* out) const {
  return m_links->LinkHistoryPathOf(path, out);
}

}  // namespace tf
