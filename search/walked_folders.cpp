#include "search/walked_folders.h"

#include <algorithm>

namespace tf {

namespace {

constexpr int kInodeBits = 48;
constexpr uint64_t kMaxDevices = 0xFFFF;

size_t slotOf(uint64_t key, size_t mask) {
  uint64_t h = key * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(h ^ (h >> 29)) & mask;
}

}  // namespace

bool WalkedFolders::Claim(uint64_t device, uint64_t inode) {
  std::lock_guard<std::mutex> lock(m_lock);
  const auto known = std::find(m_devices.begin(), m_devices.end(), device);
  size_t index = static_cast<size_t>(known - m_devices.begin());
  if (known == m_devices.end() && m_devices.size() < kMaxDevices) m_devices.push_back(device);
  if (index >= kMaxDevices || inode >> kInodeBits) return m_others.emplace(device, inode).second;
  return insert((static_cast<uint64_t>(index) << kInodeBits | inode) + 1);
}

bool WalkedFolders::insert(uint64_t key) {
  if (2 * (m_used + 1) > m_slots.size()) {
    std::vector<uint64_t> old = std::move(m_slots);
    m_slots.assign(std::max<size_t>(1024, old.size() * 2), 0);
    for (const uint64_t k : old) {
      if (k == 0) continue;
      size_t at = slotOf(k, m_slots.size() - 1);
      while (m_slots[at] != 0) at = (at + 1) & (m_slots.size() - 1);
      m_slots[at] = k;
    }
  }
  const size_t mask = m_slots.size() - 1;
  for (size_t at = slotOf(key, mask);; at = (at + 1) & mask) {
    if (m_slots[at] == key) return false;
    if (m_slots[at] != 0) continue;
    m_slots[at] = key;
    ++m_used;
    return true;
  }
}

void WalkedFolders::Clear() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_devices.clear();
  m_slots.clear();
  m_slots.shrink_to_fit();
  m_used = 0;
  m_others.clear();
}

}  // namespace tf
