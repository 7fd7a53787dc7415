// PackletZipFile: the "ZipFile 1.00" object of the zip plug-in, over libzip.
#pragma once

#include <zip.h>

#include <cstdint>
#include <string>

#include "platform/zip_file_interface.h"

namespace tf::packlet {

class PackletZipFile : public ZipFileInterface {
 public:
  PackletZipFile() = default;
  ~PackletZipFile() override;

  const char* ErrorDesc() override { return m_error.c_str(); }
  int Error() override { return m_error.empty() ? 0 : 1; }

  bool ZipCreate(const char* archivePath, int mode) override;
  bool ZipAddFile(const char* sourcePath, const char* entryName, int level) override;
  bool ZipCommit(const char* archivePath) override;
  bool ZipOpen(const char* archivePath) override;
  bool ZipGetInfo(char* buffer, int size) override;
  bool ZipFirst() override;
  bool ZipNext() override;
  bool ZipReserved() override { return false; }
  bool ZipGetName(char* buffer, int size) override;
  ZipEntry* ZipGetEntry() override;
  bool ZipExtract(const char* destinationPath) override;
  bool ZipClose() override;

 private:
  bool fail(const char* what);
  bool atEntry() const;
  bool writeEntryTo(zip_file_t* file, int fd, int64_t size);
  void discard();

  zip_t* m_zip = nullptr;
  bool m_writing = false;
  int64_t m_index = -1;  // current entry while reading
  std::string m_error;
};

}  // namespace tf::packlet
