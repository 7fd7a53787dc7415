// "Export results..." of the main window on a real tree whose names try to break each
// format: each file read back, the JSON byte for byte what twinfold-cli prints.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include "app/main_commands.h"
#include "main_window_support.h"
#include "ui/window_search_host.h"

namespace tf {
namespace {

// Names with markup, quotes, commas, a line break and bytes that are not UTF-8.
const std::vector<std::string> kNames = {"plain.txt", "a<b>&c.txt", "say \"hi\", 'you'.txt",
                                         "two\nlines.txt", "bad\xff\xfe.bin"};

std::string readAll(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

// Records of RFC 4180 text: quoted fields may hold commas, quotes (doubled) and line breaks.
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = records.back().back();
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      records.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      if (i + 1 < text.size()) records.emplace_back(1);
    } else {
      field += c;
    }
  }
  return records;
}

class MainWindowExport : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& name : kNames) {
      m_tree.File("one/" + name, 1234, 60);
      m_tree.File("two/" + name, 1234, 60);
    }
    m_places.Folder("out");
    ASSERT_TRUE(m_window.started);
    m_window.controller.searchHost()->ChangeIncludeFolder(true, m_tree.root());
    QAction* exportAction = m_window.frame.action(kCmdExportResults);
    ASSERT_TRUE(exportAction);
    EXPECT_FALSE(exportAction->isEnabled());  // nothing to export before a search
    QTest::mouseClick(m_window.controller.searchBar()->startButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_window.status().rfind("Finished", 0) == 0 && exportAction->isEnabled(); },
        20000));
  }

  // Chooses "Export results..." from the menu and, in its dialog, the type `type`, then
  // enters `path` and presses Enter. Answers the types the dialog offered.
  QStringList exportTo(const QString& type, const std::string& path) {
    QStringList offered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      poll.stop();
      offered = dialog->nameFilters();
      for (const QString& filter : offered)
        if (filter.startsWith(type)) dialog->selectNameFilter(filter);
      auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (!edit) return dialog->reject();
      edit->setText(QString::fromStdString(path));
      QTest::keyClick(edit, Qt::Key_Return);
    });
    poll.start(20);
    m_window.frame.action(kCmdExportResults)->trigger();
    return offered;
  }

  testing::TempTree m_places;
  testing::TempTree m_tree;
  testing::Window m_window{m_places};
};

TEST_F(MainWindowExport, EachFormatReadsBackWithEveryHostileName) {
  // CSV: one record per file, the names exactly as on disk.
  const std::string csvPath = m_places.Path("out/groups.csv");
  const QStringList types = exportTo(QStringLiteral("CSV"), csvPath);
  EXPECT_EQ(types.size(), 3);
  const auto records = readCsv(readAll(csvPath));
  ASSERT_EQ(records.size(), 1 + 2 * kNames.size());
  EXPECT_EQ(records[0].front(), "group");
  std::set<std::string> paths;
  for (size_t i = 1; i < records.size(); ++i) {
    ASSERT_EQ(records[i].size(), 7u);
    EXPECT_EQ(records[i][5], "1234");
    paths.insert(records[i][4]);
  }
  for (const std::string& name : kNames) {
    EXPECT_TRUE(paths.count(m_tree.Path("one/" + name))) << name;
    EXPECT_TRUE(paths.count(m_tree.Path("two/" + name))) << name;
  }

  // JSON: the same bytes as twinfold-cli prints for the same tree.
  const std::string jsonPath = m_places.Path("out/groups.json");
  exportTo(QStringLiteral("JSON"), jsonPath);
  QProcess cli;
  cli.start(
      QStringLiteral(TF_TWINFOLD_CLI_PROGRAM),
      {QStringLiteral("--format"), QStringLiteral("json"), QString::fromStdString(m_tree.root())});
  ASSERT_TRUE(cli.waitForFinished(20000));
  EXPECT_EQ(cli.exitCode(), 0);
  const std::string printed = cli.readAllStandardOutput().toStdString();
  EXPECT_NE(printed.find("path_base64"), std::string::npos);
  EXPECT_EQ(readAll(jsonPath), printed);

  // HTML: well-formed XHTML, no outside resource, every name shown as text.
  const std::string htmlPath = m_places.Path("out/report");
  exportTo(QStringLiteral("HTML"), htmlPath);
  const std::string html = readAll(htmlPath + ".html");  // the type gave the suffix
  ASSERT_FALSE(html.empty());
  QXmlStreamReader xml(QByteArray::fromStdString(html));
  std::multiset<QString> shownPaths;
  QString totals;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    EXPECT_NE(xml.name(), QStringLiteral("script"));
    EXPECT_NE(xml.name(), QStringLiteral("img"));
    EXPECT_NE(xml.name(), QStringLiteral("link"));
    const QString cls = xml.attributes().value(QStringLiteral("class")).toString();
    if (cls == QStringLiteral("path")) shownPaths.insert(xml.readElementText());
    if (cls == QStringLiteral("totals")) totals = xml.readElementText();
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_TRUE(totals.startsWith(QStringLiteral("5 groups, 10 files,"))) << totals.toStdString();
  const QString root = QString::fromStdString(m_tree.root());
  for (const char* shown :
       {"a<b>&c.txt", "say \"hi\", 'you'.txt", "two\u240Alines.txt", "bad\uFFFD\uFFFD.bin"})
    EXPECT_EQ(shownPaths.count(root + "/one/" + QString::fromUtf8(shown)), 1u) << shown;
  EXPECT_EQ(shownPaths.size(), 10u);
}

}  // namespace
}  // namespace tf
