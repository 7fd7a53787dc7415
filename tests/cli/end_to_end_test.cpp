// twinfold-cli as a user runs it, on real folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "results/json_text.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_tree.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;  // exit status; -1 when killed by a signal
  std::string out;
  std::string err;
};

using tf::testing::ReadFile;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
    // The trash and the backup folder of the runs.
    setenv("XDG_DATA_HOME", (m_dir + "/data").c_str(), 1);
    // The action journal of the runs.
    setenv("XDG_STATE_HOME", (m_dir + "/state").c_str(), 1);
  }

  void makeFile(const std::string& relative, off_t size, time_t mtime = 1700000000) {
    m_temp.File("tree/" + relative, size, static_cast<int>(mtime - 1577836800));
  }

  Outcome run(std::vector<std::string> args, const std::string& stdoutPath = "",
              bool closedPipe = false) {
    tf::testing::Streams streams{stdoutPath.empty() ? m_dir + "/stdout" : stdoutPath,
                                 m_dir + "/stderr", m_stdin.empty() ? "/dev/null" : m_stdin};
    int fds[2] = {-1, -1};
    if (closedPipe && pipe(fds) == 0) {
      close(fds[0]);
      streams.outFd = fds[1];
    }
    args.insert(args.begin(), TWINFOLD_CLI_PATH);
    // Limits are set in the child by prlimit, which then becomes the program.
    if (!m_limits.empty()) {
      args.insert(args.begin(), "--");
      args.insert(args.begin(), m_limits.begin(), m_limits.end());
      args.insert(args.begin(), "/usr/bin/prlimit");
    }
    Outcome outcome;
    outcome.status = tf::testing::WaitProgram(tf::testing::StartProgram(args, streams));
    if (fds[1] >= 0) close(fds[1]);
    if (stdoutPath.empty() && !closedPipe) outcome.out = ReadFile(streams.out);
    outcome.err = ReadFile(streams.err);
    return outcome;
  }

  // (group, path below the tree) of each CSV file row, in the order listed.
  std::vector<std::pair<std::string, std::string>> csvRows(std::vector<std::string> args) {
    args.insert(args.end(), {"--format", "csv", m_tree});
    const Outcome result = run(args);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::pair<std::string, std::string>> rows;
    for (const std::string& line : lines(result.out)) {
      const size_t at = line.find(m_tree) + m_tree.size();
      if (at >= m_tree.size())
        rows.emplace_back(line.substr(0, line.find(',')), line.substr(at, line.find(',', at) - at));
    }
    return rows;
  }

  // The groups found, each once, in the order listed.
  std::string found(const std::vector<std::string>& args) {
    std::string groups;
    for (const auto& [group, path] : csvRows(args))
      if (groups.find(group + " ") == std::string::npos) groups += group + " ";
    return groups;
  }

  // Files in the trash of the runs.
  size_t trashed() const {
    std::error_code ignored;
    size_t count = 0;
    for (auto it = fs::directory_iterator(m_dir + "/data/Trash/files", ignored);
         it != fs::directory_iterator(); ++it)
      ++count;
    return count;
  }

  tf::testing::TempTree m_temp;
  std::string m_stdin;                // what the runs read as standard input; empty: nothing
  std::vector<std::string> m_limits;  // prlimit options for the runs
  const std::string m_dir = m_temp.root();
  const std::string m_tree = m_dir + "/tree";  // what is scanned; the outputs stay beside it
};

TEST_F(CliEndToEnd, TextListsTrueDuplicatesAndSkipsMissingFolders) {
  makeFile("one/Report.txt", 2048);
  makeFile("two/deep/Report.txt", 2048);
  makeFile("two/report.txt", 2048);                // another name: case matters
  makeFile("three/Report.txt", 2048, 1600000000);  // another time
  makeFile("three/other.txt", 10);
  const Outcome result = run({"--no-progress", m_tree});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto out = lines(result.out);
  ASSERT_EQ(out.size(), 4u) << result.out;
  EXPECT_EQ(out[0], "Report.txt  $        4 K");
  EXPECT_EQ(out[1].rfind("  " + m_tree + "/one/Report.txt  2 K  ", 0), 0u) << out[1];
  EXPECT_EQ(out[2].rfind("  " + m_tree + "/two/deep/Report.txt  2 K  ", 0), 0u) << out[2];
  EXPECT_EQ(out[3], "Finished (2 files found)");

  const Outcome shown = run({"--progress", m_tree});
  EXPECT_EQ(shown.out, result.out);
  EXPECT_TRUE(shown.err.ends_with(m_tree + ": accepted\nFinished (2 files found)\n")) << shown.err;

  const std::string missing = m_tree + "/no such folder";
  const Outcome alone = run({"--no-progress", "--one-thread-per-disk", missing, m_tree});
  EXPECT_EQ(alone.status, 0) << alone.err;
  EXPECT_EQ(alone.out, result.out);
  EXPECT_EQ(alone.err, "twinfold-cli: " + missing + ": no such folder; skipped\n");

  const Outcome none = run({missing, m_tree + "/one/Report.txt"});  // a file is no folder
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("twinfold-cli: no folder to scan"), std::string::npos) << none.err;
  EXPECT_EQ(none.out, "");

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--frobnicate", m_tree}, {}, {"--min-size", "2M", "--max-size", "1M", m_tree}}) {
    const Outcome bad = run(args);
    EXPECT_EQ(bad.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(bad.err.rfind("twinfold-cli: ", 0), 0u) << bad.err;
    EXPECT_NE(bad.err.find("Usage: twinfold-cli"), std::string::npos);
    EXPECT_EQ(bad.out, "");
  }
}

TEST_F(CliEndToEnd, CriteriaAndFiltersReachTheSearch) {
  makeFile("a/paper.doc", 4500);
  makeFile("b/paper.pdf", 5000, 1500000000);
  for (const char* folder : {"a", "b", "c"}) makeFile(std::string(folder) + "/photo.jpg", 3000);
  for (const char* name : {"a/junk.tmp", "b/junk.tmp", "a/.hid", "b/.hid"}) makeFile(name, 9);
  makeFile("a/holiday1.png", 10);
  makeFile("b/holiday2.png", 20);
  EXPECT_EQ(found({"--preset", "formats", "--exclude-masks", "*.tmp", "--attr", "-hidden"}),
            "paper.* photo.* ");
  EXPECT_EQ(found({"--preset", "formats", "--min-size=1K", "--max-size", "4K"}), "photo.* ");
  EXPECT_EQ(found({"--exclude", m_tree + "/c", "--min-size", "1K"}), "photo.jpg ");
  EXPECT_EQ(found({"--preset", "formats", "--time-filter", "between:2024-01-01:2020-01-01",
                   "--include", "*.doc;*.pdf;*.jpg"}),
            "photo.* ");
  EXPECT_EQ(
      found({"--include", "*.doc;*.pdf", "--name", "noext", "--time", "any", "--size", "any"}),
      "paper.* ");
  // The first seven letters pair the holiday pictures; an explicit exact name wins.
  EXPECT_EQ(found({"--symbols", "7", "--size", "any", "--include", "*.png"}), "holiday*.png ");
  EXPECT_EQ(found({"--symbols", "7", "--name", "exact", "--size", "any", "--include", "*.png"}),
            "");
}

// The looser options: each reaches the search, and each is off unless asked for.
TEST_F(CliEndToEnd, LooserMatchingOptionsReachTheSearch) {
  makeFile("a/Stra\u00dfe.txt", 10);
  makeFile("b/STRASSE.TXT", 10);
  makeFile("a/caf\xC3\xA9.txt", 20);
  makeFile("b/cafe\xCC\x81.txt", 20);
  makeFile("a/clip.mp4", 30, 1700000000);
  makeFile("b/clip.mp4", 30, 1700000001);
  makeFile("a/holiday photo.jpg", 40);
  makeFile("b/holiday photo (1).jpg", 40);
  EXPECT_EQ(found({}), "");
  EXPECT_EQ(found({"--fold-case"}), "strasse.txt ");
  EXPECT_EQ(found({"--normalize"}), "caf\xC3\xA9.txt ");
  EXPECT_EQ(found({"--time-tolerance", "1"}), "clip.mp4 ");
  // Similar names are always composed and folded; a group is named after its first path.
  EXPECT_EQ(found({"--name", "similar", "--similarity", "70"}),
            "caf\u00e9.txt holiday photo.jpg Stra\u00dfe.txt ");
  EXPECT_EQ(found({"--similarity", "80"}), "caf\u00e9.txt Stra\u00dfe.txt ");
  EXPECT_EQ(
      found({"--fold-case", "--time-tolerance=1", "--with-protected", "--protect", m_tree + "/b"}),
      "clip.mp4 strasse.txt ");
  EXPECT_EQ(found({"--fold-case", "--across-roots"}), "");  // one search folder only
  for (const char* bad :
       {"--similarity=49", "--similarity=101", "--time-tolerance=-1", "--time-tolerance=86401"})
    EXPECT_EQ(run({bad, m_tree}).status, 2) << bad;
}

TEST_F(CliEndToEnd, VerifyKeepsTogetherOnlyTheSameBytes) {
  setenv("XDG_CACHE_HOME", (m_dir + "/cache").c_str(), 1);
  // Same name, size and time; c differs in its last byte, y.txt's two copies in the first.
  const std::string same(10000, 'x');
  std::string other = same;
  other.back() = 'y';
  const std::string names[] = {"a/x.bin", "b/x.bin", "c/x.bin", "d/x.bin", "a/y.txt", "b/y.txt"};
  const std::string contents[] = {same, same, other, same, "1 copy", "2 copy"};
  for (int i = 0; i < 6; ++i) {
    makeFile(names[i], 0);
    ASSERT_TRUE(tf::testing::WriteFile(m_tree + "/" + names[i], contents[i]));
    const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (m_tree + "/" + names[i]).c_str(), times, 0), 0);
  }
  const std::string results = m_dir + "/verified.twinfold.json";
  const Outcome verified =
      run({"--verify", "--no-progress", "--format", "json", "--output", results, m_tree});
  ASSERT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.err, "");
  const std::string json = ReadFile(results);
  EXPECT_NE(json.find("\"key\":\"x.bin\",\"type\":\"bin\",\"count\":3,\"size\":30000,"
                      "\"verified\":true,"),
            std::string::npos)
      << json;
  EXPECT_EQ(json.find("/c/x.bin"), std::string::npos);
  EXPECT_EQ(json.find("y.txt"), std::string::npos);
  EXPECT_NE(json.find("\"files\":3}"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(m_dir + "/cache/twinfold/hashes"));
  // The results file is read back with its mark; the text names the files verified.
  const Outcome acted = run({"act", results, "--keep", "first", "--dry-run"});
  EXPECT_EQ(acted.status, 0) << acted.err;
  const Outcome text = run({"--verify", "--no-progress", m_tree});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(text.out.ends_with("Finished (3 files found)\n")) << text.out;
  // A damaged cache is named, ignored and rebuilt; the result stays the same.
  ASSERT_TRUE(
      tf::testing::WriteFile(m_dir + "/cache/twinfold/hashes", "twinfold-hashes 1\nrubbish"));
  const Outcome rebuilt = run({"--verify", "--no-progress", m_tree});
  EXPECT_EQ(rebuilt.status, 0);
  EXPECT_EQ(rebuilt.out, text.out);
  EXPECT_NE(rebuilt.err.find("the hash cache is ignored and rebuilt"), std::string::npos)
      << rebuilt.err;
  EXPECT_EQ(run({"--verify", "--no-progress", m_tree}).err, "");
}

// --folders in each format: the copied folder beside its original, the nested copy not
// listed again, a name that is not UTF-8 in base64 beside its text, criteria and filters
// reaching the folder search, and --verify refused beside it.
TEST_F(CliEndToEnd, FoldersInTextCsvAndJson) {
  for (const std::string copy : {"old/Photos/", "new/Photos \xff/"}) {
    makeFile(copy + "a.jpg", 1024);
    makeFile(copy + "2024/b.jpg", 2048);
    makeFile(copy + "2024/c.tmp", 9, copy[0] == 'o' ? 1700000000 : 1600000000);
  }
  makeFile("old/notes.txt", 5);
  const std::string old = m_tree + "/old/Photos";
  const std::string fresh = m_tree + "/new/Photos \xff";
  // The times of c.tmp differ: only with it left out, or times any, are the folders alike.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--exclude-masks", "*.tmp"}, {"--time", "any"}}) {
    std::vector<std::string> all = {"--no-progress", "--folders"};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(m_tree);
    const Outcome text = run(all);
    ASSERT_EQ(text.status, 0) << text.err;
    const auto out = lines(text.out);
    const std::string files =
        args[0] == "--time" ? "3 files  $     3.01 K" : "2 files  $        3 K";
    ASSERT_EQ(out.size(), 4u) << text.out;
    EXPECT_EQ(out[0], files);
    EXPECT_EQ(out[1].rfind("  " + fresh.substr(0, fresh.size() - 1) + "\\xff  ", 0), 0u) << out[1];
    EXPECT_EQ(out[2].rfind("  " + old + "  ", 0), 0u) << out[2];
    EXPECT_EQ(out[3], "Finished (1 folder group found)");
  }
  EXPECT_EQ(lines(run({"--no-progress", "--folders", m_tree}).out),
            std::vector<std::string>{"Finished (NO FOLDERS FOUND)"});

  const Outcome json = run({"--folders", "--exclude-masks", "*.tmp", "--format", "json", m_tree});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out, "{\"folder_groups\":[\n{\"files\":2,\"size\":3072,\"folders\":[{\"path\":" +
                          tf::JsonQuoted(fresh) + ",\"path_base64\":\"" + tf::Base64(fresh) +
                          "\"},{\"path\":\"" + old + "\"}]}\n]}\n");

  const Outcome csv = run({"--folders", "--exclude-masks", "*.tmp", "--format", "csv", m_tree});
  ASSERT_EQ(csv.status, 0) << csv.err;
  const auto rows = lines(csv.out);
  ASSERT_EQ(rows.size(), 3u) << csv.out;
  EXPECT_EQ(rows[0], "group,files,size,path,latest\r");
  EXPECT_EQ(rows[1].rfind("1,2,3072," + fresh + ",", 0), 0u) << rows[1];
  EXPECT_EQ(rows[2].rfind("1,2,3072," + old + ",2023-11-", 0), 0u) << rows[2];

  const Outcome both = run({"--folders", "--verify", m_tree});
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("--folders cannot be combined with --verify"), std::string::npos);
}

// --reverse turns round only what the order is about.
TEST_F(CliEndToEnd, SortOrdersReverseOnlyWhatTheyAreAbout) {
  makeFile("y/b.txt", 5, 1700000001);
  makeFile("X/b.txt", 5, 1700000002);
  makeFile("z/A.txt", 3, 1700000009);
  makeFile("a/A.txt", 7, 1700000001);
  auto sorted = [&](std::vector<std::string> order) {
    order.insert(order.end(), {"--size", "any", "--time", "any"});
    std::string listed;
    for (const auto& [group, path] : csvRows(order)) listed += path + " ";
    return listed;
  };
  EXPECT_EQ(sorted({"--sort", "name"}), "/a/A.txt /z/A.txt /X/b.txt /y/b.txt ");
  EXPECT_EQ(sorted({"--sort", "name", "--reverse"}), "/X/b.txt /y/b.txt /a/A.txt /z/A.txt ");
  EXPECT_EQ(sorted({"--sort", "size", "--reverse"}), "/z/A.txt /a/A.txt /X/b.txt /y/b.txt ");
  EXPECT_EQ(sorted({"--sort", "time"}), "/z/A.txt /a/A.txt /X/b.txt /y/b.txt ");
}

// JSON must be UTF-8: the exact bytes go beside in base64.
TEST_F(CliEndToEnd, OddNamesKeepTheirBytesAndProtectedFilesAreMarked) {
  const std::string odd = "say \"hi\", then\nleave\xE9.txt";
  makeFile("x/" + odd, 7);
  makeFile("x2/" + odd, 7);
  Outcome result = run({"--format", "csv", "--sort", "size", m_tree});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string quoted = "say \"\"hi\"\", then\nleave\xE9.txt\"";
  // The time as a spreadsheet reads it: local, ISO 8601.
  const time_t modified = 1700000000;
  struct tm local {};
  char iso[32];
  strftime(iso, sizeof iso, "%Y-%m-%dT%H:%M:%S", localtime_r(&modified, &local));
  const std::string expected = "group,type,count,group_size,path,size,modified\r\n\"" + quoted +
                               ",txt,2,14,\"" + m_tree + "/x/" + quoted + ",7," + iso + "\r\n";
  EXPECT_EQ(result.out.substr(0, expected.size()), expected);

  result = run(
      {"--format", "json", "--protect", m_tree + "/x", "--protect", m_dir + "/elsewhere", m_tree});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string& out = result.out;
  EXPECT_NE(out.find("\"key\":\"say \\\"hi\\\", then\\nleave\xEF\xBF\xBD.txt\",\"key_base64\":"
                     "\"c2F5ICJoaSIsIHRoZW4KbGVhdmXpLnR4dA==\""),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\"path_base64\":"), std::string::npos);
  EXPECT_NE(
      out.find(",\"modified\":133444736000000000,\"modified_iso\":\"" + std::string(iso) + "\""),
      std::string::npos);
  EXPECT_EQ(out.find("\xE9"), std::string::npos);
  EXPECT_TRUE(out.ends_with("],\"files\":2}\n")) << out;
  const size_t mark = out.find(",\"protected\":true}");
  EXPECT_LT(out.find(m_tree + "/x/"), mark);
  EXPECT_GT(out.find(m_tree + "/x2/"), mark);
  EXPECT_EQ(mark, out.rfind(",\"protected\":true"));
  EXPECT_NE(result.err.find("elsewhere: "), std::string::npos) << result.err;
}

TEST_F(CliEndToEnd, SavedDescriptorRepeatsTheSearchAndReplacesOnlyARegularFile) {
  makeFile("d/holiday1.jpg", 10);
  makeFile("e/holiday2.jpg", 20);
  alarm(120);  // a run that waits on a FIFO ends the test here
  // The name a save once used for its temporary file, planted as a link.
  const std::string saved = m_dir + "/search.xml";
  const std::string victim = m_dir + "/victim.txt";
  std::ofstream(victim) << "precious";
  ASSERT_EQ(symlink(victim.c_str(), (saved + ".tmp-twinfold").c_str()), 0);
  const Outcome first = run({"--preset", "named", "--save-descriptor", saved, m_tree});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("holid*.jpg"), std::string::npos) << first.out;
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(saved)));
  const Outcome again = run({"--descriptor", saved});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, first.out);

  ASSERT_EQ(mkfifo((m_dir + "/fifo").c_str(), 0600), 0);
  fs::create_directory(m_dir + "/folder");
  fs::create_symlink("/dev/null", m_dir + "/device");
  fs::create_symlink(m_dir + "/nowhere", m_dir + "/dangling");
  for (const char* name : {"fifo", "folder", "device", "dangling", "none/x.xml"}) {
    const std::string path = m_dir + "/" + name;
    const Outcome result = run({"--save-descriptor", path, m_tree});
    EXPECT_EQ(result.status, 1) << name;
    EXPECT_EQ(result.err.find("twinfold-cli: " + path + ": cannot save the search descriptor: "),
              0u)
        << result.err;
    EXPECT_EQ(result.out, "") << name;  // refused before any search
  }
  EXPECT_TRUE(fs::is_fifo(m_dir + "/fifo"));
  EXPECT_TRUE(fs::is_empty(m_dir + "/folder"));
  EXPECT_TRUE(fs::is_symlink(m_dir + "/device"));
  EXPECT_FALSE(fs::exists(m_dir + "/nowhere"));
  EXPECT_FALSE(fs::exists(m_dir + "/none"));
  alarm(0);
}

TEST_F(CliEndToEnd, UnreadableOrSpecialFilesAreRefusedWithoutWaiting) {
  makeFile("d/a.txt", 1);
  makeFile("e/a.txt", 1);
  const std::string fifo = m_dir + "/fifo", junk = m_dir + "/junk.xml", huge = m_dir + "/huge.xml";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(junk) << "<node name=\"options\"/>";
  std::ofstream(huge).seekp(static_cast<std::streamoff>(65) << 20) << "x";
  alarm(120);  // a run that waits on a FIFO ends the test here
  for (const auto& [option, bad] :
       std::vector<std::pair<std::string, std::string>>{{"--settings", m_dir + "/absent.dat"},
                                                        {"--descriptor", junk},
                                                        {"--descriptor", huge},
                                                        {"--descriptor", fifo},
                                                        {"--settings", fifo},
                                                        {"--settings", "/dev/zero"}}) {
    const Outcome result = run({option, bad, m_tree});
    EXPECT_EQ(result.status, 1) << option << " " << bad;
    EXPECT_EQ(result.err.find("twinfold-cli: " + bad + ": "), 0u) << result.err;
  }
  fs::create_directories(m_dir + "/config/twinfold");
  ASSERT_EQ(mkfifo((m_dir + "/config/twinfold/twinfold.dat").c_str(), 0600), 0);
  const Outcome defaults = run({m_tree});
  EXPECT_EQ(defaults.status, 0) << defaults.err;
  EXPECT_NE(defaults.out.find("a.txt"), std::string::npos);
  alarm(0);
}

TEST_F(CliEndToEnd, ClosedPipeEndsQuietlyAndFullDiskIsAnError) {
  for (int i = 0; i < 3000; ++i) {  // far more output than a pipe buffer holds
    makeFile("m/file" + std::to_string(i) + ".dat", 1);
    makeFile("n/file" + std::to_string(i) + ".dat", 1);
  }
  const Outcome piped = run({"--format", "json", m_tree}, "", true);
  EXPECT_EQ(piped.status, 0);  // not killed by SIGPIPE
  EXPECT_EQ(piped.err, "");
  if (access("/dev/full", W_OK) == 0) {
    const Outcome full = run({m_tree}, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("cannot write the output"), std::string::npos) << full.err;
  }
}

// One name in three places: old and large in a/, in between in b/, new and small in c/.
class CliAct : public CliEndToEnd {
 protected:
  void makeCopies() {
    fs::remove_all(m_tree);
    fs::remove_all(m_dir + "/data");
    makeFile("a/n.txt", 9, 1700000000);
    makeFile("b/n.txt", 7, 1700000100);
    makeFile("c/n.txt", 5, 1700000200);
  }
  void save(std::vector<std::string> extra = {}) {
    extra.insert(extra.end(), {"--time", "any", "--size", "any", "--format", "json", "--output",
                               m_results, m_tree});
    const Outcome saved = run(extra);
    ASSERT_EQ(saved.status, 0) << saved.err;
    ASSERT_EQ(saved.out, "");
  }
  Outcome act(std::vector<std::string> args) {
    args.insert(args.begin(), {"act", m_results});
    return run(args);
  }
  bool there(const std::string& relative) const { return fs::exists(m_tree + "/" + relative); }

  const std::string m_results = m_dir + "/found" + ".twinfold.json";
};

TEST_F(CliAct, EachRuleKeepsOneCopyAndEachActionDoesWhatItSays) {
  makeCopies();
  save();
  const std::string saved = ReadFile(m_results);
  EXPECT_EQ(saved.rfind("{\"format\":\"twinfold-results\",\"version\":1,", 0), 0u) << saved;

  Outcome result = act({"--keep", "newest", "--dry-run"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "trash " + m_tree + "/a/n.txt (keeping " + m_tree + "/c/n.txt)\ntrash " +
                            m_tree + "/b/n.txt (keeping " + m_tree + "/c/n.txt)\n");
  EXPECT_TRUE(there("a/n.txt") && there("b/n.txt"));
  m_stdin = m_results;  // the same through a pipe's end
  result = run({"act", "-", "--keep", "newest", "--format", "json"});
  m_stdin.clear();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(
      result.out.find("{\"path\":\"" + m_tree + "/b/n.txt\",\"action\":\"trash\",\"kept\":\"" +
                      m_tree + "/c/n.txt\",\"done\":true,\"reason\":\"\"}"),
      std::string::npos)
      << result.out;
  EXPECT_FALSE(there("a/n.txt") || there("b/n.txt"));
  EXPECT_TRUE(there("c/n.txt"));
  EXPECT_EQ(trashed(), 2u);

  makeCopies();
  save();
  result = act({"--keep", "oldest", "--action", "backup"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(there("a/n.txt") && !there("b/n.txt") && !there("c/n.txt"));
  std::string comments;  // the descriptors of the stored copies name the kept one
  for (const auto& entry : fs::directory_iterator(m_dir + "/data/twinfold/Backup"))
    comments += ReadFile(entry.path());
  const std::string comment = "A duplicate of " + m_tree + "/a/n.txt, which was kept.";
  const size_t first = comments.find(comment);
  EXPECT_NE(first, std::string::npos) << comments;
  EXPECT_NE(comments.rfind(comment), first);
  EXPECT_EQ(trashed(), 2u);

  // Both copies to one folder: the second finds the name taken and stays.
  makeCopies();
  save();
  fs::create_directory(m_dir + "/moved");
  result = act({"--keep", "largest", "--action", "move:" + m_dir + "/moved"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "moved " + m_tree + "/b/n.txt to " + m_dir + "/moved (kept " + m_tree + "/a/n.txt)\n");
  EXPECT_EQ(result.err, "twinfold-cli act: skipped " + m_tree +
                            "/c/n.txt: a file of that name is "
                            "already in " +
                            m_dir + "/moved\n");
  EXPECT_EQ(fs::file_size(m_dir + "/moved/n.txt"), 7u);
  EXPECT_TRUE(there("a/n.txt") && !there("b/n.txt") && there("c/n.txt"));

  makeCopies();
  save();
  result = act({"--keep", "first", "--action", "link"});
  EXPECT_EQ(result.status, 0) << result.err;
  for (const char* replaced : {"b/n.txt", "c/n.txt"}) {
    EXPECT_TRUE(fs::is_symlink(m_tree + "/" + replaced)) << replaced;
    EXPECT_EQ(fs::read_symlink(m_tree + "/" + replaced), m_tree + "/a/n.txt");
  }
  EXPECT_EQ(trashed(), 2u);
  // Acting again on the same file: each replaced file is a link now, and is left alone.
  result = act({"--keep", "first"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(m_tree + "/b/n.txt: it is a symbolic link now"), std::string::npos)
      << result.err;
  EXPECT_EQ(trashed(), 2u);
}

TEST_F(CliAct, ProtectedChangedAndUnkeptFilesAreLeftAlone) {
  makeCopies();
  save({"--protect", m_tree + "/a"});
  // A group with no copy in the folder is left whole, as the window's helper leaves it.
  Outcome result = act({"--keep", "in:" + m_dir + "/elsewhere"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  fs::last_write_time(m_tree + "/b/n.txt", fs::file_time_type::clock::now());
  result = act({"--keep", "newest", "--protect", m_tree + "/c/"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "twinfold-cli act: skipped " + m_tree + "/b/n.txt: it changed since the search\n");
  EXPECT_TRUE(there("a/n.txt") && there("b/n.txt") && there("c/n.txt"));
  // With the newest copy gone, nothing of its group is acted on.
  fs::remove(m_tree + "/c/n.txt");
  result = act({"--keep", "newest"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("b/n.txt: the kept copy " + m_tree + "/c/n.txt: it went away"),
            std::string::npos)
      << result.err;
  EXPECT_TRUE(there("a/n.txt") && there("b/n.txt"));
  EXPECT_EQ(trashed(), 0u);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST_F(CliAct, HostileResultsFilesAreRefusedAndTouchNothing) {
  makeFile("a/x.txt", 4);
  makeFile("b/x.txt", 4);
  makeFile("b/y.txt", 4);
  m_temp.File("outside/x.txt", 4, 1700000000 - 1577836800);
  save();
  const std::string good = ReadFile(m_results);
  alarm(120);  // a run that waits on a FIFO ends the test here
  const std::string fifo = m_dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string older = "{" + good.substr(good.find("\"groups\""));
  const std::vector<std::pair<std::string, std::string>> hostile = {
      {replaced(good, m_tree + "/b/x.txt", m_dir + "/outside/x.txt"),
       m_dir + "/outside/x.txt: outside the folders that were searched"},
      {replaced(good, m_tree + "/b/x.txt", m_tree + "/b/../../outside/x.txt"),
       "not a plain absolute path"},
      {replaced(good, m_tree + "/b/x.txt", m_tree + "/b/y.txt"),
       m_tree + "/b/y.txt: its name does not belong to the group \"x.txt\""},
      {replaced(good, "\"version\":1,", "\"version\":7,"), "version 7 is not readable here"},
      {good.substr(0, good.size() / 2), "not a results file: "},
      {older, "no header naming the folders"},
      {"", "not a results file"}};
  for (const auto& [text, reason] : hostile) {
    ASSERT_TRUE(tf::testing::WriteFile(m_results, text));
    const Outcome result = act({"--keep", "first"});
    EXPECT_EQ(result.status, 2) << reason;
    EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  for (const std::string& bad : {fifo, m_dir + "/huge.json", m_dir + "/nothing"}) {
    if (bad.ends_with("huge.json")) std::ofstream(bad).seekp(200000000) << "x";
    const Outcome result = run({"act", bad, "--keep", "first"});
    EXPECT_EQ(result.status, 2) << bad;
    EXPECT_EQ(result.err.find("twinfold-cli act: " + bad + ": cannot read it: "), 0u) << result.err;
  }
  EXPECT_EQ(run({"act", m_results}).status, 2);  // no --keep
  EXPECT_EQ(run({"--format", "json", "--output", fifo, m_tree}).status, 1);
  EXPECT_TRUE(fs::is_fifo(fifo));

  // A link or a FIFO where a file was found is left as it is.
  ASSERT_TRUE(tf::testing::WriteFile(m_results, good));
  fs::remove(m_tree + "/b/x.txt");
  fs::create_symlink(m_dir + "/outside/x.txt", m_tree + "/b/x.txt");
  Outcome result = act({"--keep", "first"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("b/x.txt: it is a symbolic link now"), std::string::npos);
  fs::remove(m_tree + "/a/x.txt");
  ASSERT_EQ(mkfifo((m_tree + "/a/x.txt").c_str(), 0600), 0);
  result = act({"--keep", "largest"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("the kept copy " + m_tree + "/a/x.txt: it is no regular file now"),
            std::string::npos)
      << result.err;
  EXPECT_TRUE(fs::is_symlink(m_tree + "/b/x.txt") && fs::is_fifo(m_tree + "/a/x.txt"));
  EXPECT_TRUE(fs::exists(m_dir + "/outside/x.txt") && there("b/y.txt"));
  EXPECT_EQ(trashed(), 0u);
  alarm(0);
}

// Under tight limits a search either finds everything or says what it could not do.
TEST_F(CliEndToEnd, TightLimitsGiveTheWholeResultOrTheReason) {
  std::string deep;
  for (int i = 1; i <= 60; ++i) {
    deep += "l" + std::to_string(i) + "/";
    makeFile(deep + "same.txt", 1);
    makeFile(deep + "own" + std::to_string(i), 1);
  }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // The sanitizers' own runtimes need descriptors and address space of their own (their
  // checks open pipes), so these limits are tried on the plain build only.
  // Out of open files: the walk lets go of the folders it can reopen and goes on.
  m_limits = {"--nofile=32"};
  const Outcome few = run({"--format", "csv", m_tree});
  EXPECT_EQ(few.status, 0) << few.err;
  EXPECT_EQ(lines(few.out).size(), 61u);  // the header and every "same.txt"
  // With too few even for that, the folders it could not read are named, and it fails.
  m_limits = {"--nofile=5"};
  const Outcome none = run({"--format", "csv", m_tree});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err.rfind("twinfold-cli: " + m_tree + "/l1", 0), 0u) << none.err;
  EXPECT_NE(none.err.find(": cannot read the folder: too many open files\n"), std::string::npos);
  // No room for a thread's stack (each would take the 1 GB stack limit): the search gives
  // up and says why, instead of trying for ever.
  m_limits = {"--stack=1000000000", "--as=900000000"};
  alarm(120);
  const Outcome threadless = run({m_tree});
  alarm(0);
  EXPECT_EQ(threadless.status, 1);
  EXPECT_NE(threadless.err.find("no thread can be started to scan " + m_tree), std::string::npos)
      << threadless.err;
#endif
}

}  // namespace
