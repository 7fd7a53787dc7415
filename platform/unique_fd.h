// UniqueFd: owns one open file descriptor and closes it when it goes, so that no early
// return in the file code leaks one. Only the platform layer holds descriptors.
#pragma once

#include <unistd.h>

namespace tf {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  int get() const { return m_fd; }
  // Hands the descriptor over; the caller closes it.
  int release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }
  // Closes now and tells whether the close succeeded: a full network disk says so only
  // here, after every write went through.
  bool closeNow() {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int m_fd = -1;
};

}  // namespace tf
