// twinfold-make-tree: builds a deterministic folder tree for the benchmarks. The same
// count, seed and mode always give the same names, sizes and times. Files are sparse
// (their size is set, no content is written), so a million files take little disk space.
//
//   twinfold-make-tree [--files N] [--seed S] [--mode mixed|one-name|flat|pairs] ROOT
//
// mixed: folders nested up to 8 deep, names drawn with many repeats from a vocabulary,
// about 5% true duplicates (same name, size and time in another folder) and a few odd
// names (blanks, quotes, '<', a newline, bytes that are not UTF-8, 255-byte names).
// one-name: every file is called "shared name.txt", each in its own folder.
// flat: every file in ROOT itself.
// pairs: every file has exactly one true duplicate: N/2 groups of two, the copies in
// ROOT/a and ROOT/b, a thousand files a folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: tiny, fast and the same on every platform (unlike the standard
// distributions, whose results differ between library implementations).
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  uint64_t Below(uint64_t n) { return n ? Next() % n : 0; }
  // Skewed towards small values: a few names are very common, most are rare.
  uint64_t Skewed(uint64_t n) {
    const uint64_t a = Below(n), b = Below(n);
    return a < b ? Below(a + 1) : a;
  }

 private:
  uint64_t m_state;
};

const char* const kWords[] = {
    "report", "holiday", "invoice",    "photo",  "IMG",       "scan",     "letter",    "budget",
    "notes",  "draft",   "final",      "backup", "copy",      "setup",    "readme",    "index",
    "data",   "music",   "track",      "song",   "video",     "clip",     "summary",   "minutes",
    "plan",   "thesis",  "chapter",    "résumé", "Überblick", "日本語",   "archive",   "config",
    "image",  "DSC",     "Screenshot", "paper",  "slides",    "contract", "statement", "receipt"};
const char* const kExtensions[] = {".txt",  ".jpg",    ".JPG",  ".png",  ".pdf",  ".doc",
                                   ".docx", ".mp3",    ".xlsx", ".zip",  ".c",    ".h",
                                   "",      ".tar.gz", ".md",   ".html", ".jpeg", ".mov"};
const char* const kFolderWords[] = {"Documents", "Pictures", "Music", "src",        "old",
                                    "2019",      "2020",     "2021",  "2022",       "2023",
                                    "projects",  "backup",   "misc",  "work",       "home",
                                    "Downloads", "archive",  "tmp",   "New Folder", "photos"};

template <typename T, size_t N>
constexpr size_t countOf(T (&)[N]) {
  return N;
}

struct Options {
  uint64_t files = 10000;
  uint64_t seed = 1;
  std::string mode = "mixed";
  std::string root;
};

struct PlannedFile {
  std::string name;
  int64_t size = 0;
  int64_t mtime = 0;  // seconds since 1970
};

[[noreturn]] void die(const std::string& what) {
  std::fprintf(stderr, "twinfold-make-tree: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

void makeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) die(path);
}

void makeFile(const std::string& path, const PlannedFile& planned) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) die(path);
  if (ftruncate(fd, planned.size) != 0) die(path);
  const struct timespec times[2] = {{planned.mtime, 0}, {planned.mtime, 0}};
  if (futimens(fd, times) != 0) die(path);
  close(fd);
}

// Folders below `root`, each at most 8 levels deep; folder 0 is the root itself.
std::vector<std::string> makeFolders(const std::string& root, uint64_t count, Random& rng) {
  std::vector<std::string> folders{root};
  std::vector<int> depth{0};
  folders.reserve(count + 1);
  for (uint64_t i = 1; i <= count; ++i) {
    size_t parent = static_cast<size_t>(rng.Below(folders.size()));
    while (depth[parent] >= 8) parent = static_cast<size_t>(rng.Below(parent));
    std::string name = kFolderWords[rng.Below(countOf(kFolderWords))];
    name += ' ' + std::to_string(i);  // unique among siblings
    folders.push_back(folders[parent] + '/' + name);
    depth.push_back(depth[parent] + 1);
    makeFolder(folders.back());
  }
  return folders;
}

std::string oddName(uint64_t i, Random& rng) {
  switch (rng.Below(6)) {
    case 0:
      return "name with  blanks " + std::to_string(i) + ".txt";
    case 1:
      return "quote\"s and 'apostrophes' " + std::to_string(i) + ".txt";
    case 2:
      return "<angle> & amp " + std::to_string(i) + ".html";
    case 3:
      return "new\nline " + std::to_string(i) + ".txt";
    case 4:
      return "latin1 caf\xE9 " + std::to_string(i) + ".txt";  // not UTF-8
    default:
      return std::string(240, 'L') + std::to_string(i % 1000) + ".txt";
  }
}

PlannedFile randomFile(uint64_t i, Random& rng) {
  PlannedFile planned;
  if (rng.Below(1000) == 0) {
    planned.name = oddName(i, rng);
  } else {
    planned.name = kWords[rng.Skewed(countOf(kWords))];
    const uint64_t number = rng.Skewed(2000);
    if (number % 3 != 0) planned.name += (number % 2 ? "_" : " ") + std::to_string(number);
    planned.name += kExtensions[rng.Skewed(countOf(kExtensions))];
  }
  // Log-uniform sizes from 0 bytes to about 64 MB, repeating often at the small end.
  const int bits = static_cast<int>(rng.Below(27));
  planned.size = bits == 0 ? 0 : static_cast<int64_t>(rng.Below(uint64_t{1} << bits));
  planned.mtime = 1262304000 + static_cast<int64_t>(rng.Below(15ULL * 365 * 86400));
  return planned;
}

void makeMixed(const Options& options, Random& rng) {
  const auto folders = makeFolders(options.root, options.files / 20 + 1, rng);
  std::vector<PlannedFile> made;
  made.reserve(options.files);
  for (uint64_t i = 0; i < options.files; ++i) {
    PlannedFile planned;
    if (!made.empty() && rng.Below(20) == 0) {
      planned = made[rng.Below(made.size())];  // a true duplicate of an earlier file
    } else {
      planned = randomFile(i, rng);
    }
    const std::string& folder = folders[rng.Below(folders.size())];
    const std::string path = folder + '/' + planned.name;
    if (access(path.c_str(), F_OK) == 0) continue;  // same name drawn twice for one folder
    makeFile(path, planned);
    made.push_back(std::move(planned));
  }
}

void makeOneName(const Options& options, Random& rng) {
  const auto folders = makeFolders(options.root, options.files, rng);
  for (uint64_t i = 1; i <= options.files; ++i) {
    PlannedFile planned{"shared name.txt", static_cast<int64_t>(rng.Below(4) * 1000),
                        1600000000 + static_cast<int64_t>(rng.Below(3))};
    makeFile(folders[i] + "/" + planned.name, planned);
  }
}

void makeFlat(const Options& options, Random& rng) {
  for (uint64_t i = 0; i < options.files; ++i) {
    PlannedFile planned = randomFile(i, rng);
    planned.name = std::to_string(i) + ' ' + planned.name;  // unique within the one folder
    makeFile(options.root + '/' + planned.name, planned);
  }
}

void makePairs(const Options& options, Random& rng) {
  for (const char* side : {"/a", "/b"}) makeFolder(options.root + side);
  for (uint64_t i = 0; i < options.files / 2; ++i) {
    const std::string part = "/part " + std::to_string(i / 1000);
    const PlannedFile planned = {"copy " + std::to_string(i) + ".dat",
                                 static_cast<int64_t>(rng.Below(100000)),
                                 1262304000 + static_cast<int64_t>(rng.Below(15ULL * 365 * 86400))};
    for (const char* side : {"/a", "/b"}) {
      const std::string folder = options.root + side + part;
      if (i % 1000 == 0) makeFolder(folder);
      makeFile(folder + "/" + planned.name, planned);
    }
  }
}

bool parse(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--files" && hasValue)
      options->files = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--seed" && hasValue)
      options->seed = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--mode" && hasValue)
      options->mode = argv[++i];
    else if (!arg.empty() && arg[0] != '-' && options->root.empty())
      options->root = arg;
    else
      return false;
  }
  while (options->root.size() > 1 && options->root.back() == '/') options->root.pop_back();
  return !options->root.empty() && (options->mode == "mixed" || options->mode == "one-name" ||
                                    options->mode == "flat" || options->mode == "pairs");
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: twinfold-make-tree [--files N] [--seed S] "
                 "[--mode mixed|one-name|flat|pairs] ROOT\n");
    return 2;
  }
  makeFolder(options.root);
  Random rng(options.seed);
  if (options.mode == "one-name")
    makeOneName(options, rng);
  else if (options.mode == "flat")
    makeFlat(options, rng);
  else if (options.mode == "pairs")
    makePairs(options, rng);
  else
    makeMixed(options, rng);
  return 0;
}
