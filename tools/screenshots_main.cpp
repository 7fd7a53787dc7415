// twinfold-screenshots: pictures of the real main window for the documentation. It
// starts the program's controller on a settings file of its own, searches a prepared
// folder, and saves PNG pictures of the window, each search page (the folders page also
// with a protected folder), each sub-page of the filters page, a message box, the backup
// folder page, the backup and link dialogs, a progress dialog and the HTML report of
// "Export results...".
// Usage: twinfold-screenshots OUTPUT_FOLDER SEARCH_FOLDER [EXCLUDED_SUB_FOLDER]
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QFile>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTableView>
#include <QTreeWidget>

#include "app/app_shell.h"
#include "app/main_commands.h"
#include "app/tools_section.h"
#include "base/questions.h"
#include "platform/file_ops.h"
#include "platform/standard_paths.h"
#include "platform/zip_plugin.h"
#include "results/action_journal.h"
#include "results/backup_store.h"
#include "results/file_properties.h"
#include "results/ignore_store.h"
#include "results/result_export.h"
#include "results/share_action.h"
#include "scan/filter_nodes.h"
#include "search/search_run.h"
#include "settings/tool_node.h"
#include "tests/support/sample_document.h"
#include "ui/dialogs/ignored_groups_dialog.h"
#include "ui/dialogs/mask_collection_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/tool_description_dialog.h"
#include "ui/dialogs/tool_list_dialog.h"
#include "ui/preview/file_properties_dialog.h"
#include "ui/preview/preview_page.h"
#include "ui/result_views/folder_groups_view.h"
#include "ui/result_views/results_pane.h"
#include "ui/result_views/separate_lists_view.h"
#include "ui/result_views/window_backup_details_dialog.h"
#include "ui/result_views/window_replace_link_dialog.h"
#include "ui/search_pages/filters_page.h"
#include "ui/search_pages/folder_page.h"
#include "ui/search_pages/search_window.h"
#include "ui/shell/help_viewer.h"
#include "ui/shell/main_controller.h"
#include "ui/shell/main_frame.h"
#include "ui/window/long_work.h"
#include "ui/window/message_box.h"
#include "ui/window/qt_questions.h"

namespace {

constexpr int kStartSearchCommand = 32813;

void settle(int ms = 150) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
}

bool save(QWidget* widget, const QString& folder, const char* name) {
  settle();
  const QString path = folder + QLatin1Char('/') + QLatin1String(name);
  if (widget->grab().save(path, "PNG")) {
    std::printf("wrote %s\n", path.toLocal8Bit().constData());
    return true;
  }
  std::fprintf(stderr, "twinfold-screenshots: cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

// Saves the dialog that is about to open as `name` after `prepare` has filled it in,
// then closes it.
void saveNextDialog(const QString& folder, const char* name, bool* ok,
                    std::function<void(QDialog*)> prepare) {
  QTimer::singleShot(200, [=] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      *ok = false;
      return;
    }
    prepare(dialog);
    *ok = save(dialog, folder, name) && *ok;
    dialog->reject();
  });
}

// The frame with one of its menus open: the menu is a window of its own, so its picture is
// drawn onto the frame's where it stands.
bool saveMenu(tf::CMainFrame& frame, QMenu* menu, const QString& out, const char* name) {
  QAction* title = menu->menuAction();
  menu->popup(frame.menuBar()->mapToGlobal(frame.menuBar()->actionGeometry(title).bottomLeft()));
  settle();
  QPixmap picture = frame.grab();
  {
    QPainter painter(&picture);
    painter.drawPixmap(frame.mapFromGlobal(menu->pos()), menu->grab());
  }
  menu->hide();
  const QString path = out + QStringLiteral("/") + QString::fromLatin1(name);
  if (!picture.save(path, "PNG")) {
    std::fprintf(stderr, "twinfold-screenshots: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  std::printf("wrote %s\n", path.toLocal8Bit().constData());
  return true;
}

// The "Select" menu open after a helper has chosen the files.
bool saveSelectMenu(tf::CMainFrame& frame, tf::MainController& controller, const QString& out) {
  controller.resultsPane()->SetMode(1);
  controller.OnCommand(tf::kCmdSelectAllButNewest);
  const bool ok = saveMenu(frame, frame.selectMenu(), out, "menu-select.png");
  controller.OnCommand(tf::kCmdSelectClear);
  controller.resultsPane()->SetMode(0);
  return ok;
}

// Runs the search to its end on the controller's own ticks.
bool searchToTheEnd(tf::MainController& controller) {
  controller.OnCommand(kStartSearchCommand);
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 60000) {
    settle(50);
    tf::SearchRun* run = controller.shell()->Search().Run();
    if (run && run->state() == tf::SearchRun::kCancelled) return true;
  }
  return false;
}

// Each sub-page of the filters page, with its filter enabled and set as a person might
// set it (the second size and the second date shown). The search is over, so the
// settings change no picture taken before.
bool saveFilterSubPages(tf::MainController& controller, const QString& out) {
  tf::SearchDescriptor& descriptor = *controller.shell()->Descriptor();
  tf::SetFilterEnabled(descriptor.NameFilterNode(), 1);
  tf::SetNameInclude(descriptor.NameFilterNode(), "*.jpg;*.png;*.pdf;");
  tf::SetNameExclude(descriptor.NameFilterNode(), "~*.*;*.tmp");
  tf::SetFilterEnabled(descriptor.SizeFilterNode(), 1);
  tf::SetSizeSwitch(descriptor.SizeFilterNode(), 2);
  tf::SetSizeValue1(descriptor.SizeFilterNode(), 100);
  tf::SetSizeUnits1(descriptor.SizeFilterNode(), 0);
  tf::SetFilterEnabled(descriptor.TimeFilterNode(), 1);
  tf::SetTimeSwitch(descriptor.TimeFilterNode(), 4);
  tf::SetTimeDateMode(descriptor.TimeFilterNode(), 2);
  tf::SetFilterEnabled(descriptor.AttributeFilterNode(), 1);
  tf::SetAttrHidden(descriptor.AttributeFilterNode(), 2);
  tf::SetAttrReadOnly(descriptor.AttributeFilterNode(), 1);
  tf::SearchWindow* window = controller.searchWindow();
  window->SetMode(tf::kSearchModeFilters);
  window->filtersPage()->Update();
  const char* names[] = {"page-filters-name.png", "page-filters-size.png", "page-filters-time.png",
                         "page-filters-attributes.png"};
  bool ok = true;
  for (int i = 0; i < 4; ++i) {
    window->filtersPage()->ShowSubPage(i);
    ok = save(window, out, names[i]) && ok;
  }
  // From another page the "Filters" tab tells that filters are on; then they go off again.
  window->SetMode(tf::kSearchModeFolders);
  window->RefreshFiltersTab();
  ok = save(window, out, "page-folders-filters-on.png") && ok;
  for (tf::DataNode* filter : {descriptor.NameFilterNode(), descriptor.SizeFilterNode(),
                               descriptor.TimeFilterNode(), descriptor.AttributeFilterNode()})
    tf::SetFilterEnabled(filter, 0);
  window->RefreshFiltersTab();
  return ok;
}

bool writeText(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A landscape of sky, sea and sand, so that the picture previews show something real.
QImage landscape(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient sky(0, 0, 0, height * 0.55);
  sky.setColorAt(0, QColor(70, 130, 200));
  sky.setColorAt(1, QColor(190, 220, 245));
  painter.fillRect(0, 0, width, height, sky);
  painter.setBrush(QColor(255, 220, 90));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(width * 0.75, height * 0.22), height * 0.09, height * 0.09);
  painter.fillRect(QRectF(0, height * 0.55, width, height * 0.25), QColor(30, 90, 150));
  painter.fillRect(QRectF(0, height * 0.8, width, height * 0.2), QColor(230, 205, 150));
  return image;
}

// Sample files of every kind the preview shows, made in `folder`.
bool writeSamples(const QString& folder, tf::ZipPlugin& zip) {
  bool ok = writeText(folder + "/notes.txt",
                      "Moving day checklist\n"
                      "====================\n\n"
                      "- Book the van for Saturday, 8:00\n"
                      "- Ask Zoë and Björn to help carry the piano\n"
                      "- Photos: keep the folder on the backup disk, delete the copies\n"
                      "- Café on the corner opens at 7:30\n\n"
                      "Meter readings: water 1 204.5 m³, power 58 812 kWh\n");
  ok = writeText(folder + "/main.cpp",
                 "#include <cstdio>\n\n"
                 "// Prints the sizes given on the command line, largest first.\n"
                 "int main(int argc, char** argv) {\n"
                 "  for (int i = 1; i < argc; ++i) std::puts(argv[i]);\n"
                 "  return 0;\n"
                 "}\n") &&
       ok;
  ok = landscape(96, 64).save(folder + "/logo.png") && ok;
  ok = writeText(folder + "/index.html",
                 "<html><body><h2>Harbour festival</h2><img src=\"logo.png\" align=\"right\">"
                 "<p>The <b>harbour festival</b> opens on <i>Saturday 14 June</i> with a parade "
                 "of boats. Stalls along the quay sell fish, bread and ice cream.</p>"
                 "<table border=\"1\" cellpadding=\"3\"><tr><th>Time</th><th>Event</th></tr>"
                 "<tr><td>10:00</td><td>Parade</td></tr><tr><td>14:30</td><td>Regatta</td></tr>"
                 "<tr><td>21:00</td><td>Fireworks</td></tr></table>"
                 "<p><a href=\"https://example.org\">Programme online</a></p></body></html>") &&
       ok;
  ok = landscape(640, 400).save(folder + "/beach.png") && ok;
  ok = landscape(800, 500).save(folder + "/sunset.bmp", "BMP") && ok;
  const std::vector<tf::SampleProperty> report = {
      {"dc:title", std::string("Annual report 2025")},
      {"dc:subject", std::string("Figures for the board")},
      {"dc:creator", std::string("Ann Lindqvist")},
      {"dc:keywords", std::string("report; budget")},
      {"gsf:last-saved-by", std::string("Bruno Keller")},
      {"meta:editing-cycles", std::string("14")},
      {"meta:creation-date", int64_t{1733222400}},
      {"dc:date", int64_t{1741859100}},
      {"gsf:page-count", 18},
      {"gsf:word-count", 5120},
      {"meta:generator", std::string("Office Writer 97")}};
  ok = tf::WriteSampleDocument((folder + "/report.doc").toStdString(), report) && ok;
  tf::ZipFileInterface* writer = zip.AcquireZipInterface();
  if (!writer) return false;
  const std::string archive = (folder + "/holiday.zip").toStdString();
  bool zipped = writer->ZipCreate(archive.c_str(), 1);
  const char* entries[][2] = {
      {"notes.txt", "docs/notes.txt"},     {"main.cpp", "src/main.cpp"},
      {"index.html", "web/index.html"},    {"logo.png", "web/logo.png"},
      {"beach.png", "pictures/beach.png"}, {"sunset.bmp", "pictures/sunset.bmp"}};
  for (const auto& entry : entries)
    zipped =
        writer->ZipAddFile((folder + "/" + entry[0]).toStdString().c_str(), entry[1], 0) && zipped;
  zipped = writer->ZipCommit(archive.c_str()) && zipped;
  zip.ReleaseZipInterface(writer);
  return ok && zipped;
}

// The dialogs of the "&Settings" menu, each shown as its command opens it.
bool saveSettingsDialogs(tf::MainController& controller, tf::CMainFrame& frame, const QString& out,
                         const std::string& home) {
  tf::AppShell& shell = *controller.shell();
  tf::Questions& questions = controller.searchHost()->Ask();
  tf::DataNode* tools = shell.ToolsSection();
  tf::AddToolNode(tools, "Compare", "meld \"%f1\" \"%f2\"", "%d1");
  bool ok = true;
  {
    tf::OptionsDialog dialog(shell, questions, {}, {}, &frame);
    dialog.show();
    ok = save(&dialog, out, "dialog-options.png") && ok;
  }
  {
    tf::ToolListDialog dialog(tools, questions, &frame);
    dialog.show();
    ok = save(&dialog, out, "dialog-registered-tools.png") && ok;
  }
  {
    tf::ToolDescriptionDialog dialog(tf::ToolAt(tools, 1), questions, &frame);
    dialog.show();
    ok = save(&dialog, out, "dialog-tool-description.png") && ok;
  }
  {
    tf::MaskCollectionDialog dialog(shell.Masks(), questions, std::string(),
                                    tf::MaskCollectionDialog::Mode::kEdit, &frame);
    dialog.show();
    ok = save(&dialog, out, "dialog-mask-collection.png") && ok;
  }
  {
    tf::MaskCollectionDialog dialog(shell.Masks(), questions, std::string(),
                                    tf::MaskCollectionDialog::Mode::kView, &frame);
    dialog.show();
    ok = save(&dialog, out, "dialog-file-filters.png") && ok;
  }
  if (tf::IgnoreStore* ignored = shell.Ignored()) {
    // Two groups marked as not duplicates, then the list emptied again for what follows.
    ignored->Change([&home](tf::IgnoreList& list) {
      list.Add({home + "/Pictures/2024/harbour.jpg", home + "/Pictures/Holiday copy/harbour.jpg"});
      list.Add({home + "/Documents/tax return 2025.pdf",
                home + "/Old laptop/Documents/tax return 2025.pdf"});
      return true;
    });
    {
      tf::IgnoredGroupsDialog dialog(*ignored, questions, &frame);
      dialog.list()->setCurrentItem(dialog.list()->topLevelItem(1));
      dialog.show();
      ok = save(&dialog, out, "dialog-ignored-groups.png") && ok;
    }
    ignored->Change([](tf::IgnoreList& list) {
      list.Clear();
      return true;
    });
  }
  return ok;
}

}  // namespace

// The HTML report of the result, as "Export results..." writes it, shown by Qt's own
// HTML view (the report needs nothing from outside the file).
bool saveReport(tf::MainController& controller, const QString& file, const QString& out) {
  std::string error;
  if (!tf::ExportResult(controller.shell()->Search().GroupsRoot(), tf::ExportFormat::kHtml,
                        file.toStdString(), &error)) {
    std::fprintf(stderr, "twinfold-screenshots: cannot export: %s\n", error.c_str());
    return false;
  }
  QFile report(file);
  if (!report.open(QIODevice::ReadOnly)) return false;
  QTextBrowser view;
  view.setHtml(QString::fromUtf8(report.readAll()));
  view.resize(900, 560);
  view.show();
  const bool ok = save(&view, out, "html-report.png");
  view.hide();
  return ok;
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fputs("usage: twinfold-screenshots OUTPUT_FOLDER SEARCH_FOLDER [EXCLUDED_SUB_FOLDER]\n",
               stderr);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;

  tf::ControllerSetup setup =
      tf::DefaultSetup(scratch.filePath(QStringLiteral("twinfold.dat")).toStdString());
  setup.places.tickMs = 50;
  setup.places.defaultBackupFolder = scratch.filePath(QStringLiteral("Backup")).toStdString();
  // The pictures show the demo's groups, whatever the user running this has ignored.
  setup.places.ignoredFile = scratch.filePath(QStringLiteral("ignored")).toStdString();
  setup.places.journalFile = scratch.filePath(QStringLiteral("journal")).toStdString();
  setup.instanceName.clear();
  tf::CMainFrame frame;
  tf::MainController controller;
  if (!controller.Init(&frame, setup)) return 1;
  frame.resize(1060, 748);

  bool ok = save(&frame, out, "main-window.png");
  controller.searchWindow()->folderPage()->AddIncludePath(argv[2]);
  if (argc > 3) controller.searchWindow()->folderPage()->AddExcludePath(argv[3]);
  ok = save(&frame, out, "main-window-folders.png") && ok;
  if (!searchToTheEnd(controller)) {
    std::fputs("twinfold-screenshots: the search did not finish\n", stderr);
    return 1;
  }
  ok = save(&frame, out, "main-window-results.png") && ok;
  controller.resultsPane()->SetMode(1);
  ok = save(&frame, out, "main-window-unified.png") && ok;
  ok = saveSelectMenu(frame, controller, out) && ok;
  controller.resultsPane()->SetMode(0);
  ok = saveReport(controller, scratch.filePath(QStringLiteral("report.html")), out) && ok;

  const char* pages[] = {"page-folders.png", "page-filters.png", "page-settings.png",
                         "page-preview.png"};
  for (int mode = 3; mode >= 0; --mode) {
    controller.searchWindow()->SetMode(mode);
    ok = save(controller.searchWindow(), out, pages[mode]) && ok;
  }
  ok = saveFilterSubPages(controller, out) && ok;

  // A reference folder below the folder to search, marked protected.
  controller.searchWindow()->SetMode(0);
  controller.searchWindow()->folderPage()->ToggleProtectedPath(std::string(argv[2]) + "/Pictures");
  ok = save(controller.searchWindow(), out, "page-folders-protected.png") && ok;

  // The preview of each kind, and the properties of an office document.
  const QString samples = scratch.filePath(QStringLiteral("samples"));
  QDir().mkpath(samples);
  if (!writeSamples(samples, controller.shell()->Zip())) {
    std::fputs("twinfold-screenshots: the sample files could not be made\n", stderr);
    return 1;
  }
  tf::SearchWindow* search = controller.searchWindow();
  search->SetMode(3);
  search->previewPage()->showBox()->setChecked(true);
  const char* previews[][2] = {
      {"notes.txt", "preview-text.png"},    {"main.cpp", "preview-source.png"},
      {"index.html", "preview-html.png"},   {"beach.png", "preview-image.png"},
      {"sunset.bmp", "preview-bitmap.png"}, {"holiday.zip", "preview-zip.png"}};
  for (const auto& preview : previews) {
    search->previewPage()->SetFile((samples + "/" + preview[0]).toStdString());
    search->previewPage()->Refresh();
    ok = save(search, out, preview[1]) && ok;
  }
  // The preview follows the selection in the results: the twin notes.
  tf::SeparateListsView* separate = controller.resultsPane()->separateView();
  QAbstractItemModel* groups = separate->groupsList()->model();
  for (int row = 0; row < groups->rowCount(); ++row)
    if (groups->index(row, 0).data().toString() == QLatin1String("notes.txt"))
      separate->groupsList()->selectRow(row);
  settle();
  separate->filesList()->selectRow(0);
  ok = save(&frame, out, "main-window-preview.png") && ok;
  search->previewPage()->showBox()->setChecked(false);
  search->SetMode(0);

  {
    const std::string document = (samples + "/report.doc").toStdString();
    tf::DataNode* root = tf::CreateNode(nullptr, document.c_str(), tf::ATTACH_ROOT);
    tf::FillFileProperties(root);
    tf::FilePropertiesDialog dialog(root, &frame);
    dialog.resize(520, 520);
    dialog.show();
    ok = save(&dialog, out, "file-properties.png") && ok;
    dialog.hide();
    tf::DeleteNode(root);
  }

  const std::string home0 = argv[2];
  tf::MessageBox box(
      &frame, std::string(argv[2]) + "\nThis folder or its parent already exists in the scan list",
      QStringLiteral("Cannot add folder"), tf::MB_OK);
  box.show();
  ok = save(&box, out, "message-box.png") && ok;
  box.hide();
  // A path of three 255-byte names, as the trash refuses it: cut in its middle to fit.
  const std::string longName(251, 'x');
  tf::MessageBox longBox(&frame,
                         "This file could not be moved to the trash and stays where it is:\n\"" +
                             home0 + "/" + longName + "/" + longName + "/" + longName +
                             ".txt\"\n    the trash cannot take a name that long",
                         QStringLiteral("Not moved to the trash"), tf::MB_OK);
  longBox.show();
  ok = save(&longBox, out, "message-box-long-path.png") && ok;
  longBox.hide();
  {
    // The report of "Share storage", worded by the action's own summary: two copies
    // shared, one that changed after it was verified left as it was.
    std::vector<tf::PlannedAction> shared(3);
    shared[0].path = home0 + "/Pictures/Holiday copy/beach.jpg";
    shared[0].done = true;
    shared[0].bytes = 2483712;
    shared[1].path = home0 + "/Downloads/01 Allegro.flac";
    shared[1].done = true;
    shared[1].bytes = 31457280;
    shared[2].path = home0 + "/Pictures/Holiday copy/harbour.jpg";
    shared[2].reason = "its bytes differ from the kept copy's now; it was left as it is";
    tf::MessageBox report(&frame, tf::ShareSummary(shared, false), QStringLiteral("Share storage"),
                          tf::MB_OK);
    report.show();
    ok = save(&report, out, "dialog-share-report.png") && ok;
    report.hide();
  }
  {
    // The manual in the program's own viewer, where no browser takes it.
    tf::HelpViewer help(tf::HelpIndexFile(), &frame);
    help.setAttribute(Qt::WA_DeleteOnClose, false);
    help.show();
    ok = save(&help, out, "help-viewer.png") && ok;
    help.hide();
  }
  ok = saveSettingsDialogs(controller, frame, out, argv[2]) && ok;

  // The file dialogs of "Save results..." and "Open results...", in the demo's home.
  for (const auto& [command, name] : {std::pair{tf::kCmdSaveResults, "dialog-save-results.png"},
                                      std::pair{tf::kCmdOpenResults, "dialog-open-results.png"}}) {
    saveNextDialog(out, name, &ok, [&](QDialog* dialog) {
      if (auto* files = qobject_cast<QFileDialog*>(dialog))
        files->setDirectory(QString::fromStdString(argv[2]));
      dialog->resize(720, 440);
    });
    controller.OnCommand(command);
  }

  // A few files kept in the backup folder, on the results pane's "Backup" page.
  const std::string home = argv[2];
  const std::pair<const char*, const char*> kept[] = {
      {"/Old laptop/Documents/notes.txt", "the newer copy is in Documents"},
      {"/Old laptop/Pictures/beach.jpg", "same picture as Pictures/2024"},
      {"/Old laptop/Documents/tax return 2025.pdf", nullptr},
  };
  for (const auto& [path, comment] : kept)
    controller.shell()->Backup()->AddToBackup(home + path, comment);
  controller.searchWindow()->SetMode(0);  // the folders beside it, as after a search
  controller.resultsPane()->SetMode(2);
  ok = save(&frame, out, "main-window-backup.png") && ok;
  controller.resultsPane()->SetMode(0);

  // Two files copied aside as one action, then the "&Find" menu naming it and the action
  // history listing it above the backups.
  {
    tf::JournalScope copy(tf::kActCopy);
    const QString aside = scratch.filePath(QStringLiteral("aside"));
    QDir().mkpath(aside);
    for (const char* path : {"/Pictures/2024/beach.jpg", "/Pictures/2024/harbour.jpg"})
      tf::ShellFileOp(nullptr, tf::FO_COPY, home + path, aside.toStdString(), false);
  }
  controller.UpdateCommandStates();
  ok = saveMenu(frame, frame.menu(0), out, "menu-find.png") && ok;
  saveNextDialog(out, "dialog-action-history.png", &ok, [](QDialog* dialog) {
    auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("HistoryTree"));
    if (tree && tree->topLevelItemCount()) tree->expandItem(tree->topLevelItem(0));
    settle();
  });
  controller.OnCommand(tf::kCmdActionHistory);

  tf::WindowBackupDetailsDialog details(&frame);
  tf::BackupDetails filled;
  saveNextDialog(out, "backup-file-details.png", &ok, [](QDialog* dialog) {
    dialog->findChild<QPlainTextEdit*>(QStringLiteral("comment"))
        ->setPlainText(QStringLiteral("the newer copy is in Documents"));
  });
  details.Ask("notes.txt", home + "/Old laptop/Documents/", &filled);

  tf::QtQuestions questions(&frame);
  tf::WindowReplaceLinkDialog link(&frame, questions);
  const std::vector<std::string> twins = {home + "/Pictures/2024/beach.jpg",
                                          home + "/Pictures/Holiday copy/beach.jpg",
                                          home + "/Old laptop/Pictures/beach.jpg"};
  saveNextDialog(out, "replace-by-link.png", &ok, [&](QDialog* dialog) {
    dialog->findChild<QLineEdit*>(QStringLiteral("target"))
        ->setText(QString::fromStdString(twins[0]));
  });
  std::string target;
  link.Ask(home + "/Old laptop/Cache/beach.jpg", twins, 0, &target);

  // A long copy, as the progress dialog shows it once half a second has gone.
  tf::LongWork::TEST_OnDialogShown() = [&](QProgressDialog* dialog) {
    QTimer::singleShot(300, dialog,
                       [&, dialog] { ok = save(dialog, out, "progress-dialog.png") && ok; });
  };
  tf::LongWork::RunOnce(&frame, QStringLiteral("Copying 01 Allegro.flac..."),
                        [](const tf::CopyProgress& progress) {
                          for (int step = 0; step < 60; ++step) {
                            std::this_thread::sleep_for(std::chrono::milliseconds(25));
                            if (!progress(step * 12, 1000)) return false;
                          }
                          return true;
                        });
  tf::LongWork::TEST_OnDialogShown() = {};

  // The result once "Verify contents" has read the files (the "&Find" menu is pictured
  // above, with its Undo).
  controller.resultsPane()->SetMode(0);
  controller.OnCommand(tf::kCmdVerifyContents);
  settle();
  ok = save(&frame, out, "main-window-verified.png") && ok;

  // The "Duplicate folders" view after a search that looked for folders too: the holiday
  // pictures copied whole.
  {
    tf::SearchDescriptor& descriptor = *controller.shell()->Descriptor();
    tf::DuplicateCriteria criteria = descriptor.Criteria();
    criteria.findFolders = true;
    descriptor.SetCriteria(criteria, true);
    ok = searchToTheEnd(controller) && ok;
    controller.searchWindow()->SetMode(tf::kSearchModeSettings);
    controller.resultsPane()->SetMode(tf::ResultsPane::kFoldersMode);
    if (QTableView* list = controller.resultsPane()->foldersView()->list()) list->selectRow(2);
    settle();
    ok = save(&frame, out, "main-window-duplicate-folders.png") && ok;
    controller.resultsPane()->SetMode(0);
  }

  controller.Shutdown();
  return ok ? 0 : 1;
}
