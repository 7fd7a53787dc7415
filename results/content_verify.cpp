#include "results/content_verify.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/content_read.h"
#include "platform/file_time.h"
#include "platform/volume_info.h"
#include "results/hash_cache.h"

namespace tf {
namespace {

// A file that is still what the search found, on its way through the comparisons.
struct Item {
  size_t group = 0;
  size_t file = 0;
  ContentKey key;
  CachedHashes hashes;
  bool haveFirst = false;
  bool failed = false;
};

// One read: the first block or the whole of a file. Names of one file (hard links) share
// it.
struct Job {
  const std::string* path = nullptr;
  ContentKey key;
  int64_t limit = 0;
  ContentHash hash;
  ReadOutcome outcome = ReadOutcome::kFailed;
  std::string why;
};

int64_t fileTimeOf(int64_t ns) {
  std::timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns / 1000000000);
  ts.tv_nsec = static_cast<long>(ns % 1000000000);
  return FileTimeFromTimespec(ts);
}

// Runs the jobs on reader threads: one per spinning disk, `solidReaders` for the rest.
// Answers false when stopped.
class Readers {
 public:
  Readers(std::vector<Job>& jobs, const VerifyOptions& options, int64_t* bytesRead)
      : m_jobs(jobs), m_options(options), m_bytesRead(bytesRead) {}

  bool Run(int64_t totalBytes) {
    formLanes();
    std::vector<std::thread> threads;
    std::vector<size_t> inline_;
    for (size_t lane = 0; lane < m_lanes.size(); ++lane) {
      const int wanted = lane == 0 ? std::max(1, m_options.solidStateReaders) : 1;
      const size_t count = std::min<size_t>(static_cast<size_t>(wanted), m_lanes[lane].size());
      size_t made = 0;
      for (; made < count; ++made) {
        try {
          threads.emplace_back([this, lane] { drain(lane); });
        } catch (const std::system_error&) {
          break;
        }
      }
      if (made == 0 && count > 0) inline_.push_back(lane);
    }
    const int64_t start = m_read.load();
    bool stopped = false;
    while (m_finished.load() < m_started) {
      if (m_options.progress &&
          !m_options.progress(*m_bytesRead + m_read.load() - start, totalBytes + *m_bytesRead)) {
        m_stop = true;
        stopped = true;
        break;
      }
      // A lane that had no thread is read here, between the reports of the others.
      if (!inline_.empty()) {
        drain(inline_.back());
        inline_.pop_back();
        continue;
      }
      // Woken at once by the last read, so the next stage does not wait for the clock.
      std::unique_lock<std::mutex> lock(m_doneLock);
      m_allDone.wait_for(lock, std::chrono::milliseconds(50),
                         [this] { return m_finished.load() >= m_started; });
    }
    for (std::thread& t : threads) t.join();
    *m_bytesRead += m_read.load() - start;
    return !stopped;
  }

 private:
  void formLanes() {
    std::unordered_map<uint64_t, size_t> laneOfDevice;
    m_lanes.assign(1, {});
    for (size_t i = 0; i < m_jobs.size(); ++i) {
      const uint64_t device = m_jobs[i].key.device;
      auto found = laneOfDevice.find(device);
      if (found == laneOfDevice.end()) {
        const size_t lane = IsOnSpinningDisk(*m_jobs[i].path) ? m_lanes.size() : 0;
        if (lane) m_lanes.emplace_back();
        found = laneOfDevice.emplace(device, lane).first;
      }
      m_lanes[found->second].push_back(i);
    }
    // In path order: neighbours on disk are read one after another.
    for (std::vector<size_t>& lane : m_lanes)
      std::sort(lane.begin(), lane.end(),
                [this](size_t a, size_t b) { return *m_jobs[a].path < *m_jobs[b].path; });
    m_next = std::vector<std::atomic<size_t>>(m_lanes.size());
    m_started = m_jobs.size();
  }

  void drain(size_t lane) {
    for (;;) {
      const size_t at = m_next[lane].fetch_add(1);
      if (at >= m_lanes[lane].size()) return;
      Job& job = m_jobs[m_lanes[lane][at]];
      try {
        job.outcome =
            HashContent(*job.path, job.key, job.limit, &job.hash, &job.why, &m_stop, &m_read);
      } catch (const std::bad_alloc&) {
        job.outcome = ReadOutcome::kFailed;
        job.why = "no memory to read it";
      }
      // Release: the job's fields are complete before the count says so.
      if (m_finished.fetch_add(1, std::memory_order_release) + 1 == m_started) {
        std::lock_guard<std::mutex> lock(m_doneLock);
        m_allDone.notify_all();
      }
    }
  }

  std::vector<Job>& m_jobs;
  const VerifyOptions& m_options;
  int64_t* m_bytesRead;
  std::vector<std::vector<size_t>> m_lanes;  // job indexes; lane 0 is solid-state
  std::vector<std::atomic<size_t>> m_next;
  size_t m_started = 0;
  std::atomic<size_t> m_finished{0};
  std::atomic<int64_t> m_read{0};
  std::atomic<bool> m_stop{false};
  std::mutex m_doneLock;  // guards nothing but the wait on m_allDone
  std::condition_variable m_allDone;
};

class Verifier {
 public:
  Verifier(const std::vector<VerifyGroup>& groups, const VerifyOptions& options, VerifyOutcome* out)
      : m_groups(groups), m_options(options), m_out(out) {}

  int Run() {
    m_out->sets.assign(m_groups.size(), {});
    collect();
    // Sets of items that may still be equal; each holds two or more.
    std::vector<std::vector<size_t>> candidates = bySize();
    if (!hash(candidates, false)) return 0;
    candidates = split(candidates, false);
    if (!hash(candidates, true)) return 0;
    candidates = split(candidates, true);
    for (std::vector<size_t>& set : candidates) {
      std::vector<size_t> files;
      for (const size_t i : set) files.push_back(m_items[i].file);
      std::sort(files.begin(), files.end());
      m_out->sets[m_items[set.front()].group].push_back(std::move(files));
    }
    for (auto& sets : m_out->sets) std::sort(sets.begin(), sets.end());
    return 1;
  }

 private:
  void leaveOut(size_t group, size_t file, std::string reason) {
    m_out->leftOut.push_back(LeftOutFile{group, file, std::move(reason)});
  }

  // Looks at every file: only a regular file of the size and time the search found
  // takes part.
  void collect() {
    for (size_t g = 0; g < m_groups.size(); ++g)
      for (size_t f = 0; f < m_groups[g].size(); ++f) {
        const VerifyFile& file = m_groups[g][f];
        Item item{g, f, {}, {}, false, false};
        std::string why;
        if (!ReadContentKey(file.path, &item.key, &why)) {
          leaveOut(g, f, why);
        } else if (item.key.size != file.size || fileTimeOf(item.key.modifiedNs) != file.modified) {
          leaveOut(g, f, "changed since the search");
        } else {
          m_items.push_back(item);
        }
      }
  }

  std::vector<std::vector<size_t>> bySize() {
    std::vector<std::vector<size_t>> out;
    std::map<std::pair<size_t, int64_t>, size_t> setOf;
    for (size_t i = 0; i < m_items.size(); ++i) {
      const auto key = std::make_pair(m_items[i].group, m_items[i].key.size);
      auto found = setOf.find(key);
      if (found == setOf.end()) {
        found = setOf.emplace(key, out.size()).first;
        out.emplace_back();
      }
      out[found->second].push_back(i);
    }
    std::erase_if(out, [](const std::vector<size_t>& set) { return set.size() < 2; });
    return out;
  }

  // Whether the item's hash of this stage is wanted (not known yet, nor implied).
  bool needs(const Item& item, bool full) const {
    if (item.key.size == 0) return false;
    if (!full) return !item.haveFirst;
    return item.key.size > kFirstBlockBytes && !item.hashes.hasFull;
  }

  // Gives every item of the candidate sets its first-block (or full) hash: from the
  // cache, else read. Items whose read failed are marked and left out.
  bool hash(const std::vector<std::vector<size_t>>& candidates, bool full) {
    std::vector<Job> jobs;
    std::unordered_map<ContentKey, size_t, ContentKeyHash> jobOf;
    std::vector<std::pair<size_t, size_t>> itemJobs;
    int64_t total = 0;
    for (const std::vector<size_t>& set : candidates)
      for (const size_t i : set) {
        Item& item = m_items[i];
        if (!full && m_options.cache && m_options.cache->Find(item.key, &item.hashes))
          item.haveFirst = true;
        if (!needs(item, full)) continue;
        auto found = jobOf.find(item.key);
        if (found == jobOf.end()) {
          Job job;
          job.path = &m_groups[item.group][item.file].path;
          job.key = item.key;
          job.limit = full ? -1 : kFirstBlockBytes;
          total += std::min(item.key.size, full ? item.key.size : kFirstBlockBytes);
          found = jobOf.emplace(item.key, jobs.size()).first;
          jobs.push_back(job);
        }
        itemJobs.emplace_back(i, found->second);
      }
    // Asked before each stage too, so that a stop is heard however quick the reads.
    if (m_options.progress && !m_options.progress(m_out->bytesRead, m_out->bytesRead + total))
      return false;
    if (!jobs.empty() && !Readers(jobs, m_options, &m_out->bytesRead).Run(total)) return false;
    for (const auto& itemJob : itemJobs) {
      Item& item = m_items[itemJob.first];
      const Job& job = jobs[itemJob.second];
      if (job.outcome != ReadOutcome::kRead) {
        if (!item.failed)
          leaveOut(item.group, item.file,
                   job.outcome == ReadOutcome::kChanged ? "changed since the search" : job.why);
        item.failed = true;
        continue;
      }
      if (full) {
        item.hashes.hasFull = true;
        item.hashes.full = job.hash;
      } else {
        item.hashes.first = job.hash;
        item.haveFirst = true;
        // A file no longer than the block was read whole.
        if (item.key.size <= kFirstBlockBytes) {
          item.hashes.hasFull = true;
          item.hashes.full = job.hash;
        }
      }
      if (m_options.cache) m_options.cache->Store(item.key, item.hashes);
    }
    return true;
  }

  // Splits each set by the stage's hash; sets of one go.
  std::vector<std::vector<size_t>> split(const std::vector<std::vector<size_t>>& candidates,
                                         bool full) {
    std::vector<std::vector<size_t>> out;
    for (const std::vector<size_t>& set : candidates) {
      std::map<std::pair<uint64_t, uint64_t>, std::vector<size_t>> byHash;
      for (const size_t i : set) {
        const Item& item = m_items[i];
        if (item.failed) continue;
        ContentHash h;  // every empty file is the same
        if (item.key.size > 0)
          h = full && item.hashes.hasFull ? item.hashes.full : item.hashes.first;
        byHash[{h.high, h.low}].push_back(i);
      }
      for (auto& entry : byHash)
        if (entry.second.size() >= 2) out.push_back(std::move(entry.second));
    }
    return out;
  }

  const std::vector<VerifyGroup>& m_groups;
  const VerifyOptions& m_options;
  VerifyOutcome* m_out;
  std::vector<Item> m_items;
};

}  // namespace

int VerifyContents(const std::vector<VerifyGroup>& groups, const VerifyOptions& options,
                   VerifyOutcome* out) {
  *out = VerifyOutcome{};
  const int done = Verifier(groups, options, out).Run();
  if (!done) *out = VerifyOutcome{};
  return done;
}

}  // namespace tf
