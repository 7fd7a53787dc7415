// Properties of real files: plain, compound documents, damaged ones, and non-files.
#include "results/file_properties.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "platform/document_summary.h"
#include "platform/file_facts.h"
#include "results/preview_kind.h"
#include "tests/support/sample_document.h"
#include "tests/support/temp_tree.h"

namespace tf {
namespace {

using testing::TempTree;

using NodePtr = std::unique_ptr<DataNode, int (*)(TreeNode*)>;

NodePtr propertiesOf(const std::string& path, int* result = nullptr) {
  NodePtr root(CreateNode(nullptr, path.c_str(), ATTACH_ROOT), &DeleteNode);
  const int filled = FillFileProperties(root.get());
  if (result) *result = filled;
  return root;
}

std::string value(DataNode* root, const char* label) {
  DataNode* child = FindChild(root, label);
  return child ? child->Desc() : "<missing>";
}

class FileProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    std::setlocale(LC_ALL, "C.UTF-8");
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
  }
  TempTree tree;
};

TEST_F(FileProperties, PlainFileHasItsFactsAndOtherThingsNone) {
  const std::string path = tree.File("notes.txt", int64_t{10} << 30, 3661);  // sparse
  chmod(path.c_str(), 0444);
  const auto start = std::chrono::steady_clock::now();
  int result = 0;
  NodePtr root = propertiesOf(path, &result);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ASSERT_EQ(result, 1);
  EXPECT_EQ(FindChild(root.get(), kSummaryHeading), nullptr);
  EXPECT_EQ(value(root.get(), "Name"), "notes.txt");
  EXPECT_EQ(value(root.get(), "Location"), tree.root() + "/");
  EXPECT_EQ(value(root.get(), "Size (bytes)"), "10737418240");
  EXPECT_EQ(value(root.get(), "Last modified"), "01/01/20 01:01:01 ");  // 3661 s into 2020
  EXPECT_EQ(value(root.get(), "Attributes"), " -R");
  EXPECT_NE(value(root.get(), "Type"), "?");

  const std::string odd = tree.Path("data.Qz7");
  testing::WriteFile(odd, std::string("\x01\x02\x03\x04\xfe\xff", 6));
  const std::string type = value(propertiesOf(odd).get(), "Type");
  EXPECT_TRUE(type == "qz7" || type.find("data") != std::string::npos) << type;
  EXPECT_EQ(LowerExtension("/a.b/noext") + LowerExtension("/x/.bashrc"), "");

  // FIFOs must not block the open.
  const std::string fifo = tree.Path("pipe.doc");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {tree.Path("gone.txt"), tree.Folder("sub"), fifo}) {
    EXPECT_EQ(propertiesOf(path, &result)->FirstChild(), nullptr) << path;
    EXPECT_EQ(result, 0) << path;
  }
  std::vector<SummaryProperty> props;
  EXPECT_EQ(ReadDocumentSummary(fifo, &props), 0);
  // A zip, in any letter case, is previewed only with the plug-in; a folder never.
  const std::string zip = tree.File("pack.Zip");
  EXPECT_EQ(PreviewKind(zip, true), kPreviewZip);
  EXPECT_EQ(PreviewKind(zip, false), kPreviewNone);
  EXPECT_EQ(PreviewKind(tree.Folder("dir.txt")), kPreviewNone);
}

TEST_F(FileProperties, CompoundDocumentShowsItsSummaryInOrder) {
  const std::string doc = tree.Path("report.doc");
  ASSERT_TRUE(WriteSampleDocument(
      doc, {{"dc:title", std::string("Quarterly report")},
            {"gsf:word-count", 2.5},
            {"gsf:security", true},
            {"meta:creation-date", int64_t{1700000000}},  // 2023-11-14 22:13:20 UTC
            {"dc:subject", std::string()}}));
  NodePtr root = propertiesOf(doc);
  DataNode* heading = FindChild(root.get(), kSummaryHeading);
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading, root->LastChild());
  std::vector<std::pair<std::string, std::string>> shown;
  for (const NodeAttr& attr : heading->attrs.items())
    shown.emplace_back(attr.name, attr.value.FullText());
  EXPECT_EQ(shown,
            (std::vector<std::pair<std::string, std::string>>{{"Title", "Quarterly report"},
                                                              {"Created", "2023-11-14 22:13:20"},
                                                              {"Word Count", "2.50"},
                                                              {"Doc Security", "True/Yes"}}));
  // The editing time is a span, not a date.
  SummaryProperty editing;
  editing.id = 10;
  editing.kind = SummaryProperty::kFileTime;
  editing.fileTime = int64_t{3 * 3600 + 25 * 60 + 7} * 10000000;
  EXPECT_EQ(SummaryPropertyText(editing), "3:25:07");
}

TEST_F(FileProperties, DamagedDocumentsNeverHurt) {
  const std::string doc = tree.Path("good.doc");
  ASSERT_TRUE(WriteSampleDocument(doc, {{"dc:title", std::string("Intact")}}));
  const std::string good = testing::ReadFile(doc);
  ASSERT_GT(good.size(), 1024u);
  std::vector<SummaryProperty> props;
  ASSERT_EQ(ReadDocumentSummaryBytes(good.data(), good.size(), &props), 1);
  ASSERT_EQ(props.size(), 1u);
  for (size_t cut = 0; cut < good.size(); cut += 61)
    ReadDocumentSummaryBytes(good.data(), cut, &props);
  for (size_t at = 0; at < good.size(); at += 7) {
    std::string bad = good;
    bad[at] = static_cast<char>(0xFF);
    if (ReadDocumentSummaryBytes(bad.data(), bad.size(), &props)) {
      for (const SummaryProperty& p : props) EXPECT_GE(p.id, 2);
    }
  }
  const std::string damaged = tree.Path("damaged.doc");
  testing::WriteFile(damaged, good.substr(0, 600));
  NodePtr root = propertiesOf(damaged);
  EXPECT_EQ(FindChild(root.get(), kSummaryHeading), nullptr);
  EXPECT_EQ(value(root.get(), "Name"), "damaged.doc");
}

}  // namespace
}  // namespace tf
