// The file information views on real files, hostile ones among them: the preview panes
// and page, and the "File Properties" dialog and preview reached from the main window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTextBrowser>
#include <QUrl>

#include "platform/zip_plugin.h"
#include "results/file_properties.h"
#include "results/preview_kind.h"
#include "tests/backup/backup_test_support.h"
#include "tests/gui_main/main_window_support.h"
#include "tests/support/sample_document.h"
#include "tests/support/timed.h"
#include "ui/preview/bitmap_preview_pane.h"
#include "ui/preview/browser_preview_pane.h"
#include "ui/preview/file_properties_dialog.h"
#include "ui/preview/preview_manager.h"
#include "ui/preview/preview_page.h"
#include "ui/preview/text_preview_pane.h"
#include "ui/preview/zip_preview_pane.h"
#include "ui/search_pages/search_tab_bar.h"
#include "ui/search_pages/search_window.h"

namespace tf {
namespace {

using testing::kTimed;
using testing::TempTree;
using testing::Window;
using testing::WithPlugin;
using testing::WriteFile;

uint32_t crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : bytes) {
    crc ^= static_cast<unsigned char>(ch);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// `v` as `n` bytes, least significant first (zip, bitmap) or, when `big`, last (PNG).
std::string num(uint64_t v, int n, bool big = false) {
  std::string out;
  for (int i = 0; i < n; ++i) out += static_cast<char>(v >> (8 * (big ? n - 1 - i : i)));
  return out;
}

std::string pngChunk(const std::string& type, const std::string& data) {
  return num(data.size(), 4, true) + type + data + num(crc32(type + data), 4, true);
}

// A well-formed PNG header declaring a picture of width x height, with a token of data.
std::string HugePng(uint32_t width, uint32_t height) {
  const std::string header =
      num(width, 4, true) + num(height, 4, true) + std::string("\x08\x02\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
         pngChunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) +
         pngChunk("IEND", "");
}

// A zip archive of `count` stored one-byte members in 100 folders, written byte by byte
// (with the zip64 end records that more than 65,535 members need), so that even a test
// under the sanitizers makes it in a moment.
std::string ManyMemberZip(int count) {
  const std::string data = "x";
  const uint32_t crc = crc32(data);
  std::string local;
  std::string central;
  for (int i = 0; i < count; ++i) {
    const std::string name = "d" + std::to_string(i % 100) + "/f" + std::to_string(i);
    const std::string common = num(20, 2) + num(0, 2) + num(0, 2) + num(0, 2) + num(0x21, 2) +
                               num(crc, 4) + num(1, 4) + num(1, 4) + num(name.size(), 2) +
                               num(0, 2);
    central += num(0x02014b50, 4) + num(20, 2) + common + num(0, 2) + num(0, 2) + num(0, 2) +
               num(0, 4) + num(local.size(), 4) + name;
    local += num(0x04034b50, 4) + common + name + data;
  }
  const uint64_t centralAt = local.size();
  const uint64_t endAt = centralAt + central.size();
  const std::string end64 = num(0x06064b50, 4) + num(44, 8) + num(45, 2) + num(45, 2) + num(0, 4) +
                            num(0, 4) + num(count, 8) + num(count, 8) + num(central.size(), 8) +
                            num(centralAt, 8);
  const std::string locator = num(0x07064b50, 4) + num(0, 4) + num(endAt, 8) + num(1, 4);
  const std::string end = num(0x06054b50, 4) + num(0, 2) + num(0, 2) + num(0xFFFF, 2) +
                          num(0xFFFF, 2) + num(central.size(), 4) + num(centralAt, 4) + num(0, 2);
  return local + central + end64 + locator + end;
}

class PreviewTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name, const std::string& bytes) {
    WriteFile(tree.Path(name), bytes);
    return tree.Path(name);
  }
  std::string picture(const std::string& name, int width, int height, const char* format) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 200));
    EXPECT_TRUE(image.save(QString::fromStdString(tree.Path(name)), format));
    return tree.Path(name);
  }
  TempTree tree;
};

TEST_F(PreviewTest, TextPaneReadsEachEncodingRefusesBinaryDataAndShowsAHugeFilesStart) {
  TextPreviewPane pane(nullptr);
  pane.resize(400, 300);
  const QString text = QString::fromUtf8("Grüße, naïve café");
  const auto withBom = [&](QStringConverter::Encoding encoding) -> QByteArray {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
  };
  const std::pair<const char*, QByteArray> cases[] = {
      {"utf8.txt", text.toUtf8()},
      {"bom.txt", withBom(QStringConverter::Utf8)},
      {"le.txt", withBom(QStringConverter::Utf16LE)},
      {"be.txt", withBom(QStringConverter::Utf16BE)},
      {"latin.txt", text.toLatin1()}};
  for (const auto& [name, bytes] : cases) {
    pane.Open(file(name, bytes.toStdString()));
    EXPECT_EQ(pane.field()->toPlainText(), text) << name;
    EXPECT_FALSE(pane.showsMessage()) << name;
  }
  // Lines ended the Windows way show as lines, without stray characters.
  pane.Open(file("dos.txt", "one\r\ntwo\r\n"));
  EXPECT_EQ(pane.field()->toPlainText(), "one\ntwo\n");
  // A program named like a text file: a message, not pages of noise.
  pane.Open(file("program.txt", std::string("\177ELF\2\1\1", 7) + std::string(4000, 0)));
  EXPECT_TRUE(pane.showsMessage());
  EXPECT_TRUE(pane.field()->toPlainText().isEmpty());

  // 10 GB of which only the start holds text, the rest a hole: its start, at once
  // (reading all of it would take minutes).
  std::string log = "first line\nsecond line\n";
  for (int i = 0; i < 20000; ++i) log += "more text of the log\n";
  const std::string big = file("huge.log", log);
  ASSERT_EQ(truncate(big.c_str(), int64_t{10} << 30), 0);
  QElapsedTimer timer;
  timer.start();
  pane.Open(big);
  EXPECT_TRUE(!kTimed || timer.elapsed() < 5000) << timer.elapsed();
  EXPECT_FALSE(pane.showsMessage());
  EXPECT_TRUE(pane.field()->toPlainText().startsWith("first line\nsecond line\n"));
  EXPECT_LE(pane.field()->toPlainText().size(), static_cast<qsizetype>(kTextPreviewBytes));
  EXPECT_TRUE(pane.captionText(1).contains("first 256 K of 10 Gb"))
      << pane.captionText(1).toStdString();
}

TEST_F(PreviewTest, BrowserReadsOnlyFromThePagesFolderAndRefusesHostilePictures) {
  tree.Folder("site/img");
  picture("site/img/logo.png", 30, 20, "PNG");
  picture("secret.png", 30, 20, "PNG");
  const std::string page =
      file("site/index.html",
           "<html><head><title>T</title></head><body><h1>Welcome</h1>"
           "<img src=\"img/logo.png\"><img src=\"http://example.com/track.png\">"
           "<img src=\"../secret.png\"></body></html>");
  BrowserPreviewPane pane(nullptr);
  pane.resize(500, 400);
  QTextBrowser* browser = pane.browser();
  const auto image = [&](const QUrl& url) {
    return browser->loadResource(QTextDocument::ImageResource, url);
  };
  pane.SetKind(kPreviewHtml);
  pane.Open(page);
  EXPECT_TRUE(browser->toPlainText().contains("Welcome"));
  const QVariant inside = image(QUrl("img/logo.png"));
  ASSERT_TRUE(inside.canConvert<QImage>());
  EXPECT_EQ(inside.value<QImage>().size(), QSize(30, 20));
  for (const QUrl& outside :
       {QUrl("../secret.png"), QUrl::fromLocalFile(QString::fromStdString(tree.Path("secret.png"))),
        QUrl("http://example.com/track.png")})
    EXPECT_FALSE(image(outside).isValid()) << outside.toString().toStdString();

  // A page in a folder whose name is not UTF-8 shows its picture all the same: the folder
  // is read by its own bytes, not by a text made from them.
  tree.Folder("caf\xE9 site/img");
  file("caf\xE9 site/img/logo.png", testing::ReadFile(tree.Path("site/img/logo.png")));
  pane.Open(
      file("caf\xE9 site/index.html", "<html><body><img src=\"img/logo.png\"></body></html>"));
  pane.show();
  QApplication::processEvents();
  const QImage shownPage = pane.grab().toImage().convertToFormat(QImage::Format_RGB32);
  int bluePixels = 0;
  for (int y = 0; y < shownPage.height(); ++y)
    for (int x = 0; x < shownPage.width(); ++x)
      bluePixels += shownPage.pixelColor(x, y) == QColor(20, 120, 200);
  EXPECT_EQ(bluePixels, 30 * 20);
  pane.hide();

  pane.SetKind(kPreviewXml);
  pane.Open(file("data.xml", "<?xml version=\"1.0\"?><list><item>one</item></list>"));
  EXPECT_TRUE(browser->toPlainText().contains("<item>one</item>"));

  pane.SetKind(kPreviewWebImage);
  pane.Open(picture("photo.png", 64, 48, "PNG"));
  EXPECT_FALSE(pane.showsMessage()) << pane.messageText().toStdString();
  const QVariant shown = image(QUrl("twinfold-preview:picture"));
  ASSERT_TRUE(shown.canConvert<QImage>());
  EXPECT_EQ(shown.value<QImage>().size(), QSize(64, 48));
  // A photograph larger than the pane is scaled to fit it whole.
  pane.show();
  pane.Open(picture("camera.jpg", 2000, 1500, "JPEG"));
  const QSize viewport = browser->viewport()->size();
  EXPECT_LE(browser->document()->size().width(), viewport.width());
  EXPECT_LE(browser->document()->size().height(), viewport.height());
  EXPECT_GT(browser->document()->size().width(), viewport.width() / 2);
  pane.hide();
  // A header declaring 100,000 x 100,000 pixels is refused before anything is allocated,
  // so at once.
  QElapsedTimer timer;
  timer.start();
  pane.Open(file("huge.png", HugePng(100000, 100000)));
  EXPECT_TRUE(pane.showsMessage());
  EXPECT_TRUE(pane.messageText().contains("100000 x 100000")) << pane.messageText().toStdString();
  EXPECT_TRUE(!kTimed || timer.elapsed() < 5000) << timer.elapsed();
  pane.Open(file("broken.jpg", "\xFF\xD8\xFF\xE0 not really a picture"));
  EXPECT_TRUE(pane.showsMessage());
}

TEST_F(PreviewTest, BitmapPaneNamesTheDepthAndScalesIntoTheArea) {
  BitmapPreviewPane pane(nullptr);
  pane.resize(600, 600);
  pane.show();
  pane.Open(picture("small.bmp", 100, 50, "BMP"));
  EXPECT_EQ(pane.captionText(2), "100x50 24-bit");
  pane.drawingArea()->resize(400, 400);
  EXPECT_EQ(pane.drawnRect(), QRect(0, 0, 100, 50));
  pane.Open(picture("wide.bmp", 800, 400, "BMP"));
  pane.drawingArea()->resize(400, 400);
  EXPECT_EQ(pane.drawnRect(), QRect(0, 0, 400, 200));
  // The same small bitmap with a header declaring 100,000 x 100,000 pixels: its facts are
  // shown, the picture refused.
  std::string bytes = testing::ReadFile(tree.Path("small.bmp"));
  bytes.replace(18, 8, num(100000, 4) + num(100000, 4));
  pane.Open(file("huge.bmp", bytes));
  EXPECT_EQ(pane.captionText(2), "100000x100000 24-bit");
  EXPECT_TRUE(pane.showsMessage());
  EXPECT_TRUE(pane.drawnRect().isEmpty());
  pane.Open(file("fake.bmp", "BM"));  // not a bitmap at all
  EXPECT_TRUE(pane.showsMessage());
  // One bit a pixel is black and white only when its two colours are.
  for (const auto& [colours, depth] :
       {std::pair{QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}, "BW"},
        std::pair{QList<QRgb>{qRgb(200, 0, 0), qRgb(0, 0, 200)}, "2 Colors"}}) {
    QImage mono(16, 8, QImage::Format_Mono);
    mono.setColorTable(colours);
    mono.fill(1);
    ASSERT_TRUE(mono.save(QString::fromStdString(tree.Path("mono.bmp")), "BMP"));
    pane.Open(tree.Path("mono.bmp"));
    EXPECT_EQ(pane.captionText(2).toStdString(), std::string("16x8 ") + depth);
  }
}

using Names = std::vector<std::string>;

Names rowNames(const ZipPreviewPane& pane) {
  Names names;
  for (const ZipRow& row : pane.rows()) names.push_back(row.name);
  return names;
}

TEST_F(PreviewTest, ZipPaneListsSumsAndSortsThroughThePlugin) {
  ZipPlugin plugin(WithPlugin());
  ASSERT_TRUE(plugin.Probe());
  QWidget area;
  area.resize(500, 500);
  PreviewManager manager(&area);
  const std::string archive = tree.Path("pack.zip");
  {
    ZipFileInterface* zip = plugin.AcquireZipInterface();
    ASSERT_TRUE(zip->ZipCreate(archive.c_str(), 1));
    const std::pair<const char*, int> entries[] = {{"b/zeta.txt", 5000},
                                                   {"a/Alpha.txt", 100},
                                                   {"b/beta.txt", 5000},
                                                   {"top.txt", 10},
                                                   {"a/", 0}};
    int n = 0;
    for (const auto& [name, size] : entries) {
      const std::string source =
          file("src" + std::to_string(n++), std::string(static_cast<size_t>(size), 'z'));
      EXPECT_TRUE(zip->ZipAddFile(source.c_str(), name, 0)) << name;
    }
    ASSERT_TRUE(zip->ZipCommit(archive.c_str()));
    plugin.ReleaseZipInterface(zip);
  }
  EXPECT_EQ(manager.Show(archive), kPreviewNone);  // no pane without the plug-in
  manager.AttachZip(&plugin);
  ASSERT_EQ(manager.Show(archive), kPreviewZip);
  ZipPreviewPane& pane = *manager.zipPane();
  EXPECT_EQ(pane.geometry(), area.rect());
  // Initially by folder, then by name within it; the folder entry is not a row.
  EXPECT_EQ(rowNames(pane), (Names{"top.txt", "Alpha.txt", "beta.txt", "zeta.txt"}));
  EXPECT_TRUE(pane.captionText(3).startsWith("9.87 K / Space: "))
      << pane.captionText(3).toStdString();

  // Header clicks: size (larger first, ties by name), again reversed; name ignoring case.
  QHeaderView* header = pane.list()->horizontalHeader();
  area.show();
  const QPoint sizeHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
  EXPECT_EQ(rowNames(pane), (Names{"beta.txt", "zeta.txt", "Alpha.txt", "top.txt"}));
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
  EXPECT_EQ(rowNames(pane), (Names{"top.txt", "Alpha.txt", "beta.txt", "zeta.txt"}));
  pane.SortBy(kZipColumnName);
  EXPECT_EQ(rowNames(pane), (Names{"Alpha.txt", "beta.txt", "top.txt", "zeta.txt"}));

  // A damaged archive: an empty list and a message.
  std::string bytes = testing::ReadFile(archive);
  bytes.resize(bytes.size() - 30);  // the end of the central directory is gone
  ASSERT_EQ(manager.Show(file("broken.zip", bytes)), kPreviewZip);
  EXPECT_TRUE(pane.rows().empty());
  EXPECT_TRUE(pane.showsMessage());

  // A hundred thousand members list in seconds, not minutes: the listing is linear, also
  // on a busy machine.
  const std::string many = file("many.zip", ManyMemberZip(100000));
  QElapsedTimer timer;
  timer.start();
  ASSERT_EQ(manager.Show(many), kPreviewZip);
  ASSERT_EQ(pane.rows().size(), 100000u);
  EXPECT_FALSE(pane.showsMessage());
  EXPECT_TRUE(pane.captionText(3).startsWith("97.66 K / Space: "))
      << pane.captionText(3).toStdString();
  pane.SortBy(kZipColumnSize);
  EXPECT_TRUE(!kTimed || timer.elapsed() < 15000) << timer.elapsed();
  manager.Close();
}

// The page shows the selected file only while "Show Preview" is ticked and fills its area
// with the pane; a file dropped from a file manager is previewed under its own bytes, also
// where its name is not UTF-8 (the URL carries them percent-encoded), and ticks "Show
// Preview"; moving through a thousand files of every kind keeps each step short.
TEST_F(PreviewTest, PageShowsTheSelectedOrDroppedFileWhenTickedAndEachStepStaysShort) {
  PreviewPage page;
  page.resize(400, 700);
  page.show();
  page.SetActive(true);
  const auto tick = [&] {
    QTest::mouseClick(page.showBox(), Qt::LeftButton, {}, QPoint(5, page.showBox()->height() / 2));
  };
  page.SetFile(file("note.txt", "hello preview"));
  EXPECT_EQ(page.manager()->openPane(), nullptr);  // not ticked
  tick();
  ASSERT_EQ(page.manager()->openPane(), page.manager()->textPane());
  EXPECT_EQ(page.manager()->textPane()->field()->toPlainText(), "hello preview");
  EXPECT_EQ(page.manager()->textPane()->geometry(), page.area()->rect());
  page.SetFile(tree.Path("gone.txt"));
  page.Refresh();
  EXPECT_EQ(page.manager()->openPane(), nullptr);
  tick();
  EXPECT_TRUE(page.area()->isHidden());

  const std::string path = file("dropped \xE9 %41.txt", "dropped bytes");
  QMimeData data;
  data.setUrls({QUrl::fromEncoded(
      "file://" +
      QByteArray(path.data(), static_cast<qsizetype>(path.size())).toPercentEncoding("/"))});
  const QPoint at = page.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&page, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&page, &drop);
  EXPECT_EQ(page.file(), path);
  EXPECT_TRUE(page.showBox()->isChecked());
  ASSERT_EQ(page.manager()->openPane(), page.manager()->textPane());
  EXPECT_EQ(page.manager()->textPane()->field()->toPlainText(), "dropped bytes");

  // Each step is timed after its file is made. A busy machine may stall any single step;
  // what must hold is that the steps are short as a rule.
  int slowSteps = 0;
  qint64 slowest = 0;
  const char* kinds[] = {".txt", ".html", ".bmp", ".png"};
  for (int i = 0; i < 1000; ++i) {
    const std::string name = "f" + std::to_string(i) + kinds[i % 4];
    std::string lines;
    for (int line = 0; line < 400; ++line)
      lines += std::string(48, static_cast<char>('a' + (i + line) % 26)) + "\n";
    const std::string path = i % 4 < 2 ? file(name, lines + "<p>text</p>")
                                       : picture(name, 200, 100, i % 4 == 2 ? "BMP" : "PNG");
    QElapsedTimer timer;
    timer.start();
    page.SetFile(path);
    page.Refresh();
    page.repaint();
    slowest = std::max(slowest, timer.elapsed());
    if (timer.elapsed() >= 200) ++slowSteps;
  }
  EXPECT_TRUE(!kTimed || slowSteps <= 10)
      << slowSteps << " steps of 200 ms or more, slowest " << slowest;
  // Every kind's pane is on show over the area, not just made.
  ASSERT_EQ(page.manager()->openPane(), page.manager()->browserPane());
  EXPECT_TRUE(page.manager()->browserPane()->isVisible());
}

// Two copies of a compound document with a title and an author, and two text twins.
TEST(MainWindowFileViews, PropertiesFromTheMenuAndPreviewFollowTheSelection) {
  TempTree places;
  TempTree tree;
  for (const std::string folder : {"a/", "b/"}) {
    tree.Folder(folder);
    ASSERT_TRUE(WriteSampleDocument(
        tree.Path(folder + "budget.doc"),
        {{"dc:title", std::string("Budget 2026")}, {"dc:creator", std::string("Ann")}}));
    testing::WriteFile(tree.Path(folder + "notes.txt"), "twin notes\n");
    for (const char* name : {"budget.doc", "notes.txt"})
      testing::SetMtime(tree.Path(folder + name), 1700000000, 0);
  }
  Window w(places);
  ASSERT_TRUE(w.started);
  ASSERT_TRUE(w.Search(tree.root()));
  SeparateListsView* view = w.controller.resultsPane()->separateView();
  QTableView* groups = view->groupsList();
  QTableView* files = view->filesList();
  ASSERT_TRUE(testing::ClickRow(groups, "budget.doc"));
  const QPoint first = files->visualRect(files->model()->index(0, 0)).center();
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first);

  // "Properties" in the "FILE" menu opens the dialog for the selected file.
  QString shown;  // "label=value" lines
  QString shownFile;
  bool labelsFit = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<FilePropertiesDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    for (int r = 0; r < dialog->list()->rowCount(); ++r)
      shown += dialog->list()->item(r, 0)->text() + "=" + dialog->list()->item(r, 1)->text() + "\n";
    shownFile = dialog->fileField()->text();
    labelsFit = dialog->list()->columnWidth(0) >=
                dialog->list()->fontMetrics().horizontalAdvance(kSummaryHeading);
    QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
  });
  testing::RightClick(files, first);
  QMenu* menu = view->contextMenu();
  ASSERT_TRUE(menu->isVisible());
  menu->actions().back()->trigger();
  menu->hide();
  EXPECT_TRUE(shownFile.endsWith("/budget.doc")) << shownFile.toStdString();
  // The file's facts, then the summary under its heading, in the document's order.
  EXPECT_TRUE(shown.startsWith("Name=budget.doc\n")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QString(kSummaryHeading) + "=\nTitle=Budget 2026\nAuthor=Ann\n"))
      << shown.toStdString();
  EXPECT_TRUE(labelsFit) << "the heading's label is cut";

  // The preview tab, "Show Preview", then a text twin: the page shows it.
  SearchWindow* search = w.controller.searchWindow();
  QTest::mouseClick(search->tabBar()->tab(kSearchModePreview), Qt::LeftButton);
  PreviewPage* page = search->previewPage();
  QTest::mouseClick(page->showBox(), Qt::LeftButton, {}, QPoint(5, page->showBox()->height() / 2));
  ASSERT_TRUE(page->showBox()->isChecked());
  ASSERT_TRUE(testing::ClickRow(groups, "notes.txt"));
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualRect(files->model()->index(1, 0)).center());
  // (QTRY_COMPARE would end the test quietly on a timeout: gtest never hears of it.)
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return page->manager()->openPane() == page->manager()->textPane(); }));
  EXPECT_EQ(page->manager()->textPane()->field()->toPlainText(), "twin notes\n");
  // Another tab closes the preview; coming back shows it again.
  QTest::mouseClick(search->tabBar()->tab(kSearchModeFolders), Qt::LeftButton);
  EXPECT_EQ(page->manager()->openPane(), nullptr);
  QTest::mouseClick(search->tabBar()->tab(kSearchModePreview), Qt::LeftButton);
  EXPECT_EQ(page->manager()->openPane(), page->manager()->textPane());
}

}  // namespace
}  // namespace tf
