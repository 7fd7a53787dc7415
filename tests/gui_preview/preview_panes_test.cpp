// The preview panes and page on real files made here: text in each encoding, pages with
// pictures inside and outside their folder, pictures and bitmaps written with Qt, zip
// archives written with the real plug-in, and hostile files of every kind.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/zip_plugin.h"
#include "results/preview_kind.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/temp_tree.h"
#include "tests/support/timed.h"
#include "ui/bitmap_preview_pane.h"
#include "ui/browser_preview_pane.h"
#include "ui/preview_manager.h"
#include "ui/preview_page.h"
#include "ui/text_preview_pane.h"
#include "ui/zip_preview_pane.h"

namespace tf {
namespace {

using testing::TempTree;
using testing::WithPlugin;
using testing::WriteBytes;

using testing::kTimed;

uint32_t crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : bytes) {
    crc ^= static_cast<unsigned char>(ch);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

std::string pngChunk(const std::string& type, const std::string& data) {
  return be32(static_cast<uint32_t>(data.size())) + type + data + be32(crc32(type + data));
}

// A well-formed PNG header declaring a picture of width x height, with a token of data.
std::string HugePng(uint32_t width, uint32_t height) {
  const std::string header = be32(width) + be32(height) + std::string("\x08\x02\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
         pngChunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) +
         pngChunk("IEND", "");
}

// A bitmap header declaring width x height at 24 bits, followed by a few pixels only.
std::string HugeBmp(uint32_t width, uint32_t height) {
  std::string info = le32(40) + le32(width) + le32(height) + std::string("\x01\x00\x18\x00", 4) +
                     le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
  return "BM" + le32(54 + 12) + le32(0) + le32(54) + info + std::string(12, '\x7f');
}

std::string le16(uint16_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

std::string le64(uint64_t v) {
  return le32(static_cast<uint32_t>(v)) + le32(static_cast<uint32_t>(v >> 32));
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
    const std::string common = le16(20) + le16(0) + le16(0) + le16(0) + le16(0x21) + le32(crc) +
                               le32(1) + le32(1) + le16(static_cast<uint16_t>(name.size())) +
                               le16(0);
    central += le32(0x02014b50) + le16(20) + common + le16(0) + le16(0) + le16(0) + le32(0) +
               le32(static_cast<uint32_t>(local.size())) + name;
    local += le32(0x04034b50) + common + name + data;
  }
  const uint64_t centralAt = local.size();
  const uint64_t endAt = centralAt + central.size();
  const std::string end64 = le32(0x06064b50) + le64(44) + le16(45) + le16(45) + le32(0) + le32(0) +
                            le64(static_cast<uint64_t>(count)) +
                            le64(static_cast<uint64_t>(count)) + le64(central.size()) +
                            le64(centralAt);
  const std::string locator = le32(0x07064b50) + le32(0) + le64(endAt) + le32(1);
  const std::string end = le32(0x06054b50) + le16(0) + le16(0) + le16(0xFFFF) + le16(0xFFFF) +
                          le32(static_cast<uint32_t>(central.size())) +
                          le32(static_cast<uint32_t>(centralAt)) + le16(0);
  return local + central + end64 + locator + end;
}

QImage Picture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(20, 120, 200));
  return image;
}

class PreviewTest : public ::testing::Test {
 protected:
  // A file of the test's tree holding `bytes`, or a picture of `format` when there is one.
  std::string file(const std::string& name, const std::string& bytes) {
    WriteBytes(tree.Path(name), bytes);
    return tree.Path(name);
  }
  std::string picture(const std::string& name, int width, int height, const char* format) {
    EXPECT_TRUE(Picture(width, height).save(QString::fromStdString(tree.Path(name)), format));
    return tree.Path(name);
  }
  TempTree tree;
};

TEST_F(PreviewTest, TextPaneReadsEachEncodingAndRefusesBinaryData) {
  TextPreviewPane pane(nullptr);
  pane.resize(400, 300);
  const QString text = QString::fromUtf8("Grüße, naïve café");
  QByteArray utf16le("\xff\xfe", 2), utf16be("\xfe\xff", 2);
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    utf16le.append(static_cast<char>(u & 0xFF)).append(static_cast<char>(u >> 8));
    utf16be.append(static_cast<char>(u >> 8)).append(static_cast<char>(u & 0xFF));
  }
  const std::pair<const char*, QByteArray> cases[] = {
      {"utf8.txt", text.toUtf8()},
      {"bom.txt", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
      {"le.txt", utf16le},
      {"be.txt", utf16be},
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
  pane.Open(file("program.txt", std::string("\x7f"
                                            "ELF\x02\x01\x01",
                                            7) +
                                    std::string(4000, '\0')));
  EXPECT_TRUE(pane.showsMessage());
  EXPECT_TRUE(pane.field()->toPlainText().isEmpty());
}

TEST_F(PreviewTest, HugeTextFileShowsItsStartAtOnce) {
  // 10 GB of which only the start holds text; the rest is a hole.
  const std::string big = tree.Path("huge.log");
  {
    FILE* f = fopen(big.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("first line\nsecond line\n", f);
    for (int i = 0; i < 20000; ++i) fputs("more text of the log\n", f);
    fclose(f);
  }
  ASSERT_EQ(truncate(big.c_str(), int64_t{10} << 30), 0);
  TextPreviewPane pane(nullptr);
  QElapsedTimer timer;
  timer.start();
  pane.Open(big);
  // At once: reading all of it would take minutes.
  EXPECT_TRUE(!kTimed || timer.elapsed() < 5000) << timer.elapsed();
  EXPECT_TRUE(pane.field()->toPlainText().startsWith("first line\nsecond line\n"));
  EXPECT_LE(pane.field()->toPlainText().size(), static_cast<qsizetype>(kTextPreviewBytes));
  EXPECT_TRUE(pane.captionText(1).contains("first 256 K of 10 Gb"))
      << pane.captionText(1).toStdString();
}

TEST_F(PreviewTest, BrowserReadsOnlyFromThePagesOwnFolder) {
  tree.Folder("site/img");
  picture("site/img/logo.png", 30, 20, "PNG");
  picture("secret.png", 30, 20, "PNG");
  const std::string page =
      file("site/index.html",
           "<html><head><title>T</title></head><body><h1>Welcome</h1>"
           "<img src=\"img/logo.png\"><img src=\"http://example.com/track.png\">"
           "<img src=\"../secret.png\"></body></html>");
  BrowserPreviewPane pane(nullptr);
  pane.SetKind(kPreviewHtml);
  pane.resize(500, 400);
  pane.Open(page);
  EXPECT_TRUE(pane.browser()->toPlainText().contains("Welcome"));
  QTextBrowser* browser = pane.browser();
  const QVariant inside = browser->loadResource(QTextDocument::ImageResource, QUrl("img/logo.png"));
  ASSERT_TRUE(inside.canConvert<QImage>());
  EXPECT_EQ(inside.value<QImage>().size(), QSize(30, 20));
  EXPECT_FALSE(
      browser->loadResource(QTextDocument::ImageResource, QUrl("../secret.png")).isValid());
  EXPECT_FALSE(
      browser
          ->loadResource(QTextDocument::ImageResource,
                         QUrl::fromLocalFile(QString::fromStdString(tree.Path("secret.png"))))
          .isValid());
  EXPECT_FALSE(
      browser->loadResource(QTextDocument::ImageResource, QUrl("http://example.com/track.png"))
          .isValid());

  pane.SetKind(kPreviewXml);
  pane.Open(file("data.xml", "<?xml version=\"1.0\"?><list><item>one</item></list>"));
  EXPECT_TRUE(pane.browser()->toPlainText().contains("<item>one</item>"));
}

TEST_F(PreviewTest, PicturesShowAndHostileSizesAreRefusedWithoutAllocating) {
  BrowserPreviewPane pane(nullptr);
  pane.SetKind(kPreviewWebImage);
  pane.resize(500, 400);
  pane.Open(picture("photo.png", 64, 48, "PNG"));
  EXPECT_FALSE(pane.showsMessage()) << pane.messageText().toStdString();
  const QVariant shown =
      pane.browser()->loadResource(QTextDocument::ImageResource, QUrl("twinfold-preview:picture"));
  ASSERT_TRUE(shown.canConvert<QImage>());
  EXPECT_EQ(shown.value<QImage>().size(), QSize(64, 48));

  const std::string huge = tree.Path("huge.png");
  WriteBytes(huge, HugePng(100000, 100000));
  QElapsedTimer timer;
  timer.start();
  pane.Open(huge);
  EXPECT_TRUE(pane.showsMessage());
  EXPECT_TRUE(pane.messageText().contains("100000 x 100000")) << pane.messageText().toStdString();
  // Refused before anything is allocated, so at once.
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
  // A header declaring 100,000 x 100,000 pixels: its facts are shown, the picture refused.
  pane.Open(file("huge.bmp", HugeBmp(100000, 100000)));
  EXPECT_EQ(pane.captionText(2), "100000x100000 24-bit");
  EXPECT_TRUE(pane.showsMessage());
  EXPECT_TRUE(pane.drawnRect().isEmpty());
  // Not a bitmap at all.
  pane.Open(file("fake.bmp", "BM"));
  EXPECT_TRUE(pane.showsMessage());
}

// Writes an archive through the plug-in with one entry per (name, size).
bool WriteZip(ZipFileInterface* zip, const TempTree& tree, const std::string& archive,
              const std::vector<std::pair<std::string, int>>& entries) {
  if (!zip->ZipCreate(archive.c_str(), 1)) return false;
  bool ok = true;
  int n = 0;
  for (const auto& [name, size] : entries) {
    const std::string source = tree.Path("src" + std::to_string(n++));
    WriteBytes(source, std::string(static_cast<size_t>(size), 'z'));
    ok = zip->ZipAddFile(source.c_str(), name.c_str(), 0) && ok;
  }
  return zip->ZipCommit(archive.c_str()) && ok;
}

std::vector<std::string> Names(const ZipPreviewPane& pane) {
  std::vector<std::string> names;
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
    ZipFileInterface* writer = plugin.AcquireZipInterface();
    ASSERT_TRUE(WriteZip(writer, tree, archive,
                         {{"b/zeta.txt", 5000},
                          {"a/Alpha.txt", 100},
                          {"b/beta.txt", 5000},
                          {"top.txt", 10},
                          {"a/", 0}}));
    plugin.ReleaseZipInterface(writer);
  }
  EXPECT_EQ(manager.Show(archive), kPreviewNone);  // no pane without the plug-in
  manager.AttachZip(&plugin);
  ASSERT_EQ(manager.Show(archive), kPreviewZip);
  ZipPreviewPane& pane = *manager.zipPane();
  EXPECT_EQ(pane.geometry(), area.rect());
  // Initially by folder, then by name within it; the folder entry is not a row.
  EXPECT_EQ(Names(pane),
            (std::vector<std::string>{"top.txt", "Alpha.txt", "beta.txt", "zeta.txt"}));
  EXPECT_TRUE(pane.captionText(3).startsWith("9.87 K / Space: "))
      << pane.captionText(3).toStdString();

  // Header clicks: size (larger first, ties by name), again reversed; name ignoring case.
  QHeaderView* header = pane.list()->horizontalHeader();
  pane.show();
  area.show();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
  EXPECT_EQ(Names(pane),
            (std::vector<std::string>{"beta.txt", "zeta.txt", "Alpha.txt", "top.txt"}));
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
  EXPECT_EQ(Names(pane),
            (std::vector<std::string>{"top.txt", "Alpha.txt", "beta.txt", "zeta.txt"}));
  pane.SortBy(kZipColumnName);
  EXPECT_EQ(Names(pane),
            (std::vector<std::string>{"Alpha.txt", "beta.txt", "top.txt", "zeta.txt"}));

  // A damaged archive: captions, an empty list and a message.
  const std::string broken = tree.Path("broken.zip");
  std::string bytes = testing::ReadBytes(archive);
  bytes.resize(bytes.size() - 30);  // the end of the central directory is gone
  WriteBytes(broken, bytes);
  ASSERT_EQ(manager.Show(broken), kPreviewZip);
  EXPECT_TRUE(pane.rows().empty());
  EXPECT_TRUE(pane.showsMessage());
  manager.Close();
}

TEST_F(PreviewTest, ZipOfAHundredThousandMembersListsQuickly) {
  ZipPlugin plugin(WithPlugin());
  ASSERT_TRUE(plugin.Probe());
  const std::string archive = tree.Path("many.zip");
  WriteBytes(archive, ManyMemberZip(100000));
  QWidget area;
  area.resize(400, 400);
  PreviewManager manager(&area);
  manager.AttachZip(&plugin);
  QElapsedTimer timer;
  timer.start();
  ASSERT_EQ(manager.Show(archive), kPreviewZip);
  ASSERT_EQ(manager.zipPane()->rows().size(), 100000u);
  EXPECT_FALSE(manager.zipPane()->showsMessage());
  EXPECT_TRUE(manager.zipPane()->captionText(3).startsWith("97.66 K / Space: "))
      << manager.zipPane()->captionText(3).toStdString();
  manager.zipPane()->SortBy(kZipColumnSize);
  // Seconds, not minutes: the listing is linear, also on a busy machine.
  EXPECT_TRUE(!kTimed || timer.elapsed() < 15000) << timer.elapsed();
}

TEST_F(PreviewTest, PageShowsTheSelectedFileOnlyWhenTickedAndActive) {
  const std::string text = file("note.txt", "hello preview");
  const std::string other = file("other.cpp", "int main() {}");
  PreviewPage page;
  page.resize(320, 640);
  page.show();
  EXPECT_FALSE(page.showBox()->isChecked());
  EXPECT_TRUE(page.area()->isHidden());
  page.SetActive(true);
  page.SetFile(text);
  EXPECT_EQ(page.manager()->openPane(), nullptr);  // not ticked
  QTest::mouseClick(page.showBox(), Qt::LeftButton, {}, QPoint(5, page.showBox()->height() / 2));
  ASSERT_TRUE(page.showBox()->isChecked());
  EXPECT_FALSE(page.area()->isHidden());
  ASSERT_EQ(page.manager()->openPane(), page.manager()->textPane());
  EXPECT_EQ(page.manager()->textPane()->field()->toPlainText(), "hello preview");
  EXPECT_EQ(page.manager()->textPane()->geometry(), page.area()->rect());

  page.SetFile(other);  // follows the selection shortly after it stops
  QTRY_COMPARE(page.manager()->textPane()->field()->toPlainText(), QString("int main() {}"));
  // Every kind's pane is on show over the area, not just made.
  page.SetFile(file("page.htm", "<h1>Heading</h1>"));
  page.Refresh();
  ASSERT_EQ(page.manager()->openPane(), page.manager()->browserPane());
  EXPECT_TRUE(page.manager()->browserPane()->isVisible());
  EXPECT_TRUE(page.manager()->browserPane()->browser()->toPlainText().contains("Heading"));
  page.SetActive(false);
  EXPECT_EQ(page.manager()->openPane(), nullptr);
  page.SetActive(true);
  EXPECT_NE(page.manager()->openPane(), nullptr);
  page.SetFile(tree.Path("gone.txt"));
  page.Refresh();
  EXPECT_EQ(page.manager()->openPane(), nullptr);
  page.SetFile(text);
  page.Refresh();
  QTest::mouseClick(page.showBox(), Qt::LeftButton, {}, QPoint(5, page.showBox()->height() / 2));
  EXPECT_EQ(page.manager()->openPane(), nullptr);
  EXPECT_TRUE(page.area()->isHidden());
}

TEST_F(PreviewTest, MovingThroughAThousandFilesKeepsEachStepShort) {
  std::vector<std::string> files;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = "f" + std::to_string(i);
    std::string lines;
    for (int line = 0; line < 400; ++line)
      lines += std::string(48, static_cast<char>('a' + (i + line) % 26)) + "\n";
    const char* kinds[] = {".txt", ".html", ".bmp", ".png"};
    files.push_back(i % 4 < 2 ? file(name + kinds[i % 4], lines + "<p>text</p>")
                              : picture(name + kinds[i % 4], 200, 100, i % 4 == 2 ? "BMP" : "PNG"));
  }
  PreviewPage page;
  page.resize(400, 700);
  page.show();
  page.SetActive(true);
  page.showBox()->setChecked(true);
  // A busy machine may stall any single step; what must hold is that the steps are short
  // as a rule, not that the scheduler never interrupts one.
  int slowSteps = 0;
  qint64 slowest = 0;
  for (const std::string& path : files) {
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
  EXPECT_NE(page.manager()->openPane(), nullptr);
}

}  // namespace
}  // namespace tf
