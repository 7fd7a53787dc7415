// The exported entry points of the zip plug-in module.
#include <atomic>
#include <cstring>
#include <new>

#include "plugins/packlet/packlet_zip_file.h"

namespace {

// Live objects handed out; the program unloads the module only when it is zero.
std::atomic<int> g_liveObjects{0};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int CreateInterface2(const char* name,
                                                            tf::WLibExInterface** out) {
  if (!out) return 0;
  *out = nullptr;
  if (!name || std::strcmp(name, tf::kZipInterfaceName) != 0) return 0;
  auto* object = new (std::nothrow) tf::packlet::PackletZipFile();
  if (!object) return 0;
  ++g_liveObjects;
  *out = object;
  return 1;
}

__attribute__((visibility("default"))) int DeleteInterface(tf::WLibExInterface** object) {
  if (!object) return 0;
  if (*object) {
    delete *object;
    --g_liveObjects;
    *object = nullptr;
  }
  return 1;
}

__attribute__((visibility("default"))) int RefCount() {
  return g_liveObjects.load();
}

}  // extern "C"
