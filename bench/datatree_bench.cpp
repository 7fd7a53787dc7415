// Times what a scan pays per file in the data tree: create one child node with a
// path-like name, later delete it. Prints nanoseconds per create+delete.
//
// The first round also pays for the kernel handing out fresh pages; later rounds reuse
// the memory the allocator kept, which is what a scan that creates and deletes one
// temporary node per file sees. Both figures are printed, with the cost of one fresh
// page on this machine for comparison.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "datatree/data_node.h"

namespace {

double nsPerFreshPage() {
  constexpr size_t kBytes = size_t{64} << 20;
  auto t0 = std::chrono::steady_clock::now();
  char* p = static_cast<char*>(std::malloc(kBytes));
  for (size_t i = 0; i < kBytes; i += 4096) p[i] = 1;
  auto t1 = std::chrono::steady_clock::now();
  std::free(p);
  return std::chrono::duration<double, std::nano>(t1 - t0).count() / (kBytes / 4096);
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(count));
  for (long i = 0; i < count; ++i)
    names.push_back("/home/user/photos/2024/holiday/IMG_" + std::to_string(i) + ".jpg");

  const double pageNs = nsPerFreshPage();
  // Keep freed memory in the process between rounds, as a long-running program does.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  double best = 1e30, first = 0;
  for (int r = 0; r < rounds; ++r) {
    tf::DataNode* root = tf::CreateNode(nullptr, "root", tf::ATTACH_ROOT);
    std::vector<tf::DataNode*> nodes(static_cast<size_t>(count));
    auto t0 = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i)
      nodes[static_cast<size_t>(i)] =
          tf::CreateNode(root, names[static_cast<size_t>(i)].c_str(), tf::ATTACH_LAST_CHILD);
    for (long i = 0; i < count; ++i) tf::DeleteNode(nodes[static_cast<size_t>(i)]);
    auto t1 = std::chrono::steady_clock::now();
    tf::DeleteNode(root);
    double ns =
        std::chrono::duration<double, std::nano>(t1 - t0).count() / static_cast<double>(count);
    if (r == 0) first = ns;
    if (r > 0 && ns < best) best = ns;
    std::printf("round %d: %.1f ns per create+delete\n", r + 1, ns);
  }
  std::printf(
      "fresh memory: %.1f ns, reused memory (best): %.1f ns per create+delete of %ld "
      "child nodes; sizeof(DataNode) = %zu; one fresh 4 KiB page costs %.0f ns here\n",
      first, best, count, sizeof(tf::DataNode), pageNs);
  return 0;
}
