// ZipPlugin: the process's handle on the zip plug-in module, its start-up probe and
// the acquisition and release of "ZipFile 1.00" objects.
#pragma once

#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "platform/zip_file_interface.h"

namespace tf {

class ZipPlugin {
 public:
  // The program's folder first, then the library path.
  static std::vector<std::string> DefaultCandidates();

  // `candidates`: module paths tried in order by Probe.
  explicit ZipPlugin(std::vector<std::string> candidates = DefaultCandidates());
  ~ZipPlugin() { Unload(); }
  ZipPlugin(const ZipPlugin&) = delete;
  ZipPlugin& operator=(const ZipPlugin&) = delete;

  // Loads the first candidate that exports the three entry points and keeps it when
  // one of its objects initialises; otherwise nothing stays loaded. True when loaded.
  bool Probe();
  // A ready object, or null; a module that cannot make one is unloaded once no object
  // of it lives, so later acquisitions fail too.
  ZipFileInterface* AcquireZipInterface();
  // Gives an acquired object back to the module; null is ignored.
  void ReleaseZipInterface(ZipFileInterface* object);
  bool IsLoaded() const { return m_library.IsOpen(); }
  void Unload();

 private:
  bool loadModule(const std::string& path);
  WLibExInterface* makeObject();
  void dropObject(WLibExInterface* object);
  void unloadWhenUnused();

  std::vector<std::string> m_candidates;
  DynamicLibrary m_library;
  CreateInterface2Fn m_create = nullptr;
  DeleteInterfaceFn m_delete = nullptr;
  RefCountFn m_refCount = nullptr;
};

}  // namespace tf
