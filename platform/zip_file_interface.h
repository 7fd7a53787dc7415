// ZipFileInterface and ZipEntry: the "ZipFile 1.00" interface of the zip plug-in
// module, the names of the module's exports and their signatures.
#pragma once

#include <cstdint>

#include "platform/wlib_ex_interface.h"

namespace tf {

constexpr const char* kZipInterfaceName = "ZipFile 1.00";
constexpr const char* kZipModuleFileName = "libpacklet.so";

// One entry of an open archive, handed out by ZipGetEntry. The caller owns it and
// must call Release. The field offsets (path at 8, size at 28) are part of the
// interface; size64 was added after them for entries of 2 GiB and more, whose
// 32-bit size is clamped to INT32_MAX.
class ZipEntry {
 public:
  virtual void Release() = 0;

  char* path = nullptr;  // stored name, NUL-terminated, owned by the entry
  int64_t compressedSize = 0;
  int32_t method = 0;
  int32_t size = 0;  // uncompressed size, clamped to INT32_MAX
  int64_t size64 = 0;

 protected:
  ~ZipEntry() = default;
};

// Archive operations of the plug-in, in their fixed table order after the ten
// operations of WLibExInterface. One object works on one archive at a time.
class ZipFileInterface : public WLibExInterface {
 public:
  // Starts a new archive at `archivePath`; mode 1 refuses to replace an existing file.
  virtual bool ZipCreate(const char* archivePath, int mode) = 0;
  // Queues `sourcePath` under `entryName`; level 0 is the default compression.
  virtual bool ZipAddFile(const char* sourcePath, const char* entryName, int level) = 0;
  // Writes the created archive to disk and syncs it; true only when all of it is stored.
  virtual bool ZipCommit(const char* archivePath) = 0;
  virtual bool ZipOpen(const char* archivePath) = 0;
  // A one-line summary of the open archive, at most `size` bytes with the NUL.
  virtual bool ZipGetInfo(char* buffer, int size) = 0;
  virtual bool ZipFirst() = 0;
  virtual bool ZipNext() = 0;
  virtual bool ZipReserved() = 0;
  // Stored name of the current entry; false when it does not fit in `size` bytes.
  virtual bool ZipGetName(char* buffer, int size) = 0;
  virtual ZipEntry* ZipGetEntry() = 0;
  // Writes the current entry to `destinationPath` with its stored modification time;
  // never replaces an existing file and leaves nothing behind on failure.
  virtual bool ZipExtract(const char* destinationPath) = 0;
  virtual bool ZipClose() = 0;

 protected:
  ZipFileInterface() : WLibExInterface(kZipInterfaceName) {}
};

// Exports of the module (C names, no decoration).
using CreateInterface2Fn = int (*)(const char* name, WLibExInterface** out);
using DeleteInterfaceFn = int (*)(WLibExInterface** object);
using RefCountFn = int (*)();

}  // namespace tf
