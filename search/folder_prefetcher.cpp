#include "search/folder_prefetcher.h"

#include <chrono>
#include <system_error>

#include "search/folder_enumerator.h"

namespace tf {

namespace {

// Listers read only among the first queued folders; listings that the walk's descent
// pushed well behind that are given back, so that memory stays bounded by the depth.
constexpr size_t kReadAhead = 32;
constexpr size_t kKeepRead = 2 * kReadAhead;
constexpr size_t kWakeUnread = kReadAhead / 4;
constexpr auto kWaitStep = std::chrono::milliseconds(20);
// Folders read ahead that are kept open for the walk to enter, at most: beyond, the walk
// opens them itself.
constexpr size_t kMostHeld = kReadAhead;
// A sleeping lister is woken for reads of sizes and times once this many files wait:
// waking it for every folder's few would cost more than the reads.
constexpr size_t kWakeStats = 32;

}  // namespace

FolderPrefetcher::~FolderPrefetcher() {
  Stop();
}

bool FolderPrefetcher::Start(const FolderHandle& root, const std::vector<EntryFilter*>& filters,
                             int priority, const std::function<void(int)>& hook, bool namesOnly) {
  if (running() || filters.empty() || !FolderLister::DuplicateHandle(root, &m_root)) return false;
  m_quit.store(false, std::memory_order_relaxed);
  for (size_t i = 0; i < filters.size(); ++i) {
    auto enumerator = std::make_unique<FolderEnumerator>();
    enumerator->SetFilters(filters[i]);
    enumerator->SetSerialised(false);
    enumerator->SetCancel(&m_quit);
    enumerator->SetNamesOnly(namesOnly);
    m_enumerators.push_back(std::move(enumerator));
  }
  for (size_t i = 0; i < filters.size(); ++i) {
    try {
      m_threads.emplace_back([this, i, priority, hook] { listerLoop(i, priority, hook); });
    } catch (const std::system_error&) {
      break;  // fewer listers, or none: the walk reads what they do not
    }
  }
  if (m_threads.empty()) FolderLister::CloseHandle(&m_root);
  return running();
}

void FolderPrefetcher::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_quit.store(true, std::memory_order_relaxed);
  }
  m_work.notify_all();
  for (std::thread& thread : m_threads) thread.join();
  m_threads.clear();
  m_enumerators.clear();
  m_queue.clear();
  FolderLister::CloseHandle(&m_root);
}

void FolderPrefetcher::QueueFront(const std::string& relativeBase, const std::string& pathBase,
                                  const FolderListing& subfolders,
                                  const std::vector<bool>& excluded) {
  const auto& folders = subfolders.folders();
  if (folders.empty()) return;
  std::vector<std::shared_ptr<Job>> jobs;
  jobs.reserve(folders.size());
  for (size_t i = 0; i < folders.size(); ++i) {
    auto job = std::make_shared<Job>();
    const std::string_view name = subfolders.NameOf(folders[i]);
    job->relative.reserve(relativeBase.size() + name.size());
    job->relative.append(relativeBase).append(name);
    job->path.reserve(pathBase.size() + name.size());
    job->path.append(pathBase).append(name);
    if (i < excluded.size() && excluded[i]) {
      job->skip = true;
      job->state = kRead;
    }
    jobs.push_back(std::move(job));
  }
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.insert(m_queue.begin(), jobs.begin(), jobs.end());
    forgetFarListings(jobs.size());
    if (m_idle == 0) return;
  }
  // Waking a lister costs a switch of threads: only those asleep are woken.
  if (jobs.size() > 1)
    m_work.notify_all();
  else
    m_work.notify_one();
}

void FolderPrefetcher::forgetFarListings(size_t pushed) {
  // The folders that this push moved from before kKeepRead to behind it.
  for (size_t at = kKeepRead; at < m_queue.size() && at < kKeepRead + pushed; ++at) {
    Job& job = *m_queue[at];
    if (job.state != kRead || job.skip) continue;
    job.state = kQueued;
    job.opened = 0;
    job.listing = FolderListing();
    job.Release();
  }
}

bool FolderPrefetcher::wantsLister() const {
  if (m_queue.empty()) return false;
  if (m_queue.front()->state == kQueued) return true;
  size_t unread = 0;
  for (size_t at = 0; at < m_queue.size() && at < kReadAhead; ++at)
    if (m_queue[at]->state == kQueued) ++unread;
  return unread >= kWakeUnread;
}

std::shared_ptr<FolderPrefetcher::Job> FolderPrefetcher::nextToRead() {
  for (size_t at = 0; at < m_queue.size() && at < kReadAhead; ++at)
    if (m_queue[at]->state == kQueued) return m_queue[at];
  return nullptr;
}

std::shared_ptr<FolderPrefetcher::Job> FolderPrefetcher::Pop() {
  std::shared_ptr<Job> job;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_queue.empty()) return nullptr;
    job = std::move(m_queue.front());
    m_queue.pop_front();
    // A sleeping lister is woken when the walk is about to need a folder nobody reads,
    // or when enough folders wait for it; waking it for every folder the walk enters
    // would cost a switch of threads each time.
    if (m_idle == 0 || !wantsLister()) return job;
  }
  m_work.notify_one();
  return job;
}

int FolderPrefetcher::WaitRead(const Job& job, FolderEnumerator& helper,
                               const std::function<bool()>& keepWaiting) {
  std::unique_lock<std::mutex> lock(m_lock);
  while (job.state == kReading) {
    // Rather than wait idle, the walk reads a folder that no lister has begun.
    if (std::shared_ptr<Job> other = nextToRead()) {
      other->state = kReading;
      lock.unlock();
      read(*other, helper);
      lock.lock();
      other->state = kRead;
      continue;
    }
    if (!m_stats.empty()) {
      readStatJob(lock);
      continue;
    }
    if (!waitStep(lock, keepWaiting)) return -1;
  }
  return job.state;
}

bool FolderPrefetcher::waitStep(std::unique_lock<std::mutex>& lock,
                                const std::function<bool()>& keepWaiting) {
  ++m_walkWaits;
  const bool woken = m_read.wait_for(lock, kWaitStep) == std::cv_status::no_timeout;
  --m_walkWaits;
  if (woken) return true;
  lock.unlock();
  const bool wait = keepWaiting();
  lock.lock();
  return wait;
}

// Fills the job's result; only the thread that marked it kReading touches it meanwhile.
void FolderPrefetcher::read(Job& job, FolderEnumerator& enumerator) {
  FolderHandle folder;
  int opened = 0;
  try {
    opened = enumerator.OpenBelow(m_root, job.relative, &folder);
    if (opened > 0) enumerator.List(folder, job.path, &job.listing);
  } catch (...) {
    opened = 0;  // out of memory: the walk reads this folder itself
  }
  job.opened = opened;
  job.device = folder.device;
  job.inode = folder.inode;
  if (opened > 0 && m_held.load(std::memory_order_relaxed) < kMostHeld) {
    m_held.fetch_add(1, std::memory_order_relaxed);
    job.handle = folder;
    job.held = &m_held;
  } else {
    FolderLister::CloseHandle(&folder);
  }
}

void FolderPrefetcher::Job::Release() {
  if (handle.fd < 0) return;
  FolderLister::CloseHandle(&handle);
  held->fetch_sub(1, std::memory_order_relaxed);
}

bool FolderPrefetcher::TakeHandle(Job& job, FolderHandle* out) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (job.state != kRead || job.skip || job.opened <= 0 || job.handle.fd < 0) return false;
  *out = job.handle;
  job.handle.fd = -1;
  m_held.fetch_sub(1, std::memory_order_relaxed);
  return true;
}

std::shared_ptr<const FolderHandle> FolderPrefetcher::Share(const FolderHandle& handle) {
  struct Shared {
    FolderHandle handle;
    ~Shared() { FolderLister::CloseHandle(&handle); }
  };
  // Made before it owns the descriptor: a failure leaves the descriptor with the walk.
  auto shared = std::make_shared<Shared>();
  shared->handle = handle;
  return std::shared_ptr<const FolderHandle>(shared, &shared->handle);
}

void FolderPrefetcher::ReadStats(StatJob& job) {
  job.infos.resize(job.names.size());
  job.read.resize(job.names.size());
  const int from = job.folder ? job.folder->fd : -1;
  if (!job.below.empty()) {
    FolderLister::StatFilesBelow(from, job.below, job.names, job.infos.data(), job.read.data());
    return;
  }
  for (size_t i = 0; i < job.names.size(); ++i)
    job.read[i] = FolderLister::StatFileAt(from, job.names[i], &job.infos[i]) ? 1 : 0;
}

void FolderPrefetcher::QueueStats(std::unique_ptr<StatJob> job, bool urgent) {
  size_t waiting = 0;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stats.push_back(std::move(job));
    if (m_idle == 0 || m_quit.load(std::memory_order_relaxed)) return;
    if (!urgent)
      for (const auto& queued : m_stats) waiting += queued->names.size();
  }
  if (urgent || waiting >= kWakeStats) m_work.notify_one();
}

size_t FolderPrefetcher::StatsPending() {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_stats.size() + m_statsReading;
}

void FolderPrefetcher::readStatJob(std::unique_lock<std::mutex>& lock) {
  std::unique_ptr<StatJob> job = std::move(m_stats.front());
  m_stats.pop_front();
  ++m_statsReading;
  lock.unlock();
  ReadStats(*job);
  lock.lock();
  --m_statsReading;
  m_statted.push_back(std::move(job));
}

bool FolderPrefetcher::ReadOneStatJob() {
  std::unique_lock<std::mutex> lock(m_lock);
  if (m_stats.empty()) return false;
  readStatJob(lock);
  return true;
}

void FolderPrefetcher::TakeStatted(std::vector<std::unique_ptr<StatJob>>* out) {
  std::lock_guard<std::mutex> lock(m_lock);
  for (auto& job : m_statted) out->push_back(std::move(job));
  m_statted.clear();
}

void FolderPrefetcher::TakeQueuedStats(std::vector<std::unique_ptr<StatJob>>* out) {
  std::lock_guard<std::mutex> lock(m_lock);
  for (auto& job : m_stats) out->push_back(std::move(job));
  m_stats.clear();
}

bool FolderPrefetcher::FinishStats(const std::function<bool()>& keepWaiting) {
  std::unique_lock<std::mutex> lock(m_lock);
  while (!m_stats.empty() || m_statsReading > 0) {
    if (!m_stats.empty()) {
      readStatJob(lock);
      continue;
    }
    if (!waitStep(lock, keepWaiting)) return false;
  }
  return true;
}

void FolderPrefetcher::Drop(size_t count) {
  std::lock_guard<std::mutex> lock(m_lock);
  while (count-- > 0 && !m_queue.empty()) m_queue.pop_front();
}

void FolderPrefetcher::listerLoop(size_t index, int priority, std::function<void(int)> hook) {
  if (hook) hook(priority);
  FolderEnumerator& enumerator = *m_enumerators[index];
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    std::shared_ptr<Job> job = nextToRead();
    if (m_quit.load(std::memory_order_relaxed)) return;
    if (!job && !m_stats.empty()) {
      readStatJob(lock);
      if (m_walkWaits > 0) m_read.notify_one();
      continue;
    }
    if (!job) {
      ++m_idle;
      m_work.wait(lock);
      --m_idle;
      continue;
    }
    job->state = kReading;
    lock.unlock();
    read(*job, enumerator);
    lock.lock();
    job->state = kRead;
    if (m_walkWaits > 0) m_read.notify_one();
  }
}

}  // namespace tf
