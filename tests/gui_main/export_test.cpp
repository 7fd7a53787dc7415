// "Export results..." of the main window on a real tree whose names try to break each
// format: CSV and JSON byte for byte what twinfold-cli prints, the HTML read back.
#include <gtest/gtest.h>

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
  // CSV and JSON: the same bytes as twinfold-cli prints for the same tree, names with
  // their bytes kept (the command line's own tests read both formats back).
  for (const char* format : {"csv", "json"}) {
    const std::string path = m_places.Path(std::string("out/groups.") + format);
    const QStringList types = exportTo(QString::fromLatin1(format).toUpper(), path);
    EXPECT_EQ(types.size(), 3);
    QProcess cli;
    cli.start(QStringLiteral(TF_TWINFOLD_CLI_PROGRAM),
              {QStringLiteral("--format"), QString::fromLatin1(format),
               QString::fromStdString(m_tree.root())});
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 0);
    const std::string printed = cli.readAllStandardOutput().toStdString();
    EXPECT_NE(printed.find(format == std::string("csv") ? "\"two\nlines.txt\"" : "path_base64"),
              std::string::npos)
        << printed;
    EXPECT_EQ(readAll(path), printed) << format;
  }

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
