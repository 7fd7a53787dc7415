#include "platform/zip_plugin.h"

#include <exception>
#include <utility>

namespace tf {

std::vector<std::string> ZipPlugin::DefaultCandidates() {
  std::vector<std::string> paths;
  std::string folder = ExecutableFolder();
  if (!folder.empty()) {
    // Beside the program in the build folder; in PREFIX/lib/twinfold once installed.
    paths.push_back(folder + "/" + kZipModuleFileName);
    paths.push_back(folder + "/" TWINFOLD_PLUGIN_FOLDER "/" + kZipModuleFileName);
  }
  paths.push_back(kZipModuleFileName);
  return paths;
}

ZipPlugin::ZipPlugin(std::vector<std::string> candidates) : m_candidates(std::move(candidates)) {}

bool ZipPlugin::loadModule(const std::string& path) {
  if (!m_library.Open(path)) return false;
  m_create = reinterpret_cast<CreateInterface2Fn>(m_library.Symbol("CreateInterface2"));
  m_delete = reinterpret_cast<DeleteInterfaceFn>(m_library.Symbol("DeleteInterface"));
  m_refCount = reinterpret_cast<RefCountFn>(m_library.Symbol("RefCount"));
  if (m_create && m_delete && m_refCount) return true;
  Unload();
  return false;
}

bool ZipPlugin::Probe() {
  if (IsLoaded()) return true;
  for (const std::string& path : m_candidates) {
    if (!loadModule(path)) continue;
    WLibExInterface* object = makeObject();
    if (object) {
      dropObject(object);
      return true;
    }
    unloadWhenUnused();
    if (IsLoaded()) return true;  // objects of it still live elsewhere
  }
  return false;
}

// The module is foreign code: nothing it throws may cross into the program.
WLibExInterface* ZipPlugin::makeObject() {
  if (!IsLoaded()) return nullptr;
  WLibExInterface* object = nullptr;
  try {
    if (!m_create(kZipInterfaceName, &object) || !object) return nullptr;
    if (object->Initialize(nullptr, 0, nullptr) != 0) return object;
  } catch (...) {
  }
  dropObject(object);
  return nullptr;
}

void ZipPlugin::dropObject(WLibExInterface* object) {
  if (!object || !IsLoaded()) return;
  try {
    m_delete(&object);
  } catch (...) {
  }
}

void ZipPlugin::unloadWhenUnused() {
  int live = 1;
  try {
    live = m_refCount();
  } catch (...) {
  }
  if (live == 0) Unload();
}

ZipFileInterface* ZipPlugin::AcquireZipInterface() {
  WLibExInterface* object = makeObject();
  if (!object) {
    if (IsLoaded()) unloadWhenUnused();
    return nullptr;
  }
  // The module was asked for this interface by name, so the object implements it.
  return static_cast<ZipFileInterface*>(object);
}

void ZipPlugin::ReleaseZipInterface(ZipFileInterface* object) {
  dropObject(object);
}

void ZipPlugin::Unload() {
  m_library.Close();
  m_create = nullptr;
  m_delete = nullptr;
  m_refCount = nullptr;
}

}  // namespace tf
