#include "ui/shell/main_controller.h"

#include <algorithm>
#include <cstdio>

#include <QAction>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

#include "app/journal_control.h"
#include "app/main_commands.h"
#include "platform/file_time.h"
#include "platform/path_utils.h"
#include "platform/process_launcher.h"
#include "platform/standard_paths.h"
#include "platform/zip_plugin.h"
#include "results/backup_store.h"
#include "results/file_actions.h"
#include "results/result_act.h"
#include "results/result_export.h"
#include "results/results_file.h"
#include "scan/folder_list.h"
#include "search/search_run.h"
#include "settings/settings_store.h"
#include "ui/dialogs/action_history_dialog.h"
#include "ui/dialogs/settings_dialogs.h"
#include "ui/preview/preview_page.h"
#include "ui/qt_text.h"
#include "ui/result_views/backup_folder_view.h"
#include "ui/result_views/results_pane.h"
#include "ui/search_pages/folder_page.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/help_viewer.h"
#include "ui/shell/main_frame.h"
#include "ui/shell/search_bar.h"
#include "ui/shell/single_instance.h"
#include "ui/shell/window_verify.h"
#include "ui/window/chosen_path.h"
#include "ui/window/gui_thread_questions.h"
#include "ui/window/long_work.h"
#include "ui/window/message_box.h"
#include "ui/window/qt_questions.h"
#include "ui/window/split_window.h"

#ifndef TWINFOLD_VERSION
#define TWINFOLD_VERSION "unknown"
#endif

namespace tf {

namespace {

// The search column's share of the frame until it takes its own width.
constexpr double kSearchColumnRatio = 0.35;

}  // namespace

ControllerSetup DefaultSetup(const std::string& settingsFile) {
  ControllerSetup setup;
  setup.places.settingsFile = settingsFile.empty() ? DefaultSettingsFile() : settingsFile;
  setup.places.defaultBackupFolder = DefaultBackupFolder();
  setup.places.collectionFolders = CollectionFolders();
  setup.places.zipCandidates = ZipPlugin::DefaultCandidates();
  setup.places.ignoredFile = IgnoredGroupsFile();
  setup.instanceName = SingleInstance::DefaultName();
  // The build folder holds the help in the installed layout too.
  setup.helpFiles = {HelpIndexFile()};
  return setup;
}

MainController::MainController() = default;

MainController::~MainController() {
  Shutdown();
}

bool MainController::Init(CMainFrame* frame, ControllerSetup setup) {
  if (m_frame || !frame) return false;
  m_frame = frame;
  m_setup = std::move(setup);
  if (!m_setup.questions) m_ownQuestions = std::make_unique<QtQuestions>(frame);
  // File work runs off the window's thread and may ask from there.
  m_guiQuestions = std::make_unique<GuiThreadQuestions>(m_setup.questions ? *m_setup.questions
                                                                          : *m_ownQuestions);
  m_questions = m_guiQuestions.get();
  m_panes.frame = frame;
  m_panes.updateCommandStates = [this] { UpdateCommandStates(); };
  m_panes.isActive = [this] { return active(); };
  m_searchPanes = std::make_unique<WindowSearchPanes>(m_panes);
  if (!Initialize(frame, kProgramTitle)) return false;
  m_frame->SetCommandHandler([this](int id) { OnCommand(id); });
  m_frame->SetCloseHandler([this] { Shutdown(); });
  m_frame->PlaceOnScreen();

  if (!m_setup.instanceName.isEmpty() && !askAboutOtherInstance()) {
    m_shutDown = true;  // nothing was built, nothing is saved
    MCMain::Shutdown();
    return false;
  }

  // A scan or merge that ends brings the next step of the search at once, not on the
  // next timer tick.
  ShellPlaces places = m_setup.places;
  places.wakeTick = [this] { WakeTick(); };
  m_shell = std::make_unique<AppShell>(*m_questions, *m_searchPanes, std::move(places));
  m_resultsHost = std::make_unique<WindowResultsHost>(*m_shell, m_panes, *m_questions);
  m_searchHost = std::make_unique<WindowSearchHost>(*m_shell, m_panes, *m_questions);
  if (!m_shell->LoadSettings()) return false;
  placeAsKept();
  SetToolTips(m_shell->Settings().GetTooltips() != 0);
  createPanes();
  if (!m_shell->OpenStores()) return false;
  m_shell->Backup()->SetBrowseHook([this](const std::string& folder) {
    return BrowseFolder(folder, m_shell->Settings().GetBrowseMode() == 1);
  });
  m_results->SetBackupView(new BackupFolderView(*m_shell->Backup(), *m_questions));
  m_results->EnableBackup(m_resultsHost->BackupAvailable());
  m_results->OnToolsChanged();
  rebuildMasksMenu();

  m_searchPanes->SetWaitCursor(true);
  if (m_setup.showWindow) m_frame->showNormal();
  m_frame->centralWidget()->layout()->activate();
  setSearchColumn(true);
  if (m_setup.probeZip) m_shell->ProbeZip();
  m_searchWindow->previewPage()->AttachZip(&m_shell->Zip());
  if (m_setup.showWindow) {
    m_frame->raise();
    m_frame->activateWindow();
  }
  // Folders brought back from the last run are as ready to search as ones just added.
  m_shell->Search().SetStatusText(m_shell->Search().CanStart() ? kStatusClickToStart
                                                               : kStatusChooseFolders);
  UpdateCommandStates();
  m_searchPanes->SetWaitCursor(false);
  return true;
}

bool MainController::askAboutOtherInstance() {
  m_instance = std::make_unique<SingleInstance>(m_setup.instanceName);
  if (m_instance->Listen()) {
    connect(m_instance.get(), &SingleInstance::raiseRequested, this, &MainController::bringToFront);
    return true;
  }
  const int answer = m_questions->ShowMessage(SecondInstanceText(kProgramTitle),
                                              kSecondInstanceCaption, MB_YESNOCANCEL);
  if (answer == IDYES) {
    m_instance->SendRaise();
    return false;
  }
  if (answer != IDNO) return false;
  m_instance.reset();  // a second full instance, without a server of its own
  return true;
}

void MainController::placeAsKept() {
  const WindowPlace& kept = m_shell->KeptWindowPlace();
  if (!kept.valid) return;
  const QRect place(kept.x, kept.y, kept.width, kept.height);
  // A place on a screen that is gone (or shrank) would hide the window: keep the default.
  QScreen* screen = QGuiApplication::screenAt(place.center());
  if (!screen || !screen->availableGeometry().intersects(place)) return;
  // The same measure as kept: the frame's inside, without the window manager's border.
  m_frame->setGeometry(
      QRect(place.topLeft(), place.size().boundedTo(screen->availableGeometry().size())));
}

void MainController::bringToFront() {
  ++m_raised;
  if (!m_frame) return;
  m_frame->showNormal();
  m_frame->raise();
  m_frame->activateWindow();
}

void MainController::createPanes() {
  m_searchWindow = new SearchWindow(*m_searchHost, this, nullptr);
  m_rightColumn = new QWidget;
  m_rightColumn->setObjectName(QStringLiteral("ResultsColumn"));
  auto* column = new QVBoxLayout(m_rightColumn);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  m_bar = new SearchBar(this, m_rightColumn);
  m_results = new ResultsPane(*m_resultsHost, m_rightColumn);
  column->addWidget(m_bar);
  column->addWidget(m_results, 1);
  m_split = new SplitWindow(m_frame->view(), nullptr, m_searchWindow, m_rightColumn, false,
                            kSearchColumnRatio);
  m_frame->view()->layout()->addWidget(m_split);
  m_panes.searchWindow = m_searchWindow;
  m_panes.bar = m_bar;
  m_panes.results = m_results;
  connect(m_bar, &SearchBar::startClicked, this, [this] { OnCommand(kCmdStartSearch); });
  connect(m_bar, &SearchBar::stopClicked, this, [this] { OnCommand(kCmdStopSearch); });
  connect(m_searchWindow, &SearchWindow::expandCollapseToggled, this,
          [this](bool narrow) { setSearchColumn(!narrow); });
}

void MainController::setSearchColumn(bool wide) {
  if (!m_split || !m_searchWindow) return;
  m_split->setUpdatesEnabled(false);
  m_split->SetFixedPane(kFirstPane, false);
  m_split->SetPaneSize(kFirstPane, m_searchWindow->Width(wide));
  m_split->SetFixedPane(kFirstPane, true);
  m_split->setUpdatesEnabled(true);
}

void MainController::rebuildMasksMenu() {
  m_shell->RefreshCollectionFiles();
  m_frame->RebuildLoadMasksMenu(m_shell->CollectionFiles());
}

int MainController::OnCommand(int commandId) {
  if (!m_shell || m_shell->IsShutDown()) return 1;
  switch (commandId) {
    case kCmdStartSearch:
      // The masks a search uses are remembered as when their page is left.
      if (m_searchWindow) m_searchWindow->RememberMasks();
      m_shell->Search().StartSearch();
      break;
    case kCmdStopSearch:
      m_shell->Search().StopSearch();
      break;
    case kCmdExportResults:
      exportResults();
      break;
    case kCmdSaveResults:
      saveResults();
      break;
    case kCmdOpenResults:
      openResults();
      break;
    case kCmdVerifyContents:
      if (MainCommandState(*m_shell, kCmdVerifyContents) == 0)
        VerifyInWindow(m_frame, *m_shell, *m_questions, {});
      break;
    case kCmdUndo:
      if (CommandState(kCmdUndo) == 0) UndoJournalAction(std::string());
      break;
    case kCmdActionHistory:
      if (CommandState(kCmdActionHistory) == 0) showActionHistory();
      break;
    case kCmdExit:
      m_frame->close();
      return 1;
    case kCmdRegisteredTools:
      OpenToolList(*m_shell, *m_questions, m_frame, [this] { m_results->OnToolsChanged(); });
      break;
    case kCmdOptions:
      OpenProgramOptions(
          *m_shell, *m_questions, m_frame, [this](bool on) { m_results->EnableBackup(on); },
          [this] { SetToolTips(m_shell->Settings().GetTooltips() != 0); });
      break;
    case kCmdMaskCollection:
      // The filters page reads the collection whenever it offers its groups.
      if (OpenMaskCollectionEditor(*m_shell, *m_questions, m_frame)) rebuildMasksMenu();
      break;
    case kCmdFileFilters:
      ShowFileFilters(*m_shell, *m_questions, m_frame);
      break;
    case kCmdBuiltInMasks:
      m_shell->LoadBuiltInMasks();
      break;
    case kCmdIgnoredGroups:
      ShowIgnoredGroups(*m_shell, *m_questions, m_frame);
      break;
    case kCmdHelp:
      showHelp();
      break;
    case kCmdAbout:
      showAbout();
      break;
    default:
      if (SelectRule rule; SelectRuleOf(commandId, &rule)) {
        if (CommandState(commandId) == 0) m_results->RunSelectHelper(rule);
        break;
      }
      if (commandId >= kFirstLoadMasksCommand && commandId <= kLastLoadMasksCommand) {
        m_shell->LoadMasksCommand(commandId);
        rebuildMasksMenu();
      }
      break;
  }
  UpdateCommandStates();
  return 1;
}

int MainController::CommandState(int commandId) {
  if (!m_shell || m_shell->IsShutDown()) return kCommandDisabled;
  // The helpers work on the list on show, so not on the backup page.
  SelectRule rule;
  if (SelectRuleOf(commandId, &rule) && (!m_results || !m_results->listView()))
    return kCommandDisabled;
  // The command names the action it would undo.
  if (commandId == kCmdUndo && m_frame)
    if (QAction* undo = m_frame->action(kCmdUndo))
      undo->setText(QtText(UndoCommandText(m_shell->Journal().Newest())));
  return MainCommandState(*m_shell, commandId);
}

void MainController::UpdateCommandStates() {
  if (!m_frame || !m_shell || m_shell->IsShutDown()) return;
  UpdateMenuState(m_frame->menuBar());
  if (m_bar) m_bar->UpdateButtons(m_shell->Search().CanStart());
}

void MainController::showHelp() {
  const std::string index = ChooseHelpIndex(m_setup.helpFiles);
  if (PathKind(index) != PATH_FILE) {
    m_questions->ShowMessage("The manual \"" + index + "\" cannot be found.", "Help", MB_OK);
    return;
  }
  // The desktop's browser first; where none takes the manual, the program's own viewer.
  if (!m_helpViewer && OpenWithDefaultViewer(index, std::string(), false)) return;
  if (!m_helpViewer) m_helpViewer = new HelpViewer(index, m_frame);
  m_helpViewer->show();
  m_helpViewer->raise();
  m_helpViewer->activateWindow();
}

void MainController::UndoJournalAction(const std::string& id) {
  if (!m_shell || m_shell->IsShutDown() || m_shell->Search().CanStop()) return;
  JournalControl& journal = m_shell->Journal();
  const JournalAction* found = id.empty() ? journal.Newest() : journal.Find(id);
  if (!found || UndoFileCount(*found) == 0) return;
  const JournalAction action = *found;
  const std::string question = UndoQuestion(action);
  if (!question.empty() && m_questions->ShowMessage(question, "Undo", MB_YESNO) != IDYES) return;
  auto report = std::make_shared<UndoReport>();
  auto why = std::make_shared<std::string>();
  auto written = std::make_shared<bool>(true);
  // Many files come back beside the window, with "Cancel" once it takes long; a file
  // already under way is finished first.
  LongWork::RunOnce(m_frame, QtText("Undoing " + ActionLabel(action) + "..."),
                    [&journal, action, report, why, written](const CopyProgress& progress) {
                      *written =
                          journal.Undo(action, report.get(), why.get(),
                                       [&progress](size_t handled, size_t total) {
                                         return !progress || progress(static_cast<int64_t>(handled),
                                                                      static_cast<int64_t>(total));
                                       });
                      return true;
                    });
  if (m_shell->Search().RejoinFiles(report->restored) && m_results) m_results->OnSearchFinished();
  if (BackupStore* store = m_shell->Backup()) {
    store->LoadEntries();
    if (m_results && m_results->backupView()) m_results->backupView()->FollowStore();
  }
  const std::string kept = UndoKeptText(*report);
  if (!kept.empty()) m_questions->ShowMessage(kept, "Undo", MB_OK);
  // Files made to share storage never changed: the undo only says so.
  const std::string nothing = NothingToUndoText(action);
  if (!nothing.empty() && *written) m_questions->ShowMessage(nothing, "Undo", MB_OK);
  if (!*written) m_questions->ShowMessage(*why, "Undo", MB_OK);
  UpdateCommandStates();
}

void MainController::showActionHistory() {
  ActionHistoryDialog dialog(
      m_shell->Journal(), [this](const std::string& id) { UndoJournalAction(id); }, m_frame);
  dialog.exec();
  UpdateCommandStates();
}

void MainController::showAbout() {
  m_questions->ShowMessage(AboutText(kProgramTitle, TWINFOLD_VERSION), "About Twinfold", MB_OK);
}

namespace {

// The chosen file's name as the system spells it: the bytes, not a round trip through UTF-8.
// "" when the dialog's text names no file for sure (a name that is not UTF-8 in a folder
// holding several that show alike).
std::string chosenPath(const QFileDialog& dialog) {
  std::string path;
  return ChosenPathBytes(dialog.selectedFiles().front(), true, &path) ? path : std::string();
}

}  // namespace

void MainController::exportResults() {
  if (MainCommandState(*m_shell, kCmdExportResults) != 0) return;
  static const QStringList kTypes = {QStringLiteral("HTML report (*.html *.htm)"),
                                     QStringLiteral("CSV (*.csv)"),
                                     QStringLiteral("JSON (*.json)")};
  static const ExportFormat kFormats[] = {ExportFormat::kHtml, ExportFormat::kCsv,
                                          ExportFormat::kJson};
  QFileDialog dialog(m_frame, QStringLiteral("Export results"));
  dialog.setObjectName(QStringLiteral("ExportDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // Qt's own dialog: the same everywhere, and reachable by keyboard and tests alike.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilters(kTypes);
  dialog.setDefaultSuffix(QStringLiteral("html"));
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& type) {
    static const char* const kSuffixes[] = {"html", "csv", "json"};
    const int index = static_cast<int>(kTypes.indexOf(type));
    if (index >= 0) dialog.setDefaultSuffix(QString::fromLatin1(kSuffixes[index]));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string path = chosenPath(dialog);
  if (path.empty()) return;
  const int typeIndex = static_cast<int>(kTypes.indexOf(dialog.selectedNameFilter()));
  const ExportFormat format = ExportFormatOf(path, kFormats[typeIndex < 0 ? 0 : typeIndex]);
  std::string error;
  const std::vector<std::string> protectedFolders =
      m_shell->Descriptor() ? ProtectedFolders(m_shell->Descriptor()->Root())
                            : std::vector<std::string>();
  // JSON is a results file, as twinfold-cli writes it.
  const SearchRun* run = m_shell->Search().Run();
  const ResultsHeader header{std::string("twinfold ") + TWINFOLD_VERSION, FileTimeNow(),
                             run ? run->Descriptor() : nullptr};
  if (!ExportResult(m_shell->Search().GroupsRoot(), format, path, &error, protectedFolders,
                    run && run->Descriptor() ? &header : nullptr))
    m_questions->ShowMessage("Cannot export the results to \"" + path + "\":\n" + error, nullptr,
                             MB_OK);
}

namespace {

const QString kResultsFilter = QStringLiteral("Twinfold results (*%1)").arg(kResultsFileSuffix);

}  // namespace

void MainController::saveResults() {
  if (MainCommandState(*m_shell, kCmdSaveResults) != 0 || !m_shell->Search().Run()) return;
  QFileDialog dialog(m_frame, QStringLiteral("Save results"));
  dialog.setObjectName(QStringLiteral("SaveResultsDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilters({kResultsFilter});
  // The ending by which the desktop knows a results file and opens it here.
  dialog.setDefaultSuffix(QString::fromLatin1(kResultsFileSuffix + 1));
  dialog.selectFile(QStringLiteral("results") + QString::fromLatin1(kResultsFileSuffix));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string path = chosenPath(dialog);
  if (path.empty()) return;
  // The descriptor the search ran with, not the pages as edited since.
  const DataNode* searched = m_shell->Search().Run()->Descriptor();
  const ResultsHeader header{std::string("twinfold ") + TWINFOLD_VERSION, FileTimeNow(), searched};
  std::string error;
  if (!ExportResult(m_shell->Search().GroupsRoot(), ExportFormat::kJson, path, &error,
                    ProtectedFolders(const_cast<DataNode*>(searched)), &header))
    m_questions->ShowMessage("Cannot save the results to \"" + path + "\":\n" + error, nullptr,
                             MB_OK);
}

void MainController::openResults() {
  if (MainCommandState(*m_shell, kCmdOpenResults) != 0) return;
  QFileDialog dialog(m_frame, QStringLiteral("Open results"));
  dialog.setObjectName(QStringLiteral("OpenResultsDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilters(
      {kResultsFilter, QStringLiteral("JSON (*.json)"), QStringLiteral("All files (*)")});
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string path = chosenPath(dialog);
  if (!path.empty()) OpenResultsFile(path);
}

bool MainController::OpenResultsFile(const std::string& path) {
  if (!m_shell || m_shell->IsShutDown() || m_shell->Search().CanStop()) return false;
  struct Opened {
    LoadedResults results;
    HardLinks links;
    std::vector<std::string> dropped;
    std::string problem;
  };
  auto opened = std::make_shared<Opened>();
  // Reading, checking and re-examining a million files takes seconds: beside the window,
  // which goes on painting, with "Cancel" once it takes long.
  const bool done = LongWork::RunOnce(
      m_frame, QStringLiteral("Opening results..."), [opened, path](const CopyProgress& progress) {
        if (!ReadResultsFile(path, &opened->results, &opened->problem)) return true;
        // A file without the header is shown but never acted on, so the check of what
        // it may direct an action at has nothing to guard.
        if (opened->results.descriptor) {
          opened->problem = WhyResultsUntrusted(opened->results);
          if (!opened->problem.empty()) return true;
        }
        if (!DropChangedFiles(&opened->results, &opened->dropped,
                              [&progress](int64_t checked, int64_t total) {
                                return !progress || progress(checked, total);
                              }))
          return false;
        opened->links.Build(opened->results.root.get(), ReadLinkIdentity);
        return true;
      });
  if (!done) return false;  // cancelled: the lists stay as they were
  if (!opened->problem.empty()) {
    m_questions->ShowMessage("Cannot open the results file \"" + path + "\":\n" + opened->problem,
                             "Open results", MB_OK);
    return false;
  }
  m_shell->Search().ShowSavedResult(opened->results.descriptor.get(),
                                    opened->results.root.release(), std::move(opened->links));
  if (m_searchWindow) m_searchWindow->ReloadPage();
  UpdateCommandStates();
  std::string text;
  if (!opened->results.descriptor) text = kReadOnlyMessage;
  if (!opened->dropped.empty()) {
    if (!text.empty()) text += "\n\n";
    text +=
        "These files changed or went away since the results were saved; they "
        "are left out:";
    const size_t shown = std::min<size_t>(opened->dropped.size(), 15);
    for (size_t i = 0; i < shown; ++i) text += "\n" + opened->dropped[i];
    if (opened->dropped.size() > shown)
      text += "\n... and " + std::to_string(opened->dropped.size() - shown) + " more";
  }
  if (!text.empty()) m_questions->ShowMessage(text, "Open results", MB_OK);
  return true;
}

void MainController::OpenFromCommandLine(const std::vector<std::string>& operands, bool search) {
  bool folders = false;
  for (const std::string& operand : operands) {
    if (PathKind(operand) == PATH_FILE) {
      OpenResultsFile(AbsolutePath(operand));
      continue;
    }
    const std::string folder = AbsolutePath(operand);
    if (PathKind(folder) != PATH_FOLDER) {
      std::fprintf(stderr, "twinfold: %s: no such folder; not added to the search list\n",
                   operand.c_str());
      continue;
    }
    m_searchWindow->SetMode(kSearchModeFolders);
    if (m_searchWindow->folderPage()->AddIncludePath(folder) == kFolderAdded) folders = true;
  }
  if (search && folders) OnCommand(kCmdStartSearch);
  UpdateCommandStates();
}

void MainController::onTick() {
  if (!m_shell || m_shell->IsShutDown()) return;
  m_shell->Search().Tick();
  UpdateCommandStates();
  // The filters may change outside their page too (a mask collection loaded from the menu).
  if (m_searchWindow) m_searchWindow->RefreshFiltersTab();
  if (m_results && m_results->backupView() && m_results->backupView()->isVisible())
    m_results->backupView()->FollowStore();
}

void MainController::OnActivate(bool active) {
  if (m_shell && !m_shell->IsShutDown()) m_shell->Search().OnActivate(active);
}

void MainController::Shutdown() {
  if (m_shutDown) return;
  m_shutDown = true;
  MCMain::Shutdown();  // no tick reaches the panes from here on
  if (m_searchWindow && m_shell && !m_shell->IsShutDown()) m_searchWindow->SaveRecentFolders();
  if (m_shell && !m_shell->IsShutDown() && m_frame) {
    const QRect shown = m_frame->isMaximized() || m_frame->isMinimized() ? m_frame->normalGeometry()
                                                                         : m_frame->geometry();
    m_shell->RememberSearch({shown.x(), shown.y(), shown.width(), shown.height(), true});
  }
  if (m_split) {
    m_split->Destroy(true, true);
    delete m_split;
  }
  delete m_searchWindow;
  delete m_rightColumn;
  if (m_shell) m_shell->Shutdown();
  if (m_searchPanes) m_searchPanes->ReleaseWaitCursors();
}

}  // namespace tf
