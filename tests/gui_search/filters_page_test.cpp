// The filters page: each sub-page set through mouse and key events, then a real search
// over a prepared tree, whose groups twinfold-cli must find too with the equivalent
// options; the selector's highlights and the recent mask lists.
#include "ui/search_pages/filters_page.h"

#include <ctime>
#include <memory>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "results/recent_list.h"
#include "scan/filter_nodes.h"
#include "tests/engine/engine_support.h"
#include "tests/gui_search/scripted_search_host.h"
#include "tests/support/popup_menu_events.h"
#include "ui/search_pages/attribute_filter_page.h"
#include "ui/search_pages/name_filter_page.h"
#include "ui/search_pages/size_filter_page.h"
#include "ui/search_pages/time_filter_page.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using testing::Group;
using Groups = std::set<Group>;

// Opens the combo's list, walks to `text` with the arrow keys and takes it with Return,
// so the combo reports one choice, as a person's would.
void choose(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->showPopup();
  QAbstractItemView* view = combo->view();
  if (!view->currentIndex().isValid()) view->setCurrentIndex(view->model()->index(0, 0));
  while (view->currentIndex().row() < index) QTest::keyClick(view, Qt::Key_Down);
  while (view->currentIndex().row() > index) QTest::keyClick(view, Qt::Key_Up);
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_EQ(combo->currentIndex(), index);
}

// Replaces the text of a line edit by typing.
void type(QLineEdit* edit, const QString& text) {
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

std::string text(QLineEdit* edit) {
  return edit->text().toStdString();
}

struct FiltersFixture {
  testing::TempTree tree;
  testing::ScriptedSearchHost host;
  std::unique_ptr<FiltersPage> page;

  FiltersFixture() {
    EXPECT_FALSE(tree.root().empty());
    host.ChangeIncludeFolder(true, tree.root());
    page = std::make_unique<FiltersPage>(host, nullptr);
    page->resize(420, 700);
    page->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
  }

  // Two copies, in a/ and b/, of a file of `size` bytes modified at `mtime`, so that
  // they make one group unless a filter leaves them out.
  void pair(const std::string& name, int64_t size = 3, time_t mtime = 1700000000) {
    for (const char* folder : {"a/", "b/"}) {
      const std::string path = tree.File(folder + name, size);
      fs::last_write_time(
          path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(mtime)));
    }
  }
  Group group(const std::string& name) const {
    return Group{tree.Path("a/" + name), tree.Path("b/" + name)};
  }

  void selectSubPage(int index) { QTest::mouseClick(page->selectorButton(index), Qt::LeftButton); }

  // The groups of a real search over the descriptor the page edits.
  Groups searchInWindow() {
    SearchRun run(testing::FastOptions());
    EXPECT_TRUE(run.Prepare(host.descriptor.Root()));
    EXPECT_TRUE(run.Start());
    EXPECT_TRUE(testing::RunToEnd(run));
    return testing::CanonicalGroups(run.ResultRoot());
  }

  // The groups twinfold-cli finds over the same tree with `options`.
  Groups searchWithCli(const QStringList& options) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(tree.Path("config")));
    cli.setProcessEnvironment(env);
    const QStringList format = {"--format", "json", QString::fromStdString(tree.root())};
    cli.start(TWINFOLD_CLI_PATH, options + format);
    EXPECT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    Groups groups;
    const QJsonArray found =
        QJsonDocument::fromJson(cli.readAllStandardOutput())["groups"].toArray();
    for (const QJsonValue& group : found) {
      Group paths;
      for (const QJsonValue& file : group["files"].toArray())
        paths.push_back(file["path"].toString().toStdString());
      groups.insert(testing::Sorted(paths));
    }
    return groups;
  }

  // Both the window's search and twinfold-cli with the equivalent `options` find `expected`.
  void bothFind(const Groups& expected, const QStringList& options) {
    EXPECT_EQ(searchInWindow(), expected);
    EXPECT_EQ(searchWithCli(options), expected);
  }

  std::vector<std::string> recent(const char* name) {
    RecentList list;
    list.Bind(host.RecentSection(name), name);
    return list.MenuTexts();
  }
};

TEST(FiltersPage, NameMasksFromTheCollectionAndTypedSelectTheSameGroupsAsTheCli) {
  FiltersFixture f;
  for (const char* name :
       {"report.doc", "notes.txt", "photo.jpg", "song.flac", "shot.png", "clip.mkv", "a.tar.gz"})
    f.pair(name);
  NameFilterPage* names = f.page->namePage();
  QLineEdit* include = names->edit(NameFilterPage::kInclude);
  QLineEdit* exclude = names->edit(NameFilterPage::kExclude);
  testing::ClickMark(names->enableBox());

  // Adding to "*.*" replaces it; adding again appends; choosing replaces; Cancel keeps.
  const std::string documents = "*.doc;*.txt;*.pdf;*.odt;*.docx;*.xlsx;";
  QAbstractButton* add = names->addButton(NameFilterPage::kInclude);
  testing::PickFromMenu(add, "Documents");
  EXPECT_EQ(text(include), documents);
  testing::PickFromMenu(add, "Documents");
  EXPECT_EQ(text(include), documents + documents);
  testing::PickFromMenu(names->chooseButton(NameFilterPage::kInclude), "Images");
  const std::string images = "*.bmp;*.gif;*.jpg;*.png;*.jpeg;*.webp;*.heic;";
  EXPECT_EQ(text(include), images);
  testing::PickFromMenu(add, "Cancel");
  testing::PickFromMenu(add, "Documents");
  testing::PickFromMenu(add, "Video");
  const std::string masks = images + documents + "*.mp4;*.mkv;";
  type(exclude, "notes.*");

  // Today's formats are in the groups; an archive of two dots is not among those chosen.
  f.bothFind(
      {f.group("photo.jpg"), f.group("report.doc"), f.group("shot.png"), f.group("clip.mkv")},
      {"--include", QString::fromStdString(masks), "--exclude-masks", "notes.*"});
  testing::PickFromMenu(names->chooseButton(NameFilterPage::kInclude), "Archives");
  EXPECT_EQ(f.searchInWindow(), Groups{f.group("a.tar.gz")});
  type(include, QString::fromStdString(masks));

  // Leaving the sub-page remembers both texts.
  f.selectSubPage(FiltersPage::kSizePage);
  EXPECT_EQ(f.recent("dlg_filters_name_inc"), std::vector<std::string>{masks});
  EXPECT_EQ(f.recent("dlg_filters_name_exc"), std::vector<std::string>{"notes.*"});

  // "Include all files" and "Exclude no files" select nothing in particular, nor does a
  // lone blank among the excludes: leaving keeps the lists as they were.
  f.selectSubPage(FiltersPage::kNamePage);
  QTest::mouseClick(names->allButton(NameFilterPage::kInclude), Qt::LeftButton);
  QTest::mouseClick(names->allButton(NameFilterPage::kExclude), Qt::LeftButton);
  EXPECT_EQ(text(include), "*.*");
  EXPECT_TRUE(GetNameExclude(f.host.descriptor.NameFilterNode()).empty());
  f.selectSubPage(FiltersPage::kTimePage);
  f.selectSubPage(FiltersPage::kNamePage);
  type(exclude, " ");
  f.page->Leave();
  EXPECT_EQ(f.recent("dlg_filters_name_inc").size(), 1u);
  EXPECT_EQ(f.recent("dlg_filters_name_exc").size(), 1u);

  // A recent text comes back into its box and into the filter.
  ASSERT_TRUE(names->recentButton(NameFilterPage::kInclude)->isEnabled());
  EXPECT_EQ(testing::PickFromMenu(names->recentButton(NameFilterPage::kInclude),
                                  QString::fromStdString(masks)),
            (QStringList{"Clear List", "-", QString::fromStdString(masks)}));
  EXPECT_EQ(GetNameInclude(f.host.descriptor.NameFilterNode()), masks);
  // "Clear List" empties the list and leaves the text; the button goes grey.
  testing::PickFromMenu(names->recentButton(NameFilterPage::kExclude), "Clear List");
  EXPECT_EQ(text(exclude), " ");
  EXPECT_FALSE(names->recentButton(NameFilterPage::kExclude)->isEnabled());
}

TEST(FiltersPage, SizesAndAttributesSelectTheSameGroupsAsTheCli) {
  FiltersFixture f;
  f.pair("small.bin", 1000);
  f.pair("mid.bin", 3000);
  f.pair("big.bin", 2097152);
  f.pair("over.bin", 2097153);
  f.pair(".hidden.bin", 1000);
  f.pair(".locked.bin", 1000);
  for (const char* folder : {"a/", "b/"})
    ASSERT_EQ(chmod(f.tree.Path(std::string(folder) + ".locked.bin").c_str(), 0444), 0);
  f.selectSubPage(FiltersPage::kSizePage);
  SizeFilterPage* sizes = f.page->sizePage();
  DataNode* node = f.host.descriptor.SizeFilterNode();
  testing::ClickMark(sizes->enableBox());
  choose(sizes->switchCombo(), "Between");
  type(sizes->valueEdit(1), "3000000000");
  EXPECT_EQ(GetSizeValue1(node), 2147483647);
  type(sizes->valueEdit(1), "-5");
  EXPECT_EQ(GetSizeValue1(node), 0);
  type(sizes->valueEdit(1), "2");
  choose(sizes->unitsCombo(1), "KB");
  type(sizes->valueEdit(2), "2");
  choose(sizes->unitsCombo(2), "MB");

  // Both bounds are inclusive: exactly 2 MB is in, one byte more is out.
  f.bothFind({f.group("big.bin"), f.group("mid.bin")}, {"--min-size", "2K", "--max-size", "2M"});

  choose(sizes->switchCombo(), "At most");
  EXPECT_EQ(GetSizeValue2(node), 2);  // hidden, not forgotten
  f.bothFind({f.group("small.bin"), f.group(".hidden.bin"), f.group(".locked.bin")},
             {"--max-size", "2K"});

  // Attribute rules narrow what the size leaves.
  f.selectSubPage(FiltersPage::kAttributePage);
  AttributeFilterPage* attributes = f.page->attributePage();
  testing::ClickMark(attributes->enableBox());
  choose(attributes->ruleCombo(AttributeFilterPage::kHidden), "On");
  choose(attributes->ruleCombo(AttributeFilterPage::kReadOnly), "Off");
  f.bothFind({f.group(".hidden.bin")}, {"--max-size", "2K", "--attr", "+hidden,-readonly"});
}

// A local time as Unix seconds.
time_t localTime(int year, int month, int day, int hour = 12) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

TEST(FiltersPage, PreviousWeeksAndDateRangesSelectTheSameGroupsAsTheCli) {
  FiltersFixture f;
  const time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  const int lastYear = today.tm_year + 1900 - 1;
  f.pair("recent.txt", 3, now - 3 * 86400);
  f.pair("older.txt", 3, now - 40 * 86400);
  f.pair("winter.txt", 3, localTime(lastYear, 2, 15));
  f.pair("spring.txt", 3, localTime(lastYear, 4, 15));
  f.pair("summer.txt", 3, localTime(lastYear, 7, 15));

  f.selectSubPage(FiltersPage::kTimePage);
  TimeFilterPage* times = f.page->timePage();
  DataNode* node = f.host.descriptor.TimeFilterNode();
  testing::ClickMark(times->enableBox());
  // Choosing a count or a unit of "During the previous" selects that period.
  choose(times->prevValueCombo(), "2");
  EXPECT_TRUE(times->choiceRadio(3)->isChecked());
  EXPECT_EQ(GetTimeSwitch(node), 3);
  testing::ClickMark(times->choiceRadio(1));
  choose(times->prevUnitsCombo(), "week(s)");
  EXPECT_TRUE(times->choiceRadio(3)->isChecked());

  f.bothFind({f.group("recent.txt")}, {"--time-filter", "last:2w"});

  // Between 1 March and 30 June of last year; 31 June is cut to the 30th.
  choose(times->dateModeCombo(), "Between");
  EXPECT_EQ(GetTimeSwitch(node), 3);  // the mode alone changes no period
  const QString year = QString::number(lastYear);
  choose(times->dateCombo(1, 0), year);
  EXPECT_TRUE(times->choiceRadio(4)->isChecked());
  choose(times->dateCombo(1, 1), "Mar");
  choose(times->dateCombo(1, 2), "1");
  choose(times->dateCombo(2, 0), year);
  choose(times->dateCombo(2, 2), "31");
  choose(times->dateCombo(2, 1), "Jun");
  EXPECT_EQ(times->dateCombo(2, 2)->currentText(), "30");

  const std::string y = std::to_string(lastYear);
  f.bothFind({f.group("spring.txt")},
             {"--time-filter", QString::fromStdString("between:" + y + "-03-01:" + y + "-06-30")});

  // "After" keeps the second date for when "Between" comes back.
  const int64_t date2 = GetTimeDate2(node);
  choose(times->dateModeCombo(), "After");
  EXPECT_EQ(GetTimeDate2(node), date2);

  // A year older than the list's ten is typed, as the command line takes it.
  f.pair("ancient.txt", 3, localTime(1990, 6, 1));
  QLineEdit* year1 = times->dateCombo(1, 0)->lineEdit();
  ASSERT_NE(year1, nullptr);
  type(year1, "1985");
  QTest::keyClick(year1, Qt::Key_Return);
  EXPECT_EQ(times->dateCombo(1, 0)->currentText(), "1985");
  const Groups all = {f.group("recent.txt"), f.group("older.txt"),  f.group("winter.txt"),
                      f.group("spring.txt"), f.group("summer.txt"), f.group("ancient.txt")};
  f.bothFind(all, {"--time-filter", "after:1985-03-01"});
  // Before 1970 there are no file times to choose: such a year is not taken.
  type(year1, "1960");
  QTest::keyClick(year1, Qt::Key_Return);
  EXPECT_EQ(f.searchInWindow(), all);
}

}  // namespace
}  // namespace tf
